// The map change as the console and the scripts see it: the file check, the
// scripts' MapFree/MapLoad calls around "autoexec.cfg" and the loader.
#include "console/enginecommands.h"
#include "script_fixture.h"
#include "sound/soundmanager.h"
#include "support/engine_sandbox.h"
#include "support/fake_audio.h"
#include "world/map.h"

#include <vector>

namespace {

// Stands in for the level loader, printing what it was asked to do.
class RecordingMap : public Map {
public:
    bool Load(const char* path) override
    {
        gConsole->Print("load %s\n", path);
        return succeeds;
    }
    void Free() override { gConsole->Print("free\n"); }
    bool succeeds = true;
};

class MapCommandTest : public ScriptHostTest {
protected:
    void SetUp() override
    {
        ScriptHostTest::SetUp();
        saved = gMap;
        gMap = &map;
        WriteData("maps/test.map", std::string("KRSM") + std::string(200, '\0'));
        WriteData("a.m", std::string("KRSM") + std::string(200, '\0'));
        WriteData("maps/bad.map", "KRS");
        WriteData("autoexec.cfg", "\n");
        Run("function MapFree() Console_Print('MapFree\\n') end\n"
            "function MapLoad(script, map) Console_Print('MapLoad '..script..' '..map..'\\n') end\n"
            "function MapLoadNoEnts(script, map) Console_Print('MapLoadNoEnts '..script..' '..map..'\\n') end\n");
    }
    void TearDown() override
    {
        gMap = saved;
        ScriptHostTest::TearDown();
    }

    RecordingMap map;
    Map* saved = nullptr;
};

TEST_F(MapCommandTest, ChecksTheFileFreesRunsAutoexecLoadsAndTellsTheScripts)
{
    const std::string autoexec = " ^5- ^15Executed file ^13autoexec.cfg^15.";
    const struct {
        const char* file;
        bool entities, loads, result;
        std::vector<std::string> lines, absent;
    } cases[] = {
        {"maps/test.map", true, true, true,
         {"MapFree", "free", autoexec, "load maps/test.map", "MapLoad maps/test.lua maps/test.map"}, {}},
        {"maps/test.map", false, true, true, {"load maps/test.map", "MapLoadNoEnts maps/test.lua maps/test.map"}, {}},
        // Without the magic nothing is freed.
        {"maps/bad.map", true, true, false, {"^1Error: Unable to load map maps/bad.map.^15"}, {"MapFree", "free"}},
        {"maps/missing.map", true, true, false, {"^1Error: Unable to load map maps/missing.map.^15"},
         {"MapFree", "free"}},
        // No script is told of a failed load.
        {"maps/test.map", true, false, false, {"MapFree", autoexec, "^1Error: Unable to load map maps/test.map.^15"},
         {"MapLoad"}},
        {"a.m", true, true, true, {"load a.m"}, {"MapLoad"}},  // too short a name for a map script
    };
    for (const auto& c : cases) {
        map.succeeds = c.loads;
        const std::string printed = PrintedBy([&] { EXPECT_EQ(LoadMap(c.file, c.entities), c.result) << c.file; });
        EXPECT_TRUE(LinesInOrder(printed, c.lines)) << c.file;
        for (const std::string& absent : c.absent)
            EXPECT_EQ(printed.find(absent), std::string::npos) << c.file << ": " << absent;
    }
}

TEST_F(MapCommandTest, TheLoaderReportsMissingAndShortFiles)
{
    Map real;
    WriteData("maps/short.map", "KRSM\3");
    EXPECT_FALSE(real.Load("maps/short.map"));
    EXPECT_FALSE(real.Load("maps/none.map"));
    EXPECT_TRUE(Printed("^1Error: maps/short.map is not a valid map.\n"));
    EXPECT_TRUE(Printed("^1Error: Unable to open map maps/none.map.\n"));
}

// A new map starts in the plain EAX environment, where the sound has one.
TEST_F(MapCommandTest, AMapChangeResetsTheEaxEnvironment)
{
    SoundManager sound(ResetFakeAudio());
    gFakeAudio.eaxReported = true;
    sound.Init(true);
    SoundManager* const global = gSoundManager;
    gSoundManager = &sound;
    sound.SetEAXEnvironment(5);
    LoadMap("maps/test.map", true);
    gSoundManager = global;
    EXPECT_EQ(gFakeAudio.eaxEnvironments, (std::vector<ALuint>{0, 5, 0}));
}

}  // namespace
