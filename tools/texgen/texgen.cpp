// Writes the starter game's textures, all procedural, as 24-bit TGA files
// below the given data directory:
//   textures/console/background.tga  dark gradient with faint scan lines
//   textures/fx/glow.tga             soft round glow
//   textures/base/floor.tga          stone tiles
//   textures/base/wall.tga           bricks
//   textures/base/wall_normal.tga    the bricks' normal map
//   textures/gui/button.tga          a bevelled blue button
//   textures/gui/button_hover.tga    the same, lit
//   textures/gui/button_down.tga     the same, pressed in
//   textures/gui/check.tga           a check mark on black, drawn added
//   textures/gui/cursor.tga          an arrow pointer on black, drawn added
//   texgen <data directory>
#include "render/image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb {
    float r, g, b;  // 0..1
};

// A repeatable value in [0, 1) for a cell of a grid.
float Noise(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65536.0f;
}

uint8_t Byte(float value)
{
    return uint8_t(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// `pixel` gets (x, y) with y counted from the top row.
bool Write(const std::string& path, int size, const std::function<Rgb(int, int)>& pixel)
{
    std::vector<uint8_t> rgb(size_t(size) * size_t(size) * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgb c = pixel(x, y);
            uint8_t* out = &rgb[(size_t(size - 1 - y) * size_t(size) + size_t(x)) * 3];
            out[0] = Byte(c.r);
            out[1] = Byte(c.g);
            out[2] = Byte(c.b);
        }
    }
    const std::vector<uint8_t> file = EncodeTGA(size, size, rgb.data());
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return bool(out);
}

// Height of the brick pattern: 1 on a brick, 0 in the mortar, with a
// one-pixel bevel.
float BrickHeight(int x, int y)
{
    const int size = 128, brickWidth = 32, brickHeight = 16;
    x = (x % size + size) % size;
    y = (y % size + size) % size;
    const int row = y / brickHeight;
    const int bx = (x + (row % 2) * brickWidth / 2) % brickWidth, by = y % brickHeight;
    const int edge = std::min({bx, brickWidth - 1 - bx, by, brickHeight - 1 - by});
    return edge == 0 ? 0.0f : edge == 1 ? 0.5f : 1.0f;
}

Rgb Background(int, int y)
{
    const float t = 1.0f - float(y) / 127.0f;
    const float line = y % 4 == 0 ? 0.85f : 1.0f;
    return {(0.04f + 0.08f * t) * line, (0.05f + 0.11f * t) * line, (0.12f + 0.18f * t) * line};
}

Rgb Glow(int x, int y)
{
    const float dx = (float(x) - 31.5f) / 32.0f, dy = (float(y) - 31.5f) / 32.0f;
    const float falloff = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
    const float v = falloff * falloff;
    return {v, v * 0.85f, v * 0.6f};
}

Rgb Floor(int x, int y)
{
    const int tile = 32;
    const bool grout = x % tile == 0 || y % tile == 0;
    const float shade = 0.45f + 0.15f * Noise(x / tile, y / tile, 1) + 0.06f * Noise(x, y, 2);
    if (grout)
        return {0.18f, 0.17f, 0.16f};
    return {shade, shade * 0.95f, shade * 0.88f};
}

Rgb Wall(int x, int y)
{
    const int row = y / 16, column = (x + (row % 2) * 16) / 32;
    const float height = BrickHeight(x, y);
    if (height == 0.0f)
        return {0.55f, 0.53f, 0.5f};
    const float shade = (0.75f + 0.2f * Noise(column, row, 3) + 0.08f * Noise(x, y, 4)) * (0.8f + 0.2f * height);
    return {0.62f * shade, 0.3f * shade, 0.22f * shade};
}

// Tangent-space normals of the brick heights, packed into 0..1.
Rgb WallNormal(int x, int y)
{
    const float strength = 2.0f;
    // y grows downwards here, so the height gradient's t component flips.
    const float ds = (BrickHeight(x + 1, y) - BrickHeight(x - 1, y)) * strength;
    const float dt = (BrickHeight(x, y - 1) - BrickHeight(x, y + 1)) * strength;
    const float length = std::sqrt(ds * ds + dt * dt + 1.0f);
    return {(-ds / length) * 0.5f + 0.5f, (-dt / length) * 0.5f + 0.5f, (1.0f / length) * 0.5f + 0.5f};
}

// A button face: a vertical gradient in a one-pixel rim, lighter above and
// darker below; `light` scales it, and `sunken` swaps the rim's shades.
Rgb ButtonFace(int x, int y, float light, bool sunken)
{
    const int size = 64;
    const bool top = y < 2 || x < 2, bottom = y >= size - 2 || x >= size - 2;
    if (top || bottom) {
        const float rim = (top != sunken) ? 0.85f : 0.15f;
        return {rim * 0.6f * light, rim * 0.75f * light, rim * light};
    }
    const float t = 1.0f - float(y) / float(size - 1);
    return {(0.12f + 0.1f * t) * light, (0.22f + 0.14f * t) * light, (0.45f + 0.2f * t) * light};
}

Rgb Button(int x, int y)
{
    return ButtonFace(x, y, 1.0f, false);
}

Rgb ButtonHover(int x, int y)
{
    return ButtonFace(x, y, 1.5f, false);
}

Rgb ButtonDown(int x, int y)
{
    return ButtonFace(x, y, 0.8f, true);
}

// Two strokes of a tick, as distances from their lines.
Rgb Check(int x, int y)
{
    const float px = float(x) / 63.0f, py = float(y) / 63.0f;
    const float down = std::fabs((py - 0.55f) - (px - 0.2f)) / std::sqrt(2.0f);
    const float up = std::fabs((py - 0.75f) + (px - 0.4f)) / std::sqrt(2.0f);
    const bool onDown = px >= 0.15f && px <= 0.42f && down < 0.07f;
    const bool onUp = px >= 0.38f && px <= 0.85f && up < 0.07f;
    return onDown || onUp ? Rgb{0.9f, 1.0f, 0.6f} : Rgb{0.0f, 0.0f, 0.0f};
}

// The arrow's tip at the texture's centre, where the mouse is: a cursor
// control centres its quad on the pointer.
Rgb Cursor(int x, int y)
{
    const int dx = x - 32, dy = y - 32;
    const bool inside = dx >= 0 && dy >= 0 && dy < 20 && dx * 5 <= dy * 3;
    return inside ? Rgb{0.95f, 0.95f, 0.9f} : Rgb{0.0f, 0.0f, 0.0f};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: texgen <data directory>\n");
        return 2;
    }
    const std::string data = argv[1];
    const bool written = Write(data + "/textures/console/background.tga", 128, Background) &&
                         Write(data + "/textures/fx/glow.tga", 64, Glow) &&
                         Write(data + "/textures/base/floor.tga", 128, Floor) &&
                         Write(data + "/textures/base/wall.tga", 128, Wall) &&
                         Write(data + "/textures/base/wall_normal.tga", 128, WallNormal) &&
                         Write(data + "/textures/gui/button.tga", 64, Button) &&
                         Write(data + "/textures/gui/button_hover.tga", 64, ButtonHover) &&
                         Write(data + "/textures/gui/button_down.tga", 64, ButtonDown) &&
                         Write(data + "/textures/gui/check.tga", 64, Check) &&
                         Write(data + "/textures/gui/cursor.tga", 64, Cursor);
    if (!written) {
        fprintf(stderr, "texgen: cannot write below %s\n", argv[1]);
        return 1;
    }
    return 0;
}
