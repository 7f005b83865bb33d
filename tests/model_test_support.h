// model_test_support.h - what the tests of the STL, OBJ and glTF readers
// share: a model read by a test and released with it, and the corners of
// its faces.
#ifndef TESTS_MODEL_TEST_SUPPORT_H
#define TESTS_MODEL_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include "scene.h"

// A reader's outcome: the scene (released with the record) or why not.
struct ReadModel {
    Scene* scene = nullptr;
    char why[160] = "";
    ReadModel() = default;
    ReadModel(const ReadModel&) = delete;
    ReadModel& operator=(const ReadModel&) = delete;
    ~ReadModel() { free_scene(scene); }
    // Corner k of face `face` of mesh `mesh`.
    Vec3 corner(int face, int k, int mesh = 0) const
    {
        const Mesh& m = scene->meshes[mesh];
        return m.vertices[m.faces[face].vertex[k]].position;
    }
};

inline void expect_near(Vec3 p, float x, float y, float z)
{
    EXPECT_NEAR(p.x, x, 1e-5f);
    EXPECT_NEAR(p.y, y, 1e-5f);
    EXPECT_NEAR(p.z, z, 1e-5f);
}

#endif
