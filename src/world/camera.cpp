#include "world/camera.h"

#include "engine/quaternion.h"
#include "world/trace.h"

#include <cmath>

Camera* gCamera = new Camera;

namespace {

const Vector kBodyRadii{10.0f, 10.0f, 10.0f};
constexpr float kDegreesPerRadian = 57.29578f;

}  // namespace

Camera::Camera()
{
    turn.Identity();
}

Matrix Camera::ViewMatrix() const
{
    Matrix view = turn;
    view.Translate(place);
    return view;
}

void Camera::SetPosition(const Vector& position)
{
    if (IsFinite(position))
        place = position;
}

void Camera::SetRotation(const Vector& degrees)
{
    if (!IsFinite(degrees))
        return;
    eulerAngles = degrees;
    turn.Identity();
    turn.Rotate(degrees);
}

void Camera::Rotate(const Vector& deltas)
{
    const Vector sum = Add(eulerAngles, deltas);
    if (!IsFinite(sum))
        return;
    eulerAngles = sum;
    Quaternion orientation =
        Multiply(AxisAngle({1.0f, 0.0f, 0.0f}, eulerAngles.x), AxisAngle({0.0f, 1.0f, 0.0f}, eulerAngles.y));
    Normalize(orientation);
    turn = RotationMatrix(orientation);
}

void Camera::LookAt(const Vector& target)
{
    const Vector ahead = Subtract(target, place);
    if (!IsFinite(ahead) || (ahead.x == 0.0f && ahead.y == 0.0f && ahead.z == 0.0f))
        return;
    // The turn about y brings the target into the y-z plane in front (-z),
    // the turn about x then lifts it onto the -z axis. Straight above or
    // below, any heading will do, so the current one stays.
    const float across = std::hypot(ahead.x, ahead.z);
    const float heading = across > 0.0f ? std::atan2(ahead.x, -ahead.z) * kDegreesPerRadian : eulerAngles.y;
    SetRotation({std::atan2(-ahead.y, across) * kDegreesPerRadian, heading, 0.0f});
}

void Camera::Move(const Map& map, const Vector& offset)
{
    if (!IsFinite(offset))
        return;
    // The rotation takes world directions into the camera's, so its
    // transpose takes the camera's back out.
    place = Trace(map, place, turn.UnrotateVector(offset), kBodyRadii).end;
}

void Camera::MoveTo(const Vector& target, uint32_t now, int durationMs)
{
    if (move.Start(place, target, now, durationMs))
        move.Step(place, now);
}

void Camera::TurnTo(const Vector& degrees, uint32_t now, int durationMs)
{
    if (!IsFinite(degrees))
        return;
    // Mouse turns may have piled up many revolutions; without them the
    // timed turn takes the short way round, not all of them back.
    eulerAngles = {std::fmod(eulerAngles.x, 360.0f), std::fmod(eulerAngles.y, 360.0f),
                   std::fmod(eulerAngles.z, 360.0f)};
    if (turnBy.Start(eulerAngles, degrees, now, durationMs))
        StepTurn(now);
}

void Camera::Update(uint32_t now)
{
    move.Step(place, now);
    StepTurn(now);
}

void Camera::StepTurn(uint32_t now)
{
    Vector degrees = eulerAngles;
    if (turnBy.Step(degrees, now))
        SetRotation(degrees);
}

bool Camera::Transition::Start(const Vector& from, const Vector& target, uint32_t now, int durationMs)
{
    const Vector way = Subtract(target, from);
    if (!IsFinite(target) || !IsFinite(way))
        return false;
    running = true;
    start = from;
    delta = way;
    end = int64_t(now) + (durationMs > 0 ? durationMs : 0);
    inverseDuration = durationMs > 0 ? 1.0f / float(durationMs) : 0.0f;
    return true;
}

bool Camera::Transition::Step(Vector& value, uint32_t now)
{
    if (!running)
        return false;
    if (int64_t(now) >= end) {
        value = Add(start, delta);
        running = false;
        return true;
    }
    const float done = 1.0f - float(end - int64_t(now)) * inverseDuration;
    value = Add(start, Scale(delta, done > 0.0f ? done : 0.0f));
    return true;
}
