// Keys reaching the engine: the console opens and closes, typed lines run,
// bound keys run their commands, and bindings survive a restart in
// "default.cfg".
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

TEST(InputKeys, BindingsSurviveARestartAndTheConsoleTakesKeysWhileOpen)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg",
                      "bind F1 \"Echo \\\"bound key ran\\\"\"\n"
                      "bind q Quit\n"
                      "bind mouse0 +attack\n"
                      "g_mouseSensitivity 7\n"
                      "Quit\n");
    EngineRun first = sandbox.Run({});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    const std::string saved = sandbox.ReadData("default.cfg");
    EXPECT_EQ(saved.rfind("#Generated on program exit, modify at own risk.\n"
                          "unbind all\n"
                          "bind q \"Quit\"\n"
                          "bind f1 \"Echo \\\"bound key ran\\\"\"\n"
                          "bind mouse0 \"+attack\"\n"
                          "\n#console variables\n",
                          0),
              0u)
        << saved;
    EXPECT_NE(saved.find("\ng_mouseSensitivity \"7\"\n"), std::string::npos) << saved;

    // Back-quote opens the console, Return runs the typed line, and "q"
    // is text there; once Escape has closed it, F1 runs its binding.
    EngineRunOptions keys;
    keys.input = "1 press `\n"
                 "1 type /Echo console-line-ran\n"
                 "1 press return\n"
                 "2 type q\n"
                 "2 press return\n"
                 "3 press escape\n"
                 "3 press f1\n";
    keys.triggers = {SendSignal("bound key ran", SIGTERM)};
    EngineRun second = sandbox.Run({}, keys);
    ASSERT_FALSE(second.timedOut) << second.out;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(second.Has("\n>/Echo console-line-ran\nconsole-line-ran\n>q\nbound key ran\n")) << second.out;
    EXPECT_EQ(second.out.find("bound key ran"), second.out.rfind("bound key ran"));
    EXPECT_EQ(sandbox.ReadData("default.cfg"), saved);
}

}  // namespace
