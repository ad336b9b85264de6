// The fixed record the input manager hands to the engine's event router.
#pragma once

#include <cstdint>

enum InputEventType : uint8_t {
    None = 0,
    KeyDown = 1,
    KeyUp = 2,
    MouseDown = 3,
    MouseUp = 4,
    JoyRelease = 5,
    JoyPress = 6,
};

struct InputEvent {
    uint8_t type = None;
    uint32_t key = 0;           // SDL key symbol
    uint32_t character = 0;     // 7-bit Unicode translation, 0 when none
    uint32_t keyModifiers = 0;  // SDL modifier mask
    uint32_t mouseButton = 0;
    uint32_t mouseX = 0, mouseY = 0;
    uint32_t joyCode = 0;
    uint32_t joyStick = 0;
    uint32_t joyIndex = 0;
};
