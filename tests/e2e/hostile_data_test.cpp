// Settings, archives, links and scripts a mod or a bad setting brings: each refused or survived with one clear line,
// and nothing outside the data directory changes.
#include "support/engine_sandbox.h"
#include "support/hostile_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

// Every file of the sandbox outside its data directory, but the run's own, with its size.
std::map<std::string, uintmax_t> OutsideData(const EngineSandbox& sandbox)
{
    namespace fs = std::filesystem;
    const fs::path data = fs::path(sandbox.DataPath()).parent_path();
    std::map<std::string, uintmax_t> files;
    for (fs::recursive_directory_iterator it(data.parent_path()), end; it != end; ++it) {
        const std::string name = it->path().filename().string();
        if (it->path() == data)
            it.disable_recursion_pending();
        else if (name != "stdout.txt" && name != "stderr.txt" && name != "input.txt")
            files[it->path().string()] = it->is_regular_file() ? it->file_size() : 0;
    }
    return files;
}

}  // namespace

// A saved mode the display has no visual for steps down instead of stopping every start; the working mode is saved.
TEST(HostileData, AWindowModeTheDisplayCannotMakeFallsBackAndIsNotSavedAgain)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "r_fsaaMode 16\nr_gamma 7\nbind f5 \"Stats\"\nQuit\n");
    const auto outside = OutsideData(sandbox);
    EngineRun run = sandbox.Run({});
    EXPECT_EQ(OutsideData(sandbox), outside);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("Warning: Unable to create a 640x480 window with 16x antialiasing (Couldn't find matching "
                        "GLX visual); trying a 640x480 window without antialiasing\n")) << run.out;
    EXPECT_TRUE(Contains(sandbox.ReadData("default.cfg"), {"r_fsaaMode \"0\"", "r_gamma \"7\"", "bind f5 \"Stats\""}));

    // A full-screen size beyond the display goes back to the default window, as does one SDL refuses half way.
    sandbox.WriteData("default.cfg", "r_screenWidth 1600\nr_screenHeight 1200\nr_screenFull 1\nQuit\n");
    run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("trying a 640x480 window without antialiasing\n")) << run.out;
    EXPECT_NE(sandbox.ReadData("default.cfg").find("r_screenFull \"0\""), std::string::npos);
    sandbox.WriteData("default.cfg", "Quit\n");
    run = sandbox.Run({"-width", "100000", "-height", "100000"});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("Warning: Unable to create a 100000x100000 window without antialiasing")) << run.out;
}

// A script that floods memory meets Lua's "not enough memory" at the state's cap, and when the process itself runs
// out first, the way out still has room: either way the cause, where it happened and error.log are written.
TEST(HostileData, AScriptThatExhaustsMemoryIsReportedWithItsTrace)
{
    EngineSandbox sandbox;
    sandbox.WriteData("scripts/game/main.lua", "collectgarbage('stop')\nlocal t = {}\n"
                                               "for i = 1, 1e9 do t[i] = {i, 'x' .. i} end\n");
    const auto expectReported = [&](const EngineRun& run) {
        ASSERT_TRUE(run.Ended(1));
        EXPECT_TRUE(LinesInOrder(run.out, {"Script Error: not enough memory", " - Source: scripts/game/main.lua",
                                           " - Function: main chunk (Line: 3)"})) << run.out;
        EXPECT_NE(run.err.find("Error: Scripting error occured, shutting down."), std::string::npos) << run.err;
        EXPECT_NE(sandbox.ReadData("error.log").find("Script Error: not enough memory"), std::string::npos);
    };
    sandbox.WriteData("default.cfg", "script_memoryLimit 32\n");
    const auto outside = OutsideData(sandbox);
    expectReported(sandbox.Run({}));
    EXPECT_EQ(OutsideData(sandbox), outside);

#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit leaves";
#else
    sandbox.WriteData("default.cfg", "script_memoryLimit 65536\n");
    EngineRunOptions limited;
    limited.addressSpaceLimit = size_t(700) << 20;
    // Without sound: OpenAL Soft 1.19 uses an allocation it did not check in alcCreateContext when the address space
    // runs short, and crashes there now and then; the script's memory is what this run is about.
    expectReported(sandbox.Run({"-nosound"}, limited));
#endif
}

// Every hostile input of every loader in one run: each is refused with its line, the engine goes on to a normal exit
// and nothing outside changed. Links in the data directory may be read through, but nothing written, made or deleted
// through them lands outside it; link cycles end the search.
TEST(HostileData, EveryKnownHostileInputIsRefusedByNameAndLinksOutAreReadOnly)
{
    namespace fs = std::filesystem;
    EngineSandbox sandbox;
    std::string loads;
    for (const HostileInput& input : HostileInputs()) {
        WriteFile(sandbox.DataPath(input.file), input.bytes);
        if (!input.load.empty())
            loads += input.load + "\n";
    }
    sandbox.WriteData("default.cfg", loads + "Quit\n");
    const fs::path outside = fs::path(sandbox.DataPath()).parent_path().parent_path() / "outside";
    WriteFile((outside / "victim.txt").string(), "keep me");
    WriteFile((outside / "target.txt").string(), "readable");
    fs::create_directories(sandbox.DataPath("saves"));
    const std::pair<const char*, fs::path> links[] = {{"outlink", outside}, {"leak.txt", outside / "target.txt"},
                                                      {"inlink", "saves"}, {"loop1", "."}, {"loop2", "."}};
    for (const auto& [link, target] : links)
        fs::create_symlink(target, sandbox.DataPath(link));
    sandbox.WriteData("shaders/a.shader", "");
    sandbox.WriteData("scripts/game/main.lua", R"(
        System_SaveFile('outlink/new.txt', 'x')
        System_SaveFile('leak.txt', 'x')
        System_MakeDir('outlink/newdir')
        Console_Print('deleted ' .. System_DeleteFile('outlink/victim.txt') .. '\n')
        Console_Command('SaveBuffer outlink/buffer.txt')
        System_SaveFile('inlink/inside.txt', 'inside')
        Console_Print('found ' .. table.getn(System_GetFiles('*a.shader')) .. '\n')
        function MapFree() end
        function MapLoad() end
        function update() end)");
    const auto outsideBefore = OutsideData(sandbox);
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(0));
    EXPECT_EQ(OutsideData(sandbox), outsideBefore);
    for (const HostileInput& input : HostileInputs())
        EXPECT_TRUE(LinesInOrder(run.out, {input.refusal})) << input.what << "\n" << run.out;
    EXPECT_TRUE(LinesInOrder(run.out, {"Error: outlink/new.txt is not a file name inside the data directory.",
                                       "Error: leak.txt is not a file name inside the data directory.",
                                       "Error: outlink/newdir is not a file name inside the data directory.",
                                       "Error: outlink/victim.txt is not a file name inside the data directory.",
                                       "deleted 0", "Error: Unable to save console buffer to outlink/buffer.txt",
                                       "found 1"})) << run.out;
    EXPECT_EQ(sandbox.ReadData("saves/inside.txt"), "inside");
}
