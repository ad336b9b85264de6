// The engine functions' view of their arguments. Each argument is read from
// the top of the stack and removed, so a function reads its arguments from
// the last to the first; a read that does not match its kind makes the
// function raise "Invalid function argument.". The push helpers give results
// back as new tables.
#pragma once

#include "engine/colour.h"
#include "engine/matrix.h"
#include "engine/vector.h"

#include <lua.hpp>

#include <string>

class ScriptValue {
public:
    // Classifies the value on top of the stack and removes it.
    explicit ScriptValue(lua_State* L);

    // A string, or a number written as the library writes it. Where a number
    // and a string mean different things, try GetFloat first.
    bool GetString(std::string& value) const;
    bool GetFloat(float& value) const;
    // The number truncated toward zero; numbers outside the int range do not match.
    bool GetInt(int& value) const;
    // A number: 1 is true, anything else false.
    bool GetFlag(bool& value) const;
    // A light userdata, or the number 0 as a null pointer.
    bool GetPointer(void*& value) const;
    // Tables whose size (the library's length) is at least 3, 4 or 16 and
    // whose elements from 1 up to that count are numbers; later ones are ignored.
    bool GetVector(Vector& value) const;
    bool GetColour(Colour& value) const;
    bool GetMatrix(Matrix& value) const;

private:
    static constexpr int kMaxElements = 16;

    bool GetElements(float* values, int count) const;

    enum class Kind { Unusable, Pointer, Number, String, Table };
    Kind kind = Kind::Unusable;
    void* pointer = nullptr;
    lua_Number number = 0;
    std::string text;
    int tableSize = 0;
    int leadingNumbers = 0;  // elements from key 1 on that are numbers, at most kMaxElements
    float elements[kMaxElements];
};

// Results: new tables holding the floats at keys 1..n.
void PushFloats(lua_State* L, const float* values, int count);
void PushVector(lua_State* L, const Vector& value);
void PushColour(lua_State* L, const Colour& value);
void PushMatrix(lua_State* L, const Matrix& value);
// table[key] = value for the table at `index`.
void SetNumberField(lua_State* L, int index, const char* key, int value);
