// post_load.cpp - the passes over a loaded scene: each mesh's object matrix
// and the parent flags (run at the end of every load), and the exchange of
// Y and Z that turns the stream's axes into the drawing's.
#include <utility>

#include "load_3ds.h"

void mat34_compose(float* dst, const float* a, const float* b)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            dst[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
        dst[9 + r] = a[3 * r] * b[9] + a[3 * r + 1] * b[10] + a[3 * r + 2] * b[11] + a[9 + r];
    }
}

void compute_object_matrix(Mesh* mesh)
{
    float pivot_matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, -mesh->pivot.x, -mesh->pivot.y, -mesh->pivot.z};
    const float* local = mesh->local_matrix;
    // A first row of (-1, 0, 0) marks a frame whose rotation is dropped; an
    // element that is not a number counts as equal here (only an ordered
    // inequality counts).
    bool mirrored = !(local[0] < -1.0f || local[0] > -1.0f) && !(local[1] < 0.0f || local[1] > 0.0f) &&
                    !(local[2] < 0.0f || local[2] > 0.0f);
    if (mirrored) {
        pivot_matrix[9] -= mesh->origin.x;
        pivot_matrix[10] -= mesh->origin.y;
        pivot_matrix[11] -= mesh->origin.z;
        for (int i = 0; i < 12; ++i) mesh->object_matrix[i] = pivot_matrix[i];
    } else {
        mat34_compose(mesh->object_matrix, pivot_matrix, local);
    }
}

void mark_parent_meshes(Scene* scene)
{
    // Every node id that some mesh, camera (or camera target) or light names
    // as its parent, as one bit of a 65,536-bit set; then each mesh looks up
    // its own node id. One pass over each list, however many meshes.
    static const uint32_t WORDS = 65536 / 32;
    uint32_t named[WORDS] = {};
    auto mark = [&](uint16_t id) { named[id >> 5] |= 1u << (id & 31); };
    for (int32_t j = 0; j < scene->mesh_count; ++j) mark(scene->meshes[j].parent_id);
    for (int32_t j = 0; j < scene->camera_count; ++j) {
        mark(scene->cameras[j].parent_id);
        mark(scene->cameras[j].target_parent_id);
    }
    for (int32_t j = 0; j < scene->light_count; ++j) mark(scene->lights[j].parent_id);

    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        uint16_t id = scene->meshes[i].node_id;
        scene->meshes[i].has_children = (named[id >> 5] >> (id & 31)) & 1u;
    }
}

static void swap_yz(Vec3* v) { std::swap(v->y, v->z); }

// Exchanges rows 1 and 2, columns 1 and 2, and translation y and z.
static void swap_matrix_yz(float* m)
{
    std::swap(m[1], m[2]);
    std::swap(m[3], m[6]);
    std::swap(m[4], m[8]);
    std::swap(m[5], m[7]);
    std::swap(m[10], m[11]);
}

static void swap_keys_yz(VectorKey* keys, uint16_t count)
{
    for (uint16_t i = 0; i < count; ++i) swap_yz(&keys[i].value);
}

void convert_scene_axes(Scene* scene)
{
    if (!scene) return;
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        Mesh* m = &scene->meshes[i];
        for (uint16_t v = 0; v < m->vertex_count; ++v) swap_yz(&m->vertices[v].position);
        swap_keys_yz(m->pos_keys, m->pos_key_count);
        swap_keys_yz(m->scale_keys, m->scale_key_count);
        for (uint16_t k = 0; k < m->rot_key_count; ++k) swap_yz(&m->rot_keys[k].axis);
        swap_yz(&m->origin);
        swap_yz(&m->pivot);
        swap_matrix_yz(m->local_matrix);
        swap_matrix_yz(m->object_matrix);
    }
    for (int32_t i = 0; i < scene->camera_count; ++i) {
        Camera* c = &scene->cameras[i];
        swap_yz(&c->position);
        swap_yz(&c->target);
        swap_keys_yz(c->target_keys, c->target_key_count);
        swap_keys_yz(c->pos_keys, c->pos_key_count);
    }
    for (int32_t i = 0; i < scene->light_count; ++i) {
        Light* l = &scene->lights[i];
        swap_yz(&l->position);
        swap_keys_yz(l->pos_keys, l->pos_key_count);
    }
}
