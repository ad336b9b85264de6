// The engine's own commands, variables and configuration files.
#pragma once

// Creates the console buffer, registers the engine's commands and variables
// and executes "default.cfg".
void RegisterEngineCommands();

// Writes the key bindings and the writable variables to "default.cfg".
void SaveDefaultConfig();
