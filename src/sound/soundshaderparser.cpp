#include "sound/soundshaderparser.h"

#include "console/console.h"
#include "sound/soundshader.h"


void SoundShaderParser::Parse(const char* fileName)
{
    if (!reader.Parse(fileName, [this] { ProcessLine(); }))
        return;
    if (shadersParsed > 0)
        gConsole->Print(" ^5- ^15Sounds: ^13%s^15, %i sound shader(s) parsed.^15\n", fileName, shadersParsed);
}

void SoundShaderParser::ProcessLine()
{
    const std::vector<std::string>& tokens = reader.tokens;
    if (reader.TrackBracket(shader != nullptr))
        return;
    if (tokens.size() == 1 && tokens[0].size() == 1) {
        reader.Error(kDefinitionUnknownCommand);
        return;
    }
    if (reader.inBlock) {
        BodyKeyword();
    } else if (tokens.size() != 1) {
        reader.Error(kDefinitionInvalidParameter);
    } else {
        shader = &findOrCreate(tokens[0]);
        ++shadersParsed;
    }
}

void SoundShaderParser::BodyKeyword()
{
    const std::vector<std::string>& tokens = reader.tokens;
    const std::string& keyword = tokens[0];
    const bool flag = keyword == "looping" || keyword == "global";
    const bool valued = keyword == "sound" || keyword == "volume" || keyword == "maxdistance";
    if (!flag && !valued) {
        reader.Error(kDefinitionUnknownCommand);
        return;
    }
    if (tokens.size() != (flag ? 1u : 2u)) {
        reader.Error(kDefinitionInvalidParameter);
        return;
    }
    if (keyword == "sound")
        shader->files.push_back(tokens[1]);
    else if (keyword == "volume")
        Number(shader->volume);
    else if (keyword == "maxdistance")
        Number(shader->maxDistance);
    else if (keyword == "looping")
        shader->looping = true;
    else
        shader->global = true;
}

bool SoundShaderParser::Number(float& value)
{
    if (!DefinitionReader::ParseReal(reader.tokens[1], &value)) {
        reader.Error(kDefinitionDatatype);
        return false;
    }
    return true;
}
