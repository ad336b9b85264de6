// The two per-pixel lighting fragment programs of the ARB path: the exact
// one (normalised vectors, a computed highlight and self-shadowing) and the
// one that reads the normalization cube map and the specular lookup map.
// Each also has a half-precision form for drivers with NV fragment programs.
#pragma once

#include <GL/gl.h>

#include <set>
#include <string>

extern const char* const kExactLightingProgram;
extern const char* const kLookupLightingProgram;

// The half-precision form: the NV options after the header and the H form
// of every arithmetic instruction, except the DP3 that reads `fullPrecisionRead`
// and the RSQ after it (they stay full precision; none when empty), and with
// the ".xyz" write mask dropped where the destination is one of `widenedWrites`.
std::string NvLightingProgram(const std::string& arb, const std::string& fullPrecisionRead,
                              const std::set<std::string>& widenedWrites);
std::string NvExactLightingProgram();
std::string NvLookupLightingProgram();

// The line (counted from 1) holding byte `position` of `text`, and its text.
struct ProgramErrorLine {
    int number = 0;
    std::string text;
};
ProgramErrorLine ErrorLineAt(const std::string& text, int position);

// Loads `text` into a new fragment program name, printing the line the
// driver refused and its message; the program is kept either way.
GLuint LoadFragmentProgram(const std::string& text);
