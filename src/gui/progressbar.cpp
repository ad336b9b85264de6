#include "gui/progressbar.h"

#include "gui/controltemplate.h"

#include <algorithm>

namespace {

const GUIEventSpec kEvents[] = {
    {GUIEvent::Clicked, false}, {GUIEvent::MouseMove, false}, {GUIEvent::MouseLost, false}};

const char* const kStates[5] = {"normal", "mousemove", "mousedown", "disabled", "bar"};

}  // namespace

ProgressBar::ProgressBar(const ControlTemplate& from)
    : PressableControl("progressbar", from, kEvents, 3), value(from.barValue),
      shaders{from.shaderNormal, from.shaderMouseMove, from.shaderMouseDown, from.shaderDisabled, from.shaderBar},
      borderX(from.border.x), borderY(from.border.y), vertical(from.vertical), reverse(from.reverse)
{
}

bool ProgressBar::SetShader(const std::string& stateName, Shader* shader)
{
    for (int i = 0; i < 5; ++i) {
        if (stateName == kStates[i]) {
            shaders[i] = shader;
            return true;
        }
    }
    return false;
}

void ProgressBar::Draw()
{
    if (!visible)
        return;
    DrawShader(StateShader(shaders[0], shaders[1], shaders[2], shaders[3]), x, y, width, height,
               colourSet ? &colourOverride : nullptr);
    DrawBar();
}

// The value is stored as given; only what is drawn stays inside the bar.
void ProgressBar::DrawBar()
{
    const float fraction = value > 0.0f ? std::min(value, 1.0f) : 0.0f;
    const float left = x + borderX, top = y + borderY;
    const float innerWidth = width - 2.0f * borderX, innerHeight = height - 2.0f * borderY;
    TexRect tex;
    if (vertical) {
        const float length = innerHeight * fraction;
        // Texture t runs from 1 at the top down to 0.
        tex.t0 = reverse ? fraction : 1.0f;
        tex.t1 = reverse ? 0.0f : 1.0f - fraction;
        DrawShader(shaders[4], left, reverse ? top + innerHeight - length : top, innerWidth, length, nullptr, tex);
    } else {
        const float length = innerWidth * fraction;
        tex.s0 = reverse ? 1.0f - fraction : 0.0f;
        tex.s1 = reverse ? 1.0f : fraction;
        DrawShader(shaders[4], reverse ? left + innerWidth - length : left, top, length, innerHeight, nullptr, tex);
    }
}
