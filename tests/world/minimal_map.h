// The small map most world tests load, and the shaders it names.
#pragma once

#include "world/mapwriter.h"

#include <cstring>
#include <string>

inline const char kMinimalMapShaders[] = "default\n{\n}\ntextures/wall\n{\n}\ndoor\n{\n}\n"
                                         "clip\n{\n\tsurfaceparm nodraw\n\tsurfaceparm nonsolid\n}\n";

// A floor and a wall in the world (mesh 0, room 0), and a door mesh with a nodraw clip triangle far to the side; three
// brushes; two BSP nodes.
inline MapWriter MinimalMap()
{
    MapWriter w;
    const float positions[13][3] = {{0, 0, 0},   {100, 0, 0}, {100, 0, 100}, {0, 0, 100}, {0, 0, 0},
                                    {0, 50, 0},  {100, 50, 0}, {200, 0, 0},  {210, 0, 0}, {200, 10, 0},
                                    {40, 0, 50}, {60, 0, 50},  {50, 30, 50}};
    for (const auto& p : positions)
        w.Vertex(p[0], p[1], p[2], p[0] / 100, p[2] / 100);
    w.Triangle(0, 1, 2, -1, -1, 1);
    w.Triangle(0, 2, 3, 0);
    w.Triangle(4, 5, 6, 4);  // a neighbour outside its one-triangle surface
    w.Triangle(7, 8, 9);
    w.Triangle(10, 11, 12);
    w.Surface(0, 2, -1);
    w.Surface(2, 1, 0);
    w.Surface(3, 1, 1);
    w.Surface(4, 1, 2);
    w.ShaderName("Textures/Wall");
    w.ShaderName("clip");
    w.ShaderName("door");
    w.Room(0, 2, {0, 0, 0}, {100, 50, 100});
    w.Mesh(0, 2, 0, 2);
    w.Mesh(2, 1, 2, 2);
    w.Plane(0, 1, 0, 0);
    w.Plane(0, -1, 0, 10);
    w.Plane(1, 0, 0, 60);
    w.Plane(-1, 0, 0, -40);
    for (uint32_t plane = 0; plane < 4; ++plane)
        w.Side(plane);
    w.Brush(-1, 0, 2, 0x101);
    w.Brush(1, 2, 1, 1);
    w.Brush(2, 3, 1, 1);
    w.Node(1, -1, 0);
    w.Node(-2, 0, 2);
    w.Leaf(0, 1);
    w.Leaf(1, 2);
    for (uint32_t brush = 0; brush < 3; ++brush)
        w.LeafBrush(brush);
    return w;
}

// Overwrites four bytes of a file, for damaging one field.
inline void Poke(std::string& bytes, size_t at, uint32_t value)
{
    memcpy(&bytes[at], &value, sizeof(value));
}
