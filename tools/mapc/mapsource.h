// A map source as read from its text file (docs/map-source.md): meshes of
// convex brushes whose faces carry a shader and a texture projection, and
// the rooms.
#pragma once

#include "geometry.h"

#include <string>
#include <vector>

// How a face is textured: s = (P · sAxis + offset s) / units s, t likewise.
struct FaceStyle {
    std::string shader;  // empty: the engine's "Default"
    bool autoAxes = true;  // axes from the face's normal, aligned to the world
    Vec3 sAxis, tAxis;  // unit length
    double offsetS = 0, offsetT = 0;
    double unitsS = 64, unitsT = 64;
};

struct BrushFace {
    Plane plane;
    FaceStyle style;
    Polygon polygon;  // the plane's part of the brush's surface
};

struct SourceBrush {
    int line = 0;  // where it opens, for faults found when it closes
    std::vector<BrushFace> faces;
};

struct SourceMesh {
    bool collide = true;
    std::string content;  // its brushes' shader; empty for none
    std::vector<SourceBrush> brushes;
};

struct SourceRoom {
    bool worldBounds = false;  // else the box
    Vec3 minimum, maximum;
};

struct MapSource {
    std::vector<SourceMesh> meshes;  // 0 the static world
    std::vector<SourceRoom> rooms;
};

enum class BrushFault { kNone, kOpen, kDegenerate, kNotConvex, kBeyondLimit };
// Fills each face's polygon from the planes, or names what is wrong: fewer
// than four planes or a volume without end (open); a plane given twice or
// no volume (degenerate); a plane that bounds no face (not convex: a solid
// that planes describe has a face on each); a corner beyond kWorldLimit.
BrushFault BuildBrush(SourceBrush& brush);

// Reads the source `name` through the file layer, printing every fault with
// the file name and line. False when the file cannot be opened or has any
// fault.
bool ReadMapSource(const char* name, MapSource& source);
