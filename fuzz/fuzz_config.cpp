// Configuration files: any bytes executed as one, against a variable of
// each type and the console's own commands.
#include "console/console.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

unsigned char gBool;
int gInt;
float gFloat;
char gString[8 + 1];
int gReadOnly = 7;

void RegisterOnce()
{
    // The echo of every print would drown the fuzzer's own output.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    gConsole->Create(1024, 64, 8, 32, 4);
    gConsole->AddVariable("fz_bool", &gBool, CVarBool, 0, false, false, 0, 1, nullptr);
    gConsole->AddVariable("fz_int", &gInt, CVarInt, 0, false, false, -50, 50, nullptr);
    gConsole->AddVariable("fz_float", &gFloat, CVarFloat, 0, false, false, kNoRangeMin,
                          kNoRangeMax, nullptr);
    gConsole->AddVariable("fz_string", gString, CVarString, 8, false, false, kNoRangeMin,
                          kNoRangeMax, nullptr);
    gConsole->AddVariable("fz_readonly", &gReadOnly, CVarInt, 0, true, false, kNoRangeMin,
                          kNoRangeMax, nullptr);
    gConsole->AddCommand("Echo", Console_EchoCommand);
    gConsole->AddCommand("Toggle", Console_ToggleCommand);
    gConsole->AddCommand("Execute", Console_ExecuteCommand);  // no file exists: no search path
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterOnce(), true);
    (void)registered;
    // A small buffer, emptied for each input: long lines overflow it and
    // every input starts from the same state.
    gConsole->Create(1024, 64, 8, 32, 4);
    gConsole->ExecuteConfigText(reinterpret_cast<const char*>(data), size);
    return 0;
}
