// The base of every GUI control: rectangle, flags, name and class, visual
// state, event hooks, and the operations scripts and the manager call. A
// class overrides what it supports; the rest does nothing.
#pragma once

#include "engine/colour.h"

#include <cstdint>
#include <string>
#include <vector>

class Shader;
struct ControlTemplate;
struct InputEvent;

enum class GUIEvent : uint8_t { Clicked, MouseMove, MouseLost, Change, DoubleClicked, KeyDown, GotFocus, LostFocus };
constexpr int kGUIEventCount = 8;

// Which events a class has, and whether each passes a number.
struct GUIEventSpec {
    GUIEvent event;
    bool withNumber;
};

// A script function called by name when its event fires.
struct GUIHook {
    std::string function;
    bool withNumber = false;
};

// Mouse-button codes handed to OnMouseButton.
constexpr int kMousePress = 2;
constexpr int kMouseRelease = 3;
constexpr int kGUIMouseButtons = 3;

// Texture coordinates of a quad: (s0, t0) at the top left, (s1, t1) at
// the bottom right.
struct TexRect {
    float s0 = 0.0f, t0 = 1.0f, s1 = 1.0f, t1 = 0.0f;
};

enum ControlState : int { StateNormal = 0, StateMouseDown = 1, StateMouseOver = 2 };

class GUIControl {
public:
    GUIControl(const char* className, const ControlTemplate& from, const GUIEventSpec* events, int eventCount);
    virtual ~GUIControl() = default;
    GUIControl(const GUIControl&) = delete;
    GUIControl& operator=(const GUIControl&) = delete;

    virtual void SetVisible(bool show);
    // False when the class has no such state.
    virtual bool SetShader(const std::string& state, Shader* shader);
    virtual void SetValue(float) {}
    virtual void SetText(const std::string&) {}
    virtual void SetTextColor(const Colour&) {}
    virtual void AddItem(const std::string&) {}
    virtual void RemoveItem(const std::string&) {}
    virtual void Clear() {}
    virtual std::string GetText() const { return "null"; }
    virtual float GetValue() const { return 0.0f; }
    // False for a class without a text colour.
    virtual bool GetTextColor(Colour&) const { return false; }
    // -1 when the class has no such event, 0 when its hooks take no
    // argument, 1 when they take a number; a hook is added when given.
    int SetHook(const std::string& eventName, const GUIHook* hook);
    // Mouse position in the coordinates of the control's parent.
    virtual void OnMouseButton(int code, int button, bool& used) = 0;
    virtual void OnMouseMove(int mouseX, int mouseY) = 0;
    virtual void OnKey(const InputEvent&) {}
    virtual void Draw() = 0;
    virtual void Release() {}
    void SetColor(const Colour& colour);
    virtual void Layout() {}

    // The rectangle drawn once per stage of the shader (nothing without
    // one), white or tinted by `tint`; the texture runs from (s0, t0) at the
    // top left to (s1, t1) at the bottom right.
    static void DrawShader(Shader* shader, float left, float top, float w, float h, const Colour* tint = nullptr,
                           const TexRect& tex = TexRect());

    void SetPosition(float newX, float newY);
    void SetSize(float newWidth, float newHeight);
    bool Contains(float px, float py) const { return px >= x && px < right && py >= y && py < bottom; }

    float width, height;
    float x, y;
    float right, bottom;
    bool enabled, visible;
    std::string name;
    const char* className;
    Colour colourOverride = {1.0f, 1.0f, 1.0f, 1.0f};
    bool colourSet = false;
    int state = StateNormal;
    bool mouseOver = false;
    bool held[kGUIMouseButtons] = {};
    // Set when a flush removed the control while a walk over the controls
    // still held it: the walk passes it over from then on.
    bool discarded = false;

protected:
    void Fire(GUIEvent event, double number = 0.0);
    // The held flag of a button from the event, kept in range.
    void SetHeld(int button, bool down);
    bool AnyHeld() const { return held[0] || held[1] || held[2]; }

private:
    const GUIEventSpec* events;
    int eventCount;
    std::vector<GUIHook> hooks[kGUIEventCount];
};
