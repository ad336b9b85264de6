#include "world/trace.h"

#include "world/map.h"

#include <algorithm>
#include <cmath>

namespace {

// Movement components shorter than this are no movement; a climb, and a
// sweep of the step pass, must get at least this fraction of the way; and
// the BSP walk lets segments reach this far past a split.
constexpr float kMinimumMove = 1.0f / 32.0f;
constexpr float kStepHeight = 5.0f;
constexpr int kSlideRounds = 3;
// Kept from a plane when the body enters or leaves a brush.
constexpr float kPlaneEpsilon = 0.0001f;
// The fraction of its movement a body stops short of a contact.
constexpr float kContactBackoff = 0.001f;
// End components nearer the start than this stay at the start's.
constexpr float kEndSnap = 0.001f;
// Offsets and angles this small leave a mesh where the map put it.
constexpr float kPlacementEpsilon = 1e-6f;

Vector Along(const Vector& from, const Vector& movement, float fraction)
{
    return Add(from, Scale(movement, fraction));
}

bool NearZero(const Vector& v)
{
    return std::fabs(v.x) <= kPlacementEpsilon && std::fabs(v.y) <= kPlacementEpsilon &&
           std::fabs(v.z) <= kPlacementEpsilon;
}

// Brushes the traces test: flagged to collide and with planes to test.
bool Collides(const MapBrush& brush)
{
    return brush.flags != 0 && !brush.planes.empty();
}

// A world point in the space of a mesh placed by a turn and an offset.
Vector ToMeshSpace(const Matrix& transform, const Vector& p)
{
    return transform.UnrotateVector(Subtract(p, {transform.m[12], transform.m[13], transform.m[14]}));
}

// What every sweep of one trace shares.
struct SweepContext {
    const Map& map;
    TraceBody body;
    float reach;                 // the body's farthest point from its centre
    std::vector<int>& touched;   // mesh callbacks, each once, in touch order
};

// The body swept once along a segment: the nearest contact over every
// brush it meets, and what it touched on the way.
class Sweep {
public:
    Sweep(const SweepContext& context, const Vector& from, const Vector& to, WorldSearch search);

    float fraction = 1.0f;
    bool hit = false;
    Vector normal{};
    bool startClear = true;  // the body starts inside no solid brush
    bool allSolid = false;   // ... or starts and ends inside one

private:
    // How far the body reaches behind a plane with this normal.
    float Offset(const Vector& normal) const;
    void WalkBsp(const Vector& from, const Vector& to);
    void SweepMeshes(const Vector& from, const Vector& to);
    // `toWorld` turns the brush's normals into the world's, for placed meshes.
    void SweepBrush(const MapBrush& brush, const Vector& from, const Vector& to, const Matrix* toWorld);
    const MapMesh* MeshOf(const MapBrush& brush) const;
    void Touch(const MapMesh* mesh);

