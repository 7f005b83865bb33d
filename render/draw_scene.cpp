// draw_scene.cpp - one frame of the model: clear, place the camera, and send
// every triangle of the first g_drawn_mesh_count meshes of g_scene as white
// triangles with one face normal each (LOOK_PLAIN), or as the file says
// (LOOK_AS_FILE, draw_materials.cpp): through a display list compiled once
// for the scene, or, without one, in immediate mode with the normals computed
// anew every frame. Light, fog and material come from init_gl_state. Depends
// on OpenGL 1.1, GLU and the Scene records of model3ds.
#include <math.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "draw_materials.h"
#include "render.h"

// Positions and normals go to GL as three packed floats.
static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 must be three packed floats");

namespace {

// The normal sent for a triangle of zero area, which has no direction of its
// own (it covers no pixels, so any finite normal will do).
const Vec3 FLAT_FACE_NORMAL = {0.0f, 0.0f, 1.0f};

bool is_finite_vector(const Vec3* v) { return isfinite(v->x) && isfinite(v->y) && isfinite(v->z); }

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
        if (corner[0] >= mesh->vertex_count || corner[1] >= mesh->vertex_count || corner[2] >= mesh->vertex_count) {
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

// Sends the triangles of g_scene's drawn meshes in one glBegin/glEnd pair
// (the pair is issued even when there is nothing to send).
void send_scene_triangles()
{
    glBegin(GL_TRIANGLES);
    if (g_scene != nullptr) {
        int32_t mesh_count = g_scene->mesh_count < g_drawn_mesh_count ? g_scene->mesh_count : g_drawn_mesh_count;
        for (int32_t m = 0; m < mesh_count; m++) {
            send_mesh_triangles(&g_scene->meshes[m]);
        }
    }
    glEnd();
}

// Sends g_scene in the look g_look asks for.
void send_scene()
{
    if (g_look == LOOK_AS_FILE) {
        send_scene_as_file();
    } else {
        send_scene_triangles();
    }
}

// What g_scene_list was compiled for: another scene, another mesh count or
// another look is drawn one triangle at a time rather than from a list that
// shows something else.
const Scene* g_list_scene = nullptr;
int32_t g_list_mesh_count = 0;
Look g_list_look = LOOK_PLAIN;

bool scene_list_fits()
{
    return g_scene_list != 0 && g_scene == g_list_scene && g_drawn_mesh_count == g_list_mesh_count &&
           g_look == g_list_look;
}

}  // namespace

GLuint g_scene_list = 0;

void compile_scene_list()
{
    release_scene_list();
    if (g_scene == nullptr) return;
    // Textures are GL objects of their own, outside the list; made even
    // when no list can be, so drawing one by one shows them too.
    if (g_look == LOOK_AS_FILE) load_scene_textures();
    GLuint list = glGenLists(1);
    if (list == 0) return;  // no context, or no names left: draw one by one
    glNewList(list, GL_COMPILE);
    send_scene();
    glEndList();
    g_scene_list = list;
    g_list_scene = g_scene;
    g_list_mesh_count = g_drawn_mesh_count;
    g_list_look = g_look;
}

void release_scene_list()
{
    if (g_scene_list != 0) glDeleteLists(g_scene_list, 1);
    g_scene_list = 0;
    g_list_scene = nullptr;
    g_list_mesh_count = 0;
    g_list_look = LOOK_PLAIN;
    release_scene_textures();
}

void draw_scene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(g_eye.x, g_eye.y, g_eye.z, g_center.x, g_center.y, g_center.z, g_up.x, g_up.y, g_up.z);
    glColor3f(1.0f, 1.0f, 1.0f);

    if (scene_list_fits()) {
        glCallList(g_scene_list);
    } else {
        send_scene();
    }
}
