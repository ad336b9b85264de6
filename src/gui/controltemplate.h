// What a GUI file says about one control: every property of every class,
// with the class's defaults. The parser keeps one per class and builds the
// control from it when the control's block closes.
#pragma once

#include "engine/colour.h"

#include <string>

class Shader;

struct FloatPair {
    float x, y;
};
struct IntPair {
    int x, y;
};

struct ControlTemplate {
    std::string name;
    bool visible = true;
    bool enabled = true;
    int index = 0;
    FloatPair position = {0.0f, 0.0f};
    FloatPair size = {32.0f, 32.0f};

    FloatPair fontSize = {12.0f, 12.0f};
    IntPair textMapSize = {16, 16};
    Colour fontColor = {1.0f, 1.0f, 1.0f, 1.0f};
    std::string caption;
    std::string fontMap;

    Shader* shaderNormal = nullptr;
    Shader* shaderMouseMove = nullptr;
    Shader* shaderMouseDown = nullptr;
    Shader* shaderDisabled = nullptr;

    // Text box.
    bool multiline = false;
    int maxLength = 32;
    Shader* shaderGotFocus = nullptr;
    FloatPair border = {2.0f, 2.0f};
    char charInsert = '_';
    char charNormal = '|';

    // Window.
    bool moveable = false;
    bool titleBar = false;
    int tbHeight = 16;
    Shader* shaderBackground = nullptr;
    Shader* shaderTitleBar = nullptr;
    Shader* shaderTitleBarInactive = nullptr;
    IntPair textBorder = {4, 2};

    // Lists and scroll bars.
    bool buttonVisible = true;
    bool scrollVisible = true;
    Shader* shaderListBg = nullptr;
    Shader* shaderScrollBg = nullptr;
    Shader* shaderButtonNormal = nullptr;
    Shader* shaderButtonMouseMove = nullptr;
    Shader* shaderButtonMouseDown = nullptr;
    Shader* shaderScrollUp[4] = {};  // normal, mouse over, mouse down, disabled
    Shader* shaderScrollDown[4] = {};
    Shader* shaderScrollPos[4] = {};
    Shader* shaderSelected = nullptr;
    int scrollPosHeight = 16;
    int itemsOnList = 5;
    int buttonWidth = 16;

    // Cursor and label.
    Shader* shader = nullptr;
    int justify = 0;

    // Check box.
    bool checked = false;
    Shader* shaderChecked = nullptr;
    Shader* shaderDisabledNormal = nullptr;
    Shader* shaderDisabledChecked = nullptr;

    // Progress bar and scroll bar.
    float barValue = 0.0f;
    int scrollValue = 0;
    bool vertical = false;
    bool reverse = false;
    Shader* shaderBar = nullptr;
    int scrollPosSize = 16;
    int buttonSize = 16;
    int minValue = 0;
    int maxValue = 10;
};
