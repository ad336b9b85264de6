#include "input/inputmanager.h"

#include "console/console.h"
#include "engine/fatalerror.h"
#include "platform/platform.h"

#include <algorithm>

InputManager* gInputManager = new InputManager;

namespace {

// Mouse button index by SDL button number; -1 for buttons without one.
constexpr int kButtonIndex[8] = {-1, 0, 2, 1, 3, 4, 5, 6};
constexpr uint32_t kWheelUp = 3, kWheelDown = 4;

int Vertical(int direction)
{
    switch (direction) {
    case JoyUp:
    case JoyUpLeft:
    case JoyUpRight:
        return JoyUp;
    case JoyDown:
    case JoyDownLeft:
    case JoyDownRight:
        return JoyDown;
    default:
        return JoyNone;
    }
}

int Horizontal(int direction)
{
    switch (direction) {
    case JoyLeft:
    case JoyUpLeft:
    case JoyDownLeft:
        return JoyLeft;
    case JoyRight:
    case JoyUpRight:
    case JoyDownRight:
        return JoyRight;
    default:
        return JoyNone;
    }
}

int Combine(int vertical, int horizontal)
{
    if (vertical == JoyNone)
        return horizontal;
    if (horizontal == JoyNone)
        return vertical;
    if (vertical == JoyUp)
        return horizontal == JoyLeft ? JoyUpLeft : JoyUpRight;
    return horizontal == JoyLeft ? JoyDownLeft : JoyDownRight;
}

int StickDirection(const int (&stick)[2])
{
    const int limit = InputManager::kStickDeadZone;
    const int horizontal = stick[0] < -limit ? JoyLeft : stick[0] > limit ? JoyRight : JoyNone;
    const int vertical = stick[1] < -limit ? JoyUp : stick[1] > limit ? JoyDown : JoyNone;
    return Combine(vertical, horizontal);
}

}  // namespace

InputManager::~InputManager()
{
    Release();
}

void InputManager::RequireInitialized(int line) const
{
    if (!initialized)
        FatalError(1, "InputManager not initialized. (%s:%i)\n", "./src/input/inputmanager", line);
}

int InputManager::TrackedJoysticks() const
{
    return std::min(joystickCount, kMaxJoysticks);
}

void InputManager::Init()
{
    gConsole->Print("\n^6==== Initializing Input System ====\n");
    eventCallback = nullptr;
    std::fill(std::begin(keyDown), std::end(keyDown), 0);
    std::fill(std::begin(mouseButtonDown), std::end(mouseButtonDown), 0);
    SDL_EnableUNICODE(1);
    // mouseScale keeps its value: it is g_mouseSensitivity, already read
    // from default.cfg by now.
    historyIndex = 0;
    historyCount = 0;
    mouseX = 0;
    mouseY = 0;
    SDL_WarpMouse(0, 0);

    SDL_JoystickEventState(SDL_ENABLE);
    joystickCount = SDL_NumJoysticks();
    gConsole->Print(" ^5- ^15Number of joysticks: %i\n", joystickCount);
    for (int i = 0; i < TrackedJoysticks(); ++i) {
        SDL_Joystick* handle = SDL_JoystickOpen(i);
        joystickHandle[i] = handle;
        JoystickState& state = joysticks[i];
        state = JoystickState();
        if (!handle)
            continue;
        state.axisCount = SDL_JoystickNumAxes(handle);
        state.stickCount = state.axisCount / 2;
        state.buttonCount = SDL_JoystickNumButtons(handle);
        for (int button = 0; button < state.buttonCount; ++button)
            SDL_JoystickGetButton(handle, button);
        for (int axis = 0; axis < state.axisCount; ++axis)
            StoreAxis(i, axis, SDL_JoystickGetAxis(handle, axis));
        gConsole->Print(" ^5- ^15Joystick %i: ^13%i axes, %i button(s)^15\n", i, state.axisCount,
                        state.buttonCount);
    }
    // Sticks held at start-up report nothing until they move.
    axisMoved = 0;
    initialized = true;
}

