// fuzz_load_obj.cpp - libFuzzer target for the OBJ reader. Every input is
// read as an OBJ file whose every material library is the input itself, so
// the material parsing is fuzzed too. A scene it makes must hold what its
// counts say, index only its own vertices and materials, carry finite
// coordinates and texture names that end inside their field; a refusal
// must give a reason. A broken promise aborts.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "load_obj.h"

struct Input {
    const uint8_t* data;
    size_t size;
};

static FILE* open_input(const char*, void* context)
{
    const Input* input = (const Input*)context;
    return input->size > 0 ? fmemopen((void*)input->data, input->size, "rb") : nullptr;
}

static void broken(const char* what)
{
    fprintf(stderr, "fuzz_load_obj: %s\n", what);
    abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input = {data, size};
    char why[128] = "";
    Scene* scene = load_obj(data, size, open_input, &input, why, sizeof why);
    if (!scene) {
        if (why[0] == '\0') broken("a refusal without a reason");
        return 0;
    }
    if (scene->mesh_count <= 0 || scene->material_count <= 0) broken("a scene without meshes or materials");
    for (int32_t i = 0; i < scene->material_count; ++i) {
        const Material& m = scene->materials[i];
        if (!memchr(m.texture_file, '\0', sizeof m.texture_file) || !memchr(m.name, '\0', sizeof m.name))
            broken("a material name that does not end inside its field");
        const float shares[] = {m.diffuse[0], m.diffuse[1], m.diffuse[2], m.specular[0], m.shininess, m.transparency};
        for (float share : shares)
            if (!(share >= 0.0f && share <= 1.0f)) broken("a material share out of 0..1");
    }
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
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
