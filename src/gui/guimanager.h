// Owner of every top-level GUI control: loads GUI files, finds controls by
// path, hands them the mouse and keyboard, and updates and draws them in
// the 640 x 480 virtual screen scaled to the window.
#pragma once

#include "gui/guicontrol.h"
#include "gui/guiparser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct InputEvent;

class GUIManager {
public:
    GUIManager();
    virtual ~GUIManager();

    void Load(const char* fileName);
    void Add(std::unique_ptr<GUIControl> control);
    // "name" for a top-level control, "window:child" for a window's child;
    // null, with a message for a broken window path, when there is none.
    GUIControl* Find(const std::string& path) const;
    // Releases and destroys every control. During a walk over the controls
    // (a hook flushing from inside dispatch, update or draw) they are gone
    // for every lookup at once, and freed when the walk ends.
    void Flush();

    // Once a frame: the pointer in GUI units to every control.
    void Update();
    void UpdateAt(int windowX, int windowY);
    void Draw();
    // Marks a press that a control took as None for the receivers after.
    void OnInputEvent(InputEvent& event);
    // The window's size: GUI units scale to it.
    void SetScale(float x, float y);

    // Milliseconds for double clicks; tests set their own clock.
    uint32_t (*ticks)() = nullptr;
    bool acceptInput = false;
    bool active = true;  // r_drawUI
    int mouseX = 0, mouseY = 0;
    bool held[kGUIMouseButtons] = {};
    const std::vector<std::unique_ptr<GUIControl>>& controls() const { return list; }

private:
    // Calls `visit` on each control present when the walk began and not
    // flushed since, in list order or the reverse.
    template <typename Visit>
    void Walk(bool reverse, Visit visit);

    std::unordered_map<std::string, GUIControl*> byName{100};
    std::vector<std::unique_ptr<GUIControl>> list;
    std::vector<std::unique_ptr<GUIControl>> flushedDuringWalk;
    int walkDepth = 0;
    float scaleX = 1.0f, scaleY = 1.0f;
    GUIParser parser;
};

extern GUIManager* gGUIManager;
