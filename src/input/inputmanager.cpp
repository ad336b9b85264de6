#include "input/inputmanager.h"

#include "console/console.h"
#include "engine/engine.h"

#include <SDL.h>

InputManager* gInputManager = new InputManager;

InputManager::~InputManager()
{
    Release();
}

void InputManager::Init()
{
    gConsole->Print("\n^6==== Initializing Input System ====\n");
    eventCallback = nullptr;
    for (uint8_t& key : keyDown)
        key = 0;
    SDL_EnableUNICODE(1);
    hasFocus = 1;
    initialized = true;
}

void InputManager::Release()
{
    initialized = false;
}

void InputManager::RequireInitialized(int line) const
{
    if (!initialized)
        FatalError(1, "InputManager not initialized. (%s:%i)\n", "./src/input/inputmanager", line);
}

void InputManager::Update()
{
    RequireInitialized(__LINE__);
    SDL_Event sdl;
    while (SDL_PollEvent(&sdl)) {
        event.type = None;
        if (sdl.type == SDL_ACTIVEEVENT) {
            if (sdl.active.state & SDL_APPINPUTFOCUS)
                hasFocus = sdl.active.gain == 1;
        } else if (sdl.type == SDL_QUIT) {
            gEngine->quitRequested = true;
        } else if (sdl.type == SDL_KEYDOWN || sdl.type == SDL_KEYUP) {
            const bool down = sdl.type == SDL_KEYDOWN;
            event.key = sdl.key.keysym.sym;
            event.character = sdl.key.keysym.unicode & 0x7F;
            event.keyModifiers = sdl.key.keysym.mod;
            event.type = down ? KeyDown : KeyUp;
            if (event.key < sizeof(keyDown))
                keyDown[event.key] = down ? 1 : 0;
            modifiers = event.keyModifiers;
        }
        if (event.type != None && eventCallback)
            eventCallback(&event);
    }
}
