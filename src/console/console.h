// The engine's message log and command line: a bounded text buffer with
// colour codes, word-wrapped display lines, the line editor with history,
// completion and paste, and the registries of commands and variables.
// Nothing here draws or reads keys: ConsoleView does, on top of this.
#pragma once

#include "console/consoleregistry.h"
#include "console/consolevariable.h"

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The screen side of the console, installed by its view. In loading mode
// the console covers the whole screen and is repainted after every message,
// so that progress shows while nothing else runs.
class ConsoleDisplay {
public:
    virtual ~ConsoleDisplay() = default;
    virtual void BeginLoadingScreen() = 0;
    virtual void RedrawLoadingScreen() = 0;
};

class Console {
public:
    Console();
    ~Console();

    // Buffers and layout.
    void Create(uint32_t capacity, uint32_t maxInputLength, uint32_t rows, uint32_t columns,
                uint32_t historyCapacity);
    void Layout(uint32_t maxInputLength, uint32_t rows, uint32_t columns, uint32_t historyCapacity);
    void Release();
    bool IsCreated() const { return created; }

    // Printing: the text keeps its colour codes; stdout (or stderr) gets it stripped.
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void PrintError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    static void StripCodes(char* text);

    const char* Text() const { return text.data(); }
    uint32_t TextLength() const { return textLength; }
    const std::vector<std::string>& DisplayLines() const { return displayLines; }
    uint32_t Rows() const { return rows; }
    uint32_t WrapWidth() const { return wrapWidth; }
    int ScrollOffset() const { return scrollOffset; }
    void Scroll(int lines);
    void ScrollToOldest();
    void ScrollToNewest();

    // Word wrap of one logical line into (offset, length) pieces of at most
    // `width` characters; at most kMaxWrapPieces pieces.
    static constexpr size_t kMaxWrapPieces = 200;
    static void WrapLine(const char* line, size_t length, size_t width,
                         std::vector<std::pair<size_t, size_t>>& pieces);

    // Loading mode, shown through the display when there is one.
    void SetDisplay(ConsoleDisplay* newDisplay) { display = newDisplay; }
    void SetLoadingMode(bool on);
    bool IsLoadingMode() const { return loadingMode; }
    // While loading, messages are shown at most once a display frame (1/60
    // s), so a flood of lines costs a few redraws; a message not shown yet
    // is shown here. Called before steps that may take long without printing
    // (scripts, shaders, maps).
    void FlushLoadingScreen();

    // Line editor. Submitting, typing, pasting and erasing keep the line
    // as it was for Undo, which swaps back and forth.
    void SubmitInput();
    void TypeCharacter(char c);
    void Paste(const std::string& clipboard);
    void EraseBeforeCursor();
    void EraseAtCursor();
    void Undo();
    void Complete();
    void HistoryUp();
    void HistoryDown();
    // Clamped to the end of the line.
    void MoveCursor(uint32_t position);
    void ToggleInsertMode() { insertMode = !insertMode; }
    const std::string& InputLine() const { return input; }
    uint32_t Cursor() const { return cursor; }
    uint32_t VisibleInputLength() const { return visibleInputLength; }
    bool InsertMode() const { return insertMode; }
    const std::deque<std::string>& History() const { return history; }

    // Registries. Names are stored without a leading "/" or "\"; a name
    // already registered, empty, or holding a blank, a control character, a
    // double quote or "#" (which a configuration file could not hold) is
    // refused with null.
    ConsoleCommand* AddCommand(const char* name, CommandHandler handler);
    ConsoleCommand* AddButtonCommand(const char* name, ButtonCommandHandler handler);
    ConsoleVariable* AddVariable(const char* name, void* value, char type, int maxLength, bool readOnly,
                                 bool loadTimeOnly, int minimum, int maximum,
                                 VariableChangeHandler handler = nullptr);
    void RemoveCommand(const char* name);
    void RemoveVariable(const char* name);
    // Removes every command and variable registered with this owner.
    void RemoveEntriesOf(const void* owner);
    ConsoleCommand* FindCommand(const char* name) const;
    ConsoleVariable* FindVariable(const char* name) const;
    const std::vector<ConsoleCommand*>& Commands() const { return commandList; }
    const std::vector<ConsoleVariable*>& Variables() const { return variableList; }
    static bool IsValidName(const char* name);

