// fuzz_load_stl.cpp - libFuzzer target for the STL reader. Every input is
// read as a whole STL file; a scene it makes must hold what its counts say
// (every record is read, so the address sanitizer sees a short array),
// index only its own vertices and materials, and carry finite coordinates;
// a refusal must give a reason. A broken promise aborts.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "load_stl.h"

static void broken(const char* what)
{
    fprintf(stderr, "fuzz_load_stl: %s\n", what);
    abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char why[128] = "";
    Scene* scene = load_stl(data, size, why, sizeof why);
    if (!scene) {
        if (why[0] == '\0') broken("a refusal without a reason");
        return 0;
    }
    if (scene->mesh_count <= 0 || scene->material_count <= 0) broken("a scene without meshes or materials");
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
        if (m.face_count == 0 || m.face_count > STL_MESH_MAX_FACES) broken("a mesh's face count out of range");
        for (uint32_t f = 0; f < m.face_count; ++f) {
            const Face& face = m.faces[f];
            if (face.material >= scene->material_count) broken("a face names a material past the list");
            for (uint16_t v : face.vertex) {
                if (v >= m.vertex_count) broken("a face names a vertex past the mesh's");
                const Vec3& p = m.vertices[v].position;
                if (!isfinite(p.x) || !isfinite(p.y) || !isfinite(p.z)) broken("a coordinate that is not finite");
            }
        }
    }
    free_scene(scene);
    return 0;
}
