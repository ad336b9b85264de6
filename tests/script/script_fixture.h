// A started script host over a fresh console and a temporary data directory, and a way to
// watch the engine stop on a script error without ending the test program.
#pragma once

#include "console/console.h"
#include "engine/engine.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "support/test_console.h"

#include <string>

class ScriptHostTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        gScriptManager->Start();
        RegisterScriptApi();
    }

    void TearDown() override
    {
        gScriptManager->Shutdown();
        ConsoleTest::TearDown();
    }

    // Runs the source as the script file "scripts/test.lua".
    bool Run(const std::string& source)
    {
        WriteData("scripts/test.lua", source);
        return gScriptManager->ExecuteScript("scripts/test.lua");
    }

    // The exit code of running the source, expected to end the engine (0 when it returned), with
    // the fatal message printed as the engine prints it.
    int RunFatal(const std::string& source)
    {
        return RunReportingFatalErrors([&] { Run(source); });
    }

    // The global as a string, "nil" when unset.
    static std::string Global(const char* name)
    {
        lua_State* L = gScriptManager->State();
        lua_getglobal(L, name);
        const char* value = lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1);
        std::string result = value ? value : "?";
        lua_pop(L, 1);
        return result;
    }

    bool Printed(const std::string& text) const { return Text().find(text) != std::string::npos; }
};
