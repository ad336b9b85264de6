// Screenshots an engine run wrote, read back with the engine's own TGA reader, and pixels counted by colour.
#pragma once

#include "render/image.h"
#include "support/engine_sandbox.h"

#include <cstdio>

struct Rgb {
    int r, g, b;
};

// "screenshots/ssNNNNN.tga" of the sandbox, expected to read.
inline Image Screenshot(const EngineSandbox& sandbox, int number)
{
    char name[32];
    snprintf(name, sizeof(name), "screenshots/ss%05d.tga", number);
    const std::string file = sandbox.ReadData(name);
    Image image;
    std::string error;
    EXPECT_TRUE(ReadTGA(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image, error)) << name << error;
    return image;
}

// Pixels of the span [x0, x1) of rows [y0, y1), counted from the top, that pass `test`.
template <typename Test>
int Count(const Image& image, int x0, int x1, int y0, int y1, Test test)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &image.pixels[(size_t(image.height - 1 - y) * size_t(image.width) + size_t(x)) *
                                             size_t(image.bytesPerPixel)];
            count += test(Rgb{p[0], p[1], p[2]}) ? 1 : 0;
        }
    return count;
}

template <typename Test>
int Count(const Image& image, Test test)
{
    return Count(image, 0, image.width, 0, image.height, test);
}
