// The viewer: a position and Euler angles in degrees (x turns about the
// horizontal axis, y about the vertical), the rotation they make, and
// movement through the map that stops at its brushes.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"

class Map;

class Camera {
public:
    Camera();  // at the origin, looking down -z

    const Vector& position() const { return place; }
    const Vector& angles() const { return eulerAngles; }
    // World to camera, without the position.
    const Matrix& rotation() const { return turn; }
    // World to camera: the rotation, then the position moved to the origin.
    Matrix ViewMatrix() const;

    void SetPosition(const Vector& position) { place = position; }
    // The rotation becomes the identity rotated by the angles, in the
    // order ModelMatrix composes them.
    void SetRotation(const Vector& degrees);
    // The angles accumulate the deltas; the orientation is the turn about
    // the horizontal axis by x times the turn about the vertical axis by y.
    void Rotate(const Vector& deltas);
    // Moves by an offset given in the camera's own axes (x right, y up, -z
    // ahead) as a box of half extents 10 moves through the map, ending
    // where the movement trace ends.
    void Move(const Map& map, const Vector& offset);

private:
    Vector place{};
    Vector eulerAngles{};
    Matrix turn;
};
