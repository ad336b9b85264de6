#include "gui/guimanager.h"

#include "console/console.h"
#include "engine/text.h"
#include "gui/window.h"
#include "input/inputevent.h"
#include "input/inputmanager.h"
#include "render/glstatecache.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>

GUIManager* gGUIManager = new GUIManager;

namespace {

// Lookups past this length are taken whole, as a top-level name.
constexpr size_t kMaxWindowPathLength = 255;

uint32_t SdlTicks()
{
    return SDL_GetTicks();
}

}  // namespace

GUIManager::GUIManager() : ticks(SdlTicks), parser(*this) {}

GUIManager::~GUIManager() = default;

void GUIManager::Load(const char* fileName)
{
    parser.Load(fileName);
}

void GUIManager::Add(std::unique_ptr<GUIControl> control)
{
    control->name = LowerAscii(control->name);
    byName[control->name] = control.get();
    list.push_back(std::move(control));
}

GUIControl* GUIManager::Find(const std::string& path) const
{
    const std::string lower = LowerAscii(path);
    const size_t colon = lower.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == lower.size() || colon >= kMaxWindowPathLength) {
        const auto found = byName.find(lower);
        return found == byName.end() ? nullptr : found->second;
    }
    const std::string windowName = lower.substr(0, colon), childName = lower.substr(colon + 1);
    const auto found = byName.find(windowName);
    if (found == byName.end()) {
        gConsole->Print("^1Error: GUI window '%s' does not exist!\n", windowName.c_str());
        return nullptr;
    }
    // The class name is the one thing a lookup trusts to tell windows.
    if (std::string(found->second->className) != "window") {
        gConsole->Print("^1Error: GUI control '%s' is not a window class!\n", windowName.c_str());
        return nullptr;
    }
    GUIControl* child = static_cast<Window*>(found->second)->FindChild(childName);
    if (!child)
        gConsole->Print("^1Error: GUI control '%s' does not exist!\n", childName.c_str());
    return child;
}

void GUIManager::Flush()
{
    for (std::unique_ptr<GUIControl>& control : list) {
        control->Release();
        if (walkDepth > 0) {
            control->discarded = true;
            flushedDuringWalk.push_back(std::move(control));
        }
    }
    list.clear();
    byName.clear();
    for (bool& down : held)
        down = false;
}

template <typename Visit>
void GUIManager::Walk(bool reverse, Visit visit)
{
    std::vector<GUIControl*> snapshot;
    snapshot.reserve(list.size());
    for (const std::unique_ptr<GUIControl>& control : list)
        snapshot.push_back(control.get());
    if (reverse)
        std::reverse(snapshot.begin(), snapshot.end());
    // The depth comes back down however the walk ends: a hook's script
    // error leaves through an exception.
    struct Depth {
        GUIManager& manager;
        explicit Depth(GUIManager& owner) : manager(owner) { ++manager.walkDepth; }
        ~Depth()
        {
            if (--manager.walkDepth == 0)
                manager.flushedDuringWalk.clear();
        }
    } depth(*this);
    for (GUIControl* control : snapshot)
        if (!control->discarded)
            visit(*control);
}

void GUIManager::Update()
{
    UpdateAt(gInputManager->mouseX, gInputManager->mouseY);
}

void GUIManager::UpdateAt(int windowX, int windowY)
{
    mouseX = int(float(windowX) / scaleX);
    mouseY = int(float(windowY) / scaleY);
    Walk(false, [this](GUIControl& control) { control.OnMouseMove(mouseX, mouseY); });
}

void GUIManager::Draw()
{
    if (!active)
        return;
    gGLState.DepthTest(false);
    glPushMatrix();
    glScalef(scaleX, scaleY, 0.0f);
    Walk(false, [](GUIControl& control) {
        if (control.visible)
            control.Draw();
    });
    glPopMatrix();
    gGLState.Colour(1.0f, 1.0f, 1.0f, 1.0f);
}

void GUIManager::OnInputEvent(InputEvent& event)
{
    if (!acceptInput)
        return;
    if (event.type == KeyDown || event.type == KeyUp) {
        // Keys are never used up: the bindings and the scripts see them too.
        Walk(false, [&event](GUIControl& control) { control.OnKey(event); });
        return;
    }
    if ((event.type != MouseDown && event.type != MouseUp) || event.mouseButton >= kGUIMouseButtons)
        return;
    const bool press = event.type == MouseDown;
    const int button = int(event.mouseButton);
    held[button] = press;
    bool used = false;
    Walk(true, [&](GUIControl& control) { control.OnMouseButton(press ? kMousePress : kMouseRelease, button, used); });
    if (used)
        event.type = None;
}

void GUIManager::SetScale(float x, float y)
{
    // A window has at least one pixel each way; the guard keeps the pointer's
    // division finite whatever the caller passes.
    scaleX = x > 0.0f ? x : 1.0f;
    scaleY = y > 0.0f ? y : 1.0f;
}
