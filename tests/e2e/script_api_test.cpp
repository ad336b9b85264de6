// Each family of engine functions called from a main script that checks the results itself (input: input_test).
#include "support/engine_sandbox.h"
#include "support/zip_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Compares each result with what the engine should give and prints only mismatches; numbers in tables are rounded to
// two places because lengths and normalisation use the engine's fast estimates.
constexpr const char* kFamiliesGame = R"lua(
local function rounded(x)
    local v = math.floor(x * 100 + 0.5) / 100
    if v == 0 then v = 0 end  -- no "-0"
    return tostring(v)
end
function list(t)
    local parts = {}
    for i = 1, table.getn(t) do
        parts[i] = type(t[i]) == 'number' and rounded(t[i]) or t[i]
    end
    return '{' .. table.concat(parts, ',') .. '}'
end
function expect(label, got, want)
    if tostring(got) ~= want then Console_Print('MISMATCH ', label, ': ', tostring(got), ' instead of ', want, '\n') end
end

expect('screen', screen.width .. 'x' .. screen.height .. ' ' .. screen.widthHalf .. 'x' .. screen.heightHalf,
       '640x480 320x240')
local a = {1, 2, 3}
expect('Vector_Add number', list(Vector_Add(a, 10)), '{11,12,13}')
expect('Vector_Add vector', list(Vector_Add(a, {0.5, 0.5, 0.5, 'ignored'})), '{1.5,2.5,3.5}')
expect('Vector_Subtract', list(Vector_Subtract(a, {1, 1, 1})), '{0,1,2}')
expect('Vector_Multiply', list(Vector_Multiply(a, {2, 3, 4})), '{2,6,12}')
expect('Vector_Divide', list(Vector_Divide(a, 2)), '{0.5,1,1.5}')
expect('Vector_Length', list({Vector_Length({3, 4, 0})}), '{5}')
expect('Vector_Normalize', list(Vector_Normalize({0, 3, 4})), '{0,0.6,0.8}')
expect('Vector_Resize', list(Vector_Resize({0, 3, 4}, 10)), '{0,6,8}')
expect('vector argument', list(a), '{1,2,3}')

local m = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}
expect('Matrix_Transpose', list(Matrix_Transpose(m)), '{1,5,9,13,2,6,10,14,3,7,11,15,4,8,12,16}')
expect('Matrix_TransposeRotation', list(Matrix_TransposeRotation(m)), '{1,5,9,4,2,6,10,8,3,7,11,12,13,14,15,16}')
expect('matrix argument', list(m), '{1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16}')
local moved = Matrix_Translate(Matrix_Identity(), {1, 2, 3})
expect('Matrix_Translate', list(moved), '{1,0,0,0,0,1,0,0,0,0,1,0,-1,-2,-3,1}')
expect('Matrix_TransformVector', list(Matrix_TransformVector(moved, {1, 1, 1})), '{0,-1,-2}')
expect('Matrix_RotateVector', list(Matrix_RotateVector(Matrix_Rotate(Matrix_Identity(), {0, 90, 0}), {1, 0, 0})),
       '{0,0,-1}')
expect('Matrix_LookAt', list(Matrix_LookAt({0, 0, 0}, {10, 0, 0})), '{0,0,-1,0,0,1,0,0,1,0,0,0,0,0,0,1}')

System_SaveFile('saves/slot1.txt', 'no directory yet')
System_MakeDir('saves')
System_MakeDir('saves')
System_SaveFile('saves/slot1.txt', 'level 3')
System_SaveFile('saves/slot1.txt', 'level 4')
expect('System_FileExists', System_FileExists('saves/slot1.txt') .. System_FileExists('saves/none.txt'), '10')
-- Archive members follow the plain files, in the archive's order.
expect('System_GetFiles', list(System_GetFiles('saves/*')), '{saves/slot1.txt,saves/z.txt,saves/a.txt}')
expect('System_GetFiles nothing', table.getn(System_GetFiles('*.none')), '0')
expect('System_DeleteFile missing', System_DeleteFile('saves/none.txt'), '0')
System_SaveFile('saves/scratch.txt', '')
expect('System_DeleteFile', System_DeleteFile('saves/scratch.txt') .. System_FileExists('saves/scratch.txt'), '10')
System_SaveFile('../outside.txt', 'escaped')
System_MakeDir('../outside')
expect('refused delete', System_DeleteFile('/etc/hostname'), '0')
expect('refused list', table.getn(System_GetFiles('../*')), '0')
System_SaveFile('scripts/extra.lua', "Console_Print('extra script ran\\n')")
expect('System_ExecuteScript', System_ExecuteScript('scripts/extra.lua') .. System_ExecuteScript('scripts/none.lua'),
       '10')
