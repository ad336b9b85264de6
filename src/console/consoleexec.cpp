// The console's registries of commands and variables, and the execution of
// typed lines, lines from code and configuration files.
#include "console/console.h"

#include "vfs/vfs.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Strips one leading "/" or "\".
const char* SkipSlash(const char* name)
{
    return (*name == '/' || *name == '\\') ? name + 1 : name;
}

}  // namespace

bool ReadInteger(const char* text, int* value)
{
    errno = 0;
    char* end;
    long number = strtol(text, &end, 0);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    *value = int(number);
    return true;
}

namespace {

// Nested configuration files beyond this depth are refused, so a file that
// executes itself cannot exhaust the stack.
constexpr int kMaxFileDepth = 16;

}  // namespace

void Console::AddCommand(const char* name, CommandHandler handler)
{
    if (FindCommand(name))
        return;
    auto command = std::make_unique<ConsoleCommand>();
    command->name = name;
    command->lowerName = LowerAscii(name);
    command->handler = handler;
    commandList.push_back(command.get());
    commandMap[command->lowerName] = std::move(command);
}

void Console::AddButtonCommand(const char* name, ButtonCommandHandler handler)
{
    if (FindCommand(name))
        return;
    auto command = std::make_unique<ConsoleCommand>();
    command->name = name;
    command->lowerName = LowerAscii(name);
    command->button = true;
    command->buttonHandler = handler;
    std::string key = command->lowerName;
    if (!key.empty() && (key[0] == '+' || key[0] == '-'))
        key.erase(0, 1);
    commandList.push_back(command.get());
    commandMap[key] = std::move(command);
}

void Console::AddVariable(const char* name, void* value, char type, int maxLength, bool readOnly,
                          bool loadTimeOnly, int minimum, int maximum, VariableChangeHandler handler)
{
    if (FindVariable(name))
        return;
    auto variable = std::make_unique<ConsoleVariable>();
    variable->readOnly = readOnly;
    variable->loadTimeOnly = loadTimeOnly;
    variable->name = name;
    variable->lowerName = LowerAscii(name);
    variable->type = type;
    variable->value = value;
    variable->minimum = minimum;
    variable->maximum = maximum;
    variable->maxLength = maxLength;
    variable->changeHandler = handler;
    variableList.push_back(variable.get());
    variableMap[variable->lowerName] = std::move(variable);
}

ConsoleCommand* Console::FindCommand(const char* name) const
{
    name = SkipSlash(name);
    if (*name == '+' || *name == '-')
        ++name;
    auto found = commandMap.find(LowerAscii(name));
    return found == commandMap.end() ? nullptr : found->second.get();
}

ConsoleVariable* Console::FindVariable(const char* name) const
{
    auto found = variableMap.find(LowerAscii(SkipSlash(name)));
    return found == variableMap.end() ? nullptr : found->second.get();
}

void Console::RemoveCommand(const char* name)
{
    ConsoleCommand* command = FindCommand(name);
    if (!command)
        return;
    commandList.erase(std::find(commandList.begin(), commandList.end(), command));
    for (auto it = commandMap.begin(); it != commandMap.end(); ++it) {
        if (it->second.get() == command) {
            commandMap.erase(it);
            break;
        }
    }
}

void Console::RemoveVariable(const char* name)
{
    ConsoleVariable* variable = FindVariable(name);
    if (!variable)
        return;
    variableList.erase(std::find(variableList.begin(), variableList.end(), variable));
    variableMap.erase(variable->lowerName);
}

const char* Console::GetArg(int index) const
{
    return (index >= 0 && index < int(args.size())) ? args[size_t(index)].c_str() : "";
}

void Console::Tokenize(const char* line)
{
    args.clear();
    std::string current;
    bool quoted = false;
    char previous = '\0';
    for (const char* p = line; *p; ++p) {
        const char c = *p;
        if (!quoted) {
            if (c == ' ') {
                if (!current.empty()) {
                    args.push_back(current);
                    current.clear();
                }
            } else if (c == '"') {
                quoted = true;
            } else {
                current += c;
            }
        } else if (previous != '\\') {
            if (c == '"') {
                quoted = false;
                args.push_back(current);
                current.clear();
            } else if (c != '\\') {
                current += c;
            }
        } else if (c == '"') {
            current += '"';
        } else {
            current += '\\';
            current += c;
        }
        previous = c;
    }
    if (!current.empty())
        args.push_back(current);
}

void Console::ExecuteTyped(const char* line)
{
    ExecuteLine(line, true, true);
}

