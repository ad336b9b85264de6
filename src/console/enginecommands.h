// The engine's own commands, variables and configuration files.
#pragma once

// Creates the console buffer, registers the engine's commands and variables
// and executes "default.cfg".
void RegisterEngineCommands();

// Changes the level: checks the file, lets the scripts free theirs, runs
// "autoexec.cfg", loads the map and tells the scripts (with or without
// entities). False, with an error line, when the map could not be loaded.
bool LoadMap(const char* name, bool withEntities);

// Writes the key bindings and the writable variables to "default.cfg".
void SaveDefaultConfig();
