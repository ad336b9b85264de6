#include "mapsource.h"

#include "console/console.h"
#include "vfs/definitionreader.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kBrushOpen[] = "^1Error: Brush is open ^13(%s, line: %i).\n";
const char kBrushDegenerate[] = "^1Error: Brush is degenerate ^13(%s, line: %i).\n";
const char kBrushNotConvex[] = "^1Error: Brush is not convex ^13(%s, line: %i).\n";
const char kBrushBeyondLimit[] = "^1Error: Brush reaches beyond 8192 units from the origin ^13(%s, line: %i).\n";
const char kNotClosed[] = "^1Error: Unexpected end of file, mesh or brush not closed ^13(%s, line: %i).\n";

// Brushes this thin have no volume.
constexpr double kMinimumVolume = 1e-3;

// The faces' pyramids from one corner of the brush.
double Volume(const std::vector<BrushFace>& faces)
{
    Vec3 apex;
    for (const BrushFace& face : faces)
        if (!face.polygon.empty())
            apex = face.polygon[0];
    double volume = 0;
    for (const BrushFace& face : faces)
        volume += Area(face.polygon) * -face.plane.To(apex) / 3;
    return volume;
}

class SourceReader {
public:
    explicit SourceReader(MapSource& source) : source(source) {}

    bool Read(const char* name)
    {
        if (!reader.Parse(name, [this] { Line(); }))
            return false;
        if (depth > 0 || expectBracket)
            Fault(kNotClosed);
        return faults == 0;
    }

private:
    enum Depth { kTop, kMesh, kBrush };

    void Fault(const char* message, int line = 0)
    {
        gConsole->Print(message, reader.fileName.c_str(), line ? line : reader.lineNumber);
        ++faults;
    }

    void Line()
    {
        const std::vector<std::string>& tokens = reader.tokens;
        if (const char bracket = reader.Bracket())
            return Bracket(bracket);
        if (expectBracket) {
            Fault(kDefinitionBracketPlacement);
            expectBracket = false;  // read on as if it had opened
        }
        const std::string& key = tokens[0];
        const size_t parameters = tokens.size() - 1;
        if (depth == kTop && key == "mesh")
            return OpenMesh(parameters);
        if (depth == kTop && key == "room")
            return Room(parameters);
        if (depth == kMesh && key == "brush")
            return OpenBrush(parameters);
        if (depth == kMesh && key == "collide")
            return Collide(parameters);
        if (depth == kMesh && key == "content")
            return Content(parameters);
        if (depth != kTop && (key == "shader" || key == "axes" || key == "offset" || key == "repeat"))
            return Style(key, parameters);
        if (depth == kBrush && key == "box")
            return Box(parameters);
        if (depth == kBrush && key == "plane")
            return PlaneLine(parameters);
        Fault(kDefinitionUnknownCommand);
    }

    void Bracket(char bracket)
    {
        if (bracket == '{') {
            if (!expectBracket)
                Fault(kDefinitionBracketPlacement);
            expectBracket = false;
            return;
        }
        if (expectBracket || depth == kTop)
            return Fault(kDefinitionBracketPlacement);
        if (depth == kBrush)
            CloseBrush();
        depth = Depth(depth - 1);
    }

    bool Expect(size_t parameters, size_t count)
    {
        if (parameters == count)
            return true;
        Fault(kDefinitionParameterCount);
        return false;
    }

    // Tokens `first` on as numbers, each within the world's limit.
    bool Numbers(size_t first, size_t count, double* values)
    {
        for (size_t i = 0; i < count; ++i) {
            const std::string& token = reader.tokens[first + i];
            char* end = nullptr;
            values[i] = strtod(token.c_str(), &end);
            if (!DefinitionReader::IsNumeric(token) || *end != '\0' || end == token.c_str()) {
                Fault(kDefinitionDatatype);
                return false;
            }
            if (!(std::fabs(values[i]) <= kWorldLimit)) {
                Fault(kDefinitionInvalidParameter);
                return false;
            }
        }
        return true;
    }

    void ShaderName(const std::string& token, std::string& name)
    {
        // The file's shader names hold 63 characters and a terminator.
        if (token.size() > 63)
            return Fault(kDefinitionInvalidParameter);
        name = token == "none" ? "" : token;
    }

    void OpenMesh(size_t parameters)
    {
        double index;
        if (!Expect(parameters, 1) || !Numbers(1, 1, &index))
            return;
        // Meshes come in order, so that "*1" is the second one written.
        if (index != double(source.meshes.size()))
            return Fault(kDefinitionInvalidParameter);
        source.meshes.emplace_back();
        meshStyle = FaceStyle();
        depth = kMesh;
        expectBracket = true;
    }

    void Collide(size_t parameters)
    {
        bool collide;
        if (!Expect(parameters, 1))
            return;
        if (!DefinitionReader::ParseBoolean(reader.tokens[1], &collide))
            return Fault(kDefinitionInvalidParameter);
        source.meshes.back().collide = collide;
    }

    void Content(size_t parameters)
    {
        if (Expect(parameters, 1))
            ShaderName(reader.tokens[1], source.meshes.back().content);
    }

