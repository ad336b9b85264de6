// Console unit-test helpers: key events for the line editor and a fixture
// that resets the console state surviving Release().
#pragma once

#include "console/console.h"
#include "console/consoleview.h"
#include "input/inputevent.h"
#include "support/test_console.h"

#include <SDL_keysym.h>

#include <initializer_list>
#include <string>

inline InputEvent KeyEvent(uint32_t key, uint32_t character = 0, uint32_t modifiers = 0)
{
    return {KeyDown, key, character, modifiers};
}

class ConsoleUnitTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        // gConsole lives for the whole program: edit mode and load-time lock outlast Release().
        if (!gConsole->InsertMode())
            Press(SDLK_INSERT);
        gConsole->SetLoadTimeLocked(false);
    }

    void TearDown() override
    {
        gConsole->SetLoadTimeLocked(false);
        gConsole->SetDisplay(nullptr);
        gConsole->SetLoadingMode(false);
        ConsoleTest::TearDown();
    }

    static void Press(uint32_t key, uint32_t modifiers = 0) { gConsoleView->HandleKey(KeyEvent(key, 0, modifiers)); }
    static void Press(std::initializer_list<uint32_t> keys)
    {
        for (uint32_t key : keys)
            Press(key);
    }
    static void PressCtrl(uint32_t key) { Press(key, KMOD_LCTRL); }

    // Printable text the way SDL reports it: key symbol plus character.
    static void Type(const std::string& text)
    {
        for (unsigned char c : text)
            gConsoleView->HandleKey(KeyEvent(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c, c));
    }

    static void Enter(const std::string& line)
    {
        Type(line);
        Press(SDLK_RETURN);
    }
};
