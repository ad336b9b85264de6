// A property every input must keep: the fuzzer records a crash when it fails.
#pragma once

#include <cstdlib>

inline void Require(bool condition)
{
    if (!condition)
        abort();
}
