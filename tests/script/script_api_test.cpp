// The argument readers of the engine functions, and argument errors of each kind ending the
// engine with the function's name (the whole trace is the engine-level script API test's).
#include "script_fixture.h"
#include "script/scriptvalue.h"
#include "world/camera.h"

namespace {

// The value of a Lua expression, taken from the stack.
ScriptValue Value(lua_State* L, const std::string& expression)
{
    luaL_dostring(L, ("return " + expression).c_str());
    return ScriptValue(L);
}

// The cases the engine functions' own argument checks below do not reach.
TEST(ScriptValueTest, EachReaderTakesOnlyItsKindAndRemovesTheValue)
{
    lua_State* L = luaL_newstate();
    Vector vector;
    Matrix matrix;
    Colour colour;
    float number;
    std::string text;
    bool flag;
    int integer;
    void* pointer = nullptr;
    EXPECT_FALSE(Value(L, "{1, '2', 3}").GetVector(vector)) << "numbers, not strings that look like them";
    EXPECT_FALSE(Value(L, "setmetatable({}, {__index = function() return 1 end, __len = function() return 3 end})")
                     .GetVector(vector)) << "no metamethods run";
    const ScriptValue seventeen = Value(L, "{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}");
    EXPECT_TRUE(seventeen.GetMatrix(matrix) && matrix.m[0] == 1 && matrix.m[15] == 16);
    EXPECT_TRUE(seventeen.GetColour(colour) && colour.red == 1 && colour.alpha == 4);
    EXPECT_FALSE(seventeen.GetFloat(number));
    EXPECT_TRUE(Value(L, "1e15").GetString(text) && text == "1e+15") << "written as the library writes it";
    EXPECT_FALSE(Value(L, "true").GetString(text));
    EXPECT_TRUE(Value(L, "1").GetFlag(flag) && flag);
    EXPECT_TRUE(Value(L, "2").GetFlag(flag) && !flag) << "only 1 is true";
    EXPECT_TRUE(Value(L, "-2.75").GetInt(integer) && integer == -2);
    EXPECT_FALSE(Value(L, "3e10").GetInt(integer)) << "no int holds it";
    EXPECT_TRUE(Value(L, "0").GetPointer(pointer) && pointer == nullptr);
    lua_pushlightuserdata(L, &integer);
    EXPECT_TRUE(ScriptValue(L).GetPointer(pointer) && pointer == &integer);
    EXPECT_EQ(lua_gettop(L), 0) << "each read removed its value";
    lua_close(L);
}

TEST_F(ScriptHostTest, ArgumentsOfTheWrongKindEndTheEngineNamingTheFunction)
{
    // Each call names its function first.
    const char* calls[] = {
        "Vector_Add({1, 2, 3}, {1, 2})", "Vector_Resize({1, 2, 3})", "Matrix_Transpose({1, 2, 3})",
        "System_SetScreenOverlay({1, 1, 1})", "System_SaveFile('name.txt', nil)", "Input_LockCursor('yes')",
        "Input_BindNextInput('', 'a')", "KeyPressed()", "Console_Command({})", "Console_AddCommand('a', 'b', {})",
        "Console_AddVariable('g_zero', 'S', 0, 0, 0, '')",  // no length below 1
        "Camera_MoveTo({1, 2, 3}, 1)", "Console_GetParameter('first')",
    };
    for (const std::string call : calls) {
        gScriptManager->Start();
        RegisterScriptApi();
        const std::string function = call.substr(0, call.find('('));
        const size_t mark = Text().size();
        EXPECT_EQ(RunFatal("x = 1\n" + call + "\n"), 1) << call;
        EXPECT_NE(Text().find("^1 - C Function: " + function + "\n", mark), std::string::npos) << call;
    }
}

// The camera as scripts see it: set and read back, looked round, and sent on timed moves whose two numbers are a start
// time and a duration in seconds, handed on as whole milliseconds.
TEST_F(ScriptHostTest, CameraFunctionsPlaceTurnAndTimeTheFrameCamera)
{
    ASSERT_TRUE(Run("Camera_SetPosition({1, 2, 3})\nCamera_SetRotation({10, 20, 0})\n"
                    "local p, r = Camera_GetPosition(), Camera_GetRotation()\n"
                    "seen = table.concat(p, ' ') .. ' / ' .. table.concat(r, ' ')\n"
                    "Camera_LookAt({14, 2, 3})\nlocal l = Camera_GetRotation()\n"
                    "seen = seen .. ' / ' .. string.format('%.1f %.1f %.1f', l[1] + 0, l[2], l[3])\n"
                    "Camera_MoveTo({11, 2, 3}, 1.5, 2.0009)\nCamera_RotateTo({0, 90, 0}, 0, 0)\n"));
    EXPECT_EQ(Global("seen"), "1 2 3 / 10 20 0 / 0.0 90.0 0.0");
    EXPECT_TRUE(gCamera->moving());
    EXPECT_EQ(gCamera->angles().y, 90.0f) << "a turn of no duration is there at once";
    gCamera->Update(2500);
    EXPECT_EQ(gCamera->position().x, 6.0f) << "half of 2000 ms from 1500 ms on";
    gCamera->Update(3500);
    EXPECT_FALSE(gCamera->moving());
    ASSERT_TRUE(Run("Camera_MoveTo({0, 0, 0}, 0/0, 1)\n"));
    EXPECT_TRUE(!gCamera->moving() && gCamera->position().x == 11.0f) << "a NaN time starts nothing";
}

}  // namespace
