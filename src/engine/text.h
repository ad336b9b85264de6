// Name comparisons: every name of the engine (commands, variables, textures,
// shaders, keys, archive members) is compared after turning A-Z into a-z,
// whatever the locale.
#pragma once

#include <string>

inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string text)
{
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}
