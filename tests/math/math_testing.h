// Comparisons shared by the math tests.
#pragma once

#include "engine/vector.h"

#include <gtest/gtest.h>

#include <cmath>

// Length, Normalize and the box radius run on ~12-bit SSE estimates.
constexpr float kEstimateTolerance = 1.0f / 1024.0f;

inline ::testing::AssertionResult VectorNear(const Vector& actual, const Vector& expected,
                                             float tolerance = 1e-6f)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") is not (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}
