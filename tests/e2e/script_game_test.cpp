// The bundled game, "update" every frame, and script faults ending the engine with a trace.
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(ScriptGame, BundledGameRegistersACommandAndAVariableThatIsSavedAndPlaysItsSounds)
{
    EngineSandbox sandbox;
    sandbox.InstallBundledGame();
    const std::string sayHello = "2 press `\n2 type /Hello\n2 press return\n";
    EngineRunOptions keys;
    keys.input = sayHello + "3 type /g_playerName Ada\n3 press return\n3 type /Hello\n3 press return\n"
                            "4 type /Quit\n4 press return\n";
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_TRUE(run.Ended(0));
    // Keys queued for the third turn of the loop come after two updates.
    EXPECT_TRUE(Contains(run.out, {" - Open the console with `, then type /Hello or /g_playerName [name].\n",
                                   "Hello, stranger! This is frame 2.\n",
                                   " - This game has started 1 time(s), counted in saves/starts.lua.\n"}));
    EXPECT_NE(sandbox.ReadData("default.cfg").find("g_playerName \"Ada\"\n"), std::string::npos);

    // The saved name comes back through cvars.lua's variable and callback, the start count from its file; F2: /Stats.
    keys.input = sayHello + "3 press escape\n3 press f2\n";
    keys.triggers = {SendSignal(" per second.\n", SIGTERM)};
    run = sandbox.Run({}, keys);
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(Contains(run.out, {" - Press F2 or type /Stats for the date and the frame rate.\n",
                                   " - This game has started 2 time(s), counted in saves/starts.lua.\n",
                                   "Hello, Ada! This is frame ", " frames in "}));
    EXPECT_EQ(sandbox.ReadData("saves/starts.lua"), "return 2\n");

    // With the sounds the build made, the chime and the tune are read and played; a player's own F2 binding stays.
    sandbox.WriteData("default.cfg", "unbind all\nbind f2 \"Echo mine\"\nQuit\n");
    run = sandbox.Run({});
    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(LinesInOrder(run.out, {" - Sounds: sounds/starter.sound, 1 sound shader(s) parsed.",
                                       "==== Starting Game ====", " - Sound: sounds/chime.wav", "==== Play Music ====",
                                       " - File: music/theme.ogg", " - Channels: 2", " - Bitrate: 22050",
                                       " - Press [None] or type /Stats for the date and the frame rate."}));
    EXPECT_FALSE(run.Has("Unable to")) << run.out;
    EXPECT_NE(sandbox.ReadData("default.cfg").find("unbind all\nbind f2 \"Echo mine\"\n"), std::string::npos);
}

// A game that cannot go on ends the engine with exit code 1 and says why: a missing main script, one without
// "update", and an error in the third frame's "update" (which runs once a frame until then), with its trace.
TEST(ScriptGame, GamesThatCannotGoOnEndTheEngineSayingWhy)
{
    const struct {
        const char* mainScript;  // nullptr: none
        std::vector<std::string> out;
        const char* err;
    } games[] = {
        {nullptr, {"Error: The game script scripts/game/main.lua is missing or empty."},
         "Error: Unable to execute script file scripts/game/main.lua\n"},
        {"Console_Print('no update here\\n')\n", {"no update here"},
         "Script Error: \"update\" is an undefined function.\n"},
        {"frames = 0\nConsole_Print('main ran\\n')\n"
         "function update()\n  frames = frames + 1\n  Console_Print('frame ', frames, '\\n')\n"
         "  if frames == 3 then\n    local player\n    player.health = 0\n  end\nend\n",
         {"==== Starting Game ====", "main ran", "frame 1", "frame 2", "frame 3",
          "Script Error: scripts/game/main.lua:8: attempt to index local 'player' (a nil value)",
          " - Source: scripts/game/main.lua", " - Function: ? (Line: 8)", "==== Shutdown Engine ===="},
         "==== Fatal Error ====\nError: Scripting error occured, shutting down.\n"},
    };
    for (const auto& game : games) {
        EngineSandbox sandbox;
        if (game.mainScript)
            sandbox.WriteData("scripts/game/main.lua", game.mainScript);
        else
            std::remove(sandbox.DataPath("scripts/game/main.lua").c_str());
        EngineRun run = sandbox.Run({});
        ASSERT_TRUE(run.Ended(1));
        EXPECT_TRUE(LinesInOrder(run.out, game.out));
        EXPECT_NE(run.err.find(game.err), std::string::npos) << run.err;
    }
}

}  // namespace
