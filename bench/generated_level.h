// Map sources written by code for the map benchmarks: a square grid of
// rooms, each with a floor, a ceiling, walls with a doorway to the west and
// south neighbours, and pillars standing between floor and ceiling. Pillars
// of four sides are boxes; more sides make prisms of planes, which is where
// most of the triangles come from.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

struct LevelShape {
    int roomsAcross = 10;
    int brushes = 2000;  // pillars fill the rooms up to this count
    int pillarSides = 4;
};

class GeneratedLevel {
public:
    static constexpr double kRoomSize = 512, kHeight = 256, kSlab = 16, kWall = 16;
    static constexpr double kDoorWidth = 96, kDoorHeight = 160, kPillarRadius = 20;

    explicit GeneratedLevel(const LevelShape& shape) : shape(shape) {}

    // Across the whole level on x and z, centred on the origin.
    double Extent() const { return shape.roomsAcross * kRoomSize + kWall; }
    double Low() const { return -Extent() / 2; }

    std::string Source()
    {
        text.clear();
        const int rooms = shape.roomsAcross * shape.roomsAcross;
        // Floor, ceiling and two walls of three pieces per room; the east
        // and north edges of the level close it with three pieces a room.
        const int fixed = rooms * 8 + shape.roomsAcross * 2 * 3;
        const int pillars = shape.brushes > fixed ? shape.brushes - fixed : 0;
        text += "mesh 0\n{\n";
        for (int row = 0; row < shape.roomsAcross; ++row)
            for (int column = 0; column < shape.roomsAcross; ++column) {
                const int room = row * shape.roomsAcross + column;
                Room(Low() + column * kRoomSize, Low() + row * kRoomSize,
                     (room + 1) * pillars / rooms - room * pillars / rooms, column + 1 == shape.roomsAcross,
                     row + 1 == shape.roomsAcross);
            }
        text += "}\n";
        for (int row = 0; row < shape.roomsAcross; ++row)
            for (int column = 0; column < shape.roomsAcross; ++column) {
                const double x = Low() + column * kRoomSize, z = Low() + row * kRoomSize;
                Line("room %.1f %.1f %.1f %.1f %.1f %.1f", x, -kSlab, z, x + kRoomSize, kHeight + kSlab,
                     z + kRoomSize);
            }
        return text;
    }

private:
    void Room(double x, double z, int pillars, bool eastEdge, bool northEdge)
    {
        Line("shader textures/bench/floor");
        Box(x, -kSlab, z, x + kRoomSize, 0, z + kRoomSize);
        Line("shader textures/bench/ceiling");
        Box(x, kHeight, z, x + kRoomSize, kHeight + kSlab, z + kRoomSize);
        Line("shader textures/bench/wall");
        WallAlongZ(x, z);
        WallAlongX(x, z);
        if (eastEdge)
            WallAlongZ(x + kRoomSize, z);
        if (northEdge)
            WallAlongX(x, z + kRoomSize);
        Line("shader textures/bench/pillar");
        // In a square pattern, clear of the walls and the doorways.
        const int across = int(std::ceil(std::sqrt(double(pillars))));
        for (int i = 0; i < pillars; ++i) {
            const double step = (kRoomSize - 2 * kWall) / (across + 1);
            Pillar(x + kWall + step * (i % across + 1), z + kWall + step * (i / across + 1));
        }
    }

    // A wall from (x, z) along +z with a doorway in its middle.
    void WallAlongZ(double x, double z)
    {
        const double door = z + kRoomSize / 2;
        Box(x, 0, z, x + kWall, kHeight, door - kDoorWidth / 2);
        Box(x, 0, door + kDoorWidth / 2, x + kWall, kHeight, z + kRoomSize + kWall);
        Box(x, kDoorHeight, door - kDoorWidth / 2, x + kWall, kHeight, door + kDoorWidth / 2);
    }
    void WallAlongX(double x, double z)
    {
        const double door = x + kRoomSize / 2;
        Box(x, 0, z, door - kDoorWidth / 2, kHeight, z + kWall);
        Box(door + kDoorWidth / 2, 0, z, x + kRoomSize + kWall, kHeight, z + kWall);
        Box(door - kDoorWidth / 2, kDoorHeight, z, door + kDoorWidth / 2, kHeight, z + kWall);
    }

    void Pillar(double x, double z)
    {
        if (shape.pillarSides <= 4) {
            Box(x - kPillarRadius, 0, z - kPillarRadius, x + kPillarRadius, kHeight, z + kPillarRadius);
            return;
        }
        Line("brush\n{");
        Line("plane 0 1 0 %.1f", kHeight);
        Line("plane 0 -1 0 0");
        for (int side = 0; side < shape.pillarSides; ++side) {
            const double angle = 2 * M_PI * side / shape.pillarSides;
            const double nx = std::cos(angle), nz = std::sin(angle);
            Line("plane %.6f 0 %.6f %.6f", nx, nz, kPillarRadius + nx * x + nz * z);
        }
        Line("}");
    }

    void Box(double x0, double y0, double z0, double x1, double y1, double z1)
    {
        Line("brush\n{\nbox %.1f %.1f %.1f %.1f %.1f %.1f\n}", x0, y0, z0, x1, y1, z1);
    }

    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[256];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(line, sizeof(line), format, arguments);
        va_end(arguments);
        text += line;
        text += '\n';
    }

    LevelShape shape;
    std::string text;
};
