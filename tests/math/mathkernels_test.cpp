// The kernel table: dispatch from feature words, and every kernel family against the contracts and against each other.
#include "engine/mathkernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

namespace {

using F = KernelFamily;

struct Family {
    const char* name;
    const MathKernels* kernels;
};

std::vector<Family> Families()
{
    std::vector<Family> families = {{"scalar", &kScalarKernels}};
#ifdef MORVATHEN_X86
    if (ReadCpuFeatures().standardEdx & kCpuSse)
        families.push_back({"sse", &kSseKernels});
#endif
    return families;
}

auto Tied(const KernelChoice& c) { return std::tie(c.sqrt, c.rsqrt, c.matrixMultiply, c.transformVertices); }

TEST(KernelDispatchTest, ChoosesFromFeatureWords)
{
    constexpr uint32_t kMaxLeaf = 0x80000008u;
    constexpr uint32_t k3DNowStreaming = kCpu3DNow | kCpuMmxExtensions;
    const struct {
        CpuFeatures features;
        KernelChoice expected;
    } cases[] = {
        {{0, 0, 0}, {F::Scalar, F::Scalar, F::Scalar, F::Scalar}},
        {{kCpuSse, kMaxLeaf, 0}, {F::Sse, F::Sse, F::Sse, F::Sse}},
        // 3DNow! wins over SSE, keeping its full-precision square roots.
        {{kCpuSse, kMaxLeaf, k3DNowStreaming}, {F::Scalar, F::Scalar, F::Sse, F::Sse}},
        {{kCpuSse, kMaxLeaf, kCpu3DNow}, {F::Scalar, F::Scalar, F::Sse, F::Scalar}},
        {{0, kMaxLeaf, k3DNowStreaming}, {F::Scalar, F::Scalar, F::Scalar, F::Scalar}},
        // Extended features count only from a maximum leaf of 0x80000002.
        {{kCpuSse, 0x80000001u, k3DNowStreaming}, {F::Sse, F::Sse, F::Sse, F::Sse}},
        {{kCpuSse, 0x80000002u, k3DNowStreaming}, {F::Scalar, F::Scalar, F::Sse, F::Sse}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Tied(ChooseKernels(c.features)) == Tied(c.expected)) << "case " << &c - cases;
}

TEST(MathKernelsTest, SqrtAndRSqrtWithinTwelveBits)
{
    // Two chained estimates of at most 1.5 * 2^-12 relative error each.
    constexpr double kTolerance = 3.0 / 4096;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> exponent(-20.0f, 20.0f);
    for (const Family& family : Families()) {
        SCOPED_TRACE(family.name);
        EXPECT_EQ(family.kernels->sqrt(0.0f), 0.0f);
        for (int i = 0; i < 2000; ++i) {
            const float x = std::exp2(exponent(random));
            const double root = std::sqrt(double(x));
            ASSERT_NEAR(family.kernels->sqrt(x) / root, 1.0, kTolerance) << x;
            ASSERT_NEAR(family.kernels->rsqrt(x) * root, 1.0, kTolerance) << x;
        }
    }
}

// Sixteen random entries.
void Randomise(float* m, std::mt19937& random)
{
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    for (int i = 0; i < 16; ++i)
        m[i] = value(random);
}

TEST(MathKernelsTest, MatrixMultiplyIsBTimesA)
{
    std::mt19937 random(11);
    for (const Family& family : Families()) {
        SCOPED_TRACE(family.name);
        // Unaligned on purpose: the contract asks no alignment.
        alignas(16) float storage[3 * 16 + 1];
        float *a = storage + 1, *b = a + 16, *out = b + 16;
        Randomise(a, random);
        Randomise(b, random);
        family.kernels->matrixMultiply(out, a, b);
        // Column-major out = b * a: element (row r, column c) at c * 4 + r.
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                float expected = 0.0f;
                for (int k = 0; k < 4; ++k)
                    expected += b[k * 4 + r] * a[c * 4 + k];
                EXPECT_NEAR(out[c * 4 + r], expected, 1e-3f) << c << "," << r;
            }

        // out may be either input.
        const std::vector<float> product(out, out + 16);
        std::vector<float> inPlace(a, a + 16);
        family.kernels->matrixMultiply(inPlace.data(), inPlace.data(), b);
        EXPECT_EQ(inPlace, product);
        inPlace.assign(b, b + 16);
        family.kernels->matrixMultiply(inPlace.data(), a, inPlace.data());
        EXPECT_EQ(inPlace, product);
    }
}

TEST(MathKernelsTest, TransformVerticesContractAndFamiliesAgree)
{
    std::mt19937 random(13);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    constexpr uint32_t kCount = 37;
    std::vector<Vertex> randomVertices(kCount);
    for (Vertex& v : randomVertices) {
        for (float* array : {v.position, v.tangent, v.binormal, v.normal, v.colour})
            for (int i = 0; i < 4; ++i)
                array[i] = value(random);
        v.texCoord[0] = value(random), v.texCoord[1] = value(random);
        v.boneIndex = value(random), v.boneWeight = value(random);
    }
    Matrix matrix;
    Randomise(matrix.m, random);
    std::vector<Vertex> expected(kCount);
    kScalarKernels.transformVertices(expected.data(), randomVertices.data(), kCount, &matrix);

    Matrix translation;
    translation.Identity();
    translation.m[12] = 10, translation.m[13] = 20, translation.m[14] = 30;
    for (const Family& family : Families()) {
        SCOPED_TRACE(family.name);
        std::vector<Vertex> in(2), out(2);
        in[0] = {{1, 2, 3, 1}, {1, 0, 0, 7}, {0, 1, 0, 7}, {0, 0, 1, 7}, {0.5f, 0.25f}, {1, 2, 3, 4}, 5, 0.75f};
        in[1] = in[0];
        in[1].position[3] = 0.0f;
        std::memset(out.data(), 0xAB, out.size() * sizeof(Vertex));
        const std::vector<Vertex> untouched = out;

        family.kernels->transformVertices(out.data(), in.data(), 0, &translation);
        EXPECT_EQ(std::memcmp(out.data(), untouched.data(), out.size() * sizeof(Vertex)), 0);

        // Positions move unless w = 0; directions never do (their w lane is the sum's); the last 32 bytes are copied.
        family.kernels->transformVertices(out.data(), in.data(), 2, &translation);
        std::vector<Vertex> expectedOut = in;
        for (Vertex& v : expectedOut)
            v.tangent[3] = v.binormal[3] = v.normal[3] = 0.0f;
        expectedOut[0].position[0] = 11, expectedOut[0].position[1] = 22, expectedOut[0].position[2] = 33;
        EXPECT_EQ(std::memcmp(out.data(), expectedOut.data(), out.size() * sizeof(Vertex)), 0);

        // Random vertices, in place (which the contract allows), against the scalar kernel.
        out = randomVertices;
        family.kernels->transformVertices(out.data(), out.data(), kCount, &matrix);
        for (uint32_t i = 0; i < kCount; ++i) {
            for (auto vector : {&Vertex::position, &Vertex::tangent, &Vertex::binormal, &Vertex::normal})
                for (int lane = 0; lane < 4; ++lane)
                    ASSERT_NEAR((out[i].*vector)[lane], (expected[i].*vector)[lane], 0.01f)
                        << "vertex " << i << " lane " << lane;
            ASSERT_EQ(std::memcmp(out[i].texCoord, randomVertices[i].texCoord, 32), 0) << "vertex " << i;
        }
    }
}

}  // namespace
