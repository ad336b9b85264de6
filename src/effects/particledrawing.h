// What emitters and beams share when they draw their 96-byte vertices.
#pragma once

#include "effects/effectview.h"
#include "render/buffermanager.h"

#include <functional>

class Shader;

// Vertex, texture-coordinate and colour arrays (normals when asked) from the
// buffer range when buffer objects are in use, else from client memory.
void BindParticleArrays(const Vertex* vertices, const VertexBufferRange& range, bool normals);

// Runs `draw` once per pass of the shader. Screen elements are scaled by
// the screen factors, and their front faces culled: the screen's y axis
// points down, which turns their winding round; they are drawn without a
// depth test, over the scene.
void DrawShaderPasses(Shader& shader, const EffectView& view, bool screen, const std::function<void()>& draw);
