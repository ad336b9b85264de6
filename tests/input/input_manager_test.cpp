// The input manager over synthetic SDL events: records, smoothed motion, sticks, focus and quit.
#include "input_fixture.h"
#include "support/fatal_error.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

namespace {

void PushAxis(Uint8 joystick, Uint8 axis, Sint16 value)
{
    SDL_Event event = {};
    event.jaxis = {SDL_JOYAXISMOTION, joystick, axis, value};
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

TEST_F(InputManagerTest, EachKeyAndButtonGetsItsOwnRecordAndTheStateFollowsTheLast)
{
    PushKey(true, SDLK_a, 'A', KMOD_LSHIFT);
    PushKey(true, SDLK_b, 0xE9);  // a character beyond 7 bits keeps its low bits
    PushKey(false, SDLK_a);
    PushButton(true, SDL_BUTTON_RIGHT);
    PushButton(true, SDL_BUTTON_MIDDLE);
    PushButton(true, 8);  // no index: dropped
    Frame();
    ASSERT_EQ(received.size(), 5u);
    auto key = [](const InputEvent& e) { return std::make_tuple(int(e.type), e.key, e.character, e.keyModifiers); };
    EXPECT_EQ(key(received[0]), std::make_tuple(int(KeyDown), uint32_t(SDLK_a), uint32_t('A'), uint32_t(KMOD_LSHIFT)));
    EXPECT_EQ(key(received[1]), std::make_tuple(int(KeyDown), uint32_t(SDLK_b), 0xE9u & 0x7F, 0u));
    EXPECT_EQ(received[2].type, KeyUp);
    EXPECT_EQ((std::vector<uint32_t>{received[3].mouseButton, received[4].mouseButton}), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ((std::vector<int>{input.keyDown[SDLK_a], input.keyDown[SDLK_b], int(input.modifiers),
                                input.mouseButtonDown[1]}),
              (std::vector<int>{0, 1, KMOD_NONE, 1}));

    // A wheel notch warps to its position first, so it carries that position and leaves no motion behind.
    received.clear();
    PushButton(true, SDL_BUTTON_WHEELUP, 100, 50);
    PushButton(false, SDL_BUTTON_WHEELUP, 100, 50);
    PushButton(true, SDL_BUTTON_WHEELDOWN, 100, 50);
    Frame();
    using Button = std::tuple<int, uint32_t, uint32_t, uint32_t>;  // type, button, x, y
    std::vector<Button> buttons;
    for (const InputEvent& e : received)
        buttons.emplace_back(e.type, e.mouseButton, e.mouseX, e.mouseY);
    EXPECT_EQ(buttons, (std::vector<Button>{{MouseDown, 3, 100, 50}, {MouseUp, 3, 100, 50}, {MouseDown, 4, 100, 50}}));
    EXPECT_EQ(input.rawDX, 0);
    EXPECT_EQ(input.mouseX, 100);
}

TEST_F(InputManagerTest, MouseMotionIsHalvedScaledAndSmoothedOverTenFrames)
{
    // Steady motion of 4 pixels a frame counts as 2. The newest frame weighs 1, each older one half as much, and the
    // sum is divided by the number of frames kept, at most ten (start-up's still frame is the first).
    for (int frame = 1; frame <= 12; ++frame) {
        SDL_WarpMouse(Uint16(4 * frame), 0);
        Frame();
        ASSERT_EQ(input.rawDX, 2);
        EXPECT_EQ(input.smoothY, 0.0f);
        const int moving = std::min(frame, 10);  // 2 + 1 + 0.5 + ...
        EXPECT_FLOAT_EQ(input.smoothX, 2.0f * (2.0f - std::ldexp(1.0f, 1 - moving)) / float(std::min(frame + 1, 10)))
            << "frame " << frame;
    }

    // Halving truncates toward zero.
    input.WarpMouse(200, 200);
    const struct {
        int scale, move, raw;
    } cases[] = {{1, 3, 1}, {1, 1, 0}, {1, -3, -1}, {3, 3, 4}, {20, -5, -50}};
    for (const auto& c : cases) {
        input.mouseScale = c.scale;
        SDL_WarpMouse(Uint16(input.mouseX + c.move), Uint16(input.mouseY + c.move));
        Frame();
        EXPECT_EQ(std::make_pair(input.rawDX, input.rawDY), std::make_pair(c.raw, c.raw)) << c.scale << " x " << c.move;
    }
}

TEST_F(InputManagerTest, WarpAndPostStartLeaveNoMotion)
{
    SDL_WarpMouse(300, 200);
    input.PostStart();  // travel while loading is no mouse-look
    Frame();
    EXPECT_EQ(std::make_pair(input.rawDX, input.mouseX), std::make_pair(0, 300));

    SDL_WarpMouse(310, 200);
    Frame();
    EXPECT_EQ(input.rawDX, 5);
    input.WarpMouse(320, 240);
    EXPECT_EQ(std::make_pair(input.rawDX, input.smoothX), std::make_pair(0, 0.0f));
    Frame();
    EXPECT_EQ(std::make_pair(input.rawDX, input.mouseY), std::make_pair(0, 240));
}

class StickTest : public InputManagerTest {
protected:
    typedef std::vector<std::pair<int, int>> Events;  // (type, joyCode)

    void SetUp() override
    {
        InputManagerTest::SetUp();
        input.joystickCount = 1;  // a two-stick pad, as SDL would report it
        input.joysticks[0].axisCount = 4;
        input.joysticks[0].stickCount = 2;
    }

    Events Move(int x, int y)  // stick 0
    {
        PushAxis(0, 0, Sint16(x));
        PushAxis(0, 1, Sint16(y));
        return Reported();
    }
    Events Reported()
    {
        received.clear();
        Frame();
        Events pairs;
        for (const InputEvent& event : received)
            pairs.emplace_back(event.type, int(event.joyCode));
        return pairs;
    }
};

constexpr int kFar = 20000;

TEST_F(StickTest, DirectionChangesBeyondTheDeadZoneAndButtonsArePressesAndReleasesForSticksThatExist)
{
    EXPECT_EQ(Move(-kFar, -kFar), (Events{{JoyPress, JoyUpLeft}}));
    EXPECT_EQ(std::make_pair(received[0].joyIndex, received[0].joyStick), std::make_pair(0u, 0u));
    EXPECT_EQ(Move(0, 0), (Events{{JoyRelease, JoyUp}, {JoyRelease, JoyLeft}}));
    EXPECT_EQ(Move(0, -kFar), (Events{{JoyPress, JoyUp}}));
    EXPECT_EQ(Move(-kFar, -kFar), (Events{{JoyPress, JoyUpLeft}}));  // up is still held
    EXPECT_EQ(Move(-kFar, 0), (Events{{JoyPress, JoyLeft}, {JoyRelease, JoyUp}}));
    EXPECT_EQ(Move(-kFar, kFar), (Events{{JoyPress, JoyDownLeft}}));
    EXPECT_EQ(Move(kFar, kFar), (Events{{JoyPress, JoyDownRight}, {JoyRelease, JoyLeft}}));
    EXPECT_EQ(Move(kFar, 0), (Events{{JoyPress, JoyRight}, {JoyRelease, JoyDown}}));
    EXPECT_EQ(Move(-kFar, -kFar), (Events{{JoyPress, JoyUpLeft}, {JoyRelease, JoyRight}}));
    EXPECT_EQ(Move(kFar, 0), (Events{{JoyPress, JoyRight}, {JoyRelease, JoyUpLeft}}));
    EXPECT_EQ(Move(kFar, 0), Events{});
    EXPECT_EQ(Move(0, 0), (Events{{JoyRelease, JoyRight}}));
    // The dead zone ends at 15000.
    EXPECT_EQ(Move(15000, -15000), Events{});
    EXPECT_EQ(Move(-15000, 15000), Events{});
    EXPECT_EQ(Move(15001, 0), (Events{{JoyPress, JoyRight}}));
    EXPECT_EQ(Move(0, 15001), (Events{{JoyPress, JoyDown}, {JoyRelease, JoyRight}}));
    EXPECT_EQ(Move(0, -15001), (Events{{JoyPress, JoyUp}, {JoyRelease, JoyDown}}));
    Move(0, 0);

    // The second stick's axes are stored the other way round: axis 3 is x.
    PushAxis(0, 3, kFar);
    EXPECT_EQ(Reported(), (Events{{JoyPress, JoyRight}}));
    EXPECT_EQ(received[0].joyStick, 1u);
    PushAxis(0, 2, kFar);
    EXPECT_EQ(Reported(), (Events{{JoyPress, JoyDownRight}}));

    // A third stick, a fourth axis pair and joysticks that are not there are dropped.
    for (const auto& [joystick, axis] : std::vector<std::pair<Uint8, Uint8>>{{0, 4}, {0, 7}, {1, 0}, {200, 0}})
        PushAxis(joystick, axis, kFar);
    EXPECT_EQ(Reported(), Events{});

    SDL_Event button = {};
    button.jbutton = {SDL_JOYBUTTONDOWN, 0, 2, SDL_PRESSED};
    Push(button);
    button.jbutton = {SDL_JOYBUTTONUP, 0, 2, SDL_RELEASED};
    Push(button);
    EXPECT_EQ(Reported(), (Events{{JoyPress, 40}, {JoyRelease, 40}}));
}

TEST_F(InputManagerTest, FocusAndQuitProduceNoRecords)
{
    auto pushActive = [](Uint8 gain, Uint8 state) {
        SDL_Event active = {};
        active.active = {SDL_ACTIVEEVENT, gain, state};
        Push(active);
    };
    SDL_Event quit = {SDL_QUIT};
    pushActive(0, SDL_APPMOUSEFOCUS);  // the pointer leaving is not focus
    Frame();
    EXPECT_EQ(input.hasFocus, 1);
    pushActive(0, SDL_APPINPUTFOCUS | SDL_APPACTIVE);
    Frame();
    EXPECT_EQ(input.hasFocus, 0);
    Push(quit);
    Frame();
    EXPECT_TRUE(quitRequested && received.empty());

    // While loading, only focus and quit count; keys are dropped.
    quitRequested = false;
    pushActive(1, SDL_APPINPUTFOCUS | SDL_APPACTIVE);
    PushKey(true, SDLK_a);
    Push(quit);
    input.PumpEvents();
    EXPECT_TRUE(input.hasFocus && quitRequested);
    Frame();
    EXPECT_TRUE(received.empty() && !input.keyDown[SDLK_a]);
}

TEST(InputManagerGuard, UseBeforeStartUpEndsTheProgramNamingTheSource)
{
    InputManager unstarted;
    for (const auto& use : std::vector<std::function<void()>>{
             [&] { unstarted.Update(); }, [&] { unstarted.UpdateMouse(); }, [&] { unstarted.WarpMouse(1, 1); },
             [&] { unstarted.PumpEvents(); }, [&] { unstarted.PostStart(); }})
        EXPECT_EQ(FatalMessage(use).rfind("InputManager not initialized. (./src/input/inputmanager:", 0), 0u);
}

}  // namespace
