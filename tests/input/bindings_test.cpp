// Key names, Bind and Unbind, bound commands run by inputs, bind-next-input and saved bindings.
#include "engine/game.h"
#include "input/keycodes.h"
#include "input/playerinputmanager.h"
#include "input_fixture.h"

namespace {

TEST(KeyNames, EveryNamedCodeRoundTripsToItselfOrTheLowerCodeSharingItsName)
{
    int named = 0;
    for (int code = 0; code < kKeyCodeCount; ++code) {
        const std::string& name = KeyName(code);
        if (name.empty())
            continue;
        ++named;
        const int found = KeyCodeOf(name);
        const bool shared = code == 42 || (code >= 562 && code < 612);
        EXPECT_EQ(found, shared ? (code == 42 ? 39 : code - 50) : code) << "\"" << name << "\"";
        for (char c : name)
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << name;
    }
    EXPECT_GT(named, 100);
    for (int code : {-1, 0, 7, 128, 299, 313, 511, 528, 620, 1023, 1024})
        EXPECT_EQ(KeyName(code), "") << code;
    EXPECT_EQ(KeyCodeOf(""), -1);
    EXPECT_EQ(KeyCodeOf("A"), -1);  // names are matched exactly
}

class BindingsTest : public InputManagerTest {
protected:
    void SetUp() override
    {
        InputManagerTest::SetUp();
        gConsole->AddCommand("Bind", PlayerInput_BindCommand);
        gConsole->AddCommand("Unbind", PlayerInput_UnbindCommand);
        gConsole->AddCommand("Echo", Console_EchoCommand);
        gConsole->AddButtonCommand("+forward", [](bool pressed) { forward.push_back(pressed); });
        gPlayerInputManager->Reset();
        forward.clear();
        // Events take the engine's own road: console first, then bindings.
        input.eventCallback = RouteInputEvent;
    }

    void TearDown() override
    {
        gPlayerInputManager->Reset();
        InputManagerTest::TearDown();
    }

    static void Run(const std::string& line) { gConsole->Execute(line.c_str(), true); }
    static const std::string& Bound(const char* key) { return gPlayerInputManager->Binding(KeyCodeOf(key)); }

    static inline std::vector<int> forward;
};

TEST_F(BindingsTest, BindAndUnbindByKeyName)
{
    Run("Bind A \"+forward\"");  // the first reply shows what was bound
    const std::pair<const char*, const char*> replies[] = {
        {"bind a", "^15Bind: Key ^13a^15 is bound to ^13+forward^15\n"},
        {"bind b", "^15Bind: ^13b^15 is unbound.\n"},
        {"bind NoSuchKey Quit", "^1Error: ^13nosuchkey^1 is not a known keyname.^15\n"},
        {"bind", "^15Usage: ^6Bind ^5[key] [command]^15\n"},
        {"unbind Bogus", "^1Error: ^13Bogus^1 is not a known keyname.^15\n"},
        {"unbind", "^15Usage: ^6Unbind ^5[key/all]^15\n"},
    };
    for (const auto& [line, reply] : replies)
        EXPECT_EQ(PrintedBy([&] { Run(line); }), reply) << line;
    Run("bind mouse0 +attack");
    Run("unbind A");
    EXPECT_EQ(Bound("a"), "");
    EXPECT_EQ(Bound("mouse0"), "+attack");
    Run("Unbind ALL");
    EXPECT_EQ(Bound("mouse0"), "");
}

TEST_F(BindingsTest, PlusCommandsRunTheirMinusFormOnRelease)
{
    Run("bind w +forward");
    Run("bind mouse0 +forward");
    Run("bind e \"Echo pressed-e\"");
    PushKey(true, SDLK_w);
    PushKey(false, SDLK_w);
    PushButton(true, SDL_BUTTON_LEFT);
    PushButton(false, SDL_BUTTON_LEFT);
    PushKey(true, SDLK_e);
    PushKey(false, SDLK_e);
    PushKey(true, SDLK_x);  // unbound: nothing
    EXPECT_EQ(PrintedBy([this] { Frame(); }), "pressed-e\n");
    EXPECT_EQ(forward, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(BindingsTest, BindNextInputCapturesOnePress)
{
    Run("bind spacebar +forward");
    gPlayerInputManager->BindNextInput("+forward", "SPACEBAR");
    PushKey(true, SDLK_j);
    PushKey(false, SDLK_j);  // releases pass through as usual
    Frame();
    EXPECT_EQ(gPlayerInputManager->IsWaitingForInput(), 0);
    EXPECT_EQ(Bound("j"), "+forward");
    EXPECT_EQ(Bound("spacebar"), "");
    EXPECT_EQ(forward, std::vector<int>{0});  // the press was taken, not run

    // Escape gives up; Backspace unbinds the key the command had.
    gPlayerInputManager->BindNextInput("+forward", "j");
    PushKey(true, SDLK_ESCAPE);
    PushKey(true, SDLK_k);
    Frame();
    EXPECT_EQ(Bound("j"), "+forward");
    EXPECT_EQ(Bound("k"), "");
    gPlayerInputManager->BindNextInput("+forward", "j");
    PushKey(true, SDLK_BACKSPACE);
    Frame();
    EXPECT_EQ(Bound("j"), "");

    // A whole command line survives the capture; a second joystick's input is bound under the first one's name.
    gPlayerInputManager->BindNextInput("Echo two words", "[none]");
    InputEvent joy;
    joy.type = JoyPress, joy.joyIndex = 1, joy.joyCode = JoyLeft, joy.joyStick = 1;
    gPlayerInputManager->HandleEvent(&joy);
    EXPECT_EQ(joy.type, None);
    EXPECT_EQ(Bound("joy0_1_left"), "Echo two words");

    // With nothing to bind the mode ends at once.
    gPlayerInputManager->BindNextInput("", "[none]");
    PushKey(true, SDLK_e);
    Frame();
    EXPECT_EQ(gPlayerInputManager->IsWaitingForInput(), 0);
    EXPECT_EQ(Bound("e"), "");
}

TEST_F(BindingsTest, SavedBindingsReadBackUnchanged)
{
    Run("bind F1 \"Echo \\\"quoted\\\" words\"");
    Run("bind mouse_wheel_down +forward");
    Run("bind q \"Echo one\nQuit\"");  // a line break must not start a new line in the file
    // The engine-level input test pins the lines as default.cfg holds them.
    WriteData("saved.cfg", "unbind all\n" + gPlayerInputManager->BindingLines());
    Run("bind a Quit");
    gConsole->ExecuteFile("saved.cfg");
    EXPECT_EQ((std::vector<std::string>{Bound("a"), Bound("f1"), Bound("mouse_wheel_down"), Bound("q")}),
              (std::vector<std::string>{"", "Echo \"quoted\" words", "+forward", "Echo one Quit"}));
}

}  // namespace
