// A colour of four float channels from 0 to 1.
#pragma once

struct Colour {
    float red, green, blue, alpha;
};
