// The Vector_ family: vectors as tables of three numbers. Results are new
// tables; the arguments are not changed.
#include "engine/vector.h"
#include "script/scriptapi.h"
#include "script/scriptmanager.h"

namespace {

// Vector_Add(a, b) and its siblings: b is a vector or a number used for all
// three components.
template <float (*Combine)(float, float)>
int ComponentWise(lua_State* L)
{
    Vector a, b;
    const ScriptValue second(L);
    if (!second.GetVector(b)) {
        float s;
        if (!second.GetFloat(s))
            return kArgumentMismatch;
        b = {s, s, s};
    }
    if (!ScriptValue(L).GetVector(a))
        return kArgumentMismatch;
    PushVector(L, {Combine(a.x, b.x), Combine(a.y, b.y), Combine(a.z, b.z)});
    return 1;
}

float Add(float a, float b) { return a + b; }
float Sub(float a, float b) { return a - b; }
float Mul(float a, float b) { return a * b; }
float Div(float a, float b) { return a / b; }

int LengthOf(lua_State* L)
{
    Vector v;
    if (!ScriptValue(L).GetVector(v))
        return kArgumentMismatch;
    lua_pushnumber(L, Length(v));
    return 1;
}

int Normalized(lua_State* L)
{
    Vector v;
    if (!ScriptValue(L).GetVector(v))
        return kArgumentMismatch;
    Normalize(v);
    PushVector(L, v);
    return 1;
}

// Vector_Resize(v, length): the direction of v with the given length.
int Resized(lua_State* L)
{
    Vector v;
    float length;
    if (!ScriptValue(L).GetFloat(length) || !ScriptValue(L).GetVector(v))
        return kArgumentMismatch;
    Normalize(v);
    PushVector(L, {v.x * length, v.y * length, v.z * length});
    return 1;
}

}  // namespace

void RegisterVectorFunctions()
{
    gScriptManager->RegisterFunction<ComponentWise<Add>>("Vector_Add");
    gScriptManager->RegisterFunction<ComponentWise<Sub>>("Vector_Subtract");
    gScriptManager->RegisterFunction<ComponentWise<Mul>>("Vector_Multiply");
    gScriptManager->RegisterFunction<ComponentWise<Div>>("Vector_Divide");
    gScriptManager->RegisterFunction<LengthOf>("Vector_Length");
    gScriptManager->RegisterFunction<Normalized>("Vector_Normalize");
    gScriptManager->RegisterFunction<Resized>("Vector_Resize");
}