    void Room(size_t parameters)
    {
        SourceRoom room;
        if (parameters == 1 && reader.tokens[1] == "world") {
            room.worldBounds = true;
        } else {
            double box[6];
            if (!Expect(parameters, 6) || !Numbers(1, 6, box))
                return;
            room.minimum = {box[0], box[1], box[2]};
            room.maximum = {box[3], box[4], box[5]};
            if (!(box[0] < box[3] && box[1] < box[4] && box[2] < box[5]))
                return Fault(kDefinitionInvalidParameter);
        }
        source.rooms.push_back(room);
    }

    void OpenBrush(size_t parameters)
    {
        if (!Expect(parameters, 0))
            return;
        SourceBrush brush;
        brush.line = reader.lineNumber;
        source.meshes.back().brushes.push_back(brush);
        brushStyle = meshStyle;
        depth = kBrush;
        expectBracket = true;
    }

    void CloseBrush()
    {
        SourceBrush& brush = source.meshes.back().brushes.back();
        switch (BuildBrush(brush)) {
        case BrushFault::kNone: return;
        case BrushFault::kOpen: return Fault(kBrushOpen, brush.line);
        case BrushFault::kDegenerate: return Fault(kBrushDegenerate, brush.line);
        case BrushFault::kNotConvex: return Fault(kBrushNotConvex, brush.line);
        case BrushFault::kBeyondLimit: return Fault(kBrushBeyondLimit, brush.line);
        }
    }

    void Style(const std::string& key, size_t parameters)
    {
        FaceStyle& style = depth == kBrush ? brushStyle : meshStyle;
        double values[6];
        if (key == "shader") {
            if (Expect(parameters, 1))
                ShaderName(reader.tokens[1], style.shader);
        } else if (key == "axes" && parameters == 1 && reader.tokens[1] == "auto") {
            style.autoAxes = true;
        } else if (key == "axes") {
            if (!Expect(parameters, 6) || !Numbers(1, 6, values))
                return;
            const Vec3 s{values[0], values[1], values[2]}, t{values[3], values[4], values[5]};
            // Two directions that span a plane.
            if (Length(Cross(s, t)) < 1e-6 * Length(s) * Length(t) || Length(s) == 0 || Length(t) == 0)
                return Fault(kDefinitionInvalidParameter);
            style.autoAxes = false;
            style.sAxis = Normalized(s);
            style.tAxis = Normalized(t);
        } else if (Expect(parameters, 2) && Numbers(1, 2, values)) {
            if (key == "offset") {
                style.offsetS = values[0];
                style.offsetT = values[1];
            } else if (values[0] == 0 || values[1] == 0) {
                Fault(kDefinitionInvalidParameter);
            } else {
                style.unitsS = values[0];
                style.unitsT = values[1];
            }
        }
    }

    void AddFace(const Vec3& normal, double distance)
    {
        source.meshes.back().brushes.back().faces.push_back({{normal, distance}, brushStyle, {}});
    }

    void Box(size_t parameters)
    {
        double b[6];
        if (!Expect(parameters, 6) || !Numbers(1, 6, b))
            return;
        if (!(b[0] < b[3] && b[1] < b[4] && b[2] < b[5]))
            return Fault(kDefinitionInvalidParameter);
        for (int axis = 0; axis < 3; ++axis) {
            Vec3 normal;
            (axis == 0 ? normal.x : axis == 1 ? normal.y : normal.z) = 1;
            AddFace(normal, b[axis + 3]);
            AddFace(-normal, -b[axis]);
        }
    }

    void PlaneLine(size_t parameters)
    {
        double p[4];
        if (!Expect(parameters, 4) || !Numbers(1, 4, p))
            return;
        const Vec3 normal{p[0], p[1], p[2]};
        const double length = Length(normal);
        if (length < 1e-6)
            return Fault(kDefinitionInvalidParameter);
        AddFace(normal * (1 / length), p[3] / length);
    }

    MapSource& source;
    DefinitionReader reader{DefinitionFormat::EffectFile};  // "#" comments, lower case, blocks nested by us
    Depth depth = kTop;
    bool expectBracket = false;
    FaceStyle meshStyle, brushStyle;
    int faults = 0;
};

}  // namespace

BrushFault BuildBrush(SourceBrush& brush)
{
    std::vector<BrushFace>& faces = brush.faces;
    if (faces.size() < 4)
        return BrushFault::kOpen;
    std::vector<Plane> planes;
    for (const BrushFace& face : faces) {
        for (const Plane& earlier : planes)
            if (SamePlane(earlier, face.plane))
                return BrushFault::kDegenerate;
        planes.push_back(face.plane);
    }
    const std::vector<Polygon> polygons = FacesOf(planes);
    bool any = false, empty = false;
    double farthest = 0;
    for (size_t i = 0; i < faces.size(); ++i) {
        faces[i].polygon = Cleaned(polygons[i]);
        any |= !faces[i].polygon.empty();
        empty |= faces[i].polygon.empty();
        for (const Vec3& p : faces[i].polygon)
            farthest = std::max({farthest, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
    // Faces of an endless volume reach the edges of their squares, more
    // than eight limits out along some axis.
    if (farthest > kWorldLimit * 4)
        return BrushFault::kOpen;
    if (!any || Volume(faces) < kMinimumVolume)
        return BrushFault::kDegenerate;
    if (empty)
        return BrushFault::kNotConvex;
    return farthest > kWorldLimit + kOnPlane ? BrushFault::kBeyondLimit : BrushFault::kNone;
}

bool ReadMapSource(const char* name, MapSource& source)
{
    return SourceReader(source).Read(name);
}
