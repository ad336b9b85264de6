// The console's registries of commands and variables, and the execution of
// typed lines, lines from code and configuration files.
#include "console/console.h"

#include "vfs/vfs.h"

#include <algorithm>
#include <cstring>

namespace {

// Nested configuration files beyond this depth are refused.
constexpr size_t kMaxFileDepth = 16;

// The registry key of a command: without a leading slash or button prefix.
std::string CommandKey(const char* name)
{
    name = SkipSlash(name);
    if (*name == '+' || *name == '-')
        ++name;
    return LowerAscii(name);
}

}  // namespace

std::string& CommandArgs::Next()
{
    if (size_t(count) == args.size())
        args.emplace_back();
    std::string& next = args[size_t(count++)];
    next.clear();
    return next;
}

void CommandArgs::Split(const char* line)
{
    count = 0;
    std::string* current = nullptr;  // the argument being built, if any
    bool quoted = false;
    char previous = '\0';
    for (const char* p = line; *p; ++p) {
        const char c = *p;
        if (!quoted) {
            if (c == ' ') {
                current = nullptr;
            } else if (c == '"') {
                quoted = true;
                if (!current)
                    current = &Next();
            } else {
                if (!current)
                    current = &Next();
                *current += c;
            }
        } else if (previous != '\\') {
            if (c == '"') {
                // A closing quote always ends the argument, even an empty one.
                quoted = false;
                current = nullptr;
            } else if (c != '\\') {
                *current += c;
            }
        } else if (c == '"') {
            *current += '"';
        } else {
            *current += '\\';
            *current += c;
        }
        previous = c;
    }
    // A quote left open with nothing after it makes no argument.
    if (quoted && current->empty())
        --count;
}

const char* CommandArgs::operator[](int index) const
{
    return (index >= 0 && index < count) ? args[size_t(index)].c_str() : "";
}

bool Console::IsValidName(const char* name)
{
    name = SkipSlash(name);
    if (!*name)
        return false;
    for (const char* p = name; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == '"' || c == '#' || c == 127)
            return false;
    }
    return true;
}

ConsoleCommand* Console::AddCommandRecord(const char* name, bool button)
{
    if (!IsValidName(name) || FindCommand(name))
        return nullptr;
    auto command = std::make_unique<ConsoleCommand>();
    command->name = SkipSlash(name);
    command->lowerName = LowerAscii(command->name);
    command->button = button;
    ConsoleCommand* record = command.get();
    commandMap.emplace(CommandKey(name), std::move(command));
    commandList.push_back(record);
    return record;
}

ConsoleCommand* Console::AddCommand(const char* name, CommandHandler handler)
{
    ConsoleCommand* command = AddCommandRecord(name, false);
    if (command)
        command->handler = std::move(handler);
    return command;
}

ConsoleCommand* Console::AddButtonCommand(const char* name, ButtonCommandHandler handler)
{
    ConsoleCommand* command = AddCommandRecord(name, true);
    if (command)
        command->buttonHandler = std::move(handler);
    return command;
}

ConsoleVariable* Console::AddVariable(const char* name, void* value, char type, int maxLength, bool readOnly,
                                      bool loadTimeOnly, int minimum, int maximum, VariableChangeHandler handler)
{
    if (!IsValidName(name) || FindVariable(name))
        return nullptr;
    auto variable = std::make_unique<ConsoleVariable>(SkipSlash(name), value, type, maxLength, readOnly,
                                                      loadTimeOnly, minimum, maximum, std::move(handler));
    ConsoleVariable* record = variable.get();
    variableMap.emplace(record->LowerName(), std::move(variable));
    variableList.push_back(record);
    return record;
}

ConsoleCommand* Console::FindCommand(const char* name) const
{
    auto found = commandMap.find(CommandKey(name));
    return found == commandMap.end() ? nullptr : found->second.get();
}

ConsoleVariable* Console::FindVariable(const char* name) const
{
    auto found = variableMap.find(LowerAscii(SkipSlash(name)));
    return found == variableMap.end() ? nullptr : found->second.get();
}

void Console::RemoveCommand(const char* name)
{
    auto found = commandMap.find(CommandKey(name));
    if (found == commandMap.end())
        return;
    commandList.erase(std::find(commandList.begin(), commandList.end(), found->second.get()));
    commandMap.erase(found);
}

void Console::RemoveVariable(const char* name)
{
    ConsoleVariable* variable = FindVariable(name);
    if (!variable)
        return;
    variableList.erase(std::find(variableList.begin(), variableList.end(), variable));
    variableMap.erase(variable->LowerName());
}

namespace {

// Drops the owner's records from a registry's list, then from its map, which owns them.
template <typename Record>
void RemoveOwned(std::vector<Record*>& list, std::unordered_map<std::string, std::unique_ptr<Record>>& map,
                 const void* owner)
{
    list.erase(std::remove_if(list.begin(), list.end(), [owner](const Record* r) { return r->owner == owner; }),
               list.end());
    for (auto it = map.begin(); it != map.end();)
        it = it->second->owner == owner ? map.erase(it) : std::next(it);
}

}  // namespace

