// Visible parts of brush faces turned into one surface's records: vertices
// with texture coordinates and tangent frames, triangles, their planes and
// their neighbours within the surface.
#pragma once

#include "mapsource.h"
#include "world/mapwriter.h"

#include <cstdint>
#include <vector>

struct Fragment {
    const BrushFace* face;
    Polygon polygon;
};

// The unit vectors along ∂P/∂s and ∂P/∂t on the face's plane, made
// orthogonal to each other (the tangent keeps its direction).
struct TangentFrame {
    Vec3 tangent, binormal;
};
TangentFrame FrameOf(const BrushFace& face);
// The texture coordinates of a point of the face.
void TexCoordsOf(const BrushFace& face, const Vec3& p, double& s, double& t);

// Appends the fragments' triangles and a surface record naming `shader`;
// false when no triangle is left (nothing is written then).
bool WriteSurface(const std::vector<Fragment>& fragments, int32_t shader, MapWriter& out);
