#include "input/playerinputmanager.h"

#include "console/console.h"

#include <SDL_keysym.h>

PlayerInputManager* gPlayerInputManager = new PlayerInputManager;

namespace {

const char kNoKey[] = "[none]";

// A command as one quoted console argument. Line breaks become blanks so
// that a binding stays on its own line of a configuration file.
std::string Quoted(const std::string& command)
{
    std::string quoted = "\"";
    for (char c : command) {
        if (c == '"')
            quoted += '\\';
        quoted += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return quoted + "\"";
}

bool IsPress(uint8_t type)
{
    return type == KeyDown || type == MouseDown || type == JoyPress;
}

bool IsRelease(uint8_t type)
{
    return type == KeyUp || type == MouseUp || type == JoyRelease;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

}  // namespace

void PlayerInputManager::Reset()
{
    for (std::string& slot : slots)
        slot.clear();
    waitingForInput = false;
}

void PlayerInputManager::HandleEvent(InputEvent* event)
{
    if (waitingForInput && Capture(*event)) {
        event->type = None;
        return;
    }
    const int code = KeyCodeOfEvent(*event);
    if (code < 0)
        return;
    if (IsPress(event->type)) {
        gConsole->Execute(slots[code].c_str(), true);
    } else if (IsRelease(event->type) && slots[code][0] == '+') {
        std::string release = slots[code];
        release[0] = '-';
        gConsole->Execute(release.c_str(), true);
    }
}

bool PlayerInputManager::Capture(const InputEvent& event)
{
    if (pendingCommand.empty()) {
        waitingForInput = false;
        return false;
    }
    if (!IsPress(event.type))
        return false;
    if (event.type == KeyDown && event.key == SDLK_ESCAPE) {
        waitingForInput = false;
        return true;
    }
    if (event.type == KeyDown && event.key == SDLK_BACKSPACE) {
        gConsole->Execute(("unbind " + previousKey).c_str(), true);
        waitingForInput = false;
        return true;
    }
    const std::string name = KeyName(KeyCodeOfEvent(event));
    gConsole->Execute(("bind " + name + " " + Quoted(pendingCommand)).c_str(), true);
    if (previousKey != kNoKey && previousKey != name)
        gConsole->Execute(("unbind " + previousKey).c_str(), true);
    waitingForInput = false;
    return true;
}

void PlayerInputManager::BindNextInput(const std::string& command, const std::string& previous)
{
    waitingForInput = true;
    pendingCommand = command;
    previousKey = LowerAscii(previous);
}

void PlayerInputManager::GetBoundKeys(const std::string& command, std::string& first,
                                      std::string& second) const
{
    first = second = "[None]";
    const std::string wanted = LowerAscii(command);
    std::string* next = &first;
    for (int code = 0; code < kKeyCodeCount && next; ++code) {
        if (LowerAscii(slots[code]) != wanted)
            continue;
        *next = UpperAscii(KeyName(code));
        next = next == &first ? &second : nullptr;
    }
}

std::string PlayerInputManager::BindingLines() const
{
    std::string lines;
    for (int code = 0; code < kKeyCodeCount; ++code)
        if (!slots[code].empty() && !KeyName(code).empty())
            lines += "bind " + KeyName(code) + " " + Quoted(slots[code]) + "\n";
    return lines;
}

void PlayerInput_BindCommand(const CommandArgs& args)
{
    const int count = args.Count();
    if (count < 2) {
        gConsole->Print("^15Usage: ^6Bind ^5[key] [command]^15\n");
        return;
    }
    const std::string key = LowerAscii(args[1]);
    const int code = KeyCodeOf(key);
    if (code < 0) {
        gConsole->Print("^1Error: ^13%s^1 is not a known keyname.^15\n", key.c_str());
        return;
    }
    if (count == 2) {
        const std::string& command = gPlayerInputManager->Binding(code);
        if (!command.empty())
            gConsole->Print("^15Bind: Key ^13%s^15 is bound to ^13%s^15\n", key.c_str(), command.c_str());
        else
            gConsole->Print("^15Bind: ^13%s^15 is unbound.\n", key.c_str());
        return;
    }
    gPlayerInputManager->SetBinding(code, args[2]);
}

void PlayerInput_UnbindCommand(const CommandArgs& args)
{
    if (args.Count() < 2) {
        gConsole->Print("^15Usage: ^6Unbind ^5[key/all]^15\n");
        return;
    }
    const std::string typed = args[1];
    const std::string key = LowerAscii(typed);
    if (key == "all") {
        for (int code = 0; code < kKeyCodeCount; ++code)
            gPlayerInputManager->SetBinding(code, "");
        return;
    }
    const int code = KeyCodeOf(key);
    if (code < 0) {
        gConsole->Print("^1Error: ^13%s^1 is not a known keyname.^15\n", typed.c_str());
        return;
    }
    gPlayerInputManager->SetBinding(code, "");
}
