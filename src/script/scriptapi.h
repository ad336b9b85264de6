// The engine functions scripts call, registered with the script host family
// by family right after it starts.
#pragma once

void RegisterScriptApi();

// One registration per family.
void RegisterConsoleFunctions();
