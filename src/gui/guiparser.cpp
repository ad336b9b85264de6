#include "gui/guiparser.h"

#include "console/console.h"
#include "engine/text.h"
#include "gui/button.h"
#include "gui/checkbox.h"
#include "gui/combobox.h"
#include "gui/cursor.h"
#include "gui/guimanager.h"
#include "gui/label.h"
#include "gui/listbox.h"
#include "gui/progressbar.h"
#include "gui/scrollbar.h"
#include "gui/textbox.h"
#include "gui/window.h"
#include "render/shadermanager.h"

#include <climits>
#include <cstdlib>
#include <variant>

namespace {

using T = ControlTemplate;

// The slot of one of the four scroll-part shaders.
struct ShaderSlot {
    Shader* (T::*parts)[4];
    int index;
};

using Field = std::variant<bool T::*, int T::*, float T::*, std::string T::*, FloatPair T::*, IntPair T::*,
                           Colour T::*, Shader* T::*, char T::*, ShaderSlot>;

constexpr unsigned Bit(GUIClass kind)
{
    return 1u << unsigned(kind);
}

constexpr unsigned kButton = Bit(GUIClass::Button), kTextBox = Bit(GUIClass::TextBox),
                   kWindow = Bit(GUIClass::Window), kComboBox = Bit(GUIClass::ComboBox),
                   kCursor = Bit(GUIClass::Cursor), kLabel = Bit(GUIClass::Label),
                   kCheckBox = Bit(GUIClass::CheckBox), kProgressBar = Bit(GUIClass::ProgressBar),
                   kScrollBar = Bit(GUIClass::ScrollBar), kListBox = Bit(GUIClass::ListBox);
constexpr unsigned kAll = (1u << kGUIClassCount) - 1;
constexpr unsigned kTextClasses = kButton | kTextBox | kWindow | kComboBox | kLabel | kListBox;
constexpr unsigned kScrollClasses = kComboBox | kScrollBar | kListBox;

struct PropertyRule {
    const char* name;
    unsigned classes;
    Field field;
};

// Looked up by exact name among the rules of the block's class, first match.
const PropertyRule kProperties[] = {
    {"visible", kAll, &T::visible},
    {"enabled", kAll & ~(kCursor | kLabel), &T::enabled},
    {"name", kAll, &T::name},
    {"index", kAll & ~(kWindow | kCursor), &T::index},
    {"position", kAll & ~kCursor, &T::position},
    {"size", kAll & ~kLabel, &T::size},
    {"shadernormal", kButton | kTextBox | kComboBox | kCheckBox | kProgressBar | kListBox, &T::shaderNormal},
    {"shadermousemove", kButton | kTextBox | kComboBox | kCheckBox | kProgressBar | kListBox, &T::shaderMouseMove},
    {"shadermousedown", kButton | kComboBox | kCheckBox | kProgressBar, &T::shaderMouseDown},
    {"shaderdisabled", kButton | kTextBox | kComboBox | kProgressBar | kListBox, &T::shaderDisabled},
    {"fontsize", kTextClasses, &T::fontSize},
    {"textmapsize", kTextClasses, &T::textMapSize},
    {"fontcolor", kTextClasses, &T::fontColor},
    {"caption", kButton | kTextBox | kWindow | kLabel, &T::caption},
    {"fontmap", kTextClasses, &T::fontMap},
    {"multiline", kTextBox, &T::multiline},
    {"maxlength", kTextBox, &T::maxLength},
    {"shadergotfocus", kTextBox, &T::shaderGotFocus},
    {"border", kTextBox | kCheckBox | kProgressBar, &T::border},
    {"charinsert", kTextBox, &T::charInsert},
    {"charnormal", kTextBox, &T::charNormal},
    {"moveable", kWindow, &T::moveable},
    {"titlebar", kWindow, &T::titleBar},
    {"tbheight", kWindow, &T::tbHeight},
    {"shaderbackground", kWindow, &T::shaderBackground},
    {"shadertitlebar", kWindow, &T::shaderTitleBar},
    {"shadertitlebarinactive", kWindow, &T::shaderTitleBarInactive},
    {"textborder", kWindow, &T::textBorder},
    {"buttonvisible", kComboBox, &T::buttonVisible},
    {"shaderlistbg", kComboBox | kListBox, &T::shaderListBg},
    {"shaderscrollbg", kScrollClasses, &T::shaderScrollBg},
    {"shaderbuttonnormal", kComboBox, &T::shaderButtonNormal},
    {"shaderbuttonmousemove", kComboBox, &T::shaderButtonMouseMove},
    {"shaderbuttonmousedown", kComboBox, &T::shaderButtonMouseDown},
    {"shaderscrollupnormal", kScrollClasses, ShaderSlot{&T::shaderScrollUp, 0}},
    {"shaderscrollupmousemove", kScrollClasses, ShaderSlot{&T::shaderScrollUp, 1}},
    {"shaderscrollupmousedown", kScrollClasses, ShaderSlot{&T::shaderScrollUp, 2}},
    {"shaderscrollupdisabled", kScrollClasses, ShaderSlot{&T::shaderScrollUp, 3}},
    {"shaderscrolldownnormal", kScrollClasses, ShaderSlot{&T::shaderScrollDown, 0}},
    {"shaderscrolldownmousemove", kScrollClasses, ShaderSlot{&T::shaderScrollDown, 1}},
    {"shaderscrolldownmousedown", kScrollClasses, ShaderSlot{&T::shaderScrollDown, 2}},
    {"shaderscrolldowndisabled", kScrollClasses, ShaderSlot{&T::shaderScrollDown, 3}},
    {"shaderscrollposnormal", kScrollClasses, ShaderSlot{&T::shaderScrollPos, 0}},
    {"shaderscrollposmousemove", kScrollClasses, ShaderSlot{&T::shaderScrollPos, 1}},
    {"shaderscrollposmousedown", kScrollClasses, ShaderSlot{&T::shaderScrollPos, 2}},
    {"shaderscrollposdisabled", kScrollBar, ShaderSlot{&T::shaderScrollPos, 3}},
    {"scrollposheight", kComboBox | kListBox, &T::scrollPosHeight},
    {"itemsonlist", kComboBox | kListBox, &T::itemsOnList},
    {"buttonwidth", kComboBox | kListBox, &T::buttonWidth},
    {"scrollvisible", kListBox, &T::scrollVisible},
    {"shaderselected", kListBox, &T::shaderSelected},
    {"shader", kCursor, &T::shader},
    {"justify", kLabel, &T::justify},
    {"checked", kCheckBox, &T::checked},
    {"shaderchecked", kCheckBox, &T::shaderChecked},
    {"shaderdisablednormal", kCheckBox, &T::shaderDisabledNormal},
    {"shaderdisabledchecked", kCheckBox, &T::shaderDisabledChecked},
    {"value", kProgressBar, &T::barValue},
    {"value", kScrollBar, &T::scrollValue},
    {"vertical", kProgressBar | kScrollBar, &T::vertical},
    {"reverse", kProgressBar, &T::reverse},
    {"shaderbar", kProgressBar, &T::shaderBar},
    {"scrollpossize", kScrollBar, &T::scrollPosSize},
    {"buttonsize", kScrollBar, &T::buttonSize},
    {"minvalue", kScrollBar, &T::minValue},
    {"maxvalue", kScrollBar, &T::maxValue},
};

struct ClassName {
    const char* name;
    GUIClass kind;
};
const ClassName kClassNames[] = {
    {"button", GUIClass::Button},       {"textbox", GUIClass::TextBox},         {"window", GUIClass::Window},
    {"combobox", GUIClass::ComboBox},   {"cursor", GUIClass::Cursor},           {"label", GUIClass::Label},
    {"checkbox", GUIClass::CheckBox},   {"progress", GUIClass::ProgressBar},    {"progressbar", GUIClass::ProgressBar},
    {"scrollbar", GUIClass::ScrollBar}, {"listbox", GUIClass::ListBox},
};

// A fresh template of the class: its name and size, the rest as declared.
ControlTemplate Defaults(GUIClass kind)
{
    struct Default {
        const char* name;
        FloatPair size;
    };
    static const Default kDefaults[kGUIClassCount] = {
        {"Button", {32, 32}},       {"TextBox", {128, 16}},   {"Window", {200, 150}},  {"ComboBox", {128, 16}},
        {"Cursor", {16, 16}},       {"Label", {0, 0}},        {"CheckBox", {10, 10}},  {"ProgressBar", {128, 16}},
        {"ScrollBar", {128, 16}},   {"ListBox", {128, 80}},
    };
    ControlTemplate fresh;
    fresh.name = kDefaults[int(kind)].name;
    fresh.size = kDefaults[int(kind)].size;
    return fresh;
}

bool ParseInt(const std::string& token, int* value)
{
    if (!DefinitionReader::IsNumeric(token))
        return false;
    // Digits past an int's range stop at its ends.
    const long number = strtol(token.c_str(), nullptr, 10);
    *value = int(number < INT_MIN ? INT_MIN : number > INT_MAX ? INT_MAX : number);
    return true;
}

// Reads the value tokens of one property into its field; the field keeps
// its value when any token has the wrong form.
class ValueReader {
public:
    ValueReader(ControlTemplate& target, const std::vector<std::string>& tokens) : target(target), tokens(tokens) {}

