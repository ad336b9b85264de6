#include "script/scriptapi.h"

void RegisterScriptApi()
{
    RegisterConsoleFunctions();
}
