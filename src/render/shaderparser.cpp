#include "render/shaderparser.h"

#include "console/console.h"
#include "render/shadermanager.h"
#include "render/wave.h"

#include <cstdlib>
#include <cstring>

namespace {

struct NamedValue {
    const char* name;
    int value;
};

template <size_t N>
bool Lookup(const NamedValue (&table)[N], const std::string& word, int* value)
{
    for (const NamedValue& entry : table) {
        if (word == entry.name) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

const NamedValue kCullModes[] = {{"back", 2}, {"front", 1}, {"none", 0}, {"disable", 0}};

const NamedValue kBlendFactors[] = {
    {"gl_one", GL_ONE},
    {"gl_zero", GL_ZERO},
    {"gl_src_alpha", GL_SRC_ALPHA},
    {"gl_one_minus_src_alpha", GL_ONE_MINUS_SRC_ALPHA},
    {"gl_dst_alpha", GL_DST_ALPHA},
    {"gl_one_minus_dst_alpha", GL_ONE_MINUS_DST_ALPHA},
    {"gl_src_color", GL_SRC_COLOR},
    {"gl_one_minus_src_color", GL_ONE_MINUS_SRC_COLOR},
    {"gl_dst_color", GL_DST_COLOR},
    {"gl_one_minus_dst_color", GL_ONE_MINUS_DST_COLOR},
};

const NamedValue kDepthFunctions[] = {
    {"lequal", GL_LEQUAL}, {"equal", GL_EQUAL}, {"gequal", GL_GEQUAL}, {"less", GL_LESS}, {"greater", GL_GREATER}};

const NamedValue kTexGens[] = {{"base", 0}, {"env", 1}, {"sphere", 1}};

// Token counts each modifier needs, its first number token, and its kind.
struct TcModForm {
    const char* name;
    int kind;
    size_t tokens;
    size_t firstNumber;
};
const TcModForm kTcModForms[] = {
    {"scroll", TcMod::kScroll, 4, 2},   {"rotate", TcMod::kRotate, 3, 2},   {"translate", TcMod::kTranslate, 4, 2},
    {"scale", TcMod::kScale, 4, 2},     {"turb", TcMod::kTurb, 6, 2},       {"stretch", TcMod::kStretch, 7, 3},
    {"transform", TcMod::kTransform, 8, 2},
};

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

}  // namespace

void ShaderParser::Parse(const char* fileName)
{
    if (!reader.Parse(fileName, [this] { ProcessLine(); }))
        return;
    if (shadersParsed > 0)
        gConsole->Print(" ^5- ^15Shader: ^13%s^15, %i shader(s) parsed.^15\n", fileName, shadersParsed);
}

ShaderStage& ShaderParser::Stage()
{
    return shader->stages.back();
}

void ShaderParser::ProcessLine()
{
    const std::vector<std::string>& tokens = reader.tokens;
    if (tokens.empty())
        return;
    if (reader.Bracket() == '{' && !reader.inBlock && !shader) {
        reader.Error(kDefinitionBracketBeforeName);
        return;
    }
    const bool wasInStage = reader.inStage;
    if (reader.TrackBracket(true)) {
        if (reader.inStage && !wasInStage)
            shader->stages.emplace_back();
        return;
    }
    if (tokens.size() == 1 && tokens[0].size() == 1)
        return;  // a stray one-character line

    if (reader.inStage) {
        StageKeyword();
    } else if (reader.inBlock) {
        ShaderKeyword();
    } else {
        // A name: a later definition of the same name starts it over.
        shader = manager.FindOrCreate(tokens[0].c_str());
        shader->Reset();
        ++shadersParsed;
    }
}

bool ShaderParser::Need(size_t tokenCount)
{
    if (reader.tokens.size() >= tokenCount)
        return true;
    reader.Error(kDefinitionParameterCount);
    return false;
}

bool ShaderParser::Numeric(size_t first, size_t last)
{
    float ignored;
    for (size_t i = first; i <= last; ++i) {
        if (!DefinitionReader::ParseReal(reader.tokens[i], &ignored)) {
            reader.Error(kDefinitionDatatype);
            return false;
        }
    }
    return true;
}

float ShaderParser::Number(size_t index) const
{
    return float(atof(reader.tokens[index].c_str()));
}

void ShaderParser::ShaderKeyword()
{
    const std::string& keyword = reader.tokens[0];
    if (keyword == "cull")
        Cull();
    else if (keyword == "surfaceparm")
        SurfaceParm();
    else if (!StartsWith(keyword, "editor_") && !StartsWith(keyword, "qer_"))
        reader.Error(kDefinitionUnknownCommand);
}

void ShaderParser::Cull()
{
    if (Need(2) && !Lookup(kCullModes, reader.tokens[1], &shader->cullMode))
        reader.Error(kDefinitionInvalidParameter);
}

void ShaderParser::SurfaceParm()
{
    const std::string* word = reader.tokens.size() == 2 ? &reader.tokens[1] : nullptr;
    if (!word)
        reader.Error(kDefinitionUnknownCommand);
    else if (*word == "noclip" || *word == "nonsolid")
        shader->nonsolid = true;
    else if (*word == "nodraw")
        shader->nodraw = true;
    else if (*word == "nodepthtest")
        shader->depthTest = false;
    else if (*word == "nodepthwrite")
        shader->depthWrite = false;
    else if (*word == "depthwrite")
        shader->depthWrite = true;
    else if (*word == "nolight")
        shader->nolight = true;
    else if (*word == "noocclude")
        shader->occluder = false;
    else if (*word == "nodepthpass" || *word == "trans")
        shader->translucent = true;
    else
        reader.Error(kDefinitionUnknownCommand);
}

void ShaderParser::StageKeyword()
{
    const std::string& keyword = reader.tokens[0];
    const int stageIndex = int(shader->stages.size()) - 1;
    if (keyword == "map") {
        Map(GL_REPEAT);
    } else if (keyword == "clampmap") {
        Map(GL_CLAMP);
    } else if (keyword == "normalmap") {
        Map(GL_REPEAT);
        if (reader.tokens.size() >= 2) {
            Stage().normalMap = true;
            shader->normalMapStage = stageIndex;
        }
    } else if (keyword == "luminancemap") {
        Map(GL_REPEAT);
        if (reader.tokens.size() >= 2) {
            Stage().luminanceMap = true;
            shader->luminanceStage = stageIndex;
        }
    } else if (keyword == "tcmod") {
        TexCoordModifier();
    } else if (keyword == "tcgen") {
        TcGen();
    } else if (keyword == "rgbgen") {
        RgbGen();
    } else if (keyword == "blendfunc") {
        BlendFunc();
    } else if (keyword == "depthfunc") {
        DepthFunc();
    } else if (keyword == "alphafunc") {
        AlphaFunc();
    } else if (keyword == "specular") {
        Specular();
    } else if (keyword == "nomipmap") {
        Stage().minFilter = GL_LINEAR;
    } else if (keyword == "flare") {
        Flare();
    } else if (keyword == "gui_imagesize") {
        GuiSize(Stage().imageSize);
    } else if (keyword == "gui_bordersize") {
        GuiSize(Stage().borderSize);
    } else if (keyword == "gui_imagebordersize") {
        GuiSize(Stage().imageBorderSize);
    } else {
        reader.Error(kDefinitionUnknownCommand);
    }
}

void ShaderParser::Map(GLint wrap)
{
    if (!Need(2))
        return;
    Stage().textureName = reader.tokens[1];
    Stage().wrap = wrap;
}

void ShaderParser::TexCoordModifier()
{
    if (!Need(2))
        return;
    const TcModForm* form = nullptr;
    for (const TcModForm& candidate : kTcModForms)
        if (reader.tokens[1] == candidate.name)
            form = &candidate;
    if (!form) {
        reader.Error(kDefinitionInvalidParameter);
        return;
    }
    if (!Need(form->tokens))
        return;
    ShaderStage& stage = Stage();
    // A full table refuses the modifier like a line of too many parameters.
    if (stage.tcModCount == ShaderStage::kMaxTcMods) {
        reader.Error(kDefinitionParameterCount);
        return;
    }
    TcMod mod;
    mod.kind = form->kind;
    if (form->kind == TcMod::kStretch) {
        mod.wave = WaveFormFromName(reader.tokens[2]);
        if (mod.wave < 0) {
            reader.Error(kDefinitionInvalidParameter);
            return;
        }
    }
    if (!Numeric(form->firstNumber, form->tokens - 1))
        return;
    const float a = Number(form->firstNumber);
    const float b = form->tokens - form->firstNumber > 1 ? Number(form->firstNumber + 1) : 0.0f;
    float* p = mod.p;
    switch (form->kind) {
    case TcMod::kScroll:
        p[0] = a * -0.001f;
        p[1] = b * -0.001f;
        break;
    case TcMod::kRotate:
        p[0] = a * -0.001f;
        break;
    case TcMod::kTranslate:
        p[0] = -a;
        p[1] = -b;
        break;
    case TcMod::kScale:
        // The rotation centre is divided by the factors; zero would make it infinite.
        if (a == 0.0f || b == 0.0f) {
            reader.Error(kDefinitionInvalidParameter);
            return;
        }
        p[0] = a;
        p[1] = b;
        stage.rotationCentre[0] /= a;
        stage.rotationCentre[1] /= b;
        break;
    case TcMod::kTurb:
    case TcMod::kStretch:
        p[0] = a;
        p[1] = b;
        p[2] = Number(form->firstNumber + 2) * 0.001f;
        p[3] = Number(form->firstNumber + 3) * 0.001f;
        break;
    case TcMod::kTransform: {
        const float c = Number(4), d = Number(5), e = Number(6), f = Number(7);
        if (a == 0.0f || b == 0.0f) {
            reader.Error(kDefinitionInvalidParameter);
            return;
        }
        p[0] = c / a;
        p[1] = (b - f + d) / b;
        p[2] = e / a;
        p[3] = f / b;
        break;
    }
    }
    stage.tcMods[stage.tcModCount++] = mod;
}

void ShaderParser::TcGen()
{
    if (Need(2) && !Lookup(kTexGens, reader.tokens[1], &Stage().texGen))
        reader.Error(kDefinitionInvalidParameter);
}

void ShaderParser::RgbGen()
{
    if (!Need(2))
        return;
    const std::string& form = reader.tokens[1];
    ShaderStage& stage = Stage();
    if (form == "identity" || form == "base") {
        return;  // the stage keeps its colour rule
    } else if (form == "translate") {
        if (!Need(6) || !Numeric(2, 5))
            return;
        stage.rgbGen = kColourConstant;
        for (int i = 0; i < 4; ++i)
            stage.rgbParams[i] = Number(size_t(2 + i));
    } else if (form == "wave") {
        if (!Need(7))
            return;
        const int wave = WaveFormFromName(reader.tokens[2]);
        if (wave < 0) {
            reader.Error(kDefinitionInvalidParameter);
            return;
        }
        if (!Numeric(3, 6))
            return;
        stage.rgbGen = kColourWave;
        stage.rgbWave = wave;
        stage.rgbParams[0] = Number(3);
        stage.rgbParams[1] = Number(4);
        stage.rgbParams[2] = Number(5) * 0.001f;
        stage.rgbParams[3] = Number(6) * 0.001f;
    } else if (form == "lightingdiffuse") {
        stage.rgbGen = kColourLightingDiffuse;
    } else if (form == "vertex") {
        stage.rgbGen = kColourVertex;
    } else {
        reader.Error(kDefinitionInvalidParameter);
    }
}

void ShaderParser::BlendFunc()
{
    if (!Need(2))
        return;
    const std::vector<std::string>& tokens = reader.tokens;
    int source = 0, destination = 0;
    bool known;
    if (tokens.size() == 2) {
        static const NamedValue kShortForms[] = {{"add", 0}, {"filter", 1}, {"blend", 2}};
        static const GLenum kFactors[3][2] = {
            {GL_ONE, GL_ONE}, {GL_ZERO, GL_SRC_COLOR}, {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}};
        int form = 0;
        known = Lookup(kShortForms, tokens[1], &form);
        source = int(kFactors[form][0]);
        destination = int(kFactors[form][1]);
    } else {
        known = Lookup(kBlendFactors, tokens[1], &source) && Lookup(kBlendFactors, tokens[2], &destination);
    }
    if (known)
        Stage().SetBlend(GLenum(source), GLenum(destination));
    else
        reader.Error(kDefinitionInvalidParameter);
}

void ShaderParser::DepthFunc()
{
    int function = 0;
    if (!Need(2))
        return;
    if (Lookup(kDepthFunctions, reader.tokens[1], &function))
        Stage().depthFunc = GLenum(function);
    else
        reader.Error(kDefinitionInvalidParameter);
}

void ShaderParser::AlphaFunc()
{
    static const NamedValue kFunctions[] = {{"gt0", GL_GREATER}, {"ge128", GL_GEQUAL}, {"lt128", GL_LESS}};
    int function = 0;
    if (!Need(2))
        return;
    if (!Lookup(kFunctions, reader.tokens[1], &function)) {
        reader.Error(kDefinitionInvalidParameter);
        return;
    }
    ShaderStage& stage = Stage();
    stage.alphaTest = true;
    stage.alphaFunc = GLenum(function);
    stage.alphaReference = function == GL_GREATER ? 0.0f : 0.5f;
}

void ShaderParser::Specular()
{
    if (!Need(2) || !Numeric(1, 1))
        return;
    const float value = Number(1);
    if (value >= 0.0f && value <= 1.0f)
        Stage().specular = value;
    else
        reader.Error(kDefinitionInvalidParameter);
}

void ShaderParser::Flare()
{
    if (!Need(4) || !Numeric(1, 3))
        return;
    for (int i = 0; i < 3; ++i)
        Stage().flare[i] = Number(size_t(1 + i));
}

void ShaderParser::GuiSize(float* size)
{
    if (!Need(3) || !Numeric(1, 2))
        return;
    size[0] = Number(1);
    size[1] = Number(2);
}