void InputManager::Release()
{
    for (int i = 0; i < TrackedJoysticks(); ++i) {
        if (joystickHandle[i] && SDL_JoystickOpened(i))
            SDL_JoystickClose(joystickHandle[i]);
        joystickHandle[i] = nullptr;
    }
    historyCount = 0;
    initialized = false;
}

void InputManager::Update()
{
    RequireInitialized(__LINE__);
    event.type = None;
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl)) {
        event.type = None;
        Translate(sdl);
        if (event.type != None)
            Dispatch();
    }
    if (axisMoved)
        UpdateStickDirections();
    UpdateMouse();
}

void InputManager::PumpEvents()
{
    RequireInitialized(__LINE__);
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl)) {
        if (sdl.type == SDL_ACTIVEEVENT)
            HandleFocus(sdl.active);
        else if (sdl.type == SDL_QUIT)
            RequestQuit();
    }
}

void InputManager::PostStart()
{
    RequireInitialized(__LINE__);
    int x, y;
    SDL_GetMouseState(&x, &y);
    mouseX = x;
    mouseY = y;
    smoothX = smoothY = 0.0f;
    rawDX = rawDY = 0;
}

void InputManager::WarpMouse(int x, int y)
{
    RequireInitialized(__LINE__);
    SDL_WarpMouse(Uint16(x), Uint16(y));
    mouseX = x;
    mouseY = y;
    smoothX = smoothY = 0.0f;
    rawDX = rawDY = 0;
}

// A jump to (x, y) would drop whatever the pointer travelled between this
// frame's poll and the jump: the user's motion, lost whenever the frame is
// slow or the machine busy. Moving it by the offset from where the poll saw
// it keeps that travel on the pointer instead, and its motion events report
// it next frame.
void InputManager::RecentreMouse(int x, int y)
{
    RequireInitialized(__LINE__);
    int nowX, nowY;
    if (!Platform_MovePointerBy(x - mouseX, y - mouseY, nowX, nowY)) {
        WarpMouse(x, y);
        return;
    }
    const SDL_Surface* window = SDL_GetVideoSurface();
    const bool outside = !window || nowX < 0 || nowY < 0 || nowX >= window->w || nowY >= window->h;
    if (outside) {
        // A flick past the edge: outside the window no motion events come,
        // so it returns to (x, y) and the travel counts from a reference
        // shifted by as much.
        SDL_WarpMouse(Uint16(x), Uint16(y));
        x -= nowX - x;
        y -= nowY - y;
    }
    mouseX = x;
    mouseY = y;
    smoothX = smoothY = 0.0f;
    rawDX = rawDY = 0;
}

void InputManager::UpdateMouse()
{
    RequireInitialized(__LINE__);
    int x, y;
    SDL_GetMouseState(&x, &y);
    rawDX = int(double(x - mouseX) * mouseScale * 0.5);
    rawDY = int(double(y - mouseY) * mouseScale * 0.5);

    history[historyIndex] = {float(rawDX), float(rawDY)};
    historyIndex = (historyIndex + 1) % kHistoryLength;
    historyCount = std::min(historyCount + 1, kHistoryLength);

    // Newest first, each older frame weighing half the one after it; the
    // sum is divided by the number of frames, not by the weights.
    float sumX = 0.0f, sumY = 0.0f, weight = 1.0f;
    uint32_t slot = historyIndex;
    for (uint32_t i = 0; i < historyCount; ++i) {
        slot = (slot + kHistoryLength - 1) % kHistoryLength;
        sumX += weight * history[slot].x;
        sumY += weight * history[slot].y;
        weight *= 0.5f;
    }
    smoothX = sumX / float(historyCount);
    smoothY = sumY / float(historyCount);
    mouseX = x;
    mouseY = y;
}

void InputManager::HandleFocus(const SDL_ActiveEvent& active)
{
    if (active.state & SDL_APPINPUTFOCUS)
        hasFocus = active.gain == 1;
}

