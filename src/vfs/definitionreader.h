// The common reader of the text definition files (shader scripts, sound
// shaders, effect files, GUI files): logical lines, tokens, blocks and the
// error messages every format shares. Each parser owns one.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class DefinitionFormat { ShaderScript, SoundShader, EffectFile, GuiFile };

// Messages printed through DefinitionReader::Error with the file name and line.
extern const char* const kDefinitionBracketPlacement;
extern const char* const kDefinitionBracketBeforeName;
extern const char* const kDefinitionUnknownCommand;
extern const char* const kDefinitionParameterCount;
extern const char* const kDefinitionInvalidParameter;
extern const char* const kDefinitionDatatype;

class DefinitionReader {
public:
    explicit DefinitionReader(DefinitionFormat format);

    // Opens the file and reads it line by line, calling `processLine` with
    // the tokens in place; reports a block left open at the end. False when
    // the file cannot be opened (nothing is printed).
    bool Parse(const char* fileName, const std::function<void()>& processLine);

    // One logical line: comments, blank lines and ignored bytes dropped.
    // False at the end of the file with nothing collected.
    bool ReadLine(int handle, std::string& line);
    void Tokenize(const std::string& line);

    // '{' or '}' for a line holding that one character alone, otherwise 0.
    char Bracket() const;
    // Shader scripts and sound shaders: follows a bracket line with the
    // format's rule (shaders: a block, then a stage inside it; sounds: one
    // block, opened only after a name) and reports misplaced brackets.
    // False for a command line. Effect and GUI files nest their own way
    // with Bracket().
    bool TrackBracket(bool nameGiven);

    static bool IsNumeric(const std::string& token);
    // A numeric token whose value a float holds; false for anything else,
    // digits too many for a float included (they would read as infinity).
    static bool ParseReal(const std::string& token, float* value);
    // "true", "1", "false" or "0", exactly; false for anything else.
    static bool ParseBoolean(const std::string& token, bool* value);

    // Prints `format` with the file name and the line number.
    void Error(const char* format) const;

    std::vector<std::string> tokens;
    int lineNumber = 0;
    std::string fileName;
    bool inBlock = false;  // the definition's block
    bool inStage = false;  // a block nested in it

private:
    DefinitionFormat format;
};