void Console::RemoveEntriesOf(const void* owner)
{
    RemoveOwned(commandList, commandMap, owner);
    RemoveOwned(variableList, variableMap, owner);
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
    // The line is read only before any handler runs; a typed one may be a
    // history entry that remembering it drops, so it is copied first.
    std::string typedCopy;
    const char* line = text;
    if (typed) {
        typedCopy = text;
        line = typedCopy.c_str();
        Print("^6>^15%s\n", line);
        AddHistory(line);
    }
    // A line run by a handler gets the next depth's arguments, so the
    // handler's own stay valid.
    if (executeDepth == argsByDepth.size())
        argsByDepth.push_back(std::make_unique<CommandArgs>());
    CommandArgs& args = *argsByDepth[executeDepth];
    args.Split(line);
    if (args.Count() == 0)
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

    struct Scope {
        Console& console;
        const CommandArgs* savedArgs;
        ~Scope()
        {
            console.currentArgs = savedArgs;
            --console.executeDepth;
        }
    } scope{*this, currentArgs};
    ++executeDepth;
    currentArgs = &args;
    auto command = commandMap.find(name);
    if (command != commandMap.end()) {
        RunCommand(*command->second, prefix, line, args, showErrors);
        return;
    }
    auto variable = variableMap.find(name);
    if (variable != variableMap.end()) {
        SetVariable(*variable->second, args, !typed);
    } else if (name == "cmdlist" || name == "listcmds") {
        ListCommands();
    } else if (name == "cvarlist" || name == "listcvars") {
        ListVariables();
    } else if (showErrors) {
        PrintInvalid(line, !typed);
    }
}

void Console::RunCommand(ConsoleCommand& command, int prefix, const char* line, const CommandArgs& args,
                         bool showErrors)
{
    if (prefix != 0) {
        if (command.button) {
            command.pressed = prefix > 0;
            command.buttonHandler(prefix > 0);
        } else {
            PrintInvalid(line, true);
        }
    } else if (!command.button) {
        command.handler(args);
    } else if (showErrors) {
        PrintInvalid(line, true);
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
        Print("^15%s\n", variable->Name().c_str());
}

void Console::SetVariable(ConsoleVariable& variable, const CommandArgs& args, bool quiet)
{
    if (args.Count() < 2) {
        PrintVariable(variable);
        return;
    }
    // Inside a configuration file, string values may carry the escapes the
    // engine writes for bytes a file cannot hold.
    const auto outcome = variable.Assign(args[1], loadTimeLocked, !filesRunning.empty());
    if (outcome != ConsoleVariable::Outcome::Stored) {
        Print("%s", variable.RefusalMessage(outcome).c_str());
        // The unchanged value is shown after a range error; nothing changed,
        // so the change handler is not told.
        if (outcome == ConsoleVariable::Outcome::OutOfRange && !quiet)
            PrintVariable(variable);
        return;
    }
    if (!quiet)
        PrintVariable(variable);
    variable.NotifyChanged();
}

void Console::PrintVariable(const ConsoleVariable& variable)
{
    if (strchr("bcifs", variable.Kind()))
        Print("%s", variable.ValueLine().c_str());
}

void Console::ExecuteFile(const char* fileName)
{
    const std::string name(fileName);  // the caller's arguments change below
    int handle = vfs_fopen(name.c_str(), "rb");
    if (!handle) {
        Print("^14Warning: Could not execute file ^13%s^15\n", name.c_str());
        return;
    }
    // A file that executes itself would repeat its work without end.
    const std::string key = LowerAscii(name);
    if (std::find(filesRunning.begin(), filesRunning.end(), key) != filesRunning.end()) {
        vfs_fclose(handle);
        Print("^14Warning: ^13%s^14 is already being executed^15\n", name.c_str());
        return;
    }
    if (filesRunning.size() >= kMaxFileDepth) {
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

    filesRunning.push_back(key);
    {
        struct Finished {
            std::vector<std::string>& files;
            ~Finished() { files.pop_back(); }
        } finished{filesRunning};
        ExecuteConfigText(data.data(), data.size());
    }
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

void Console_EchoCommand(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6Echo ^5[text]^15\n");
        return;
    }
    gConsole->Print("%s\n", args[1]);
}

void Console_SaveBufferCommand(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6SaveBuffer ^5[file_name]^15\n");
        return;
    }
    gConsole->SaveBuffer(args[1]);
}

void Console_ExecuteCommand(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6Execute ^5[file_name]^15\n");
        return;
    }
    gConsole->ExecuteFile(args[1]);
}

void Console_ToggleCommand(const CommandArgs& args)
{
    if (args.Count() != 2) {
        gConsole->Print("^15Usage: ^6Toggle ^5[console_variable]^15\n");
        return;
    }
    ConsoleVariable* variable = gConsole->FindVariable(args[1]);
    if (!variable) {
        gConsole->Print("^15Unknown variable '%s'\n", args[1]);
        return;
    }
    if (variable->Type() != CVarBool) {
        gConsole->Print("^15Variable '%s' is not of type boolean\n", args[1]);
        return;
    }
    // Quiet, and the change handler is not told; locks hold as for any set.
    const auto outcome = variable->Flip(gConsole->LoadTimeLocked());
    if (outcome != ConsoleVariable::Outcome::Stored)
        gConsole->Print("%s", variable->RefusalMessage(outcome).c_str());
}
