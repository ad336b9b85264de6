// The map compiler: a source's brushes become the drawn faces (clipped,
// buried parts and nodraw faces dropped), the collision brushes and the BSP
// tree of a map file (docs/map-source.md).
#pragma once

#include "mapsource.h"
#include "world/mapwriter.h"

#include <string>

// Every lump of the map the source describes.
void CompileMap(const MapSource& source, MapWriter& out);

// Reads the source through the file layer, compiles it and writes the map
// to `outputPath` through a temporary file renamed over it, so that a
// failure leaves no partial map. False after printing the faults.
bool CompileMapFile(const char* sourceName, const std::string& outputPath);
