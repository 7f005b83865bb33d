// fit_scene: a scene of any size and place comes out centred on the origin
// with its farthest vertex at the given radius, and FIT_SPHERE_RADIUS keeps
// it whole and large in the view.
#include <math.h>

#include <vector>

#include <gtest/gtest.h>

#include "fit_scene.h"

namespace {

// A scene over vectors owned by the test; fit_scene writes the positions in
// place.
struct Meshes {
    std::vector<std::vector<Vertex>> vertices;
    std::vector<Mesh> meshes;
    Scene scene{};
};

Meshes make_meshes(const std::vector<std::vector<Vec3>>& positions)
{
    Meshes m;
    for (const auto& mesh_positions : positions) {
        std::vector<Vertex> vertices;
        for (const Vec3& p : mesh_positions) vertices.push_back(Vertex{p, 0.0f, 0.0f});
        m.vertices.push_back(vertices);
    }
    for (auto& vertices : m.vertices) {
        Mesh mesh{};
        mesh.vertex_count = (uint16_t)vertices.size();
        mesh.vertices = vertices.empty() ? nullptr : vertices.data();
        m.meshes.push_back(mesh);
    }
    m.scene.mesh_count = (int32_t)m.meshes.size();
    m.scene.meshes = m.meshes.empty() ? nullptr : m.meshes.data();
    return m;
}

Vec3 scaled(Vec3 p, float k) { return {p.x * k, p.y * k, p.z * k}; }

void expect_near_vec(Vec3 actual, Vec3 expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Two meshes whose joint box runs x 10..14, y 20..23, z 30..42: centre
// (12, 21.5, 36), half extents (2, 1.5, 6), farthest vertex 6.5. Neither mesh
// alone spans the box. Given at three scales (tiny, as is, huge) it must come
// out the same: each corner minus the centre, times 3.5 / 6.5.
TEST(FitScene, CentresAndScalesEveryMeshTogetherWhateverTheUnits)
{
    const std::vector<Vec3> first = {{10, 20, 30}, {14, 20, 30}};
    const std::vector<Vec3> second = {{10, 23, 30}, {10, 20, 42}, {12, 21.5f, 36}};
    const std::vector<Vec3> expected_first = {{-2, -1.5f, -6}, {2, -1.5f, -6}};
    const std::vector<Vec3> expected_second = {{-2, 1.5f, -6}, {-2, -1.5f, 6}, {0, 0, 0}};
    const float scale = 3.5f / 6.5f;
    for (float units : {1e-4f, 1.0f, 1e4f}) {
        SCOPED_TRACE(units);
        std::vector<Vec3> a, b;
        for (const Vec3& p : first) a.push_back(scaled(p, units));
        for (const Vec3& p : second) b.push_back(scaled(p, units));
        Meshes m = make_meshes({a, b});
        ASSERT_TRUE(fit_scene(&m.scene, 3.5f));
        for (size_t i = 0; i < a.size(); i++) {
            expect_near_vec(m.vertices[0][i].position, scaled(expected_first[i], scale), 1e-4);
        }
        for (size_t i = 0; i < b.size(); i++) {
            expect_near_vec(m.vertices[1][i].position, scaled(expected_second[i], scale), 1e-4);
        }
    }
}

// Positions that are not finite neither widen the box nor get moved; the
// finite ones are fitted as if the others were absent.
TEST(FitScene, IgnoresPositionsThatAreNotFinite)
{
    Meshes m = make_meshes({{{NAN, 0, 0}, {-1, -1, -1}, {INFINITY, 5, 5}, {3, 3, 3}}});
    ASSERT_TRUE(fit_scene(&m.scene, sqrtf(3.0f)));
    EXPECT_TRUE(isnan(m.vertices[0][0].position.x));
    expect_near_vec(m.vertices[0][1].position, {-1, -1, -1}, 1e-6);
    EXPECT_TRUE(isinf(m.vertices[0][2].position.x));
    EXPECT_EQ(m.vertices[0][2].position.y, 5.0f);
    expect_near_vec(m.vertices[0][3].position, {1, 1, 1}, 1e-6);
}

// Coordinates near the float range's ends: the box's diagonal is beyond
// it, yet the fitted positions are finite and on the radius.
TEST(FitScene, BoxWiderThanTheFloatRange)
{
    Meshes m = make_meshes({{{-3e38f, -3e38f, -3e38f}, {3e38f, 3e38f, 3e38f}}});
    ASSERT_TRUE(fit_scene(&m.scene, 3.5f));
    const float corner = 3.5f / sqrtf(3.0f);
    expect_near_vec(m.vertices[0][0].position, {-corner, -corner, -corner}, 1e-5);
    expect_near_vec(m.vertices[0][1].position, {corner, corner, corner}, 1e-5);
}

// A single point has no size to scale: it is moved to the origin.
TEST(FitScene, SinglePointMovesToTheOrigin)
{
    Meshes m = make_meshes({{{7, -8, 9}, {7, -8, 9}}});
    ASSERT_TRUE(fit_scene(&m.scene, 3.5f));
    expect_near_vec(m.vertices[0][0].position, {0, 0, 0}, 0.0);
    expect_near_vec(m.vertices[0][1].position, {0, 0, 0}, 0.0);
}

// Half extents (1, 2, 3) and no vertex at a corner: the farthest vertex, 3
// from the centre, sets the size, not the box's diagonal (3.74). Fitted,
// the sphere about the box's centre through the farthest vertex lies in
// the 80-degree view from the nearest eye and the sway's corners, and is
// as large as the margin of 0.95 allows.
TEST(FitScene, BoundingSphereFillsTheViewAtEverySwayEye)
{
    Meshes m = make_meshes({{{9, 5, 5}, {11, 5, 5}, {10, 3, 5}, {10, 7, 5}, {10, 5, 2}, {10, 5, 8}}});
    ASSERT_TRUE(fit_scene(&m.scene, FIT_SPHERE_RADIUS));
    double low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const Vertex& v : m.vertices[0]) {
        const double c[3] = {v.position.x, v.position.y, v.position.z};
        for (int i = 0; i < 3; i++) low[i] = fmin(low[i], c[i]), high[i] = fmax(high[i], c[i]);
    }
    const double centre[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    double radius = 0.0;
    for (const Vertex& v : m.vertices[0]) {
        radius =
            fmax(radius, hypot(hypot(v.position.x - centre[0], v.position.y - centre[1]), v.position.z - centre[2]));
    }
    const double half_view = 40.0 * 3.14159265358979323846 / 180.0;
    EXPECT_GE(radius, 0.95 * 4.0 * sin(half_view) - 1e-4);
    for (const Vec3 eye : std::vector<Vec3>{{0, 0, 4}, {3, 3, 4}, {3, -3, 4}, {-3, 3, 4}, {-3, -3, 4}}) {
        SCOPED_TRACE(testing::Message() << eye.x << ", " << eye.y);
        // The eye looks at the origin: the sphere's centre is off the view's
        // axis by angle, and its edge asin(radius / distance) further.
        const double to_centre[3] = {centre[0] - eye.x, centre[1] - eye.y, centre[2] - eye.z};
        const double distance = hypot(hypot(to_centre[0], to_centre[1]), to_centre[2]);
        const double eye_distance = hypot(hypot(eye.x, eye.y), eye.z);
        const double cosine =
            -(to_centre[0] * eye.x + to_centre[1] * eye.y + to_centre[2] * eye.z) / (distance * eye_distance);
        EXPECT_LE(acos(fmin(1.0, cosine)) + asin(radius / distance), half_view);
    }
}

// Nothing to fit: false, and nothing changes.
TEST(FitScene, SceneWithoutFinitePositionsIsRefused)
{
    EXPECT_FALSE(fit_scene(nullptr, 3.5f));
    Meshes none = make_meshes({});
    EXPECT_FALSE(fit_scene(&none.scene, 3.5f));
    Meshes empty = make_meshes({{}, {}});
    EXPECT_FALSE(fit_scene(&empty.scene, 3.5f));
    Meshes infinite = make_meshes({{{INFINITY, 1, 2}}});
    EXPECT_FALSE(fit_scene(&infinite.scene, 3.5f));
    EXPECT_EQ(infinite.vertices[0][0].position.y, 1.0f);
    EXPECT_EQ(infinite.vertices[0][0].position.z, 2.0f);
}

}  // namespace
