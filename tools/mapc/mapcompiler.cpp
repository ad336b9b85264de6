#include "mapcompiler.h"

#include "bsp.h"
#include "console/console.h"
#include "surfaces.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <unistd.h>

namespace {

struct Box {
    Vec3 minimum{DBL_MAX, DBL_MAX, DBL_MAX};
    Vec3 maximum = -minimum;

    bool Empty() const { return minimum.x > maximum.x; }
    void Add(const Vec3& p)
    {
        minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
        maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
    }
    void Add(const Box& b)
    {
        if (!b.Empty())
            Add(b.minimum), Add(b.maximum);
    }
    bool Overlaps(const Box& b) const
    {
        for (int axis = 0; axis < 3; ++axis)
            if (minimum[axis] > b.maximum[axis] + kOnPlane || b.minimum[axis] > maximum[axis] + kOnPlane)
                return false;
        return true;
    }
    // 0 inside.
    double DistanceTo(const Vec3& p) const
    {
        double squared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const double outside = std::max({minimum[axis] - p[axis], p[axis] - maximum[axis], 0.0});
            squared += outside * outside;
        }
        return std::sqrt(squared);
    }
};

Box BoxOf(const Polygon& polygon)
{
    Box box;
    for (const Vec3& p : polygon)
        box.Add(p);
    return box;
}

Box BoxOf(const SourceBrush& brush)
{
    Box box;
    for (const BrushFace& face : brush.faces)
        box.Add(BoxOf(face.polygon));
    return box;
}

// The parts of `polygon` (on `face`) outside `brush`. A part lying on one of
// the brush's faces is outside when that face looks the same way and
// `keepOnSameFace` (one of two flush faces stays), inside otherwise. The
// brush's other sides cut first, so that only what lies on that face
// counts, not what merely shares its plane beyond the brush's edge.
std::vector<Polygon> Outside(const Polygon& polygon, const Plane& face, const SourceBrush& brush, bool keepOnSameFace)
{
    std::vector<Polygon> outside;
    Polygon rest = polygon;
    bool onSameFace = false;
    for (const BrushFace& side : brush.faces) {
        if (SamePlane(side.plane, face)) {
            onSameFace = true;
            continue;
        }
        Polygon front, back;
        Split(rest, side.plane, &front, &back);
        if (front.empty() && back.empty())
            continue;  // lying on the plane: behind it, as the brush's inside is
        if (!front.empty())
            outside.push_back(front);
        if (back.empty())
            return outside;
        rest = back;
    }
    // What is left of `rest` lies inside the brush, or on its flush face.
    if (onSameFace && keepOnSameFace)
        outside.push_back(rest);
    return outside;
}

// The faces of a mesh's brushes that can be seen: nodraw faces dropped and
// each face cut by the mesh's other brushes to what lies outside them.
std::vector<Fragment> VisibleFragments(const SourceMesh& mesh)
{
    std::vector<Box> boxes;
    for (const SourceBrush& brush : mesh.brushes)
        boxes.push_back(BoxOf(brush));
    std::vector<Fragment> visible;
    for (size_t a = 0; a < mesh.brushes.size(); ++a)
        for (const BrushFace& face : mesh.brushes[a].faces) {
            if (face.style.shader == "nodraw")
                continue;
            std::vector<Polygon> parts{face.polygon};
            const Box faceBox = BoxOf(face.polygon);
            for (size_t b = 0; b < mesh.brushes.size() && !parts.empty(); ++b) {
                if (b == a || !faceBox.Overlaps(boxes[b]))
                    continue;
                std::vector<Polygon> left;
                for (const Polygon& part : parts)
                    for (Polygon& piece : Outside(part, face.plane, mesh.brushes[b], b > a))
                        left.push_back(piece);
                parts.swap(left);
            }
            for (const Polygon& part : parts) {
                Polygon cleaned = Cleaned(part);
                if (!cleaned.empty())
                    visible.push_back({&face, cleaned});
            }
        }
    return visible;
}

// Planes written once however many brushes and nodes name them.
class PlaneTable {
public:
    explicit PlaneTable(MapWriter& out) : out(out) {}
    uint32_t Index(const Plane& plane)
    {
        // Adding zero turns -0 into 0: one key for both, and cleaner dumps.
        const Vector n{float(plane.normal.x) + 0.0f, float(plane.normal.y) + 0.0f, float(plane.normal.z) + 0.0f};
        const float d = float(plane.distance) + 0.0f;
        const std::array<float, 4> key{n.x, n.y, n.z, d};
        const auto found = indices.find(key);
        if (found != indices.end())
            return found->second;
        out.Add<kLumpPlanes>({{n.x * d, n.y * d, n.z * d}, n, d});
        return indices[key] = out.Count(kLumpPlanes) - 1;
    }

private:
    MapWriter& out;
    std::map<std::array<float, 4>, uint32_t> indices;
};

class MapCompiler {
public:
    MapCompiler(const MapSource& source, MapWriter& out) : source(source), out(out), planes(out) {}

