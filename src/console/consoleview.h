// The console on screen: drawing with its own font over the game or, in
// loading mode, over the whole screen, and the keys that edit its line.
#pragma once

#include "console/console.h"
#include "render/font.h"

#include <cstdint>

struct InputEvent;

class ConsoleView : public ConsoleDisplay {
public:
    static constexpr uint32_t kCharWidth = 10;   // pixels
    static constexpr uint32_t kLineHeight = 10;  // pixels

    // The window's size, set whenever the window is made.
    void SetScreenSize(uint32_t width, uint32_t height);
    void LoadFont();
    void Toggle();
    bool IsOpen() const { return open; }
    void Draw();
    void HandleKey(const InputEvent& event);

    void BeginLoadingScreen() override;
    void RedrawLoadingScreen() override { Draw(); }

private:
    void DrawBackground() const;
    void DrawInputLine(float promptY) const;

    uint32_t screenWidth = 0, screenHeight = 0;
    bool open = false;
    uint32_t loadingFrames = 0;
    Font font;
};

extern ConsoleView* gConsoleView;