    size_t Needed(const Field& field) const
    {
        if (std::holds_alternative<FloatPair T::*>(field) || std::holds_alternative<IntPair T::*>(field))
            return 2;
        return std::holds_alternative<Colour T::*>(field) ? 4 : 1;
    }

    bool operator()(bool T::*field) { return DefinitionReader::ParseBoolean(tokens[1], &(target.*field)); }
    bool operator()(int T::*field) { return ParseInt(tokens[1], &(target.*field)); }
    bool operator()(float T::*field) { return DefinitionReader::ParseReal(tokens[1], &(target.*field)); }
    bool operator()(std::string T::*field)
    {
        target.*field = tokens[1];
        return true;
    }
    bool operator()(FloatPair T::*field)
    {
        FloatPair pair;
        if (!DefinitionReader::ParseReal(tokens[1], &pair.x) || !DefinitionReader::ParseReal(tokens[2], &pair.y))
            return false;
        target.*field = pair;
        return true;
    }
    bool operator()(IntPair T::*field)
    {
        IntPair pair;
        if (!ParseInt(tokens[1], &pair.x) || !ParseInt(tokens[2], &pair.y))
            return false;
        target.*field = pair;
        return true;
    }
    bool operator()(Colour T::*field)
    {
        Colour colour;
        if (!DefinitionReader::ParseReal(tokens[1], &colour.red) || !DefinitionReader::ParseReal(tokens[2], &colour.green) ||
            !DefinitionReader::ParseReal(tokens[3], &colour.blue) || !DefinitionReader::ParseReal(tokens[4], &colour.alpha))
            return false;
        target.*field = colour;
        return true;
    }
    bool operator()(Shader* T::*field)
    {
        target.*field = gShaderManager->Get(tokens[1].c_str());
        return true;
    }
    bool operator()(ShaderSlot slot)
    {
        (target.*slot.parts)[slot.index] = gShaderManager->Get(tokens[1].c_str());
        return true;
    }
    bool operator()(char T::*field)
    {
        if (tokens[1].size() != 1)
            return false;
        target.*field = tokens[1][0];
        return true;
    }

private:
    ControlTemplate& target;
    const std::vector<std::string>& tokens;
};

}  // namespace