    // Lines. The arguments of the command or variable line being run stay
    // readable through GetArg while its handler runs.
    int GetArgCount() const { return currentArgs ? currentArgs->Count() : 0; }
    const char* GetArg(int index) const { return currentArgs ? (*currentArgs)[index] : ""; }
    void ExecuteTyped(const char* line);
    void Execute(const char* line, bool showErrors);
    void ExecuteFile(const char* fileName);
    void ExecuteConfigText(const char* data, size_t size);
    void SetVariable(ConsoleVariable& variable, const CommandArgs& args, bool quiet);
    void PrintVariable(const ConsoleVariable& variable);
    void SetLoadTimeLocked(bool locked) { loadTimeLocked = locked; }
    bool LoadTimeLocked() const { return loadTimeLocked; }

    // Writes the whole text, colour codes included, through the file system.
    bool SaveBuffer(const char* fileName);

private:
    void PrintTo(FILE* echo, const char* format, va_list args);
    void AppendText(const char* message, size_t length);
    void RebuildLines();
    void UpdateVisibleInputLength();
    void SetInput(const std::string& line);
    void ClearInput();
    void AddHistory(const char* line);
    void ExecuteLine(const char* line, bool typed, bool showErrors);
    void RunCommand(ConsoleCommand& command, int prefix, const char* line, const CommandArgs& args,
                    bool showErrors);
    void PrintInvalid(const char* line, bool echoLine);
    void ListCommands();
    void ListVariables();
    ConsoleCommand* AddCommandRecord(const char* name, bool button);

    // Text buffer.
    bool created = false;
    uint32_t capacity = 0;
    std::vector<char> text;     // capacity + 1 bytes, NUL-terminated
    std::vector<char> scratch;  // capacity + 1 bytes
    uint32_t textLength = 0;

    // Display.
    std::vector<std::string> displayLines;
    std::vector<std::pair<size_t, size_t>> wrapPieces;
    uint32_t rows = 0;
    uint32_t wrapWidth = 0;
    int scrollOffset = 1;
    bool loadingMode = false;
    ConsoleDisplay* display = nullptr;
    bool redrawPending = false;
    std::chrono::steady_clock::time_point lastRedraw;

    // Input line.
    uint32_t maxInputLength = 0;
    std::string input;
    std::string undo;
    uint32_t cursor = 0;
    uint32_t visibleInputLength = 0;
    bool insertMode = true;
    std::deque<std::string> history;  // newest first
    uint32_t historyCapacity = 0;
    uint32_t historyPosition = 0;

    // Registries.
    std::unordered_map<std::string, std::unique_ptr<ConsoleCommand>> commandMap;
    std::vector<ConsoleCommand*> commandList;
    std::unordered_map<std::string, std::unique_ptr<ConsoleVariable>> variableMap;
    std::vector<ConsoleVariable*> variableList;
    const CommandArgs* currentArgs = nullptr;
    // The arguments of each line being executed, by nesting depth; kept so
    // that a line's split reuses the storage of the one before.
    std::vector<std::unique_ptr<CommandArgs>> argsByDepth;
    size_t executeDepth = 0;
    bool loadTimeLocked = false;
    // Configuration files being executed, innermost last.
    std::vector<std::string> filesRunning;
};

extern Console* gConsole;

// The console's own commands: Echo, SaveBuffer, Execute, Toggle.
void Console_EchoCommand(const CommandArgs& args);
void Console_SaveBufferCommand(const CommandArgs& args);
void Console_ExecuteCommand(const CommandArgs& args);
void Console_ToggleCommand(const CommandArgs& args);
