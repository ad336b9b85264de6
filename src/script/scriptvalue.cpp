#include "script/scriptvalue.h"

#include <cmath>

ScriptValue::ScriptValue(lua_State* L)
{
    switch (lua_type(L, -1)) {
    case LUA_TLIGHTUSERDATA:
        kind = Kind::Pointer;
        pointer = lua_touserdata(L, -1);
        break;
    case LUA_TNUMBER:
        kind = Kind::Number;
        number = float(lua_tonumber(L, -1));
        break;
    case LUA_TSTRING: {
        kind = Kind::String;
        size_t length;
        const char* data = lua_tolstring(L, -1, &length);
        text.assign(data, length);
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
    if (kind != Kind::String)
        return false;
    value = text;
    return true;
}

bool ScriptValue::GetFloat(float& value) const
{
    if (kind != Kind::Number)
        return false;
    value = number;
    return true;
}

bool ScriptValue::GetInt(int& value) const
{
    // 2^31 is exact as a float; anything from there on (and NaN) has no int.
    if (kind != Kind::Number || !(std::fabs(number) < 2147483648.0f))
        return false;
    value = int(number);
    return true;
}

bool ScriptValue::GetPointer(void*& value) const
{
    if (kind == Kind::Pointer) {
        value = pointer;
        return true;
    }
    if (kind == Kind::Number && number == 0.0f) {
        value = nullptr;
        return true;
    }
    return false;
}

int RaiseInvalidArgument(lua_State* L)
{
    lua_pushstring(L, "Invalid function argument.");
    return lua_error(L);
}
