// Key bindings: a console command line per input code, run when the input
// is pressed ("+" commands run their "-" form on release), the mode that
// binds the next input pressed, and the bindings' part of "default.cfg".
#pragma once

#include "console/consoleregistry.h"
#include "input/inputevent.h"
#include "input/keycodes.h"

#include <string>

class PlayerInputManager {
public:
    virtual ~PlayerInputManager() = default;

    // Empties every binding and leaves the capture mode.
    void Reset();
    // Runs the binding of an input; a press captured by the bind-next-input
    // mode is consumed and its type set to None.
    void HandleEvent(InputEvent* event);

    // Binds `command` to the next input pressed; `previousKey` (a key name
    // or "[none]") loses the command once another input took it.
    void BindNextInput(const std::string& command, const std::string& previousKey);
    int IsWaitingForInput() const { return waitingForInput ? 1 : 0; }
    // Upper-case names of the two lowest codes bound to `command`, or "[None]".
    void GetBoundKeys(const std::string& command, std::string& first, std::string& second) const;
    // One "bind key "command"" line per bound key with a name, in code order.
    std::string BindingLines() const;

    const std::string& Binding(int code) const { return slots[code]; }
    void SetBinding(int code, const std::string& command) { slots[code] = command; }

private:
    bool Capture(const InputEvent& event);

    std::string slots[kKeyCodeCount];
    bool waitingForInput = false;
    std::string pendingCommand;
    std::string previousKey = "[none]";
};

extern PlayerInputManager* gPlayerInputManager;

// The console commands Bind [key] [command] and Unbind [key/all].
void PlayerInput_BindCommand(const CommandArgs& args);
void PlayerInput_UnbindCommand(const CommandArgs& args);
