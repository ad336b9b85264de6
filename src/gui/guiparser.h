// Reads GUI files: blocks of a class and its properties, windows holding
// child blocks, each control made from its class's template when its block
// closes. One long-lived parser: the templates persist between files.
#pragma once

#include "gui/controltemplate.h"
#include "vfs/definitionreader.h"

#include <memory>

class GUIControl;
class GUIManager;
class Window;

enum class GUIClass { Button, TextBox, Window, ComboBox, Cursor, Label, CheckBox, ProgressBar, ScrollBar, ListBox };
constexpr int kGUIClassCount = 10;

class GUIParser {
public:
    explicit GUIParser(GUIManager& owner) : manager(owner) {}

    // A file that cannot be opened makes nothing and prints nothing.
    void Load(const char* fileName);

    // The control a template describes.
    static std::unique_ptr<GUIControl> Create(GUIClass kind, const ControlTemplate& from);

private:
    void ProcessLine();
    void OpenBracket();
    void CloseBracket();
    void ClassLine();
    void Property();
    void MakeWindow();
    ControlTemplate& Template() { return templates[int(kind)]; }

    GUIManager& manager;
    DefinitionReader reader{DefinitionFormat::GuiFile};
    ControlTemplate templates[kGUIClassCount];
    bool classKnown = false;
    GUIClass kind = GUIClass::Button;
    Window* window = nullptr;  // the window whose block is open, once made
};
