// The level: one binary map file loaded whole and turned into the runtime
// structures the renderer and collision read.
#pragma once

class Map {
public:
    static constexpr int kVersion = 3;

    virtual ~Map() = default;

    // True when the file exists, holds at least 5 bytes and begins with
    // "KRSM": the map command checks this before it frees anything.
    static bool IsMapFile(const char* path);

    // Reads the file and builds the level; false (with a console error)
    // when it cannot. A failed load leaves no map.
    virtual bool Load(const char* path);
};

extern Map* gMap;
