// One space of 1024 codes for every input that can be bound: keyboard keys
// (the SDL key symbols), joystick directions and buttons, mouse buttons and
// wheel; each bindable code has a fixed lower-case name.
#pragma once

#include "input/inputevent.h"

#include <string>

constexpr int kKeyCodeCount = 1024;
constexpr int kJoystickCodeBase = 512;
constexpr int kJoystickCodeStride = 50;  // codes per joystick
constexpr int kMouseCodeBase = 612;

// The name of a code; empty for codes that have none.
const std::string& KeyName(int code);
// The lowest code whose name is exactly `name`, or -1.
int KeyCodeOf(const std::string& name);
// The code an input event stands for, or -1 when it has none in the space.
int KeyCodeOfEvent(const InputEvent& event);
