#include "surfaces.h"

#include <array>
#include <map>
#include <unordered_map>

namespace {

// The style's axes, or for automatic ones the world axes across the
// normal's largest component: floors take x and z, walls run along the
// wall with t pointing down, so textures stand upright and unmirrored.
void AxesOf(const BrushFace& face, Vec3& s, Vec3& t)
{
    if (!face.style.autoAxes) {
        s = face.style.sAxis;
        t = face.style.tAxis;
        return;
    }
    const Vec3& n = face.plane.normal;
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ay >= ax && ay >= az) {
        s = {1, 0, 0};
        t = {0, 0, n.y > 0 ? 1.0 : -1.0};
    } else if (ax >= az) {
        s = {0, 0, n.x > 0 ? -1.0 : 1.0};
        t = {0, -1, 0};
    } else {
        s = {n.z > 0 ? 1.0 : -1.0, 0, 0};
        t = {0, -1, 0};
    }
}

// Points closer than this are one point for finding shared edges.
constexpr double kWeld = 1e-3;

// Numbers positions so that points within kWeld share a number.
class Welder {
public:
    uint32_t Number(const Vec3& p)
    {
        const std::array<long long, 3> cell = CellOf(p);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    const auto found = cells.find(Key({cell[0] + dx, cell[1] + dy, cell[2] + dz}));
                    if (found == cells.end())
                        continue;
                    for (uint32_t number : found->second)
                        if (Length(points[number] - p) <= kWeld)
                            return number;
                }
        points.push_back(p);
        cells[Key(cell)].push_back(uint32_t(points.size() - 1));
        return uint32_t(points.size() - 1);
    }

private:
    static std::array<long long, 3> CellOf(const Vec3& p)
    {
        return {(long long)std::floor(p.x), (long long)std::floor(p.y), (long long)std::floor(p.z)};
    }
    static long long Key(const std::array<long long, 3>& c)
    {
        // Coordinates lie within a few times 65536, so 20 bits each suffice.
        return ((c[0] & 0xFFFFF) << 40) | ((c[1] & 0xFFFFF) << 20) | (c[2] & 0xFFFFF);
    }

    std::vector<Vec3> points;
    std::unordered_map<long long, std::vector<uint32_t>> cells;
};

// Adding zero turns -0 into 0, so that dumps read cleanly.
Vector ToVector(const Vec3& v)
{
    return {float(v.x) + 0.0f, float(v.y) + 0.0f, float(v.z) + 0.0f};
}

Vec3 ToVec3(const Vector& v)
{
    return {v.x, v.y, v.z};
}

// Pairs each triangle edge with the edge running the other way between the
// same welded points, both ways at once, so that neighbours are symmetric.
std::vector<MapNeighbourRecord> Neighbours(const std::vector<std::array<uint32_t, 3>>& welded)
{
    std::vector<MapNeighbourRecord> neighbours(welded.size(), MapNeighbourRecord{{-1, -1, -1}});
    std::map<std::pair<uint32_t, uint32_t>, std::vector<std::pair<uint32_t, int>>> open;
    for (uint32_t triangle = 0; triangle < welded.size(); ++triangle)
        for (int edge = 0; edge < 3; ++edge) {
            const uint32_t a = welded[triangle][size_t(edge)], b = welded[triangle][size_t((edge + 1) % 3)];
            auto found = open.find({b, a});
            if (found != open.end() && !found->second.empty()) {
                const auto [other, otherEdge] = found->second.front();
                found->second.erase(found->second.begin());
                neighbours[triangle].across[edge] = int32_t(other);
                neighbours[other].across[otherEdge] = int32_t(triangle);
            } else {
                open[{a, b}].push_back({triangle, edge});
            }
        }
    return neighbours;
}

}  // namespace

