#include "support/scripted_input.h"

#include "engine/fatalerror.h"
#include "input/keycodes.h"
#include "platform/platform.h"
#include "support/test_commands.h"

#include <SDL.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ScriptedStep {
    unsigned frame;
    std::string action, argument;
};

std::vector<ScriptedStep> ReadScript(const char* path)
{
    std::vector<ScriptedStep> steps;
    std::ifstream file(path);
    if (!file)
        FatalError(1, "Scripted input: cannot read %s\n", path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        ScriptedStep step{};
        if (!(fields >> step.frame >> step.action))
            continue;
        fields.get();  // the one separator before the argument
        std::getline(fields, step.argument);
        if (!steps.empty() && step.frame < steps.back().frame)
            FatalError(1, "Scripted input: frame %u comes after frame %u\n", step.frame, steps.back().frame);
        steps.push_back(step);
    }
    return steps;
}

// Unicode as a US keyboard gives it: the character itself, shifted for capitals.
void PushKey(bool down, int symbol, char character)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = SDLKey(symbol);
    event.key.keysym.unicode = Uint16(down ? character : 0);
    event.key.keysym.mod = std::isupper(static_cast<unsigned char>(character)) ? KMOD_LSHIFT : KMOD_NONE;
    if (SDL_PushEvent(&event) != 0)
        FatalError(1, "Scripted input: SDL's event queue is full\n");
}

void PushButton(bool down, int button)
{
    int x, y;
    SDL_GetMouseState(&x, &y);
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = Uint8(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = Uint16(x);
    event.button.y = Uint16(y);
    if (SDL_PushEvent(&event) != 0)
        FatalError(1, "Scripted input: SDL's event queue is full\n");
}

void Perform(const ScriptedStep& step)
{
    if (step.action == "press" || step.action == "down" || step.action == "up") {
        const int code = KeyCodeOf(step.argument);
        if (code < 0 || code >= kJoystickCodeBase)
            FatalError(1, "Scripted input: no key is named \"%s\"\n", step.argument.c_str());
        if (step.action != "up")
            PushKey(true, code, code < 128 ? char(code) : '\0');
        if (step.action != "down")
            PushKey(false, code, code < 128 ? char(code) : '\0');
    } else if (step.action == "type") {
        for (const char c : step.argument) {
            PushKey(true, std::tolower(static_cast<unsigned char>(c)), c);
            PushKey(false, std::tolower(static_cast<unsigned char>(c)), c);
        }
    } else if (step.action == "move") {
        // Through the window system, as a hand would: the input manager reads the pointer, not motion events.
        int dx = 0, dy = 0, x, y;
        std::istringstream(step.argument) >> dx >> dy;
        if (!Platform_MovePointerBy(dx, dy, x, y))
            FatalError(1, "Scripted input: this display cannot move the pointer\n");
    } else if (step.action == "warp") {
        int x = 0, y = 0;
        std::istringstream(step.argument) >> x >> y;
        SDL_WarpMouse(Uint16(x), Uint16(y));
    } else if (step.action == "click") {
        int button = 0;
        std::istringstream(step.argument) >> button;
        PushButton(true, button);
        PushButton(false, button);
    } else {
        FatalError(1, "Scripted input: unknown action \"%s\"\n", step.action.c_str());
    }
}

}  // namespace

void QueueScriptedInput()
{
    static const bool registered = (RegisterTestCommands(), true);
    (void)registered;
    static unsigned frame = 0;
    static const char* path = std::getenv("MORVATHEN_TEST_INPUT");
    static const std::vector<ScriptedStep> steps = path ? ReadScript(path) : std::vector<ScriptedStep>();
    static size_t next = 0;
    for (; next < steps.size() && steps[next].frame <= frame; ++next)
        Perform(steps[next]);
    ++frame;
}
