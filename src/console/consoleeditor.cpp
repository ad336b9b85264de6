// The console's line editor: typing, cursor moves, history, completion,
// paste and undo. ConsoleView maps keys to these.
#include "console/console.h"

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

void Console::SubmitInput()
{
    undo = input;
    std::string line(input);
    ClearInput();
    ExecuteTyped(line.c_str());
}

void Console::TypeCharacter(char c)
{
    undo = input;
    if (input.size() < maxInputLength) {
        if (insertMode || cursor >= input.size())
            input.insert(input.begin() + cursor, c);
        else
            input[cursor] = c;
        ++cursor;
    }
    UpdateVisibleInputLength();
}

void Console::EraseBeforeCursor()
{
    if (cursor > 0) {
        undo = input;
        input.erase(cursor - 1, 1);
        --cursor;
    }
    UpdateVisibleInputLength();
}

void Console::EraseAtCursor()
{
    if (cursor < input.size()) {
        undo = input;
        input.erase(cursor, 1);
    }
    UpdateVisibleInputLength();
}

void Console::Undo()
{
    std::swap(input, undo);
    cursor = uint32_t(input.size());
    UpdateVisibleInputLength();
}

void Console::MoveCursor(uint32_t position)
{
    cursor = std::min<uint32_t>(position, uint32_t(input.size()));
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
    undo = input;
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