expect('System_Date', System_Date('%%Y: ') .. tostring(string.find(System_Date('%Y-%m-%d'), '^%d%d%d%d%-%d%d%-%d%d$')),
       '%Y: 1')
expect('System_Date lengths', string.len(System_Date(string.rep('x', 1023))) .. ' ' ..
       string.len(System_Date(string.rep('x', 1024))) .. ' ' .. string.len(System_Date(string.rep('%Y', 400))),
       '1023 0 0')
expect('System_GetFSAA', System_GetFSAA(), '0')
expect('overlay before', list(System_GetScreenOverlay()), '{0,0,0,0}')
System_SetScreenOverlay({0.25, 0.5, 0.75, 1, 'extra'})
expect('overlay after', list(System_GetScreenOverlay()), '{0.25,0.5,0.75,1}')

expect('Console_StripCodes', Console_StripCodes('^1red ^15white'), 'red white')
Console_AddVariable('g_speed', 'F', 0, 0, 1, '')
Console_Command('g_speed 2.5')
expect('Console_GetVariable', Console_GetVariable('g_speed') .. ' ' .. Console_GetVariable('r_fsaaMode') .. ' ' ..
       tostring((Console_GetVariable('g_unknown'))), '2.500000 0 nil')
function Params()
    expect('parameters', Console_GetNumParameters() .. ' ' .. Console_GetParameter(0) .. ' ' .. Console_GetParameter(2),
           '3 params two words')
    expect('beyond', (Console_GetParameter(3)), 'nil')
end
Console_AddCommand('Params', 'Params', '')
Console_Command('params one "two words"')

local dx, dy = MouseChange()
expect('MouseChange', type(dx) .. ' ' .. type(dy), 'number number')
expect('GetFrameTime', GetFrameTime() > 0, 'true')
expect('Input_GetBoundKeys', table.concat({Input_GetBoundKeys('QUIT')}, ' '), 'Q F5')
expect('Input_WaitingForInput', Input_WaitingForInput(), '0')
expect('KeyPressed', KeyPressed('+nothing') .. Input_KeyPressed('quit'), '00')
Console_Print('main script done\n')

function BadCall()
    local sum = Vector_Add({1, 2, 3}, {1, 2})
    return sum
end
)lua";

TEST(ScriptApi, CoreFamiliesFromAGameScriptAndAnArgumentErrorEndingIt)
{
    EngineSandbox sandbox;
    // The two lowest codes bound to a command, whatever the case of its name.
    sandbox.WriteData("default.cfg", "bind f5 quit\nbind mouse1 QUIT\nbind q Quit\n");
    sandbox.WriteData("pack.pk3", ZipWriter().Add("saves/z.txt", "").Add("saves/a.txt", "").Finish().bytes);
    sandbox.WriteMainScript(kFamiliesGame, {{2, "BadCall()"}});
    EngineRun run = sandbox.Run({});

    ASSERT_TRUE(run.Ended(1));
    EXPECT_FALSE(run.Has("MISMATCH")) << run.out;
    // Ending with the second frame's call of Vector_Add with a two-element table.
    EXPECT_TRUE(LinesInOrder(run.out, {"Error: Unable to save file saves/slot1.txt.",
                                       "Error: ../outside.txt is not a file name inside the data directory.",
                                       "extra script ran",
                                       "Error: Parameter index provided is greater than number of parameters!",
                                       "main script done", "Script Error: Invalid function argument.",
                                       " - Error occured in C function. Stack tracing...", " - C Function: Vector_Add",
                                       " - Source: scripts/game/main.lua", " - Function: BadCall (Line: 93)"}));
    EXPECT_EQ(sandbox.ReadData("saves/slot1.txt"), "level 4");
    EXPECT_FALSE(std::filesystem::exists(sandbox.DataPath("../outside.txt")));
    EXPECT_FALSE(std::filesystem::exists(sandbox.DataPath("../outside")));
}

}  // namespace