void Console::Execute(const char* line, bool showErrors)
{
    ExecuteLine(line, false, showErrors);
}

void Console::PrintInvalid(const char* line, bool echoLine)
{
    if (echoLine)
        Print("^6>^15%s\n", line);
    Print("^1*Invalid Command or Variable.\n^15");
}

void Console::ExecuteLine(const char* text, bool typed, bool showErrors)
{
    if (!text || !*text)
        return;
    const std::string copy(text);  // the caller may pass one of our own arguments
    const char* line = copy.c_str();
    if (typed) {
        Print("^6>^15%s\n", line);
        AddHistory(line);
    }
    Tokenize(line);
    if (args.empty())
        return;

    std::string name = LowerAscii(args[0]);
    if (name[0] == '/' || name[0] == '\\')
        name.erase(0, 1);
    else if (typed)
        return;  // typed lines without a slash are only echoed and remembered

    int prefix = 0;
    if (!name.empty() && (name[0] == '+' || name[0] == '-')) {
        prefix = name[0] == '+' ? 1 : -1;
        name.erase(0, 1);
    }

    auto command = commandMap.find(name);
    if (command != commandMap.end()) {
        ConsoleCommand* found = command->second.get();
        if (prefix != 0) {
            if (found->button) {
                found->pressed = prefix > 0;
                found->buttonHandler(prefix > 0 ? 1 : 0);
            } else {
                PrintInvalid(line, true);
            }
        } else if (!found->button) {
            found->handler();
        } else if (showErrors) {
            PrintInvalid(line, true);
        }
        return;
    }

    auto variable = variableMap.find(name);
    if (variable != variableMap.end()) {
        SetVariable(variable->second.get(), !typed);
    } else if (name == "cmdlist" || name == "listcmds") {
        ListCommands();
    } else if (name == "cvarlist" || name == "listcvars") {
        ListVariables();
    } else if (showErrors) {
        PrintInvalid(line, !typed);
    }
}

void Console::ListCommands()
{
    Print("\n^6==== Available Commands ====^15\n");
    Print("^15cmdlist\n");
    Print("^15listcmds\n");
    Print("^15cvarlist\n");
    Print("^15listcvars\n");
    for (const ConsoleCommand* command : commandList)
        Print("^15%s\n", command->name.c_str());
}

void Console::ListVariables()
{
    Print("\n^6==== Available Variables ====^15\n");
    for (const ConsoleVariable* variable : variableList)
        Print("^15%s\n", variable->name.c_str());
}

void Console::SetVariable(ConsoleVariable* variable, bool quiet)
{
    if (args.size() < 2) {
        PrintVariable(variable);
        return;
    }
    if (variable->readOnly) {
        Print("^1*Error: %s is read only.\n^15", variable->name.c_str());
        return;
    }
    if (variable->loadTimeOnly && loadTimeLocked) {
        Print("^1*Error: %s can only be changed at load time.\n^15", variable->name.c_str());
        return;
    }

    const char* argument = args[1].c_str();
    int number = 0;
    switch (variable->type | 0x20) {  // either case of the type letter
    case CVarBool:
        if (!ReadInteger(argument, &number) || (number != 0 && number != 1)) {
            Print("^1*Invalid value for %s, Must be 0 or 1.^15\n", variable->name.c_str());
            return;
        }
        *static_cast<unsigned char*>(variable->value) = static_cast<unsigned char>(number);
        break;
    case CVarInt:
        if (ReadInteger(argument, &number) && number >= variable->minimum &&
            number <= variable->maximum)
            *static_cast<int*>(variable->value) = number;
        else
            Print("^1*Error: %s can only be %i to %i.\n^15", variable->name.c_str(),
                  variable->minimum, variable->maximum);
        break;
    case CVarChar:
        if (ReadInteger(argument, &number) && number >= SCHAR_MIN && number <= SCHAR_MAX)
            *static_cast<signed char*>(variable->value) = static_cast<signed char>(number);
        else
            Print("^1*Error: %s can only be %i to %i.\n^15", variable->name.c_str(), SCHAR_MIN, SCHAR_MAX);
        break;
    case CVarFloat: {
        float value;
        if (sscanf(argument, "%f", &value) == 1)
            *static_cast<float*>(variable->value) = value;
        break;
    }
    case CVarString: {
        size_t length = std::min(strlen(argument), size_t(std::max(variable->maxLength, 0)));
        char* storage = static_cast<char*>(variable->value);
        memcpy(storage, argument, length);
        storage[length] = '\0';
        break;
    }
    default:
        break;
    }
    if (!quiet)
        PrintVariable(variable);
    if (variable->changeHandler)
        variable->changeHandler(variable->name.c_str(), variable->value);
}

