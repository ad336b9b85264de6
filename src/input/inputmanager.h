// Owner of the window-system input queue: drains SDL's events once a frame,
// keeps key state and hands each event to the registered receiver.
#pragma once

#include "input/inputevent.h"

#include <cstdint>

typedef void (*InputEventCallback)(InputEvent* event);

class InputManager {
public:
    virtual ~InputManager();

    void Init();
    void Update();
    // Frees what Init set up; Init may run again afterwards.
    void Release();

    uint8_t keyDown[2048] = {};
    uint32_t modifiers = 0;
    uint8_t hasFocus = 1;
    InputEventCallback eventCallback = nullptr;
    InputEvent event;

private:
    void RequireInitialized(int line) const;

    bool initialized = false;
};

extern InputManager* gInputManager;