TangentFrame FrameOf(const BrushFace& face)
{
    const Vec3& n = face.plane.normal;
    Vec3 s, t;
    AxesOf(face, s, t);
    // Gradients of s and t along the plane; ∂P/∂s is the in-plane vector
    // that moves s by one and t by none.
    Vec3 gs = (s - n * Dot(n, s)) * (1 / face.style.unitsS);
    Vec3 gt = (t - n * Dot(n, t)) * (1 / face.style.unitsT);
    double ss = Dot(gs, gs), tt = Dot(gt, gt), st = Dot(gs, gt);
    double determinant = ss * tt - st * st;
    if (determinant <= 1e-12 * ss * tt || ss == 0 || tt == 0) {
        // Axes along the normal smear the texture; the frame comes from
        // the automatic axes instead.
        BrushFace automatic = face;
        automatic.style.autoAxes = true;
        return FrameOf(automatic);
    }
    const Vec3 dPds = (gs * tt - gt * st) * (1 / determinant);
    const Vec3 dPdt = (gt * ss - gs * st) * (1 / determinant);
    const Vec3 tangent = Normalized(dPds);
    return {tangent, Normalized(dPdt - tangent * Dot(tangent, dPdt))};
}

void TexCoordsOf(const BrushFace& face, const Vec3& p, double& s, double& t)
{
    Vec3 sAxis, tAxis;
    AxesOf(face, sAxis, tAxis);
    s = (Dot(p, sAxis) + face.style.offsetS) / face.style.unitsS;
    t = (Dot(p, tAxis) + face.style.offsetT) / face.style.unitsT;
}

bool WriteSurface(const std::vector<Fragment>& fragments, int32_t shader, MapWriter& out)
{
    const uint32_t firstVertex = out.Count(kLumpVertices), firstTriangle = out.Count(kLumpTriangles);
    Welder welder;
    std::vector<MapVertexRecord> vertices;
    std::vector<MapTriangleRecord> triangles;
    std::vector<std::array<uint32_t, 3>> welded;
    for (const Fragment& fragment : fragments) {
        const BrushFace& face = *fragment.face;
        const TangentFrame frame = FrameOf(face);
        const uint32_t first = firstVertex + uint32_t(vertices.size());
        std::vector<uint32_t> numbers;
        for (const Vec3& p : fragment.polygon) {
            double s, t;
            TexCoordsOf(face, p, s, t);
            vertices.push_back({ToVector(p), float(s), float(t), ToVector(frame.tangent),
                                ToVector(face.plane.normal), ToVector(frame.binormal)});
            numbers.push_back(welder.Number(p));
        }
        // A fan over the convex polygon, already counter-clockwise seen
        // from the front; corners that weld together make no triangle.
        for (uint32_t i = 1; i + 1 < fragment.polygon.size(); ++i) {
            const std::array<uint32_t, 3> corners{0, i, i + 1};
            const std::array<uint32_t, 3> ids{numbers[0], numbers[i], numbers[i + 1]};
            const Polygon& polygon = fragment.polygon;
            if (ids[0] == ids[1] || ids[1] == ids[2] || ids[0] == ids[2] ||
                Area({polygon[0], polygon[i], polygon[i + 1]}) < kWeld * kWeld)
                continue;
            triangles.push_back({{first + corners[0], first + corners[1], first + corners[2]}});
            welded.push_back(ids);
        }
    }
    if (triangles.empty())
        return false;
    for (const MapVertexRecord& vertex : vertices)
        out.Add<kLumpVertices>(vertex);
    const std::vector<MapNeighbourRecord> neighbours = Neighbours(welded);
    for (size_t i = 0; i < triangles.size(); ++i) {
        out.Add<kLumpTriangles>(triangles[i]);
        const MapVertexRecord& a = vertices[triangles[i].corners[0] - firstVertex];
        const MapVertexRecord& b = vertices[triangles[i].corners[1] - firstVertex];
        const MapVertexRecord& c = vertices[triangles[i].corners[2] - firstVertex];
        // The normal of the written corners, and d from the same floats.
        const Vec3 normal = Normalized(Cross(ToVec3(b.position) - ToVec3(a.position),
                                             ToVec3(c.position) - ToVec3(a.position)));
        const Vector n = ToVector(normal);
        out.Add<kLumpTrianglePlanes>({a.position, n, n.x * a.position.x + n.y * a.position.y + n.z * a.position.z});
        out.Add<kLumpNeighbours>(neighbours[i]);
    }
    out.Add<kLumpSurfaces>({firstTriangle, uint32_t(triangles.size()), shader});
    return true;
}
