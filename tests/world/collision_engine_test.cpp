// The collision operations in the running engine on a map compiled by the
// test and given with -map, through the test build's console commands.
#include "compiled_map.h"
#include "support/engine_sandbox.h"

namespace {

class CollisionEngineTest : public CompiledMapTest {};

TEST_F(CollisionEngineTest, TracesRaysCollidersAndPathsAnswerOnTheLoadedMap)
{
    EngineSandbox sandbox;
    const std::string room = Compile(kTraceRoomSource);
    ASSERT_FALSE(room.empty()) << Text();
    sandbox.WriteData("maps/room.map", room);
    sandbox.WriteData("shaders/test.shader", "clip\n{\n\tsurfaceparm nonsolid\n}\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        function MapFree() end
        function MapLoad() end
        local commands = {
          'test_trace 0 50 0 0 -100 0 10 10 10',
          'test_trace 0 20 0 0 0 0.02 10 10 10',
          'test_trace 0 20 0 0 -100 0 0 10 10',
          'test_ray 0 5 0 0 5 600',
          'test_ray 0 50 0 50 50 0',
          'test_colliderAdd 7 50 10 0 1',
          'test_colliderCheck 40 10 0 60 10 0 1',
          'test_pathAdd 3 0 10 0',
          'test_pathGetClosest 40 10 40',
          'test_pathGetClosest 0 10 400',
          'Quit',
        }
        function update()
          for _, line in ipairs(commands) do Console_Command(line) end
          commands = {}
        end)");
    EngineRunOptions options;
    options.input = "\n";  // the test build, which has the commands
    EngineRun run = sandbox.Run({"-map", "maps/room.map"}, options);

    ASSERT_TRUE(run.Ended(0));
    // A fall stops 0.001 of its way short of the floor and slides no further;
    // a movement under 1/32 moves nothing; a zero radius is refused; the ray
    // stops at the thin wall halfway; the wall hides the waypoint from behind it.
    EXPECT_TRUE(LinesInOrder(
        run.out, {"trace hit 1 end 0 10.1001 0 reflected 0 100 0 normal 0 1 0 stepped 0 refused 0 callbacks",
                  "trace hit 0 end 0 20 0 reflected 0 0 0 normal 0 0 0 stepped 0 refused 0 callbacks",
                  "trace hit 0 end 0 20 0 reflected 0 0 0 normal 0 0 0 stepped 0 refused 1 callbacks",
                  "ray 0.499", "ray -1", "collider 7 added", "colliders 7 0.400000 0.600000;", "path 3", "path -1"}))
        << run.out;
}

}  // namespace
