#include "console/console.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// How often the loading screen may be redrawn.
constexpr std::chrono::microseconds kLoadingFrame(16667);

}  // namespace

Console* gConsole = new Console;

Console::Console() = default;

Console::~Console()
{
    Release();
}

void Console::Create(uint32_t newCapacity, uint32_t newMaxInputLength, uint32_t newRows,
                     uint32_t columns, uint32_t newHistoryCapacity)
{
    capacity = newCapacity;
    text.assign(capacity + 1, '\0');
    scratch.assign(capacity + 1, '\0');
    textLength = 0;
    history.clear();
    scrollOffset = 1;
    created = true;
    Layout(newMaxInputLength, newRows, columns, newHistoryCapacity);
}

void Console::Layout(uint32_t newMaxInputLength, uint32_t newRows, uint32_t columns,
                     uint32_t newHistoryCapacity)
{
    maxInputLength = newMaxInputLength;
    rows = newRows;
    wrapWidth = columns > 1 ? columns - 1 : 1;
    historyCapacity = newHistoryCapacity;
    while (history.size() > historyCapacity)
        history.pop_back();
    displayLines.assign(rows, std::string());
    undo.clear();
    ClearInput();
    RebuildLines();
}

void Console::Release()
{
    created = false;
    std::vector<char>().swap(text);
    std::vector<char>().swap(scratch);
    textLength = 0;
    displayLines.clear();
    input.clear();
    undo.clear();
    history.clear();
    commandList.clear();
    commandMap.clear();
    variableList.clear();
    variableMap.clear();
}

void Console::Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintTo(stdout, format, args);
    va_end(args);
}

void Console::PrintError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintTo(stderr, format, args);
    va_end(args);
}

void Console::PrintTo(FILE* echo, const char* format, va_list args)
{
    if (!created)
        return;
    va_list again;
    va_copy(again, args);
    int length = vsnprintf(scratch.data(), capacity + 1, format, args);
    if (length > int(capacity)) {
        // Longer than the whole buffer: keep the newest part of the message.
        std::vector<char> whole(size_t(length) + 1);
        vsnprintf(whole.data(), whole.size(), format, again);
        memcpy(scratch.data(), whole.data() + (length - capacity), capacity + 1);
        length = int(capacity);
    }
    va_end(again);
    if (length < 0)
        return;

    AppendText(scratch.data(), size_t(length));
    StripCodes(scratch.data());
    fputs(scratch.data(), echo);
    scratch[0] = '\0';

    RebuildLines();
    if (loadingMode && display) {
        redrawPending = true;
        if (std::chrono::steady_clock::now() - lastRedraw >= kLoadingFrame)
            FlushLoadingScreen();
    }
}

void Console::FlushLoadingScreen()
{
    if (!redrawPending || !loadingMode || !display)
        return;
    redrawPending = false;
    display->RedrawLoadingScreen();
    lastRedraw = std::chrono::steady_clock::now();
}

void Console::AppendText(const char* message, size_t length)
{
    size_t needed = length + 1;
    if (textLength + needed > capacity) {
        // Drop whole lines from the front; a message that cannot fit beside
        // the held text replaces all of it.
        size_t cut = textLength;
        if (needed < textLength) {
            cut = textLength - 1;
            const char* newline = static_cast<const char*>(
                memchr(text.data() + needed, '\n', textLength - 1 - needed));
            if (newline)
                cut = size_t(newline - text.data()) + 1;
        }
        memmove(text.data(), text.data() + cut, textLength - cut);
        textLength -= uint32_t(cut);
    }
    memcpy(text.data() + textLength, message, length);
    textLength += uint32_t(length);
    text[textLength] = '\0';
}

void Console::StripCodes(char* s)
{
    char* out = s;
    while (*s) {
        if (s[0] == '^' && s[1] != '\0') {
            char c = s[1];
            if (c == '0' || (c >= '2' && c <= '9')) {
                s += 2;
                continue;
            }
            if (c == '1') {
                s += 2;
                if (*s >= '0' && *s <= '9')
                    ++s;
                continue;
            }
            if (c == '^') {
                *out++ = '^';
                s += 2;
                continue;
            }
        }
        *out++ = *s++;
    }
    *out = '\0';
}

void Console::WrapLine(const char* line, size_t length, size_t width,
                       std::vector<std::pair<size_t, size_t>>& pieces)
{
    pieces.clear();
    size_t pos = 0;
    while (length - pos > width && pieces.size() + 1 < kMaxWrapPieces) {
        // The piece would grow past the width: end it before its last blank.
        size_t blank = pos + width;
        while (blank > pos && line[blank] != ' ')
            --blank;
        if (line[blank] == ' ' && blank > pos) {
            pieces.emplace_back(pos, blank - pos);
            pos = blank + 1;
        } else {
            pieces.emplace_back(pos, width);
            pos += width;
        }
    }
    // Past the piece limit the rest of the line is not displayed.
    pieces.emplace_back(pos, std::min(length - pos, width));
}

void Console::RebuildLines()
{
    for (std::string& line : displayLines)
        line.clear();
    if (!created || rows == 0)
        return;

    // Newest logical line first; the terminator counts as a character of
    // the last line, so a text ending in a newline has an empty last line.
    int skip = scrollOffset;
    int row = int(rows) - 1;
    int total = 0;
    size_t end = textLength;
    for (;;) {
        size_t start = end;
        while (start > 0 && text[start - 1] != '\n')
            --start;
        WrapLine(text.data() + start, end - start, wrapWidth, wrapPieces);
        for (size_t i = wrapPieces.size(); i-- > 0;) {
            ++total;
            if (skip > 0) {
                --skip;
            } else if (row >= 0) {
                displayLines[size_t(row)].assign(text.data() + start + wrapPieces[i].first,
                                                 wrapPieces[i].second);
                --row;
            }
        }
        if (row < 0 || start == 0)
            break;
        end = start - 1;
    }

    // Scrolling stops when the oldest line reaches the top visible row.
    int maxOffset = std::max(1, total - (int(rows) - 1));
    if (row >= 0 && scrollOffset > maxOffset) {
        scrollOffset = maxOffset;
        RebuildLines();
    }
}

void Console::Scroll(int lines)
{
    scrollOffset = std::max(1, int(std::min<int64_t>(int64_t(scrollOffset) + lines, capacity)));
    RebuildLines();
}

void Console::ScrollToOldest()
{
    scrollOffset = int(capacity);
    RebuildLines();
}

void Console::ScrollToNewest()
{
    scrollOffset = 1;
    RebuildLines();
}

void Console::SetLoadingMode(bool on)
{
    // Lines not shown when loading ends are not drawn either: the next frame
    // replaces the loading screen at once.
    loadingMode = on;
    redrawPending = false;
    if (on && display)
        display->BeginLoadingScreen();
}
