#include "input/keycodes.h"

#include "input/inputmanager.h"

#include <array>

namespace {

typedef std::array<std::string, kKeyCodeCount> NameTable;

void NameRun(NameTable& names, int first, std::initializer_list<const char*> run)
{
    for (const char* name : run)
        names[size_t(first++)] = name;
}

NameTable BuildNames()
{
    NameTable names;
    NameRun(names, 8, {"backspace", "tab"});
    NameRun(names, 12, {"clear", "return"});
    NameRun(names, 19, {"pause"});
    NameRun(names, 27, {"escape"});
    NameRun(names, 32, {"spacebar"});
    NameRun(names, 39, {"'"});
    NameRun(names, 42, {"'"});
    NameRun(names, 44, {",", "-", ".", "/"});
    for (char digit = '0'; digit <= '9'; ++digit)
        names[size_t(digit)] = std::string(1, digit);
    NameRun(names, 59, {";"});
    NameRun(names, 91, {"[", "\\", "]"});
    NameRun(names, 96, {"`"});
    for (char letter = 'a'; letter <= 'z'; ++letter)
        names[size_t(letter)] = std::string(1, letter);
    NameRun(names, 127, {"delete"});
    for (int digit = 0; digit <= 9; ++digit)
        names[size_t(256 + digit)] = "keypad_" + std::to_string(digit);
    NameRun(names, 266, {"keypad_.", "keypad_/", "keypad_*", "keypad_-", "keypad_+", "keypad_enter",
                         "keypad_equals", "arrow_up", "arrow_down", "arrow_right", "arrow_left", "insert",
                         "home", "end", "page_up", "page_down"});
    for (int f = 1; f <= 15; ++f)
        names[size_t(281 + f)] = "f" + std::to_string(f);
    NameRun(names, 300, {"num_lock", "caps_lock", "scroll_lock", "right_shift", "left_shift",
                         "right_control", "left_control", "right_alt", "left_alt", "meta_right",
                         "meta_left", "windows_left", "windows_right"});

    // The first two joysticks share the names of joystick 0, so names only
    // ever reach joystick 0's codes.
    static const char* const kDirections[8] = {"up",     "down",    "left",     "right",
                                               "upleft", "upright", "downleft", "downright"};
    for (int joystick = 0; joystick < 2; ++joystick) {
        const int base = kJoystickCodeBase + kJoystickCodeStride * joystick;
        for (int stick = 0; stick < 2; ++stick)
            for (int direction = 0; direction < 8; ++direction)
                names[size_t(base + 8 * stick + direction)] =
                    "joy0_" + std::to_string(stick) + "_" + kDirections[direction];
        for (int button = 0; button < 8; ++button)
            names[size_t(base + int(kJoyButtonCodeBase) + button)] = "joy0_button" + std::to_string(button);
    }
    NameRun(names, kMouseCodeBase, {"mouse0", "mouse1", "mouse2", "mouse_wheel_up", "mouse_wheel_down",
                                    "mouse3", "mouse4", "mouse5"});
    return names;
}

const NameTable& Names()
{
    static const NameTable names = BuildNames();
    return names;
}

}  // namespace

const std::string& KeyName(int code)
{
    static const std::string none;
    return code >= 0 && code < kKeyCodeCount ? Names()[size_t(code)] : none;
}

int KeyCodeOf(const std::string& name)
{
    if (name.empty())
        return -1;
    const NameTable& names = Names();
    for (int code = 0; code < kKeyCodeCount; ++code)
        if (names[size_t(code)] == name)
            return code;
    return -1;
}

int KeyCodeOfEvent(const InputEvent& event)
{
    int64_t code = -1;
    switch (event.type) {
    case KeyDown:
    case KeyUp:
        code = event.key;
        break;
    case MouseDown:
    case MouseUp:
        code = int64_t(kMouseCodeBase) + event.mouseButton;
        break;
    case JoyPress:
    case JoyRelease:
        code = int64_t(kJoystickCodeBase) + int64_t(kJoystickCodeStride) * event.joyIndex + event.joyCode;
        if (event.joyCode < 8)
            code += 8 * int64_t(event.joyStick);
        break;
    default:
        break;
    }
    return code >= 0 && code < kKeyCodeCount ? int(code) : -1;
}