std::unique_ptr<GUIControl> GUIParser::Create(GUIClass kind, const ControlTemplate& from)
{
    switch (kind) {
    case GUIClass::Button:
        return std::make_unique<Button>(from);
    case GUIClass::TextBox:
        return std::make_unique<TextBox>(from);
    case GUIClass::Window:
        return std::make_unique<Window>(from);
    case GUIClass::ComboBox:
        return std::make_unique<ComboBox>(from);
    case GUIClass::Cursor:
        return std::make_unique<Cursor>(from);
    case GUIClass::Label:
        return std::make_unique<Label>(from);
    case GUIClass::CheckBox:
        return std::make_unique<CheckBox>(from);
    case GUIClass::ProgressBar:
        return std::make_unique<ProgressBar>(from);
    case GUIClass::ScrollBar:
        return std::make_unique<ScrollBar>(from);
    case GUIClass::ListBox:
        return std::make_unique<ListBox>(from);
    }
    return nullptr;
}

void GUIParser::Load(const char* fileName)
{
    classKnown = false;
    window = nullptr;
    if (reader.Parse(fileName, [this] { ProcessLine(); }))
        gConsole->Print(" ^5- ^15GUI: ^13%s parsed.^15\n", fileName);
    window = nullptr;
}

// The reader's block flags: inBlock for a control's block, inStage for a
// child block inside a window's.
void GUIParser::ProcessLine()
{
    const char bracket = reader.Bracket();
    if (bracket == '{')
        OpenBracket();
    else if (bracket == '}')
        CloseBracket();
    else if (reader.tokens.size() < 2)
        reader.Error(kDefinitionParameterCount);
    else if (!reader.inBlock)
        reader.Error(kDefinitionUnknownCommand);
    else if (!classKnown)
        ClassLine();
    else
        Property();
}

