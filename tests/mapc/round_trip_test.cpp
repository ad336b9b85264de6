// The demo map source through the tools as a user runs them: mapc compiles it, mapdump --check passes it with the
// loader's own checks, and the engine loads it; damaged or bad input makes each tool fail with its message.
#include "support/screenshots.h"
#include "support/shader_console_test.h"
#include "world/map.h"
#include "world/mapformat.h"
#include "world/minimal_map.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int exitCode;
    std::string out;
};

class MapRoundTrip : public ShaderConsoleTest {
protected:
    void TearDown() override
    {
        map.Free();
        ShaderConsoleTest::TearDown();
    }
    ToolRun RunTool(const std::string& command)
    {
        const int status = std::system((command + " > " + dataDirectory + "/printed.txt 2>&1").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadData("printed.txt")};
    }

    Map map;
};

TEST_F(MapRoundTrip, TheDemoCompilesPassesTheCheckAndLoadsAndABadSourceLeavesNoFile)
{
    const std::string output = dataDirectory + "/maps/demo.map";
    std::filesystem::create_directories(dataDirectory + "/maps");
    ToolRun run = RunTool(std::string(MAPC_EXECUTABLE " ") + MORVATHEN_SOURCE_DATA "/maps/demo.txt " + output);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "");
    run = RunTool(std::string(MAPDUMP_EXECUTABLE " --check ") + output);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, output + ": sound\n");
    run = RunTool(std::string(MAPDUMP_EXECUTABLE " ") + output + " meshes");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("meshes 1: brushes 17 +1 surfaces"), std::string::npos) << run.out;

    ASSERT_TRUE(map.Load("maps/demo.map")) << Text();
    ASSERT_EQ(map.meshes().size(), 2u);
    EXPECT_EQ(map.FindMesh("*1"), 1);
    EXPECT_EQ(map.rooms().size(), 2u);
    ASSERT_NE(map.bspRoot(), nullptr);
    const MapMesh& door = map.meshes()[1];
    ASSERT_EQ(door.brushes.size(), 1u);
    EXPECT_EQ(door.brushes[0]->flags, 1);
    EXPECT_TRUE(door.surfaces[0].movable);

    // The first triangle's first corner far beyond the vertices: the dump's check reports the loader's fault.
    std::string damaged = ReadFile(output);
    uint32_t triangles;
    memcpy(&triangles, &damaged[8 + kLumpTriangles * 8], sizeof(triangles));
    Poke(damaged, triangles, 1u << 30);
    WriteFile(output, damaged);
    run = RunTool(std::string(MAPDUMP_EXECUTABLE " --check ") + output);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find(": triangle 0 names vertex 1073741824, but there are"), std::string::npos) << run.out;

    WriteData("bad.txt", "mesh 0\n{\n\tbrush\n\t{\n\t\tbox 0 0 0 8 8 8\n\t\tcolor 1 0 0\n\t}\n}\n");
    run = RunTool(std::string(MAPC_EXECUTABLE " ") + dataDirectory + "/bad.txt " + dataDirectory + "/bad.map");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Error: Unknown Command (bad.txt, line: 6).\nError: Unable to compile map bad.txt.\n");
    EXPECT_FALSE(std::filesystem::exists(dataDirectory + "/bad.map"));
}

// At its first start the starter game shows the demo map lit by its two lamps with shadows on: the west lamp's pillar
// darkens the wall behind it.
TEST(DemoMap, TheStarterGameShowsTheBuiltDemoMapLitAndShadowed)
{
    EngineSandbox sandbox;
    sandbox.InstallBundledGame();
    sandbox.WriteData("maps/demo.map", ReadFile(DEMO_MAP));
    EngineRunOptions options;
    options.input = "30 press `\n31 type /test_scene\n32 press return\n33 type /bind x Screenshot\n"
                    "34 press return\n35 press `\n40 press x\n";
    options.triggers.push_back(SendSignal("Saved screenshot", SIGTERM));
    const EngineRun run = sandbox.Run({}, options);
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has(" - Level maps/demo.map loaded.\n")) << run.out;
    EXPECT_TRUE(run.Has("triangles, 2 lights")) << run.out;
    const Image shot = Screenshot(sandbox, 0);
    ASSERT_FALSE(shot.pixels.empty());
    const auto red = [&shot](int x, int y) {
        return int(shot.pixels[size_t((y * shot.width + x) * shot.bytesPerPixel)]);
    };
    // The wall behind the pillar (rows from the bottom), in its shadow and in the light to the left.
    EXPECT_LT(red(255, 200) * 2, red(200, 200));
    EXPECT_GT(red(200, 200), 100);
}

}  // namespace
