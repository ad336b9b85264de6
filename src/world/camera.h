// The viewer: a position and Euler angles in degrees (x turns about the
// horizontal axis, y about the vertical), the rotation they make, and
// movement through the map that stops at its brushes. Timed moves and
// turns run from the main loop's Update. Values that are not finite are
// ignored, so the view matrix never holds one.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"

#include <cstdint>

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

    void SetPosition(const Vector& position);
    // The rotation becomes the identity rotated by the angles, in the
    // order ModelMatrix composes them.
    void SetRotation(const Vector& degrees);
    // The angles accumulate the deltas; the orientation is the turn about
    // the horizontal axis by x times the turn about the vertical axis by y.
    void Rotate(const Vector& deltas);
    // Faces the target upright (no roll), by setting the angles. Straight up
    // or down the heading is kept; the camera's own position is ignored.
    void LookAt(const Vector& target);
    // Moves by an offset given in the camera's own axes (x right, y up, -z
    // ahead) as a box of half extents 10 moves through the map, ending
    // where the movement trace ends.
    void Move(const Map& map, const Vector& offset);

    // From the position (or the angles) held now to the target, evenly over
    // the duration from `now` on, in milliseconds of the frame clock. A
    // duration of 0 or less gets there at once.
    void MoveTo(const Vector& target, uint32_t now, int durationMs);
    // The current angles are first brought within (-360, 360).
    void TurnTo(const Vector& degrees, uint32_t now, int durationMs);
    // Advances the timed move and turn to `now`; once a frame.
    void Update(uint32_t now);
    bool moving() const { return move.running; }
    bool turning() const { return turnBy.running; }

private:
    // One value going from start to start + delta between two times. Before
    // its start time it holds the start value.
    struct Transition {
        bool running = false;
        Vector start{}, delta{};
        int64_t end = 0;
        float inverseDuration = 0;

        // False, starting nothing, when the target or the way there is not finite.
        bool Start(const Vector& from, const Vector& target, uint32_t now, int durationMs);
        // Sets the value for `now`; false when not running.
        bool Step(Vector& value, uint32_t now);
    };

    void StepTurn(uint32_t now);

    Vector place{};
    Vector eulerAngles{};
    Matrix turn;
    Transition move, turnBy;
};

extern Camera* gCamera;