void Console::PrintVariable(const ConsoleVariable* variable)
{
    const char* name = variable->name.c_str();
    switch (variable->type | 0x20) {
    case CVarBool:
        Print("^15%s = \"%i\"\n", name, *static_cast<unsigned char*>(variable->value) ? 1 : 0);
        break;
    case CVarInt:
        Print("^15%s = \"%i\"\n", name, *static_cast<int*>(variable->value));
        break;
    case CVarChar:
        Print("^15%s = \"%i\"\n", name, *static_cast<signed char*>(variable->value));
        break;
    case CVarFloat:
        Print("^15%s = \"%f\"\n", name, double(*static_cast<float*>(variable->value)));
        break;
    case CVarString:
        Print("^15%s = \"%s^15\"\n", name, static_cast<const char*>(variable->value));
        break;
    default:
        break;
    }
}

void Console::ExecuteFile(const char* fileName)
{
    const std::string name(fileName);  // the caller's arguments change below
    int handle = vfs_fopen(name.c_str(), "rb");
    if (!handle) {
        Print("^14Warning: Could not execute file ^13%s^15\n", name.c_str());
        return;
    }
    if (fileDepth >= kMaxFileDepth) {
        vfs_fclose(handle);
        Print("^1Error: Configuration files nested too deeply at ^13%s^15\n", name.c_str());
        return;
    }
    // Read it whole first: every byte value is data, and a read error ends
    // the file rather than a line.
    std::vector<char> data;
    char chunk[4096];
    int got;
    while ((got = vfs_fread(handle, chunk, sizeof(chunk))) > 0)
        data.insert(data.end(), chunk, chunk + got);
    vfs_fclose(handle);

    ++fileDepth;
    ExecuteConfigText(data.data(), data.size());
    --fileDepth;
    Print(" ^5- ^15Executed file ^13%s^15.\n", name.c_str());
}

void Console::ExecuteConfigText(const char* data, size_t size)
{
    std::string line;
    bool comment = false;
    for (size_t i = 0; i <= size; ++i) {
        const unsigned char c = i < size ? static_cast<unsigned char>(data[i]) : '\n';
        if (c == '\n' || c == '\r') {
            if (!line.empty()) {
                Execute(line.c_str(), false);
                line.clear();
            }
            comment = false;
        } else if (c == '#') {
            comment = true;
        } else if (comment) {
            continue;
        } else if (c >= 33 && c <= 125) {
            line += char(c);
        } else if ((c == ' ' || c == '\t') && !line.empty()) {
            line += char(c);
        }
    }
}

bool Console::SaveBuffer(const char* fileName)
{
    int handle = vfs_fopen(fileName, "wt");
    bool saved = handle && vfs_fwrite(handle, text.data(), textLength) == int(textLength);
    if (handle)
        vfs_fclose(handle);
    if (!saved) {
        Print("^1Error: Unable to save console buffer to ^13%s^15\n", fileName);
        return false;
    }
    Print("^15Console buffer saved to ^13%s\n", fileName);
    return true;
}

void Console_EchoCommand()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6Echo ^5[text]^15\n");
        return;
    }
    gConsole->Print("%s\n", gConsole->GetArg(1));
}

void Console_SaveBufferCommand()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6SaveBuffer ^5[file_name]^15\n");
        return;
    }
    const std::string name(gConsole->GetArg(1));
    gConsole->SaveBuffer(name.c_str());
}

void Console_ExecuteCommand()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6Execute ^5[file_name]^15\n");
        return;
    }
    gConsole->ExecuteFile(gConsole->GetArg(1));
}

void Console_ToggleCommand()
{
    if (gConsole->GetArgCount() != 2) {
        gConsole->Print("^15Usage: ^6Toggle ^5[console_variable]^15\n");
        return;
    }
    ConsoleVariable* variable = gConsole->FindVariable(gConsole->GetArg(1));
    if (!variable) {
        gConsole->Print("^15Unknown variable '%s'\n", gConsole->GetArg(1));
        return;
    }
    if (variable->type != CVarBool) {
        gConsole->Print("^15Variable '%s' is not of type boolean\n", gConsole->GetArg(1));
        return;
    }
    unsigned char* value = static_cast<unsigned char*>(variable->value);
    *value = *value == 0 ? 1 : 0;
}
