#include "render/fragmentprograms.h"

#include "console/console.h"
#include "engine/glentrypoints.h"
#include "render/glerrors.h"

#include <algorithm>
#include <set>
#include <sstream>

const char* const kExactLightingProgram = R"(!!ARBfp1.0

ATTRIB kS = fragment.color.primary;

PARAM kD = program.local[0];

TEMP base, N, L, H, shadow, atten, temp;

ALIAS diffuse = L;
ALIAS specular = H;
ALIAS NdotH = H;
ALIAS light = base;

TEX       base, fragment.texcoord[0], texture[0], 2D;
TEX       N, fragment.texcoord[1], texture[1], 2D;
MOV       N, N.wyzx;
MAD       N.xyz, N, 2, -1;
DP3       temp, N, N;
RSQ       temp.w, temp.x;
MUL       N.xyz, N, temp.w;

DP3       temp, fragment.texcoord[3], fragment.texcoord[3];
RSQ       temp.w, temp.x;
MUL       L, fragment.texcoord[3], temp.w;

DP3       temp, fragment.texcoord[4], fragment.texcoord[4];
RSQ       temp.w, temp.x;
MUL       H, fragment.texcoord[4], temp.w;

DP3       temp, fragment.texcoord[5], fragment.texcoord[5];
MUL       temp, temp, temp;
SUB_SAT   atten, 1, temp.x;
DP3_SAT   diffuse, N, L;
MUL_SAT   shadow, 4, diffuse.x;

DP3_SAT   NdotH, N, H;
LG2       temp, NdotH.x;
MUL       temp, temp, 32;
EX2       specular, temp.x;

MUL       diffuse, diffuse, kD;
MUL       specular, specular, kS;
MUL       specular, specular, N.w;
MAD       light, base, diffuse, specular;
MUL       light, light, shadow;
MUL       result.color, light, atten;

END
)";

const char* const kLookupLightingProgram = R"(!!ARBfp1.0

ATTRIB kS = fragment.color.primary;

PARAM kD = program.local[0];

TEMP base, N, L, H, atten, temp;

ALIAS diffuse = L;
ALIAS specular = H;
ALIAS NHHH = H;
ALIAS light = base;

TEX       base, fragment.texcoord[0], texture[0], 2D;
TEX       N, fragment.texcoord[1], texture[1], 2D;
TEX       L, fragment.texcoord[3], texture[2], CUBE;
TEX       H, fragment.texcoord[4], texture[3], CUBE;
MOV       N, N.wyzx;
MAD       N.xyz, N, 2, -1;
MAD       L.xyz, L, 2, -1;
MAD       H.xyz, H, 2, -1;
DP3       temp, fragment.texcoord[5], fragment.texcoord[5];
MUL       temp, temp, temp;
SUB_SAT   atten, 1, temp.x;
DP3_SAT   diffuse, N, L;
DP3_SAT   NHHH.x, N, H;
DP3_SAT   NHHH.y, H, H;
TEX       specular, NHHH, texture[4], 2D;
MUL       diffuse, diffuse, kD;
MUL       specular, specular, kS;
MUL       specular, specular, N.w;
MAD       light, base, diffuse, specular;
MUL       result.color, light, atten;

END
)";

namespace {

const std::set<std::string> kArithmetic = {"MOV", "MAD", "DP3", "RSQ", "MUL", "SUB", "LG2", "EX2"};

// "SUB_SAT   atten" becomes "SUBH_SAT  atten": the H goes after the base
// opcode and the operands keep their column.
std::string HalfPrecision(const std::string& line, size_t opcodeEnd)
{
    const size_t base = std::min(line.find('_'), opcodeEnd);
    std::string half = line.substr(0, base) + "H" + line.substr(base, opcodeEnd - base);
    const size_t operands = line.find_first_not_of(' ', opcodeEnd);
    const size_t padding = operands - opcodeEnd;
    return half + std::string(padding > 1 ? padding - 1 : 1, ' ') + line.substr(operands);
}

}  // namespace

std::string NvLightingProgram(const std::string& arb, const std::string& fullPrecisionRead,
                              const std::set<std::string>& widenedWrites)
{
    std::istringstream lines(arb);
    std::string line, nv;
    bool keepNext = false;
    while (std::getline(lines, line)) {
        const size_t opcodeEnd = line.find(' ');
        const std::string opcode = line.substr(0, opcodeEnd);
        const std::string base = opcode.substr(0, opcode.find('_'));
        if (line == "!!ARBfp1.0") {
            nv += line + "\nOPTION NV_fragment_program;\nOPTION ARB_precision_hint_fastest;\n";
            continue;
        }
        if (opcodeEnd == std::string::npos || !kArithmetic.count(base)) {
            nv += line + "\n";
            continue;
        }
        const bool keep = keepNext || (base == "DP3" && !fullPrecisionRead.empty() &&
                                       line.find(fullPrecisionRead) != std::string::npos);
        keepNext = keep && base == "DP3";
        if (keep) {
            nv += line + "\n";
            continue;
        }
        std::string half = HalfPrecision(line, opcodeEnd);
        const size_t operands = half.find_first_not_of(' ', half.find(' '));
        const size_t mask = half.find(".xyz,", operands);
        if (mask != std::string::npos && widenedWrites.count(half.substr(operands, mask - operands)))
            half.erase(mask, 4);
        nv += half + "\n";
    }
    return nv;
}

std::string NvExactLightingProgram()
{
    return NvLightingProgram(kExactLightingProgram, "fragment.texcoord[4]", {});
}

std::string NvLookupLightingProgram()
{
    return NvLightingProgram(kLookupLightingProgram, "", {"L", "H"});
}

ProgramErrorLine ErrorLineAt(const std::string& text, int position)
{
    ProgramErrorLine error;
    const size_t at = position < 0 ? 0 : std::min(size_t(position), text.size());
    size_t start = 0;
    error.number = 1;
    for (size_t i = 0; i < at; ++i)
        if (text[i] == '\n') {
            ++error.number;
            start = i + 1;
        }
    const size_t end = text.find('\n', start);
    error.text = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return error;
}

GLuint LoadFragmentProgram(const std::string& text)
{
    GLuint program = 0;
    const GLint position = LoadProgramString(GL_FRAGMENT_PROGRAM_ARB, text, program);
    if (position >= 0) {
        const ProgramErrorLine line = ErrorLineAt(text, position);
        const char* message = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        gConsole->Print("Error loading fragment program\n");
        gConsole->Print("Error at line %d: \"%s\"\n", line.number, line.text.c_str());
        gConsole->Print("Error message: %s\n", message ? message : "");
    }
    return program;
}