void GUIParser::MakeWindow()
{
    std::unique_ptr<GUIControl> made = Create(GUIClass::Window, Template());
    window = static_cast<Window*>(made.get());
    manager.Add(std::move(made));
}

void GUIParser::OpenBracket()
{
    if (!reader.inBlock) {
        reader.inBlock = true;
        return;
    }
    if (!reader.inStage && classKnown && kind == GUIClass::Window) {
        if (!window)
            MakeWindow();
        reader.inStage = true;
        classKnown = false;
        return;
    }
    reader.Error("^1Error: Illegal Brackets, 'Window' control class needed ^13(%s, line: %i).\n");
}

void GUIParser::CloseBracket()
{
    if (!reader.inBlock) {
        reader.Error(kDefinitionBracketPlacement);
        return;
    }
    if (reader.inStage) {
        if (classKnown && window) {
            if (kind == GUIClass::Window)
                reader.Error("^1Error: Window class cannot be made in another window ^13(%s, line: %i).\n");
            else if (kind != GUIClass::Cursor)
                window->AddChild(Create(kind, Template()));
        }
        reader.inStage = false;
        classKnown = true;
        kind = GUIClass::Window;
        return;
    }
    if (classKnown && kind == GUIClass::Window) {
        if (!window)
            MakeWindow();
    } else if (classKnown) {
        manager.Add(Create(kind, Template()));
    }
    reader.inBlock = false;
    classKnown = false;
    window = nullptr;
}

void GUIParser::ClassLine()
{
    if (reader.tokens[0] != "class") {
        reader.Error("^1Error: 'Class' property of control not yet defined ^13(%s, line: %i).\n");
        return;
    }
    if (reader.tokens.size() != 2) {
        reader.Error(kDefinitionParameterCount);
        return;
    }
    const std::string value = LowerAscii(reader.tokens[1]);
    for (const ClassName& entry : kClassNames) {
        if (value == entry.name) {
            kind = entry.kind;
            classKnown = true;
            Template() = Defaults(kind);
            return;
        }
    }
    reader.Error("^1Error: Unknown GUI class ^13(%s, line: %i).\n");
}

void GUIParser::Property()
{
    const std::vector<std::string>& tokens = reader.tokens;
    for (const PropertyRule& rule : kProperties) {
        if (!(rule.classes & Bit(kind)) || tokens[0] != rule.name)
            continue;
        ValueReader values(Template(), tokens);
        if (tokens.size() < 1 + values.Needed(rule.field))
            reader.Error(kDefinitionParameterCount);
        else if (!std::visit(values, rule.field))
            reader.Error(kDefinitionDatatype);
        return;
    }
    reader.Error(kDefinitionUnknownCommand);
}
