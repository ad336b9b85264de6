#include "render/shader.h"

#include "render/glstatecache.h"
#include "render/texture.h"

void Shader::Reset()
{
    std::string kept = std::move(name);
    *this = Shader();
    name = std::move(kept);
}

void Shader::LoadTextures()
{
    // Cleared first: a load error is printed, and a console in loading mode
    // redraws itself, possibly with this very shader.
    texturesPending = false;
    for (size_t i = 0; i < stages.size(); ++i) {
        ShaderStage& stage = stages[i];
        const bool normalMapStageOfShader = int(i) == normalMapStage;
        stage.texture = gTextureManager->Load(stage.textureName.c_str(), true, !normalMapStageOfShader,
                                              stage.normalMap);
        if (stage.blendDestination != GL_ZERO)
            blended = true;
    }
}

void Shader::BeginPasses()
{
    pass = 0;
    if (cullMode == 0)
        gGLState.CullFace(false);
    else
        gGLState.CullFace(true, cullMode == 1 ? GL_FRONT : GL_BACK);
    gGLState.DepthTest(depthTest);
    gGLState.DepthWrite(depthWrite);
    for (int i = 0; i < 4; ++i)
        savedFogColour[i] = gGLState.fogColour()[i];
}

bool Shader::NextPass()
{
    if (pass < stages.size() && !nodraw)
        return true;
    EndPasses();
    return false;
}

void Shader::EndPasses()
{
    Matrix identity;
    identity.Identity();
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
    gGLState.TextureMatrix(identity);
    gGLState.CullFace(true, GL_BACK);
    gGLState.TextureGen(false);
    gGLState.DepthWrite(true);
    gGLState.AlphaTest(false);
    gGLState.FogColour(savedFogColour);
}

void Shader::ApplyPass(uint32_t now)
{
    stages[pass].Apply(now, savedFogColour);
}

void Shader::AdvancePass()
{
    ++pass;
    while (pass < stages.size() && (int(pass) == normalMapStage || int(pass) == luminanceStage))
        ++pass;
}
