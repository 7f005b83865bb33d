// The Vec3 functions behind the face normals: subtraction, copy, cross
// product (the result may overwrite an operand) and normalisation (in place).
#include <gtest/gtest.h>
#include <math.h>

#include "render.h"

namespace {

void expect_vec3_eq(const Vec3& actual, const Vec3& expected)
{
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.z, expected.z);
}

void expect_vec3_near(const Vec3& actual, const Vec3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-6f);
    EXPECT_NEAR(actual.y, expected.y, 1e-6f);
    EXPECT_NEAR(actual.z, expected.z, 1e-6f);
}

TEST(Vec3, SubtractIsComponentByComponentAMinusB)
{
    Vec3 a = {5.5f, -2.0f, 1.0f};
    Vec3 b = {1.5f, 3.0f, -4.0f};
    Vec3 out = {99, 99, 99};
    subtract_vectors(&a, &b, &out);
    expect_vec3_eq(out, {4.0f, -5.0f, 5.0f});

    // Into one of its operands.
    subtract_vectors(&a, &b, &a);
    expect_vec3_eq(a, {4.0f, -5.0f, 5.0f});
}

struct CrossCase {
    const char* name;
    Vec3 a, b, expected;
};

TEST(Vec3, CrossFollowsTheRightHandRuleWhereverTheResultGoes)
{
    const CrossCase cases[] = {
        {"x cross y is z", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"y cross x is -z", {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {"y cross z is x", {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {"z cross x is y", {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {"general", {1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
        {"parallel vectors give zero", {1, 2, 3}, {2, 4, 6}, {0, 0, 0}},
    };
    for (const CrossCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 out = {99, 99, 99};
        Vec3 a = c.a;
        Vec3 b = c.b;
        cross_vectors(&a, &b, &out);
        expect_vec3_eq(out, c.expected);

        // out is a: a is read whole before it is overwritten.
        a = c.a;
        cross_vectors(&a, &b, &a);
        expect_vec3_eq(a, c.expected);

        // out is b.
        a = c.a;
        b = c.b;
        cross_vectors(&a, &b, &b);
        expect_vec3_eq(b, c.expected);
    }
}

struct NormalizeCase {
    const char* name;
    Vec3 v, expected;
};

TEST(Vec3, NormalizeGivesUnitLengthInPlaceOrNot)
{
    const NormalizeCase cases[] = {
        {"3-4-5", {3, 4, 0}, {0.6f, 0.8f, 0}},
        {"negative axis", {0, 0, -7}, {0, 0, -1}},
        {"diagonal", {2, 2, 2}, {0.57735027f, 0.57735027f, 0.57735027f}},
        {"already unit", {0, 1, 0}, {0, 1, 0}},
        {"tiny: squares would underflow in single precision", {3e-23f, 4e-23f, 0}, {0.6f, 0.8f, 0}},
        {"huge: squares would overflow in single precision", {3e30f, 0, -4e30f}, {0.6f, 0, -0.8f}},
    };
    for (const NormalizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 v = c.v;
        Vec3 out = {99, 99, 99};
        normalize_vector(&v, &out);
        expect_vec3_near(out, c.expected);
        expect_vec3_eq(v, c.v);  // the input stays

        normalize_vector(&v, &v);
        expect_vec3_near(v, c.expected);
    }
}

TEST(Vec3, NormalizeOfZeroLengthIsNotFinite)
{
    // normalize_vector does not test the length; draw_scene guards against
    // this case itself.
    Vec3 v = {0, 0, 0};
    normalize_vector(&v, &v);
    EXPECT_FALSE(isfinite(v.x) && isfinite(v.y) && isfinite(v.z));
}

}  // namespace