void InputManager::Translate(const SDL_Event& sdl)
{
    switch (sdl.type) {
    case SDL_ACTIVEEVENT:
        HandleFocus(sdl.active);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool down = sdl.type == SDL_KEYDOWN;
        event.key = sdl.key.keysym.sym;
        event.character = sdl.key.keysym.unicode & 0x7F;
        event.keyModifiers = sdl.key.keysym.mod;
        event.type = down ? KeyDown : KeyUp;
        if (event.key < sizeof(keyDown))
            keyDown[event.key] = down ? 1 : 0;
        modifiers = event.keyModifiers;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateMouseButton(sdl.button, sdl.type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_JOYAXISMOTION:
        StoreAxis(sdl.jaxis.which, sdl.jaxis.axis, sdl.jaxis.value);
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        event.joyCode = kJoyButtonCodeBase + sdl.jbutton.button;
        event.joyIndex = sdl.jbutton.which;
        event.type = sdl.type == SDL_JOYBUTTONDOWN ? JoyPress : JoyRelease;
        break;
    case SDL_QUIT:
        RequestQuit();
        break;
    default:
        break;
    }
}

void InputManager::TranslateMouseButton(const SDL_MouseButtonEvent& button, bool down)
{
    if (button.button >= sizeof(kButtonIndex) / sizeof(kButtonIndex[0]) || kButtonIndex[button.button] < 0)
        return;
    const uint32_t index = uint32_t(kButtonIndex[button.button]);
    // A wheel notch is a click at the pointer: it leaves no motion behind.
    if (index == kWheelUp || index == kWheelDown)
        WarpMouse(button.x, button.y);
    event.type = down ? MouseDown : MouseUp;
    event.mouseButton = index;
    event.mouseX = uint32_t(mouseX);
    event.mouseY = uint32_t(mouseY);
    mouseButtonDown[index] = down ? 1 : 0;
}

void InputManager::StoreAxis(int joystick, int axis, int value)
{
    if (joystick < 0 || joystick >= TrackedJoysticks())
        return;
    JoystickState& state = joysticks[joystick];
    const int stick = axis / 2;
    if (stick >= state.stickCount || stick >= JoystickState::kAxisSticks)
        return;
    // The first stick is stored (x, y), the others the other way round.
    const bool even = axis % 2 == 0;
    const int component = stick == 0 ? (even ? 0 : 1) : (even ? 1 : 0);
    state.axis[stick][component] = value;
    axisMoved = 1;
}

void InputManager::UpdateStickDirections()
{
    for (int j = 0; j < TrackedJoysticks(); ++j) {
        JoystickState& state = joysticks[j];
        const int sticks = std::min(state.stickCount, JoystickState::kDirectionSticks);
        for (int s = 0; s < sticks; ++s) {
            event.joyIndex = uint32_t(j);
            event.joyStick = uint32_t(s);
            const int next = StickDirection(state.axis[s]);
            ReportDirectionChange(state.direction[s], next);
            state.direction[s] = next;
        }
    }
    axisMoved = 0;
}

// A press of the new direction, then the release of whatever part of the
// old one the new one does not hold any more.
void InputManager::ReportDirectionChange(int previous, int next)
{
    if (next == previous)
        return;
    if (next != JoyNone)
        SendJoy(JoyPress, next);
    if (previous == JoyNone)
        return;
    const int vertical = Vertical(previous), horizontal = Horizontal(previous);
    const bool keepsVertical = vertical != JoyNone && vertical == Vertical(next);
    const bool keepsHorizontal = horizontal != JoyNone && horizontal == Horizontal(next);
    if (vertical == JoyNone || horizontal == JoyNone) {
        if (!keepsVertical && !keepsHorizontal)
            SendJoy(JoyRelease, previous);
    } else if (keepsVertical) {
        SendJoy(JoyRelease, horizontal);
    } else if (keepsHorizontal) {
        SendJoy(JoyRelease, vertical);
    } else if (next == JoyNone) {
        SendJoy(JoyRelease, vertical);
        SendJoy(JoyRelease, horizontal);
    } else {
        SendJoy(JoyRelease, previous);
    }
}

void InputManager::SendJoy(InputEventType type, int direction)
{
    event.type = type;
    event.joyCode = uint32_t(direction);
    Dispatch();
}

void InputManager::Dispatch()
{
    if (eventCallback)
        eventCallback(&event);
}
