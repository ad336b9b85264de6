// Rooms in the running engine: visible while their boxes touch the view, outlined in magenta with r_drawRooms.
#include "minimal_map.h"
#include "support/screenshots.h"

#include <gtest/gtest.h>

namespace {

TEST(RoomVisibility, RoomsInViewCountAndShowTheirOutlines)
{
    EngineSandbox sandbox;
    sandbox.WriteData("shaders/map.shader", kMinimalMapShaders);
    // The camera sits at the origin looking down -z: room 1 lies ahead of it, room 2 behind and room 0 (z from 0 to
    // 100) just behind the eye.
    MapWriter rooms = MinimalMap();
    rooms.Room(0, 0, {-50, -50, -300}, {50, 50, -200});
    rooms.Room(0, 0, {-50, -50, 200}, {50, 50, 300});
    sandbox.WriteData("maps/rooms.map", rooms.Bytes());
    sandbox.WriteData("default.cfg", "r_drawRooms 1\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        function MapFree() end
        function MapLoad() end
        local frame = 0
        function update()
          frame = frame + 1
          if frame == 2 then Console_Command('Map maps/rooms.map') end
          if frame == 4 then Console_Command('test_visibleRooms') Console_Command('Screenshot') end
          if frame == 6 then Console_Command('Quit') end
        end)");
    EngineRunOptions options;
    options.input = "\n";  // the test build, which has the command that counts
    EngineRun run = sandbox.Run({}, options);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("visible rooms: 1")) << run.out;
    EXPECT_GT(Count(Screenshot(sandbox, 0), [](Rgb c) { return c.r > 200 && c.g < 50 && c.b > 200; }), 100);
}

}  // namespace
