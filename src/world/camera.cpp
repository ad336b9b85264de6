#include "world/camera.h"

#include "engine/quaternion.h"
#include "world/trace.h"

namespace {

const Vector kBodyRadii{10.0f, 10.0f, 10.0f};

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

void Camera::SetRotation(const Vector& degrees)
{
    eulerAngles = degrees;
    turn.Identity();
    turn.Rotate(degrees);
}

void Camera::Rotate(const Vector& deltas)
{
    eulerAngles = Add(eulerAngles, deltas);
    Quaternion orientation =
        Multiply(AxisAngle({1.0f, 0.0f, 0.0f}, eulerAngles.x), AxisAngle({0.0f, 1.0f, 0.0f}, eulerAngles.y));
    Normalize(orientation);
    turn = RotationMatrix(orientation);
}

void Camera::Move(const Map& map, const Vector& offset)
{
    // The rotation takes world directions into the camera's, so its
    // transpose takes the camera's back out.
    place = Trace(map, place, turn.UnrotateVector(offset), kBodyRadii).end;
}
