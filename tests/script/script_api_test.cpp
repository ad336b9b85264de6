// The argument readers of the engine functions, and argument errors of each
// kind ending the engine with the name of the function.
#include "script_fixture.h"
#include "script/scriptvalue.h"

namespace {

TEST(ScriptValueTest, TablesNeedTheirSizeAndNumbersUpToIt)
{
    lua_State* L = luaL_newstate();
    auto push = [L](const char* source) {
        luaL_dostring(L, (std::string("return ") + source).c_str());
    };
    Vector v{};
    Colour colour{};
    Matrix m{};
    float number;

    push("{1, 2}");
    EXPECT_FALSE(ScriptValue(L).GetVector(v)) << "two elements are no vector";
    push("{1, 2, 3, 'extra'}");
    const ScriptValue four(L);
    EXPECT_TRUE(four.GetVector(v) && v.x == 1 && v.y == 2 && v.z == 3) << "the fourth element is ignored";
    EXPECT_FALSE(four.GetColour(colour)) << "but a colour needs it to be a number";
    push("{1, '2', 3}");
    EXPECT_FALSE(ScriptValue(L).GetVector(v)) << "elements are numbers, not strings that look like them";
    push("setmetatable({}, {__index = function() return 1 end, __len = function() return 3 end})");
    EXPECT_FALSE(ScriptValue(L).GetVector(v)) << "no metamethods run";
    push("{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}");
    const ScriptValue seventeen(L);
    EXPECT_TRUE(seventeen.GetMatrix(m) && m.m[0] == 1 && m.m[15] == 16);
    EXPECT_TRUE(seventeen.GetColour(colour) && colour.alpha == 4);
    EXPECT_FALSE(seventeen.GetFloat(number));
    push("{0.25, 0.5, 0.75}");
    EXPECT_FALSE(ScriptValue(L).GetColour(colour));
    EXPECT_EQ(lua_gettop(L), 0) << "each read removed its value";
    lua_close(L);
}

TEST(ScriptValueTest, NumbersReadAsTextAndFlags)
{
    lua_State* L = luaL_newstate();
    std::string text;
    bool flag = false;
    lua_pushnumber(L, 2.5);
    EXPECT_TRUE(ScriptValue(L).GetString(text) && text == "2.5");
    lua_pushnumber(L, 1e15);
    EXPECT_TRUE(ScriptValue(L).GetString(text) && text == "1e+15") << "written as the library writes it";
    lua_pushnumber(L, 1);
    EXPECT_TRUE(ScriptValue(L).GetFlag(flag) && flag);
    lua_pushnumber(L, 2);
    EXPECT_TRUE(ScriptValue(L).GetFlag(flag) && !flag) << "only 1 is true";
    lua_pushstring(L, "1");
    EXPECT_FALSE(ScriptValue(L).GetFlag(flag));
    lua_pushboolean(L, 1);
    EXPECT_FALSE(ScriptValue(L).GetString(text));
    lua_close(L);
}

TEST_F(ScriptHostTest, ArgumentsOfTheWrongKindEndTheEngineNamingTheFunction)
{
    const std::pair<const char*, const char*> calls[] = {
        {"Vector_Add", "Vector_Add({1, 2, 3}, {1, 2})"},
        {"Vector_Resize", "Vector_Resize({1, 2, 3})"},
        {"Matrix_Transpose", "Matrix_Transpose({1, 2, 3})"},
        {"System_SetScreenOverlay", "System_SetScreenOverlay({1, 1, 1})"},
        {"System_SaveFile", "System_SaveFile('name.txt', nil)"},
        {"Input_LockCursor", "Input_LockCursor('yes')"},
        {"Input_BindNextInput", "Input_BindNextInput('', 'a')"},
        {"KeyPressed", "KeyPressed()"},
        {"Console_Command", "Console_Command({})"},
        {"Console_GetParameter", "Console_GetParameter('first')"},
    };
    for (const auto& [function, call] : calls) {
        gScriptManager->Start();
        RegisterScriptApi();
        EXPECT_EQ(RunFatal(std::string("x = 1\n") + call + "\n"), 1) << call;
        EXPECT_TRUE(Printed(std::string("^1Script Error: Invalid function argument.\n"
                                        "^1 - Error occured in C function. Stack tracing...\n"
                                        "^1 - C Function: ") + function + "\n^1 - Source: scripts/test.lua\n"
                                        "^1 - Function: main chunk (Line: 2)\n"))
            << call << "\n" << Text();
    }
}

TEST_F(ScriptHostTest, FsaaIsTheSampleCountOfTheWindow)
{
    // Multisampled windows are slow to make on the software renderer, so
    // the engine-level tests leave it off.
    gEngine->antialiasSamples = 4;
    ASSERT_TRUE(Run("samples = System_GetFSAA()"));
    gEngine->antialiasSamples = 0;
    EXPECT_EQ(Global("samples"), "4");
}

}  // namespace
