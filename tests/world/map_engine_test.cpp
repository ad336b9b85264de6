// The map with a GL context (its buffer objects) and in the running engine: the -map option, the Map command, the
// shutdown, the rooms in view with their outlines in magenta, and the collision operations through the test build's
// console commands.
#include "compiled_map.h"
#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "minimal_map.h"
#include "render/rendersettings.h"
#include "render/shadermanager.h"
#include "support/gl_window.h"
#include "support/screenshots.h"
#include "world/map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class MapBufferTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        GLWindowTest::SetUp();
        LoadGLEntryPoints();
        gGLCaps.vertexBufferObjectAvailable = true;
        WriteData("shaders/map.shader", kMinimalMapShaders);
        WriteData("maps/test.map", MinimalMap().Bytes());
        gShaderManager->Init();
    }
    void TearDown() override
    {
        map.Free();
        gRenderSettings.useVertexBufferObject = true;
        gShaderManager->Release();
        gGLCaps = GLCaps();
        GLWindowTest::TearDown();
    }

    template <typename T>
    static std::vector<T> BufferContents(GLenum target, GLuint buffer, size_t count, size_t offset = 0)
    {
        std::vector<T> contents(count);
        pglBindBufferARB(target, buffer);
        pglGetBufferSubDataARB(target, GLintptrARB(offset), GLsizeiptrARB(count * sizeof(T)), contents.data());
        pglBindBufferARB(target, 0);
        return contents;
    }

    Map map;
};

TEST_F(MapBufferTest, VerticesAndIndicesGoToBufferObjectsWhileTheyAreOn)
{
    ASSERT_TRUE(map.Load("maps/test.map")) << Text();
    // A small map shares a buffer through the buffer manager.
    const GLuint vertices = map.vertexBuffer().buffer;
    ASSERT_NE(vertices, 0u);
    const auto stored = BufferContents<float>(GL_ARRAY_BUFFER_ARB, vertices, 13 * 24, map.vertexBuffer().offset);
    EXPECT_EQ(stored[2 * 24], 100.0f);  // vertex 2: x

    const MapSurface& floor = map.meshes()[0].surfaces[0];
    const GLuint indices = floor.elementBuffer.name();
    ASSERT_NE(indices, 0u);
    EXPECT_EQ(BufferContents<uint32_t>(GL_ELEMENT_ARRAY_BUFFER_ARB, indices, 6),
              std::vector<uint32_t>(floor.indices.begin(), floor.indices.end()));

    map.Free();
    EXPECT_FALSE(pglIsBufferARB(vertices));
    EXPECT_FALSE(pglIsBufferARB(indices));

    gRenderSettings.useVertexBufferObject = false;
    ASSERT_TRUE(map.Load("maps/test.map"));
    EXPECT_FALSE(map.vertexBuffer());
    EXPECT_EQ(map.meshes()[0].surfaces[0].elementBuffer.name(), 0u);
}

// Three maps: the minimal map with two rooms more, from the command line, where the camera at the origin looking down
// -z has the first of those ahead, the second behind and the map's own (z from 0 to 100) just behind the eye; the trace
// room by the Map command, where the test build's commands trace, cast rays and look up colliders and paths; and a
// damaged map.
TEST_F(CompiledMapTest, MapsLoadShowTheRoomsInViewAnswerTracesAndDamagedOnesAreRefused)
{
    EngineSandbox sandbox;
    sandbox.WriteData("shaders/map.shader", kMinimalMapShaders);
    MapWriter rooms = MinimalMap();
    rooms.Room(0, 0, {-50, -50, -300}, {50, 50, -200});
    rooms.Room(0, 0, {-50, -50, 200}, {50, 50, 300});
    sandbox.WriteData("maps/test.map", rooms.Bytes());
    Load(kTraceRoomSource);
    sandbox.WriteData("maps/room.map", ReadData("maps/test.map"));
    std::string damaged = MinimalMap().Bytes();
    Poke(damaged, MinimalMap().FieldOffset(kLumpTriangles, 4, 0), 99);
    sandbox.WriteData("maps/bad.map", damaged);
    sandbox.WriteData("default.cfg", "r_drawRooms 1\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        function MapLoad(script, map) Console_Print('MapLoad ', script, ' ', map, '\n') end
        function MapFree() Console_Print('MapFree\n') end
        local steps = {
          [2] = {'test_visibleRooms', 'Screenshot'},
          [3] = {'Map maps/room.map'},
          [5] = {'test_trace 0 50 0 0 -100 0 10 10 10', 'test_trace 0 20 0 0 -100 0 0 10 10', 'test_ray 0 5 0 0 5 600',
                 'test_ray 0 50 0 50 50 0', 'test_colliderAdd 7 50 10 0 1', 'test_colliderCheck 40 10 0 60 10 0 1',
                 'test_pathAdd 3 0 10 0', 'test_pathGetClosest 40 10 40', 'test_pathGetClosest 0 10 400'},
          [6] = {'Map maps/bad.map'},
          [8] = {'Quit'},
        }
        local frame = 0
        function update()
          frame = frame + 1
          for _, command in ipairs(steps[frame] or {}) do Console_Command(command) end
        end)");
    EngineRunOptions options;
    options.input = "\n";  // the test build, which has the commands
    const EngineRun run = sandbox.Run({"-map", "maps/test.map"}, options);

    ASSERT_TRUE(run.Ended(0));
    // A fall stops 0.001 of its way short of the floor and slides no further; a zero radius is refused; the ray stops
    // at the thin wall halfway; the wall hides the waypoint from behind it.
    EXPECT_TRUE(LinesInOrder(
        run.out, {"MapFree", "MapLoad maps/test.lua maps/test.map", "visible rooms: 1", "MapFree",
                  "MapLoad maps/room.lua maps/room.map",
                  "trace hit 1 end 0 10.1001 0 reflected 0 100 0 normal 0 1 0 stepped 0 refused 0 callbacks",
                  "trace hit 0 end 0 20 0 reflected 0 0 0 normal 0 0 0 stepped 0 refused 1 callbacks",
                  "ray 0.499", "ray -1", "collider 7 added", "colliders 7 0.400000 0.600000;", "path 3", "path -1",
                  "MapFree", "Error: maps/bad.map is damaged: triangle 4 names vertex 99, but there are 13.",
                  "Error: Unable to load map maps/bad.map.", " - Map...Done"}))
        << run.out;
    EXPECT_GT(Count(Screenshot(sandbox, 0), [](Rgb c) { return c.r > 200 && c.g < 50 && c.b > 200; }), 100);
}

}  // namespace
