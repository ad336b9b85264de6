// The map with a GL context (its buffer objects) and in the running engine: the -map option, the Map command, the
// shutdown, and the collision operations through the test build's console commands.
#include "compiled_map.h"
#include "engine/glcaps.h"
#include "engine/glentrypoints.h"
#include "minimal_map.h"
#include "render/rendersettings.h"
#include "render/shadermanager.h"
#include "support/engine_sandbox.h"
#include "support/gl_window.h"
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

TEST(MapEngine, MapsLoadFromTheCommandLineAndTheMapCommandAndDamagedOnesAreRefused)
{
    EngineSandbox sandbox;
    sandbox.WriteData("shaders/map.shader", kMinimalMapShaders);
    sandbox.WriteData("maps/test.map", MinimalMap().Bytes());
    std::string damaged = MinimalMap().Bytes();
    Poke(damaged, MinimalMap().FieldOffset(kLumpTriangles, 4, 0), 99);
    sandbox.WriteData("maps/bad.map", damaged);
    sandbox.WriteData("scripts/game/main.lua",
                      "function MapLoad(script, map) Console_Print('MapLoad ', script, ' ', map, '\\n') end\n"
                      "function MapFree() Console_Print('MapFree\\n') end\n"
                      "tried = false\n"
                      "function update()\n"
                      "  if not tried then tried = true Console_Command('Map maps/bad.map') end\n"
                      "end\n");
    EngineRunOptions options;
    options.triggers.push_back(SendSignal("Unable to load map maps/bad.map.", SIGTERM));
    EngineRun run = sandbox.Run({"-map", "maps/test.map"}, options);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {"MapFree", "MapLoad maps/test.lua maps/test.map", "MapFree",
                                       "Error: maps/bad.map is damaged: triangle 4 names vertex 99, but there are 13.",
                                       "Error: Unable to load map maps/bad.map.", " - Map...Done"}))
        << run.out;
}

TEST_F(CompiledMapTest, TracesRaysCollidersAndPathsAnswerOnTheLoadedMap)
{
    EngineSandbox sandbox;
    Load(kTraceRoomSource);
    sandbox.WriteData("maps/room.map", ReadData("maps/test.map"));
    sandbox.WriteData("shaders/test.shader", "clip\n{\n\tsurfaceparm nonsolid\n}\n");
    sandbox.WriteData("scripts/game/main.lua", R"(
        function MapFree() end
        function MapLoad() end
        local commands = {
          'test_trace 0 50 0 0 -100 0 10 10 10',
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
    // A fall stops 0.001 of its way short of the floor and slides no further; a zero radius is refused; the ray stops
    // at the thin wall halfway; the wall hides the waypoint from behind it.
    EXPECT_TRUE(LinesInOrder(
        run.out, {"trace hit 1 end 0 10.1001 0 reflected 0 100 0 normal 0 1 0 stepped 0 refused 0 callbacks",
                  "trace hit 0 end 0 20 0 reflected 0 0 0 normal 0 0 0 stepped 0 refused 1 callbacks",
                  "ray 0.499", "ray -1", "collider 7 added", "colliders 7 0.400000 0.600000;", "path 3", "path -1"}))
        << run.out;
}

}  // namespace
