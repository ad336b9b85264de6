#include "script/scriptvalue.h"

#include <cmath>
#include <cstdio>

ScriptValue::ScriptValue(lua_State* L)
{
    switch (lua_type(L, -1)) {
    case LUA_TLIGHTUSERDATA:
        kind = Kind::Pointer;
        pointer = lua_touserdata(L, -1);
        break;
    case LUA_TNUMBER:
        kind = Kind::Number;
        number = lua_tonumber(L, -1);
        break;
    case LUA_TSTRING: {
        kind = Kind::String;
        size_t length;
        const char* data = lua_tolstring(L, -1, &length);
        text.assign(data, length);
        break;
    }
    case LUA_TTABLE: {
        kind = Kind::Table;
        tableSize = int(lua_objlen(L, -1));
        // Raw reads: a table's metamethods must not run (or raise) here.
        const int wanted = tableSize < kMaxElements ? tableSize : kMaxElements;
        while (leadingNumbers < wanted) {
            lua_rawgeti(L, -1, leadingNumbers + 1);
            const bool isNumber = lua_type(L, -1) == LUA_TNUMBER;
            if (isNumber)
                elements[leadingNumbers] = float(lua_tonumber(L, -1));
            lua_pop(L, 1);
            if (!isNumber)
                break;
            ++leadingNumbers;
        }
        break;
    }
    default:
        break;
    }
    if (lua_gettop(L) > 0)
        lua_pop(L, 1);
}

bool ScriptValue::GetString(std::string& value) const
{
    if (kind == Kind::Number) {
        char written[32];
        snprintf(written, sizeof written, LUA_NUMBER_FMT, number);
        value = written;
        return true;
    }
    if (kind != Kind::String)
        return false;
    value = text;
    return true;
}

bool ScriptValue::GetFloat(float& value) const
{
    if (kind != Kind::Number)
        return false;
    value = float(number);
    return true;
}

bool ScriptValue::GetInt(int& value) const
{
    // 2^31 is exact as a float; anything from there on (and NaN) has no int.
    const float single = float(number);
    if (kind != Kind::Number || !(std::fabs(single) < 2147483648.0f))
        return false;
    value = int(single);
    return true;
}

bool ScriptValue::GetFlag(bool& value) const
{
    if (kind != Kind::Number)
        return false;
    value = float(number) == 1.0f;
    return true;
}

bool ScriptValue::GetPointer(void*& value) const
{
    if (kind == Kind::Pointer) {
        value = pointer;
        return true;
    }
    if (kind == Kind::Number && number == 0) {
        value = nullptr;
        return true;
    }
    return false;
}

bool ScriptValue::GetElements(float* values, int count) const
{
    if (kind != Kind::Table || tableSize < count || leadingNumbers < count)
        return false;
    for (int i = 0; i < count; ++i)
        values[i] = elements[i];
    return true;
}

bool ScriptValue::GetVector(Vector& value) const
{
    float xyz[3];
    if (!GetElements(xyz, 3))
        return false;
    value = {xyz[0], xyz[1], xyz[2]};
    return true;
}

bool ScriptValue::GetColour(Colour& value) const
{
    float rgba[4];
    if (!GetElements(rgba, 4))
        return false;
    value = {rgba[0], rgba[1], rgba[2], rgba[3]};
    return true;
}

bool ScriptValue::GetMatrix(Matrix& value) const
{
    return GetElements(value.m, 16);
}

void PushFloats(lua_State* L, const float* values, int count)
{
    lua_createtable(L, count, 0);
    for (int i = 0; i < count; ++i) {
        lua_pushnumber(L, values[i]);
        lua_rawseti(L, -2, i + 1);
    }
}

void PushVector(lua_State* L, const Vector& value)
{
    const float xyz[3] = {value.x, value.y, value.z};
    PushFloats(L, xyz, 3);
}

void PushColour(lua_State* L, const Colour& value)
{
    const float rgba[4] = {value.red, value.green, value.blue, value.alpha};
    PushFloats(L, rgba, 4);
}

void PushMatrix(lua_State* L, const Matrix& value)
{
    PushFloats(L, value.m, 16);
}

void SetNumberField(lua_State* L, int index, const char* key, int value)
{
    if (index < 0 && index > LUA_REGISTRYINDEX)
        index = lua_gettop(L) + index + 1;  // the push below would move a relative index
    lua_pushnumber(L, value);
    lua_setfield(L, index, key);
}
