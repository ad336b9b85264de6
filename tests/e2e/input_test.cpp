// Keys reaching the engine: the console opens and closes, typed lines run,
// bound keys run their commands, and the bindings are saved in "default.cfg".
#include "support/engine_sandbox.h"

#include <gtest/gtest.h>

namespace {

TEST(InputKeys, TheConsoleTakesKeysWhileOpenAndBindingsRunAndAreSaved)
{
    EngineSandbox sandbox;
    sandbox.WriteData("default.cfg", "bind F1 \"Echo \\\"bound key ran\\\"\"\nbind q Quit\nbind mouse0 +attack\n");
    // Back-quote opens the console, Return runs the typed line, and "q"
    // is text there; once Escape has closed it, F1 runs its binding.
    EngineRunOptions keys;
    keys.input = "1 press `\n1 type /Echo console-line-ran\n1 press return\n2 type q\n2 press return\n"
                 "3 press escape\n3 press f1\n";
    keys.triggers = {SendSignal("bound key ran", SIGTERM)};
    EngineRun run = sandbox.Run({}, keys);

    ASSERT_TRUE(run.Ended(0));
    EXPECT_TRUE(run.Has("\n>/Echo console-line-ran\nconsole-line-ran\n>q\nbound key ran\n")) << run.out;
    EXPECT_EQ(run.out.find("bound key ran"), run.out.rfind("bound key ran"));
    // In code order, quoted so that they read back unchanged.
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
}

}  // namespace
