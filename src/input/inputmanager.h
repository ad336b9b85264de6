// Owner of the window-system input queue: drains SDL's events once a frame,
// keeps key, mouse and joystick state, smooths the mouse motion and hands
// each event to the registered receiver as one InputEvent record.
#pragma once

#include "input/inputevent.h"

#include <SDL.h>

#include <atomic>
#include <cstdint>

typedef void (*InputEventCallback)(InputEvent* event);

// A stick reduced to eight ways, so that it can be bound like keys.
enum JoyDirection : int {
    JoyNone = -1,
    JoyUp = 0,
    JoyDown = 1,
    JoyLeft = 2,
    JoyRight = 3,
    JoyUpLeft = 4,
    JoyUpRight = 5,
    JoyDownLeft = 6,
    JoyDownRight = 7,
};

// joyCode of a joystick button: this base plus the button number.
constexpr uint32_t kJoyButtonCodeBase = 38;

struct JoystickState {
    static constexpr int kDirectionSticks = 2;  // sticks reported as directions
    static constexpr int kAxisSticks = 3;       // sticks whose axes are kept

    int direction[kDirectionSticks] = {JoyNone, JoyNone};
    int axisCount = 0;
    int stickCount = 0;
    int buttonCount = 0;
    int axis[kAxisSticks][2] = {};  // x, y per stick, raw SDL values
};

class InputManager {
public:
    static constexpr int kMaxJoysticks = 4;
    static constexpr uint32_t kHistoryLength = 10;  // frames of mouse smoothing
    static constexpr int kStickDeadZone = 15000;

    virtual ~InputManager();

    void Init();
    // Frees what Init set up; Init may run again afterwards.
    void Release();
    // The per-frame poll: every event, then stick directions, then the mouse.
    void Update();
    // While loading screens show: honours focus changes and quit requests only.
    void PumpEvents();
    // Once the game has started: forgets pointer travel made while loading.
    void PostStart();
    // Puts the pointer at (x, y) and forgets the motion since the last poll.
    void WarpMouse(int x, int y);
    // Mouse look's per-frame return to (x, y). Unlike WarpMouse it keeps the
    // travel made since the last poll: that reaches the next frame.
    void RecentreMouse(int x, int y);
    void UpdateMouse();

    uint8_t keyDown[2048] = {};
    uint32_t modifiers = 0;
    int mouseScale = 1;  // g_mouseSensitivity
    uint8_t mouseButtonDown[7] = {};
    int mouseX = 0, mouseY = 0;
    float smoothX = 0.0f, smoothY = 0.0f;
    int rawDX = 0, rawDY = 0;
    uint8_t cursorLock = 1;
    uint8_t hasFocus = 1;
    InputEventCallback eventCallback = nullptr;
    // Raised when the window is asked to close; owned by the application.
    std::atomic<bool>* quitRequest = nullptr;
    InputEvent event;
    int joystickCount = 0;
    JoystickState joysticks[kMaxJoysticks];

private:
    struct Motion {
        float x, y;
    };

    void RequireInitialized(int line) const;
    void RequestQuit()
    {
        if (quitRequest)
            *quitRequest = true;
    }
    void HandleFocus(const SDL_ActiveEvent& active);
    void Translate(const SDL_Event& sdl);
    void TranslateMouseButton(const SDL_MouseButtonEvent& button, bool down);
    void StoreAxis(int joystick, int axis, int value);
    void UpdateStickDirections();
    void ReportDirectionChange(int previous, int next);
    void SendJoy(InputEventType type, int direction);
    void Dispatch();
    int TrackedJoysticks() const;

    Motion history[kHistoryLength] = {};
    uint32_t historyCount = 0;  // newest entry at historyIndex - 1
    uint32_t historyIndex = 0;
    SDL_Joystick* joystickHandle[kMaxJoysticks] = {};
    uint8_t axisMoved = 0;
    bool initialized = false;
};

extern InputManager* gInputManager;
