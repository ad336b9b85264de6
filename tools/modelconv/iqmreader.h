// IQM (version 2) models read into the scene assimp's importers make, so the
// converter treats them as any other source. Our own reader because assimp
// reads IQM geometry without its joints and animations.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct aiScene;

// True when `bytes` start with the IQM magic.
bool IsIqm(std::string_view bytes);

// The file's joints as nodes below an unnamed root (local rest transforms),
// its meshes (positions in model space, texture t counted from the bottom as
// assimp does) with a bone per joint they are weighted to, and an animation
// per IQM animation with a position and rotation key for every joint at each
// frame (time in frames, ticks per second the frame rate; scale is not kept).
// Null with `error` set when the file breaks any bound or count.
std::unique_ptr<aiScene> ReadIqm(std::string_view bytes, std::string& error);
