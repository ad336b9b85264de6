// Shared helpers for the console unit tests: key events for the line editor
// and a fixture that puts back the console state that outlives Release().
#pragma once

#include "console/console.h"
#include "input/inputevent.h"
#include "support/test_console.h"

#include <SDL_keysym.h>

#include <string>

inline InputEvent KeyEvent(uint32_t key, uint32_t character = 0, uint32_t modifiers = 0)
{
    InputEvent event;
    event.type = KeyDown;
    event.key = key;
    event.character = character;
    event.keyModifiers = modifiers;
    return event;
}

class ConsoleUnitTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        // gConsole is one object for the whole test program; the edit mode
        // and the load-time lock survive Release()/Create().
        if (!gConsole->InsertMode())
            Press(SDLK_INSERT);
        gConsole->SetLoadTimeLocked(false);
    }

    void TearDown() override
    {
        gConsole->SetLoadTimeLocked(false);
        ConsoleTest::TearDown();
    }

    static void Press(uint32_t key, uint32_t modifiers = 0)
    {
        gConsole->HandleKey(KeyEvent(key, 0, modifiers));
    }
    static void PressCtrl(uint32_t key) { Press(key, KMOD_LCTRL); }

    // Types printable text the way SDL reports it: key symbol plus character.
    static void Type(const std::string& text)
    {
        for (unsigned char c : text)
            gConsole->HandleKey(KeyEvent(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c, c));
    }

    static void Enter(const std::string& line)
    {
        Type(line);
        Press(SDLK_RETURN);
    }

    // Console text printed after `mark` (a length of Text() taken earlier).
    std::string Since(size_t mark) const { return Text().substr(mark); }

    static size_t Count(const std::string& haystack, const std::string& needle)
    {
        size_t count = 0;
        for (size_t at = haystack.find(needle); at != std::string::npos;
             at = haystack.find(needle, at + 1))
            ++count;
        return count;
    }
};
