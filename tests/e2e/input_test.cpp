// Keys typed into the engine's window through the X test extension: the
// console opens and closes, typed lines run, bound keys run their commands,
// and bindings survive a restart in "default.cfg".
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

TEST(InputKeys, BackQuoteOpensTheConsoleReturnRunsTheLineAndEscapeClosesIt)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind q \"Echo bound-key-ran\"\n");
    EngineRunOptions options;
    options.timeoutMs = 30000;
    // While the console is open "q" is text; once Escape has closed it the
    // binding runs.
    options.triggers.push_back(UseKeyboard("==== Starting Game ====",
                                           {"key grave", "type --delay 30 '/Echo console-line-ran'", "key Return",
                                            "type q", "key Return", "key Escape", "key q"}));
    options.triggers.push_back(SendSignal("bound-key-ran", SIGTERM));
    EngineRun run = sandbox.Run({}, options);

    ASSERT_FALSE(run.timedOut) << run.out;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const size_t typed = run.Find("\n>/Echo console-line-ran\nconsole-line-ran\n>q\nbound-key-ran\n");
    EXPECT_NE(typed, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("bound-key-ran"), run.out.rfind("bound-key-ran"));
}

TEST(InputKeys, BindingsAreSavedAtExitAndWorkAfterARestart)
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

    EngineRunOptions options;
    options.timeoutMs = 30000;
    options.triggers.push_back(UseKeyboard("==== Starting Game ====", {"key F1"}));
    options.triggers.push_back(SendSignal("bound key ran", SIGTERM));
    EngineRun second = sandbox.Run({}, options);
    ASSERT_FALSE(second.timedOut) << second.out;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_NE(second.Find("\nbound key ran\n", second.Find("==== Starting Game ====")), std::string::npos)
        << second.out;
    EXPECT_EQ(sandbox.ReadData("default.cfg"), saved);
}

}  // namespace