    const SweepContext& context;
};

Sweep::Sweep(const SweepContext& sweepContext, const Vector& from, const Vector& to, WorldSearch search)
    : context(sweepContext)
{
    const Map& map = context.map;
    if (search == WorldSearch::kBsp)
        WalkBsp(from, to);
    else if (!map.meshes().empty())
        for (const MapBrush* brush : map.meshes()[0].brushes)
            if (Collides(*brush))
                SweepBrush(*brush, from, to, nullptr);
    SweepMeshes(from, to);
}

float Sweep::Offset(const Vector& normal) const
{
    const TraceBody& body = context.body;
    switch (body.kind) {
    case TraceBody::kSphere:
        return body.radius;
    case TraceBody::kBox:
        return std::fabs(body.radii.x * normal.x) + std::fabs(body.radii.y * normal.y) +
               std::fabs(body.radii.z * normal.z);
    case TraceBody::kPoint:
        break;
    }
    return 0.0f;
}

void Sweep::WalkBsp(const Vector& from, const Vector& to)
{
    // An explicit stack, so a deep tree costs heap, not the C stack. Each
    // entry is a node and the part of the segment that reaches it; brushes
    // are always swept along the whole segment.
    struct Stretch {
        const BspNode* node;
        Vector from, to;
    };
    std::vector<Stretch> pending{{context.map.bspRoot(), from, to}};
    // A tree reaches each node once and follows each child link once; the
    // budget ends the walk should the links ever form anything else.
    size_t budget = 1 + 2 * context.map.bspNodeCount();
    while (!pending.empty() && budget > 0) {
        --budget;
        const Stretch stretch = pending.back();
        pending.pop_back();
        const BspNode* node = stretch.node;
        if (!node)
            continue;
        if (node->leaf) {
            for (const MapBrush* brush : node->brushes)
                if (Collides(*brush))
                    SweepBrush(*brush, from, to, nullptr);
            continue;
        }
        const MapPlane& plane = node->plane;
        const float t1 = Dot(plane.normal, stretch.from) - plane.distance;
        const float t2 = Dot(plane.normal, stretch.to) - plane.distance;
        const float offset = Offset(plane.normal);
        if (t1 >= offset && t2 >= offset) {
            pending.push_back({node->front, stretch.from, stretch.to});
            continue;
        }
        if (t1 < -offset && t2 < -offset) {
            pending.push_back({node->back, stretch.from, stretch.to});
            continue;
        }
        // Split, each part reaching 1/32 past the plane.
        const BspNode* nearSide = node->front;
        const BspNode* farSide = node->back;
        float frac = 1.0f, frac2 = 0.0f;
        const float idist = 1.0f / (t1 - t2);
        if (t1 < t2) {
            std::swap(nearSide, farSide);
            frac = (t1 - offset + kMinimumMove) * idist;
            frac2 = (t1 + offset + kMinimumMove) * idist;
        } else if (t1 > t2) {
            frac = (t1 + offset + kMinimumMove) * idist;
            frac2 = (t1 - offset - kMinimumMove) * idist;
        }
        frac = std::min(std::max(frac, 0.0f), 1.0f);
        frac2 = std::min(std::max(frac2, 0.0f), 1.0f);
        const Vector span = Subtract(stretch.to, stretch.from);
        // The near side is walked first, so it goes on the stack last.
        pending.push_back({farSide, Along(stretch.from, span, frac2), stretch.to});
        pending.push_back({nearSide, stretch.from, Along(stretch.from, span, frac)});
    }
}

void Sweep::SweepMeshes(const Vector& from, const Vector& to)
{
    const std::vector<MapMesh>& meshes = context.map.meshes();
    for (size_t i = 1; i < meshes.size(); ++i) {
        const MapMesh& mesh = meshes[i];
        // A moved or turned mesh is swept in its own space, so the body's
        // box turns with the mesh there.
        const bool placed = !NearZero(mesh.offset) || !NearZero(mesh.rotation);
        const Vector start = placed ? ToMeshSpace(mesh.transform, from) : from;
        const Vector end = placed ? ToMeshSpace(mesh.transform, to) : to;
        if (!mesh.drawIndices.empty()) {
            const BoundingBox& box = mesh.bounds;
            const float r = context.reach;
            if (std::min(start.x, end.x) - r > box.maximum.x || std::max(start.x, end.x) + r < box.minimum.x ||
                std::min(start.y, end.y) - r > box.maximum.y || std::max(start.y, end.y) + r < box.minimum.y ||
                std::min(start.z, end.z) - r > box.maximum.z || std::max(start.z, end.z) + r < box.minimum.z)
                continue;
        }
        for (const MapBrush* brush : mesh.brushes)
            if (Collides(*brush))
                SweepBrush(*brush, start, end, placed ? &mesh.transform : nullptr);
    }
}

void Sweep::SweepBrush(const MapBrush& brush, const Vector& from, const Vector& to, const Matrix* toWorld)
{
    float enter = -1.0f, leave = 1.0f;
    const MapPlane* lead = nullptr;
    bool startOut = false, endOut = false;
    for (const MapPlane& plane : brush.planes) {
        const float offset = Offset(plane.normal);
        const float d1 = Dot(plane.normal, from) - plane.distance - offset;
        const float d2 = Dot(plane.normal, to) - plane.distance - offset;
        startOut = startOut || d1 > 0.0f;
        endOut = endOut || d2 > 0.0f;
        if (d1 > 0.0f && d2 > 0.0f)
            return;  // outside this plane all the way
        if (d1 <= 0.0f && d2 <= 0.0f)
            continue;
        if (d1 > d2) {
            const float f = (d1 - kPlaneEpsilon) / (d1 - d2);
            if (f > enter) {
                enter = f;
                lead = &plane;
            }
        } else {
            leave = std::min(leave, (d1 + kPlaneEpsilon) / (d1 - d2));
        }
    }
    const MapMesh* mesh = MeshOf(brush);
    const bool solid = !brush.nonsolid && (!mesh || mesh->visible);
    if (!startOut) {
        if (solid) {
            startClear = false;
            allSolid = allSolid || !endOut;
        }
        Touch(mesh);
        return;
    }
    if (!(enter < leave && enter > -1.0f && enter < fraction))
        return;
    if (solid) {
        hit = true;
        normal = toWorld ? toWorld->RotateVector(lead->normal) : lead->normal;
        fraction = std::max(std::max(enter, 0.0f) - kContactBackoff, 0.0f);
    }
    Touch(mesh);
}

const MapMesh* Sweep::MeshOf(const MapBrush& brush) const
{
    const std::vector<MapMesh>& meshes = context.map.meshes();
    return brush.meshIndex >= 0 && size_t(brush.meshIndex) < meshes.size() ? &meshes[size_t(brush.meshIndex)]
                                                                            : nullptr;
}

void Sweep::Touch(const MapMesh* mesh)
{
    if (!mesh || mesh->callbackReference == -1)
        return;
    std::vector<int>& touched = context.touched;
    if (std::find(touched.begin(), touched.end(), mesh->callbackReference) == touched.end())
        touched.push_back(mesh->callbackReference);
}

float Reach(const TraceBody& body)
{
    switch (body.kind) {
    case TraceBody::kSphere:
        return body.radius;
    case TraceBody::kBox:
        return std::sqrt(Dot(body.radii, body.radii));
    case TraceBody::kPoint:
        break;
    }
    return 0.0f;
}

// The step pass: up by the step height (as far as the space above allows),
// along the movement, and down by the step height onto what is there.
// When the way down meets nothing, the body has stepped over something low
// (a kerb) rather than onto it: it ends at the foot of the way down, no
// higher than it started, and falling further is the caller's business.
// Failing there instead would leave a body that hovers a little above the
// floor stuck at every kerb.
bool Step(const SweepContext& context, const Vector& start, const Vector& movement, Vector& end)
{
    const Vector up{0.0f, kStepHeight, 0.0f}, down{0.0f, -kStepHeight, 0.0f};
    const Sweep rise(context, start, Add(start, up), WorldSearch::kBsp);
    if (!rise.startClear)
        return false;
    const Vector raised = Along(start, up, rise.fraction);
    const Sweep along(context, raised, Add(raised, movement), WorldSearch::kBsp);
    if (!along.startClear || along.fraction < kMinimumMove)
        return false;
    const Vector moved = Along(raised, movement, along.fraction);
    const Sweep drop(context, moved, Add(moved, down), WorldSearch::kBsp);
    if (!drop.startClear || drop.fraction < kMinimumMove)
        return false;
    end = Along(moved, down, drop.fraction);
    return true;
}

// The slide pass: at each contact the rest of the movement loses its part
// along the plane's normal, for at most kSlideRounds contacts.
Vector Slide(const SweepContext& context, const Vector& start, const Vector& movement)
{
    Vector from = start, rest = movement;
    for (int round = 0; round < kSlideRounds; ++round) {
        const Sweep sweep(context, from, Add(from, rest), WorldSearch::kBsp);
        if (!sweep.hit)
            return Add(from, rest);
        from = Along(from, rest, sweep.fraction);
        const Vector remaining = Scale(rest, 1.0f - sweep.fraction);
        rest = Subtract(remaining, Scale(sweep.normal, Dot(remaining, sweep.normal)));
    }
    return from;
}

// Each component nearer its reference than `tolerance` takes the reference's value.
Vector Snapped(const Vector& v, const Vector& reference, float tolerance)
{
    const auto snap = [tolerance](float value, float to) { return std::fabs(value - to) < tolerance ? to : value; };
    return {snap(v.x, reference.x), snap(v.y, reference.y), snap(v.z, reference.z)};
}

}  // namespace

