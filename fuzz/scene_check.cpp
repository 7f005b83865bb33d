// scene_check.cpp - the promises of the other formats' readers; see
// scene_check.h.
#include "scene_check.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

FILE* open_fuzz_input(const char*, void* context)
{
    const FuzzInput* input = (const FuzzInput*)context;
    return input->size > 0 ? fmemopen((void*)input->data, input->size, "rb") : nullptr;
}

static void broken(const char* target, const char* what)
{
    fprintf(stderr, "%s: %s\n", target, what);
    abort();
}

void check_scene_or_abort(const char* target, Scene* scene, const char* why)
{
    if (!scene) {
        if (why[0] == '\0') broken(target, "a refusal without a reason");
        return;
    }
    if (scene->mesh_count <= 0 || scene->material_count <= 0) broken(target, "a scene without meshes or materials");
    for (int32_t i = 0; i < scene->material_count; ++i) {
        const Material& m = scene->materials[i];
        if (!memchr(m.texture_file, '\0', sizeof m.texture_file) || !memchr(m.name, '\0', sizeof m.name))
            broken(target, "a material name that does not end inside its field");
        const float shares[] = {m.ambient[0],  m.ambient[1], m.ambient[2],         m.diffuse[0],
                                m.diffuse[1],  m.diffuse[2], m.specular[0],        m.specular[1],
                                m.specular[2], m.shininess,  m.shininess_strength, m.transparency};
        for (float share : shares)
            if (!(share >= 0.0f && share <= 1.0f)) broken(target, "a material share out of 0..1");
        for (int k = 0; k < 2; ++k)
            if (!isfinite(m.texture_scale[k]) || !isfinite(m.texture_offset[k]))
                broken(target, "a texture scale or offset that is not finite");
    }
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
        if (m.face_count == 0) broken(target, "a mesh without faces");
        if (!memchr(m.name, '\0', sizeof m.name)) broken(target, "a mesh name that does not end inside its field");
        for (uint32_t v = 0; v < m.vertex_count; ++v) {
            const Vec3& p = m.vertices[v].position;
            if (!isfinite(p.x) || !isfinite(p.y) || !isfinite(p.z)) broken(target, "a coordinate that is not finite");
        }
        for (uint32_t f = 0; f < m.face_count; ++f) {
            const Face& face = m.faces[f];
            if (face.material >= scene->material_count) broken(target, "a face names a material past the list");
            for (uint16_t v : face.vertex)
                if (v >= m.vertex_count) broken(target, "a face names a vertex past the mesh's");
        }
    }
    free_scene(scene);
}
