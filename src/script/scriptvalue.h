// The engine functions' view of their arguments. Each argument is read from
// the top of the stack and removed, so a function reads its arguments from
// the last to the first; a read that does not match its kind makes the
// function raise "Invalid function argument.".
#pragma once

#include <lua.hpp>

#include <string>

class ScriptValue {
public:
    // Classifies the value on top of the stack and removes it.
    explicit ScriptValue(lua_State* L);

    bool GetString(std::string& value) const;
    bool GetFloat(float& value) const;
    // The number truncated toward zero; numbers outside the int range do not match.
    bool GetInt(int& value) const;
    // A light userdata, or the number 0 as a null pointer.
    bool GetPointer(void*& value) const;

private:
    enum class Kind { Unusable, Pointer, Number, String };
    Kind kind = Kind::Unusable;
    void* pointer = nullptr;
    float number = 0.0f;
    std::string text;
};

// Raises the error every engine function gives for arguments that do not
// match, without position information (the trace gives the place). Callers
// must hold no C++ objects with destructors: the error unwinds with longjmp.
int RaiseInvalidArgument(lua_State* L);
