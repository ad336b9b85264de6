// The Camera_ family: the frame's camera placed, turned, moved through the
// map and sent on timed moves and turns. Camera_MoveTo and Camera_RotateTo
// take a start time on the frame clock (seconds, as GetFrameTime gives it;
// a later one holds the camera until then) and a duration in seconds.
#include "script/scriptapi.h"
#include "script/scriptmanager.h"
#include "world/camera.h"
#include "world/map.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Camera_Set*(vector) and the like: the vector is given to Apply.
template <void (*Apply)(const Vector&)>
int WithVector(lua_State* L)
{
    Vector value;
    if (!ScriptValue(L).GetVector(value))
        return kArgumentMismatch;
    Apply(value);
    return 0;
}

void Place(const Vector& position) { gCamera->SetPosition(position); }
void Orient(const Vector& degrees) { gCamera->SetRotation(degrees); }
void Walk(const Vector& offset) { gCamera->Move(*gMap, offset); }
void Face(const Vector& target) { gCamera->LookAt(target); }

template <const Vector& (Camera::*Get)() const>
int PushFromCamera(lua_State* L)
{
    PushVector(L, (gCamera->*Get)());
    return 1;
}

// Seconds as whole milliseconds, truncated, held within what Integer holds;
// false for NaN.
template <typename Integer>
bool ToMilliseconds(float seconds, Integer& milliseconds)
{
    if (std::isnan(seconds))
        return false;
    const double value = std::trunc(double(seconds) * 1000.0);
    constexpr Integer lowest = std::numeric_limits<Integer>::min(), highest = std::numeric_limits<Integer>::max();
    milliseconds = value <= double(lowest) ? lowest : value >= double(highest) ? highest : Integer(value);
    return true;
}

// Camera_MoveTo and Camera_RotateTo (target, start, duration).
template <void (Camera::*Start)(const Vector&, uint32_t, int)>
int Timed(lua_State* L)
{
    float startSeconds, durationSeconds;
    Vector target;
    if (!ScriptValue(L).GetFloat(durationSeconds) || !ScriptValue(L).GetFloat(startSeconds) ||
        !ScriptValue(L).GetVector(target))
        return kArgumentMismatch;
    uint32_t start;
    int duration;
    if (ToMilliseconds(startSeconds, start) && ToMilliseconds(durationSeconds, duration))
        (gCamera->*Start)(target, start, duration);
    return 0;
}

}  // namespace

void RegisterCameraFunctions()
{
    gScriptManager->RegisterFunction<WithVector<Place>>("Camera_SetPosition");
    gScriptManager->RegisterFunction<WithVector<Orient>>("Camera_SetRotation");
    gScriptManager->RegisterFunction<WithVector<Walk>>("Camera_Move");
    gScriptManager->RegisterFunction<WithVector<Face>>("Camera_LookAt");
    gScriptManager->RegisterFunction<PushFromCamera<&Camera::position>>("Camera_GetPosition");
    gScriptManager->RegisterFunction<PushFromCamera<&Camera::angles>>("Camera_GetRotation");
    gScriptManager->RegisterFunction<Timed<&Camera::MoveTo>>("Camera_MoveTo");
    gScriptManager->RegisterFunction<Timed<&Camera::TurnTo>>("Camera_RotateTo");
}
