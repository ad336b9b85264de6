// Vector and matrix operations.
#include "engine/matrix.h"
#include "engine/quaternion.h"
#include "math_testing.h"

#include <cmath>

namespace {

Matrix Translation(float x, float y, float z)
{
    Matrix m;
    m.Identity();
    m.m[12] = x, m.m[13] = y, m.m[14] = z;
    return m;
}

const Matrix kIdentity = Translation(0, 0, 0);

// Columns (1, 2, 3, 4), (5, 6, 7, 8), ...: no entry equals another.
Matrix Counting()
{
    Matrix m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = float(i + 1);
    return m;
}

::testing::AssertionResult MatrixNear(const Matrix& actual, const Matrix& expected)
{
    for (int i = 0; i < 16; ++i)
        if (std::fabs(actual.m[i] - expected.m[i]) > 1e-5f * (1.0f + std::fabs(expected.m[i])))
            return ::testing::AssertionFailure() << "m" << i << " is " << actual.m[i] << ", not " << expected.m[i];
    return ::testing::AssertionSuccess();
}

TEST(VectorTest, LengthNormalizeCrossAndSubtract)
{
    EXPECT_EQ(Length({0.0f, 0.0f, 0.0f}), 0.0f);
    EXPECT_NEAR(Length({3.0f, -4.0f, 12.0f}), 13.0f, 13.0f * kEstimateTolerance);

    // Squared lengths below 0.000001 are left alone, from 0.000001 scaled.
    for (Vector tiny : {Vector{0.0001f, 0.0f, 0.0f}, Vector{0.0009f, 0.0004f, 0.0f}}) {
        const Vector before = tiny;
        EXPECT_FALSE(Normalize(tiny));
        EXPECT_TRUE(VectorNear(tiny, before, 0.0f));
    }
    for (auto [v, unit] : {std::pair<Vector, Vector>{{0.001f, 0.0001f, 0}, {0.995f, 0.0995f, 0}},
                           std::pair<Vector, Vector>{{0, -3, 4}, {0, -0.6f, 0.8f}}}) {
        EXPECT_TRUE(Normalize(v));
        EXPECT_TRUE(VectorNear(v, unit, kEstimateTolerance));
    }

    EXPECT_TRUE(VectorNear(Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(VectorNear(Cross({2, 3, 4}, {5, 6, 7}), {-3, 6, -3}));
    EXPECT_TRUE(VectorNear(Subtract({5, 6, 7}, {1, 2, 4}), {4, 4, 3}));
}

TEST(MatrixTest, MultiplyTranslateAndScalePostMultiply)
{
    // Translating after a scale in OpenGL terms: M * T scales the translation.
    Matrix m = kIdentity;
    m.Scale({2.0f, 3.0f, 4.0f});
    m.Multiply(Translation(1, 1, 1));
    EXPECT_TRUE(VectorNear({m.m[12], m.m[13], m.m[14]}, {2.0f, 3.0f, 4.0f}));

    // Translate is by the negated vector: M * T(-v), in all four rows.
    Matrix translated = Counting();
    translated.Translate({1.0f, 2.0f, 3.0f});
    Matrix expected = Counting();
    expected.Multiply(Translation(-1, -2, -3));
    EXPECT_TRUE(MatrixNear(translated, expected));

    Matrix scaled = Counting();
    scaled.Scale({2.0f, 3.0f, 4.0f});
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(scaled.m[i], float(i + 1) * (i < 12 ? float(i / 4 + 2) : 1.0f)) << i;
}

TEST(MatrixTest, RotationsAboutAxes)
{
    const struct {
        Vector angles;  // x, then y, then z
        Vector in, out;
    } euler[] = {
        {{0, 90, 0}, {1, 0, 0}, {0, 0, -1}}, {{90, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 0, 90}, {1, 0, 0}, {0, 1, 0}}};
    for (const auto& c : euler) {
        Matrix m = kIdentity;
        m.Rotate(c.angles);
        EXPECT_TRUE(VectorNear(m.RotateVector(c.in), c.out)) << c.angles.x << " " << c.angles.y << " " << c.angles.z;
    }
    Matrix combined = Counting();
    combined.Rotate({30.0f, -50.0f, 70.0f});
    Matrix steps = Counting();
    steps.RotateAxis(30.0f, {1, 0, 0});
    steps.RotateAxis(-50.0f, {0, 1, 0});
    steps.RotateAxis(70.0f, {0, 0, 1});
    EXPECT_TRUE(MatrixNear(combined, steps));

    Matrix m = kIdentity;
    m.RotateAxis(90.0f, {0.0f, 0.0f, 5.0f});  // the axis is normalised
    EXPECT_TRUE(VectorNear(m.RotateVector({1, 0, 0}), {0, 1, 0}));
    m = kIdentity;
    m.RotateAxis(120.0f, {1.0f, 1.0f, 1.0f});  // cycles the axes
    EXPECT_TRUE(VectorNear(m.RotateVector({1, 0, 0}), {0, 1, 0}, 1e-5f));
    m = Counting();
    m.RotateAxis(0.0f, {1, 2, 3});
    EXPECT_TRUE(MatrixNear(m, Counting()));
    m.RotateAxis(45.0f, {0.00005f, 0, 0});  // too short to be an axis
    EXPECT_TRUE(MatrixNear(m, Counting()));
}

TEST(MatrixTest, LookAtSetsOnlyTheRotation)
{
    Matrix m = Counting();
    m.LookAt({1, 2, 3}, {6, 2, 3}, {0, 1, 0});
    // The view direction maps to -Z, up to Y; translation and row 4 are kept.
    EXPECT_TRUE(VectorNear(m.RotateVector({1, 0, 0}), {0, 0, -1}, kEstimateTolerance));
    EXPECT_TRUE(VectorNear(m.RotateVector({0, 1, 0}), {0, 1, 0}, kEstimateTolerance));
    for (int i : {3, 7, 11, 12, 13, 14, 15})
        EXPECT_EQ(m.m[i], float(i + 1)) << i;

    // Degenerate views give the identity rotation.
    Matrix expected = Counting();
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10})
        expected.m[i] = i % 5 == 0 ? 1.0f : 0.0f;
    const Vector degenerate[][3] = {
        {{1, 2, 3}, {1, 2, 3}, {0, 1, 0}},        // eye at target
        {{0, 0, 0}, {0, 5, 0}, {0, 2, 0}},        // up along the view
        {{0, 0, 0}, {0, -5, 0}, {0, 1, 0}},       // up against the view
        {{0, 0, 0}, {0.0001f, 0, 0}, {0, 1, 0}},  // too close to normalise
    };
    for (const auto& [eye, target, up] : degenerate) {
        m = Counting();
        m.LookAt(eye, target, up);
        EXPECT_TRUE(MatrixNear(m, expected)) << target.x << ", " << target.y;
    }
}

// RotateVector works by columns; TransformPoint by rows of the 3x3 part, then adds the translation (13, 14, 15). The
// transposes are checked element by element through the script functions.
TEST(MatrixTest, TransformsAndModelMatricesThatScaleTurnThenMove)
{
    EXPECT_TRUE(VectorNear(Counting().RotateVector({1, 10, 100}), {951, 1062, 1173}));
    EXPECT_TRUE(VectorNear(Counting().TransformPoint({1, 10, 100}), {334, 779, 1224}));
    EXPECT_TRUE(VectorNear(Counting().UnrotateVector({1, 10, 100}), {321, 765, 1209}));

    // (1, 0, 0) doubled, turned 90 degrees about y to (0, 0, -2), then moved.
    const Matrix model = ModelMatrix({1, 2, 3}, {0, 90, 0}, {2, 2, 2});
    const Vector turned = model.RotateVector({1, 0, 0});
    EXPECT_TRUE(VectorNear({turned.x + model.m[12], turned.y + model.m[13], turned.z + model.m[14]}, {1, 2, 1}, 1e-5f));
    // The angles compose as Rotate composes them: x, then y, then z.
    Matrix expected = Translation(1, 2, 3);
    expected.Rotate({30, 45, 60});
    EXPECT_TRUE(MatrixNear(ModelMatrix({1, 2, 3}, {30, 45, 60}, {1, 1, 1}), expected));
    // Without scale, UnrotateVector undoes RotateVector.
    const Vector back = expected.UnrotateVector(expected.RotateVector({3, -4, 5}));
    EXPECT_TRUE(VectorNear(back, {3, -4, 5}, 1e-5f));
}

// The camera tests check products of turns against Rotate.
TEST(QuaternionTest, OneWithoutLengthNormalisesToTheIdentity)
{
    Quaternion empty{0, 0, 0, 0};
    Normalize(empty);
    EXPECT_TRUE(MatrixNear(RotationMatrix(empty), kIdentity));
}

}  // namespace
