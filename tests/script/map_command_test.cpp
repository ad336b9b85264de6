// The map change as the console and the scripts see it: the file check, the
// scripts' MapFree/MapLoad calls around "autoexec.cfg" and the loader.
#include "console/enginecommands.h"
#include "script_fixture.h"
#include "world/map.h"

#include <gtest/gtest.h>

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
        WriteData("autoexec.cfg", "Echo autoexec\n");
        Run("function MapFree() Console_Print('MapFree') end\n"
            "function MapLoad(script, map) Console_Print('MapLoad '..script..' '..map) end\n"
            "function MapLoadNoEnts(script, map) Console_Print('MapLoadNoEnts '..script..' '..map) end\n");
    }
    void TearDown() override
    {
        gMap = saved;
        ScriptHostTest::TearDown();
    }

    // True when the pieces appear in the console text in this order.
    bool InOrder(const std::vector<std::string>& pieces) const
    {
        const std::string text = Text();
        size_t at = 0;
        for (const std::string& piece : pieces) {
            at = text.find(piece, at);
            if (at == std::string::npos)
                return false;
            at += piece.size();
        }
        return true;
    }

    RecordingMap map;
    Map* saved = nullptr;
};

TEST_F(MapCommandTest, FreesRunsAutoexecLoadsAndTellsTheScripts)
{
    EXPECT_TRUE(LoadMap("maps/test.map", true));
    EXPECT_TRUE(
        InOrder({"MapFree", "free", "autoexec", "load maps/test.map", "MapLoad maps/test.lua maps/test.map"}))
        << Text();

    EXPECT_TRUE(LoadMap("maps/test.map", false));
    EXPECT_TRUE(Printed("MapLoadNoEnts maps/test.lua maps/test.map"));
}

TEST_F(MapCommandTest, AFileWithoutTheMagicIsRefusedBeforeAnythingIsFreed)
{
    WriteData("maps/bad.map", "KRS");
    EXPECT_FALSE(LoadMap("maps/bad.map", true));
    EXPECT_FALSE(LoadMap("maps/missing.map", true));
    EXPECT_TRUE(Printed("^1Error: Unable to load map maps/bad.map.^15\n"));
    EXPECT_TRUE(Printed("^1Error: Unable to load map maps/missing.map.^15\n"));
    EXPECT_FALSE(Printed("MapFree"));
    EXPECT_FALSE(Printed("free"));
}

TEST_F(MapCommandTest, AFailedLoadIsReportedAndNoScriptIsToldOfIt)
{
    map.succeeds = false;
    EXPECT_FALSE(LoadMap("maps/test.map", true));
    EXPECT_TRUE(InOrder({"MapFree", "autoexec", "^1Error: Unable to load map maps/test.map.^15\n"}));
    EXPECT_FALSE(Printed("MapLoad"));
}

TEST_F(MapCommandTest, ShortNamesLoadWithoutAMapScript)
{
    WriteData("a.m", std::string("KRSM") + std::string(200, '\0'));
    EXPECT_TRUE(LoadMap("a.m", true));
    EXPECT_FALSE(Printed("MapLoad"));
}

TEST_F(MapCommandTest, TheLoaderChecksTheHeader)
{
    Map real;
    std::string version2 = std::string("KRSM") + std::string(1, '\2') + std::string(150, '\0');
    WriteData("maps/old.map", version2);
    WriteData("maps/short.map", "KRSM\3");
    EXPECT_FALSE(real.Load("maps/old.map"));
    EXPECT_FALSE(real.Load("maps/short.map"));
    EXPECT_FALSE(real.Load("maps/none.map"));
    EXPECT_TRUE(Printed("^1Error: maps/old.map has an invalid version! (expected 3, got 2).\n"));
    EXPECT_TRUE(Printed("^1Error: maps/short.map is not a valid map.\n"));
    EXPECT_TRUE(Printed("^1Error: Unable to open map maps/none.map.\n"));
}

}  // namespace
