// fit_scene.cpp - centring and scaling a scene of the user's; see
// fit_scene.h.
#include "fit_scene.h"

#include <math.h>

namespace {

bool is_finite_position(const Vec3* p) { return isfinite(p->x) && isfinite(p->y) && isfinite(p->z); }

}  // namespace

bool fit_scene(Scene* scene, float radius)
{
    if (scene == nullptr) return false;
    // The box and the sphere, in double: far-apart float vertices could
    // overflow their distances.
    double low[3] = {INFINITY, INFINITY, INFINITY};
    double high[3] = {-INFINITY, -INFINITY, -INFINITY};
    bool found = false;
    for (int32_t m = 0; m < scene->mesh_count; m++) {
        const Mesh* mesh = &scene->meshes[m];
        for (int v = 0; v < mesh->vertex_count; v++) {
            const Vec3* p = &mesh->vertices[v].position;
            if (!is_finite_position(p)) continue;
            const double c[3] = {p->x, p->y, p->z};
            for (int i = 0; i < 3; i++) {
                low[i] = fmin(low[i], c[i]);
                high[i] = fmax(high[i], c[i]);
            }
            found = true;
        }
    }
    if (!found) return false;

    double centre[3];
    for (int i = 0; i < 3; i++) centre[i] = low[i] + (high[i] - low[i]) / 2.0;
    // The bounding sphere's radius: the farthest finite position's distance
    // from the box's centre.
    double farthest_squared = 0.0;
    for (int32_t m = 0; m < scene->mesh_count; m++) {
        const Mesh* mesh = &scene->meshes[m];
        for (int v = 0; v < mesh->vertex_count; v++) {
            const Vec3* p = &mesh->vertices[v].position;
            if (!is_finite_position(p)) continue;
            const double d[3] = {p->x - centre[0], p->y - centre[1], p->z - centre[2]};
            farthest_squared = fmax(farthest_squared, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        }
    }
    double farthest = sqrt(farthest_squared);
    double scale = farthest > 0.0 ? (double)radius / farthest : 1.0;

    for (int32_t m = 0; m < scene->mesh_count; m++) {
        Mesh* mesh = &scene->meshes[m];
        for (int v = 0; v < mesh->vertex_count; v++) {
            Vec3* p = &mesh->vertices[v].position;
            if (!is_finite_position(p)) continue;
            p->x = (float)((p->x - centre[0]) * scale);
            p->y = (float)((p->y - centre[1]) * scale);
            p->z = (float)((p->z - centre[2]) * scale);
        }
    }
    return true;
}
