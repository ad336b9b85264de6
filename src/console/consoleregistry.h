// Records of the console's command registry and the arguments a command
// receives.
#pragma once

#include "engine/text.h"

#include <functional>
#include <string>
#include <vector>

// The arguments of one console line, split by the console's rules: blanks
// separate, double quotes group (a pair makes an empty argument) and a
// backslash before a double quote inside quotes makes it literal. Argument 0
// is the command or variable name as typed.
class CommandArgs {
public:
    CommandArgs() = default;
    explicit CommandArgs(const char* line) { Split(line); }

    // Splits a new line, reusing the storage of the last one.
    void Split(const char* line);
    int Count() const { return count; }
    // "" for an index outside the arguments.
    const char* operator[](int index) const;

private:
    std::string& Next();

    std::vector<std::string> args;  // the first `count` are the arguments
    int count = 0;
};

typedef std::function<void(const CommandArgs& args)> CommandHandler;
// Button commands are run as "+name" (pressed) and "-name" (released).
typedef std::function<void(bool pressed)> ButtonCommandHandler;

struct ConsoleCommand {
    std::string name;       // as registered; button commands keep their "+"
    std::string lowerName;
    bool button = false;
    CommandHandler handler;
    ButtonCommandHandler buttonHandler;
    bool pressed = false;
    const void* owner = nullptr;  // who registered it, for RemoveEntriesOf
};

// A name as the registries store and look it up: one leading "/" or "\" is
// not part of it.
inline const char* SkipSlash(const char* name)
{
    return (*name == '/' || *name == '\\') ? name + 1 : name;
}
