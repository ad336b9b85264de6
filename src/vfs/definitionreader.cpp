#include "vfs/definitionreader.h"

#include "console/console.h"
#include "engine/text.h"
#include "vfs/vfs.h"

#include <cmath>
#include <cstdlib>

const char* const kDefinitionBracketPlacement = "^1Error: Incorrect bracket placement ^13(%s, line: %i).\n";
const char* const kDefinitionBracketBeforeName = "^1Error: Shader bracket before shader name ^13(%s, line: %i).\n";
const char* const kDefinitionUnknownCommand = "^1Error: Unknown Command ^13(%s, line: %i).\n";
const char* const kDefinitionParameterCount = "^1Error: Incorrect number of parameters ^13(%s, line: %i).\n";
const char* const kDefinitionInvalidParameter = "^1Error: Invalid parameter ^13(%s, line: %i).\n";
const char* const kDefinitionDatatype = "^1Error: Incorrect datatype for parameter ^13(%s, line: %i).\n";

namespace {

enum CharClass : unsigned char { kIgnored, kToken, kSpace, kLineEnd, kNumeric, kComment };

struct ClassTable {
    unsigned char of[256] = {};
    ClassTable()
    {
        for (int c = 32; c <= 125; ++c)
            of[c] = kToken;
        for (int c = '0'; c <= '9'; ++c)
            of[c] = kNumeric;
        of['-'] = of['.'] = kNumeric;
        of[' '] = of['\t'] = of['\r'] = kSpace;
        of['\n'] = kLineEnd;
        of['#'] = kComment;
    }
};

const ClassTable kClasses;

unsigned char ClassOf(char c)
{
    return kClasses.of[static_cast<unsigned char>(c)];
}

bool IsTokenClass(unsigned char cls)
{
    return cls == kToken || cls == kNumeric;
}

}  // namespace

DefinitionReader::DefinitionReader(DefinitionFormat format) : format(format) {}

bool DefinitionReader::Parse(const char* name, const std::function<void()>& processLine)
{
    const bool textMode = format == DefinitionFormat::ShaderScript || format == DefinitionFormat::GuiFile;
    const int handle = vfs_fopen(name, textMode ? "rt" : "rb");
    if (!handle)
        return false;
    fileName = name;
    inBlock = inStage = false;
    lineNumber = 1;
    std::string line;
    while (ReadLine(handle, line)) {
        Tokenize(line);
        // A GUI line of empty quotes holds no token: nothing for a parser.
        if (!tokens.empty())
            processLine();
        ++lineNumber;
    }
    if (format == DefinitionFormat::ShaderScript && (inBlock || inStage))
        Error("^1Error: Unexpected end of file, stage and/or shader not closed ^13(%s, line: %i).\n");
    else if ((format == DefinitionFormat::EffectFile && inStage) ||
             (format == DefinitionFormat::GuiFile && (inBlock || inStage)))
        // A GUI control is made when its block closes: one left open is lost.
        Error("^1Error: Unexpected end of file, stage not closed ^13(%s, line: %i).\n");
    vfs_fclose(handle);
    return true;
}

bool DefinitionReader::ReadLine(int handle, std::string& line)
{
    line.clear();
    bool comment = false;
    const bool lowerCase = format != DefinitionFormat::GuiFile;
    for (;;) {
        int c = vfs_fgetc(handle);
        if (c == '/' && format == DefinitionFormat::ShaderScript) {
            // "//" starts a comment, even inside a token; a lone "/" is text.
            c = vfs_fgetc(handle);
            if (c == '/') {
                comment = true;
                continue;
            }
            if (c <= 0 && vfs_feof(handle))
                break;
            if (!comment)
                line += '/';
        }
        if (c <= 0) {
            if (vfs_feof(handle))
                break;
            continue;
        }
        switch (ClassOf(char(c))) {
        case kToken:
        case kNumeric:
            if (!comment)
                line += lowerCase ? LowerAscii(char(c)) : char(c);
            break;
        case kSpace:
            if (!comment && !line.empty())
                line += char(c);
            break;
        case kLineEnd:
            if (!line.empty())
                return true;
            comment = false;
            break;
        case kComment:
            comment = true;
            break;
        default:
            break;
        }
    }
    return !line.empty();
}

void DefinitionReader::Tokenize(const std::string& line)
{
    tokens.clear();
    const bool quotes = format == DefinitionFormat::GuiFile;
    bool quoted = false;
    std::string token;
    for (char c : line) {
        const unsigned char cls = ClassOf(c);
        if (quotes && c == '"') {
            quoted = !quoted;
        } else if (IsTokenClass(cls) || (quoted && cls == kSpace)) {
            token += c;
        } else if (cls == kSpace && !token.empty()) {
            tokens.push_back(token);
            token.clear();
        }
    }
    if (!token.empty())
        tokens.push_back(token);
    if (quotes && !tokens.empty())
        for (char& c : tokens[0])
            c = LowerAscii(c);
}

char DefinitionReader::Bracket() const
{
    if (tokens.size() == 1 && (tokens[0] == "{" || tokens[0] == "}"))
        return tokens[0][0];
    return 0;
}

bool DefinitionReader::TrackBracket(bool nameGiven)
{
    const char bracket = Bracket();
    if (!bracket || (format != DefinitionFormat::ShaderScript && format != DefinitionFormat::SoundShader))
        return false;
    const bool nested = format == DefinitionFormat::ShaderScript;
    if (bracket == '{') {
        if (!inBlock && !nested && !nameGiven)
            Error(kDefinitionBracketBeforeName);
        else if (!inBlock)
            inBlock = true;
        else if (nested && !inStage)
            inStage = true;
        else
            Error(kDefinitionBracketPlacement);
    } else {
        if (inStage)
            inStage = false;
        else if (inBlock)
            inBlock = false;
        else
            Error(kDefinitionBracketPlacement);
    }
    return true;
}

bool DefinitionReader::IsNumeric(const std::string& token)
{
    for (char c : token)
        if (ClassOf(c) != kNumeric)
            return false;
    return true;
}

bool DefinitionReader::ParseReal(const std::string& token, float* value)
{
    if (!IsNumeric(token))
        return false;
    const float number = float(atof(token.c_str()));
    if (!std::isfinite(number))
        return false;
    *value = number;
    return true;
}

bool DefinitionReader::ParseBoolean(const std::string& token, bool* value)
{
    if (token == "true" || token == "1")
        *value = true;
    else if (token == "false" || token == "0")
        *value = false;
    else
        return false;
    return true;
}

void DefinitionReader::Error(const char* message) const
{
    gConsole->Print(message, fileName.c_str(), lineNumber);
}
