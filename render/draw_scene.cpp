// draw_scene.cpp - one frame of the model: clear, place the camera, and send
// every triangle of the first g_drawn_mesh_count meshes of g_scene as white
// immediate-mode triangles with one face normal each, computed anew every
// frame. Light, fog and material come from init_gl_state. Depends on OpenGL
// 1.1, GLU and the Scene records of model3ds.
#include <math.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "render.h"

// Positions and normals go to GL as three packed floats.
static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 must be three packed floats");

namespace {

// The normal sent for a triangle of zero area, which has no direction of its
// own (it covers no pixels, so any finite normal will do).
const Vec3 FLAT_FACE_NORMAL = {0.0f, 0.0f, 1.0f};

bool is_finite_vector(const Vec3* v)
{
    return isfinite(v->x) && isfinite(v->y) && isfinite(v->z);
}

// Writes the unit normal of the triangle p0, p1, p2: the side from which the
// corners run counter-clockwise. A triangle without area gets
// FLAT_FACE_NORMAL.
void face_normal(const Vec3* p0, const Vec3* p1, const Vec3* p2, Vec3* normal)
{
    Vec3 edge2;
    subtract_vectors(p1, p0, normal);
    subtract_vectors(p2, p0, &edge2);
    cross_vectors(normal, &edge2, normal);
    normalize_vector(normal, normal);
    // Zero length gives 0 * infinity, edges beyond the float range give
    // infinities: either way not finite.
    if (!is_finite_vector(normal)) {
        copy_vector(&FLAT_FACE_NORMAL, normal);
    }
}

// Sends the triangles of one mesh, inside the frame's glBegin/glEnd. A face
// with a vertex index at or past the mesh's vertex_count is skipped (so a
// mesh without vertices sends nothing).
void send_mesh_triangles(const Mesh* mesh)
{
    for (int i = 0; i < mesh->face_count; i++) {
        const uint16_t* corner = mesh->faces[i].vertex;
        if (corner[0] >= mesh->vertex_count || corner[1] >= mesh->vertex_count ||
            corner[2] >= mesh->vertex_count) {
            continue;
        }
        const Vec3* p0 = &mesh->vertices[corner[0]].position;
        const Vec3* p1 = &mesh->vertices[corner[1]].position;
        const Vec3* p2 = &mesh->vertices[corner[2]].position;
        Vec3 normal;
        face_normal(p0, p1, p2, &normal);
        glNormal3fv(&normal.x);
        glVertex3fv(&p0->x);
        glVertex3fv(&p1->x);
        glVertex3fv(&p2->x);
    }
}

}  // namespace

void draw_scene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(g_eye.x, g_eye.y, g_eye.z, g_center.x, g_center.y, g_center.z, g_up.x, g_up.y, g_up.z);
    glColor3f(1.0f, 1.0f, 1.0f);

    glBegin(GL_TRIANGLES);
    if (g_scene != nullptr) {
        int32_t mesh_count = g_scene->mesh_count < g_drawn_mesh_count ? g_scene->mesh_count : g_drawn_mesh_count;
        for (int32_t m = 0; m < mesh_count; m++) {
            send_mesh_triangles(&g_scene->meshes[m]);
        }
    }
    glEnd();
}
