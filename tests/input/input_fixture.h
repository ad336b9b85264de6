// An input manager on SDL's dummy video driver (or one a derived fixture names), so tests can
// queue events and move the pointer without a display; every event handed on is recorded.
#pragma once

#include "input/inputmanager.h"
#include "support/test_console.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <vector>

class InputManagerTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(640, 480, 0, 0), nullptr) << SDL_GetError();
        input.Init();
        input.eventCallback = Record;
        input.quitRequest = &quitRequested;
        Frame();  // whatever start-up queued
        received.clear();
        quitRequested = false;
    }

    void TearDown() override
    {
        input.Release();
        SDL_Quit();
        ConsoleTest::TearDown();
    }

    static void Record(InputEvent* event) { received.push_back(*event); }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 0); }

    static void PushKey(bool down, SDLKey key, Uint16 unicode = 0, SDLMod mod = KMOD_NONE)
    {
        SDL_Event event = {};
        event.key = {Uint8(down ? SDL_KEYDOWN : SDL_KEYUP), 0, 0, {0, key, mod, unicode}};
        Push(event);
    }

    static void PushButton(bool down, Uint8 button, Uint16 x = 0, Uint16 y = 0)
    {
        SDL_Event event = {};
        event.button = {Uint8(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP), 0, button, 0, x, y};
        Push(event);
    }

    void Frame() { input.Update(); }

    const char* videoDriver = "dummy";
    InputManager input;
    std::atomic<bool> quitRequested{false};
    static inline std::vector<InputEvent> received;
};
