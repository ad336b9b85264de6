// The console's line editor: typing, cursor keys, history, scrolling,
// completion, paste and undo.
#include "console/console.h"

#include "input/inputevent.h"
#include "platform/platform.h"

#include <SDL_keysym.h>
#include <algorithm>
#include <cstring>

void Console::UpdateVisibleInputLength()
{
    std::string stripped(input);
    StripCodes(&stripped[0]);
    visibleInputLength = uint32_t(strlen(stripped.c_str()));
}

void Console::SetInput(const std::string& line)
{
    input = line.substr(0, maxInputLength);
    cursor = uint32_t(input.size());
    UpdateVisibleInputLength();
}

void Console::ClearInput()
{
    input.clear();
    cursor = 0;
    visibleInputLength = 0;
    historyPosition = 0;
}

void Console::AddHistory(const char* line)
{
    if (historyCapacity == 0)
        return;
    if (history.size() >= historyCapacity)
        history.pop_back();
    history.emplace_front(line);
}

void Console::HistoryUp()
{
    if (historyPosition < history.size()) {
        ++historyPosition;
        SetInput(history[historyPosition - 1]);
    }
}

void Console::HistoryDown()
{
    if (historyPosition > 1) {
        --historyPosition;
        SetInput(history[historyPosition - 1]);
    } else {
        input.clear();
        cursor = 0;
        visibleInputLength = 0;
        historyPosition = 0;
    }
}

void Console::TypeCharacter(char c)
{
    if (input.size() >= maxInputLength)
        return;
    if (insertMode || cursor >= input.size())
        input.insert(input.begin() + cursor, c);
    else
        input[cursor] = c;
    ++cursor;
}

void Console::HandleKey(const InputEvent& event)
{
    if (event.type != KeyDown)
        return;
    const bool ctrl = (event.keyModifiers & (KMOD_LCTRL | KMOD_RCTRL)) != 0;
    const int page = std::max(1, int(rows) - 1);

    switch (event.key) {
    case SDLK_RETURN: {
        undo = input;
        std::string line(input);
        ClearInput();
        ExecuteTyped(line.c_str());
        return;
    }
    case SDLK_TAB:
        Complete();
        return;
    case SDLK_BACKSPACE:
        if (cursor > 0) {
            undo = input;
            input.erase(cursor - 1, 1);
            --cursor;
        }
        break;
    case SDLK_DELETE:
        if (cursor < input.size()) {
            undo = input;
            input.erase(cursor, 1);
        }
        break;
    case SDLK_ESCAPE:
    case SDLK_BACKQUOTE:
        Toggle();
        return;
    case SDLK_UP:
        if (ctrl)
            Scroll(1);
        else
            HistoryUp();
        return;
    case SDLK_DOWN:
        if (ctrl)
            Scroll(-1);
        else
            HistoryDown();
        return;
    case SDLK_RIGHT:
        cursor = std::min<uint32_t>(cursor + 1, uint32_t(input.size()));
        return;
    case SDLK_LEFT:
        if (cursor > 0)
            --cursor;
        return;
    case SDLK_INSERT:
        insertMode = !insertMode;
        return;
    case SDLK_HOME:
        if (ctrl) {
            scrollOffset = int(capacity);
            RebuildLines();
        } else {
            cursor = 0;
        }
        return;
    case SDLK_END:
        if (ctrl) {
            scrollOffset = 1;
            RebuildLines();
        } else {
            cursor = uint32_t(input.size());
        }
        return;
    case SDLK_PAGEUP:
        Scroll(ctrl ? page : 1);
        return;
    case SDLK_PAGEDOWN:
        Scroll(ctrl ? -page : -1);
        return;
    default:
        if (ctrl) {
            if (event.key == SDLK_v) {
                undo = input;
                Paste(Platform_ClipboardText());
            } else if (event.key == SDLK_z) {
                std::swap(input, undo);
                cursor = uint32_t(input.size());
            } else {
                return;
            }
        } else if (event.character >= 32 && event.character <= 255) {
            undo = input;
            TypeCharacter(char(event.character));
        } else {
            return;
        }
        break;
    }
    UpdateVisibleInputLength();
}

void Console::Complete()
{
    std::string prefix(input);
    if (!prefix.empty() && (prefix[0] == '/' || prefix[0] == '\\'))
        prefix.erase(0, 1);
    prefix = LowerAscii(prefix);

    const std::string* match = nullptr;
    int matches = 0;
    auto consider = [&](const std::string& name, const std::string& lowerName) {
        if (lowerName.compare(0, prefix.size(), prefix) == 0) {
            Print("^15/%s\n", name.c_str());
            match = &name;
            ++matches;
        }
    };
    for (const ConsoleCommand* command : commandList)
        consider(command->name, command->lowerName);
    for (const ConsoleVariable* variable : variableList)
        consider(variable->Name(), variable->LowerName());
    if (matches == 1)
        SetInput("/" + *match);
}

void Console::Paste(const std::string& clipboard)
{
    if (input.size() > maxInputLength)
        return;
    if (insertMode) {
        std::string piece = clipboard.substr(0, maxInputLength - input.size());
        input.insert(cursor, piece);
        cursor += uint32_t(piece.size());
    } else {
        std::string piece = clipboard.substr(0, maxInputLength - cursor);
        input.replace(cursor, std::min(piece.size(), input.size() - cursor), piece);
        cursor += uint32_t(piece.size());
    }
    UpdateVisibleInputLength();
}
