#pragma once

// Applies the command-line options (case-insensitive) to the engine globals.
void ParseCommandLine(int argc, char** argv);