    void Compile()
    {
        NameShaders();
        std::vector<std::vector<Fragment>> visible;
        for (const SourceMesh& mesh : source.meshes)
            visible.push_back(VisibleFragments(mesh));
        if (visible.empty())
            visible.emplace_back();  // mesh 0 is always there

        // World surfaces room by room, then each movable mesh's, so that
        // every room and mesh is one range of surfaces.
        const std::vector<Box> rooms = RoomBoxes();
        std::vector<std::vector<Fragment>> inRoom(rooms.size());
        for (const Fragment& fragment : visible[0])
            inRoom[RoomOf(rooms, Centre(fragment.polygon))].push_back(fragment);
        for (size_t r = 0; r < rooms.size(); ++r) {
            const uint32_t first = out.Count(kLumpSurfaces);
            Box bounds = rooms[r];
            for (const Fragment& fragment : inRoom[r])
                bounds.Add(BoxOf(fragment.polygon));
            WriteSurfaces(inRoom[r]);
            if (bounds.Empty())
                bounds = Box{{}, {}};
            out.Room(first, out.Count(kLumpSurfaces) - first, ToVector(bounds.minimum), ToVector(bounds.maximum));
        }
        uint32_t firstSurface = 0;
        for (size_t m = 0; m < visible.size(); ++m) {
            if (m > 0)
                WriteSurfaces(visible[m]);
            const uint32_t firstBrush = out.Count(kLumpBrushes);
            if (m < source.meshes.size())
                WriteBrushes(source.meshes[m], m == 0);
            out.Mesh(firstBrush, out.Count(kLumpBrushes) - firstBrush, firstSurface,
                     out.Count(kLumpSurfaces) - firstSurface);
            firstSurface = out.Count(kLumpSurfaces);
        }
        WriteBsp(worldBrushes, out);
    }

private:
    static Vector ToVector(const Vec3& v) { return {float(v.x), float(v.y), float(v.z)}; }

    // Names in the order the source first uses them.
    void NameShaders()
    {
        auto name = [this](const std::string& shader) {
            if (!shader.empty() && std::find(shaders.begin(), shaders.end(), shader) == shaders.end()) {
                shaders.push_back(shader);
                out.ShaderName(shader);
            }
        };
        for (const SourceMesh& mesh : source.meshes) {
            name(mesh.content);
            for (const SourceBrush& brush : mesh.brushes)
                for (const BrushFace& face : brush.faces)
                    name(face.style.shader);
        }
    }
    int32_t ShaderIndex(const std::string& shader) const
    {
        const auto found = std::find(shaders.begin(), shaders.end(), shader);
        return found == shaders.end() ? -1 : int32_t(found - shaders.begin());
    }

    std::vector<Box> RoomBoxes() const
    {
        Box world;
        if (!source.meshes.empty())
            for (const SourceBrush& brush : source.meshes[0].brushes)
                world.Add(BoxOf(brush));
        std::vector<Box> boxes;
        for (const SourceRoom& room : source.rooms)
            boxes.push_back(room.worldBounds ? world : Box{room.minimum, room.maximum});
        if (boxes.empty())
            boxes.push_back(world);
        return boxes;
    }

    // The first room holding the point, else the nearest.
    static size_t RoomOf(const std::vector<Box>& rooms, const Vec3& p)
    {
        size_t nearest = 0;
        double distance = std::numeric_limits<double>::max();
        for (size_t r = 0; r < rooms.size(); ++r) {
            const double d = rooms[r].Empty() ? distance : rooms[r].DistanceTo(p);
            if (d <= kOnPlane)
                return r;
            if (d < distance)
                distance = d, nearest = r;
        }
        return nearest;
    }

    // One surface per shader, in shader order.
    void WriteSurfaces(const std::vector<Fragment>& fragments)
    {
        std::map<int32_t, std::vector<Fragment>> byShader;
        for (const Fragment& fragment : fragments)
            byShader[ShaderIndex(fragment.face->style.shader)].push_back(fragment);
        for (const auto& [shader, group] : byShader)
            WriteSurface(group, shader, out);
    }

    void WriteBrushes(const SourceMesh& mesh, bool world)
    {
        for (const SourceBrush& brush : mesh.brushes) {
            BspBrush bsp{out.Count(kLumpBrushes), {}, {}};
            const uint32_t firstSide = out.Count(kLumpBrushSides);
            for (const BrushFace& face : brush.faces) {
                bsp.planes.push_back(face.plane);
                bsp.planeIndices.push_back(planes.Index(face.plane));
                out.Side(bsp.planeIndices.back());
            }
            out.Brush(ShaderIndex(mesh.content), firstSide, uint32_t(brush.faces.size()), mesh.collide ? 1 : 0);
            if (world)
                worldBrushes.push_back(bsp);
        }
    }

    const MapSource& source;
    MapWriter& out;
    PlaneTable planes;
    std::vector<std::string> shaders;
    std::vector<BspBrush> worldBrushes;
};

}  // namespace

void CompileMap(const MapSource& source, MapWriter& out)
{
    MapCompiler(source, out).Compile();
}

bool CompileMapFile(const char* sourceName, const std::string& outputPath)
{
    MapSource source;
    if (!ReadMapSource(sourceName, source)) {
        gConsole->Print("^1Error: Unable to compile map %s.\n", sourceName);
        return false;
    }
    MapWriter out;
    CompileMap(source, out);
    const std::string bytes = out.Bytes();
    const std::string temporary = outputPath + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    bool written = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = file && fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), outputPath.c_str()) != 0) {
        gConsole->Print("^1Error: Unable to write map %s: %s.\n", outputPath.c_str(), strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