TraceBody TraceBody::Box(const Vector& radii)
{
    return {kBox, 0.0f, {std::fabs(radii.x), std::fabs(radii.y), std::fabs(radii.z)}};
}

TraceResult Trace(const Map& map, const Vector& start, const Vector& movement, const Vector& radii,
                  bool stopAtContact)
{
    TraceResult result;
    result.end = start;
    if (!IsFinite(radii) || radii.x == 0.0f || radii.y == 0.0f || radii.z == 0.0f) {
        result.refused = true;
        return result;
    }
    if (!IsFinite(start) || !IsFinite(movement) || !IsFinite(Add(start, movement)))
        return result;

    const TraceBody body = TraceBody::Box(radii);
    const SweepContext context{map, body, Reach(body), result.callbacks};
    const Vector move = Snapped(movement, {0.0f, 0.0f, 0.0f}, kMinimumMove);
    if (std::sqrt(Dot(move, move)) < kMinimumMove) {
        // No movement: only whether the body stands inside something solid.
        const Sweep stay(context, start, start, WorldSearch::kBsp);
        result.startSolid = result.hit = !stay.startClear;
        result.allSolid = stay.allSolid;
        return result;
    }

    const Vector target = Add(start, move);
    const Sweep first(context, start, target, WorldSearch::kBsp);
    result.startSolid = !first.startClear;
    result.allSolid = first.allSolid;
    result.hit = first.hit || result.startSolid;
    if (!first.hit) {
        result.end = target;
    } else {
        result.normal = first.normal;
        result.reflected = Subtract(move, Scale(first.normal, 2.0f * Dot(first.normal, move)));
        if (result.startSolid || stopAtContact)
            result.end = Along(start, move, first.fraction);
        else if (first.fraction < kMinimumMove && Step(context, start, move, result.end))
            result.stepped = true;
        else
            result.end = Slide(context, start, move);
    }
    result.end = Snapped(result.end, start, kEndSnap);
    return result;
}

float SweepFraction(const Map& map, const TraceBody& body, const Vector& a, const Vector& b, WorldSearch search)
{
    if (!IsFinite(a) || !IsFinite(b))
        return -1.0f;
    std::vector<int> touched;
    const SweepContext context{map, body, Reach(body), touched};
    const Sweep sweep(context, a, b, search);
    return sweep.hit ? sweep.fraction : -1.0f;
}

float RayTrace(const Map& map, const Vector& a, const Vector& b)
{
    return SweepFraction(map, TraceBody::Point(), a, b);
}
