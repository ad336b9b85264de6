// Records of the console's command and variable registries.
#pragma once

#include "engine/text.h"

#include <string>

typedef void (*CommandHandler)();
typedef void (*ButtonCommandHandler)(int pressed);
typedef void (*VariableChangeHandler)(const char* name, void* value);

struct ConsoleCommand {
    std::string name;       // as registered; button commands keep their "+"
    std::string lowerName;
    bool button = false;
    CommandHandler handler = nullptr;
    ButtonCommandHandler buttonHandler = nullptr;
    bool pressed = false;
};

// Type letters of console variables (either case). Characters are signed
// 8-bit numbers; scripts make them.
enum : char { CVarBool = 'b', CVarChar = 'c', CVarInt = 'i', CVarFloat = 'f', CVarString = 's' };

// Range used by variables that have none.
constexpr int kNoRangeMin = -100000;
constexpr int kNoRangeMax = 100000;

struct ConsoleVariable {
    bool readOnly = false;
    bool loadTimeOnly = false;
    std::string name;
    std::string lowerName;
    char type = 0;
    void* value = nullptr;  // storage owned elsewhere
    int minimum = kNoRangeMin, maximum = kNoRangeMax;
    int maxLength = 1;  // string variables: storage holds maxLength + 1 bytes
    VariableChangeHandler changeHandler = nullptr;
};
