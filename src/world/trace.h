// Movement and line traces against the map's brushes: the world's through
// its BSP tree, the movable meshes' in their own space after a test of
// their bounding volumes.
#pragma once

#include "engine/vector.h"

#include <vector>

class Map;

// What a movement trace found, in the order the script function returns it,
// and the two flags that change what it returns.
struct TraceResult {
    bool hit = false;
    Vector end{};
    // The movement mirrored in the plane of the first contact; zero when
    // nothing was hit.
    Vector reflected{};
    // The callback references of the meshes whose brushes the body touched,
    // each once, in the order they were touched.
    std::vector<int> callbacks;
    Vector normal{};  // of the plane of the first contact
    bool stepped = false;  // the body climbed a step on the way

    // The body began inside a solid brush: `hit` is set and scripts are
    // told the start as the end, while `end` is as far as the sweep went
    // (so a body caught in a wall can still leave it).
    bool startSolid = false;
    // ... and the sweep ended inside it as well.
    bool allSolid = false;
    // A radius component was 0 or not finite; nothing was traced.
    bool refused = false;

    // The end position as scripts receive it.
    Vector ScriptEnd(const Vector& start) const { return startSolid ? start : end; }
};

// The body moving from `start` by `movement`, a box with the half extents
// `radii` (their signs do not matter), through the loaded map. On a hit it
// tries to climb a step of up to 5 units and otherwise slides along what it
// hit, for at most 3 contacts; with `stopAtContact` it stops at the first.
// A movement whose components are all below 1/32 in size, or a start or
// movement that is not finite, moves nothing.
TraceResult Trace(const Map& map, const Vector& start, const Vector& movement, const Vector& radii,
                  bool stopAtContact = false);

// -1 when the segment from a to b meets no solid brush, else the fraction
// of the way to the point where it stops (0.001 short of the contact). A
// segment is not stopped by the brush it starts in.
float RayTrace(const Map& map, const Vector& a, const Vector& b);

// The shape a sweep moves.
struct TraceBody {
    enum Kind { kPoint, kSphere, kBox };
    Kind kind = kPoint;
    float radius = 0.0f;  // a sphere's
    Vector radii{};       // a box's half extents, not negative

    static TraceBody Point() { return {}; }
    static TraceBody Sphere(float radius) { return {kSphere, radius, {}}; }
    static TraceBody Box(const Vector& radii);
};

// How the world's brushes are found: through the BSP tree, or every brush
// of the world (the reference the tree must agree with).
enum class WorldSearch { kBsp, kEveryBrush };

// The body swept once from a to b: -1 when no solid brush stops it, else
// the stopping fraction, as RayTrace gives it for a point.
float SweepFraction(const Map& map, const TraceBody& body, const Vector& a, const Vector& b,
                    WorldSearch search = WorldSearch::kBsp);
