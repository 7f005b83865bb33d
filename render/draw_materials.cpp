// draw_materials.cpp - g_scene drawn as its file says: each face in its
// material's colours, normals shared across the edges its smoothing groups
// join, textures from the materials' images, transparent faces blended over
// the opaque ones. Depends on OpenGL 1.1, GLU (through texture.cpp) and the
// Scene records of model3ds.
//
// Choices made here:
// - A face whose material index is past the scene's materials (or a scene
//   without materials) gets a new material's values (MATERIAL_DEFAULT_*).
// - The exchange of Y and Z after loading mirrors the model, so a face's
//   stored corners run clockwise seen from outside: the outward normal is
//   (p2 - p0) x (p1 - p0), and clockwise windings are GL's front faces here.
// - Colours: glMaterial on both sides; the specular colour is scaled by the
//   highlights' strength, glossiness 0..1 becomes GL's shininess 0..128, and
//   the diffuse alpha is 1 - transparency. A material whose texture was made
//   has white ambient and diffuse colours: the map takes the place of the
//   material's colour, as a map at full strength does in a modelling
//   program; GL_MODULATE then lights the image. A material whose image is
//   missing or unreadable keeps its colours.
// - Two-sided materials are lit on both sides (GL_LIGHT_MODEL_TWO_SIDE on),
//   one-sided ones with the front's lighting only; nothing is culled, as real
//   files have faces wound the wrong way.
// - Transparent faces (transparency > 0) come after every opaque face,
//   blended with GL_SRC_ALPHA / GL_ONE_MINUS_SRC_ALPHA, depth writes off, in
//   the meshes' order (not sorted by depth).
// - Map coordinates: u' = u * scale_u + offset_u, v' = v * scale_v +
//   offset_v; the image repeats outside 0..1; (0, 0) is its bottom-left.
// - Texture names are opened inside the model's folder only (see
//   name_inside_folder in view/file_names.h): a name leading out of it, or
//   to a device, leaves the material's colour.
// - Within a mesh the faces are sent grouped by material (stable order), so
//   the state changes once per material, not per face.
#include "draw_materials.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <GL/gl.h>

#include "file_names.h"
#include "render.h"
#include "texture.h"

namespace {

// --- Textures made for the scene by load_scene_textures ---

GLuint* g_textures = nullptr;  // one name per material, 0 for none
int32_t g_texture_count = 0;
const Scene* g_texture_scene = nullptr;

GLuint texture_of(int32_t material)
{
    if (g_texture_scene != g_scene || material < 0 || material >= g_texture_count) return 0;
    return g_textures[material];
}

// --- Material state ---

struct MaterialLook {
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat shininess;
    bool two_sided;
    bool transparent;
    GLuint texture;
    float scale[2];
    float offset[2];
};

// v within 0..1; not a number gives 0.
float unit_range(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

void set_rgba(GLfloat* out, const float* rgb, float scale, float alpha)
{
    for (int i = 0; i < 3; ++i) out[i] = unit_range(rgb[i]) * scale;
    out[3] = alpha;
}

// The look of material index `material` of scene (the defaults past its
// materials).
void material_look(const Scene* scene, int32_t material, MaterialLook* look)
{
    Material defaults{};
    set_material_defaults(&defaults);
    bool own = scene->materials != nullptr && material < scene->material_count;
    const Material* m = own ? &scene->materials[material] : &defaults;

    const float white[3] = {1.0f, 1.0f, 1.0f};
    float alpha = 1.0f - unit_range(m->transparency);
    look->texture = own ? texture_of(material) : 0;
    set_rgba(look->ambient, look->texture != 0 ? white : m->ambient, 1.0f, alpha);
    set_rgba(look->diffuse, look->texture != 0 ? white : m->diffuse, 1.0f, alpha);
    set_rgba(look->specular, m->specular, unit_range(m->shininess_strength), alpha);
    look->shininess = unit_range(m->shininess) * 128.0f;
    look->two_sided = m->two_sided != 0;
    look->transparent = alpha < 1.0f;
    for (int i = 0; i < 2; ++i) {
        look->scale[i] = m->texture_scale[i];
        look->offset[i] = m->texture_offset[i];
    }
}

// Sets GL's state for faces of this look (outside glBegin/glEnd).
void apply_look(const MaterialLook* look)
{
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, look->ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, look->diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, look->specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, look->shininess);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, look->two_sided ? 1 : 0);
    if (look->texture != 0) {
        glBindTexture(GL_TEXTURE_2D, look->texture);
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

// --- Per-mesh plan: corner normals and the faces in material order ---

struct MeshPlan {
    Vec3* normals;     // 3 per face of the mesh, by face index
    uint16_t* order;   // the faces to send, grouped by material
    int32_t* buckets;  // each face's material, or material_count for the defaults
    int32_t count;     // entries of order
};

// The outward unit normal of a face; false for a face without area.
bool outward_normal(const Vec3* p0, const Vec3* p1, const Vec3* p2, Vec3* normal)
{
    Vec3 edge1;
    Vec3 edge2;
    subtract_vectors(p2, p0, &edge1);
    subtract_vectors(p1, p0, &edge2);
    cross_vectors(&edge1, &edge2, normal);
    normalize_vector(normal, normal);
    if (isfinite(normal->x) && isfinite(normal->y) && isfinite(normal->z)) return true;
    *normal = Vec3{0.0f, 0.0f, 1.0f};  // covers no pixels; any finite normal will do
    return false;
}

bool face_in_range(const Mesh* mesh, const Face* face)
{
    return face->vertex[0] < mesh->vertex_count && face->vertex[1] < mesh->vertex_count &&
           face->vertex[2] < mesh->vertex_count;
}

void free_plan(MeshPlan* plan)
{
    free(plan->normals);
    free(plan->order);
    free(plan->buckets);
    *plan = MeshPlan{};
}

// Corner normals: a face without smoothing bits keeps its own normal at
// every corner; one with bits gets, at each corner, the normalised sum of
// the normals of the faces that use that vertex and share a bit with it.
// face_normals and has_area hold each face's own normal.
void smooth_corner_normals(const Mesh* mesh, const Vec3* face_normals, const bool* has_area, Vec3* corners)
{
    int n = mesh->face_count;
    for (int f = 0; f < n; ++f) {
        for (int k = 0; k < 3; ++k) corners[3 * f + k] = face_normals[f];
    }
    // The faces around each vertex: first[v] .. first[v + 1] in around.
    int32_t* first = (int32_t*)calloc((size_t)mesh->vertex_count + 1, sizeof(int32_t));
    int32_t* around = (int32_t*)malloc((size_t)n * 3 * sizeof(int32_t) + 1);
    if (first == nullptr || around == nullptr) {
        free(first);
        free(around);
        return;  // flat normals then
    }
    for (int f = 0; f < n; ++f) {
        if (!face_in_range(mesh, &mesh->faces[f]) || mesh->faces[f].smoothing == 0) continue;
        for (int k = 0; k < 3; ++k) first[mesh->faces[f].vertex[k] + 1]++;
    }
    for (int v = 0; v < mesh->vertex_count; ++v) first[v + 1] += first[v];
    int32_t* fill = (int32_t*)malloc(((size_t)mesh->vertex_count + 1) * sizeof(int32_t));
    if (fill == nullptr) {
        free(first);
        free(around);
        return;
    }
    memcpy(fill, first, ((size_t)mesh->vertex_count + 1) * sizeof(int32_t));
    for (int f = 0; f < n; ++f) {
        if (!face_in_range(mesh, &mesh->faces[f]) || mesh->faces[f].smoothing == 0) continue;
        for (int k = 0; k < 3; ++k) around[fill[mesh->faces[f].vertex[k]]++] = f;
    }
    free(fill);

    for (int f = 0; f < n; ++f) {
        const Face* face = &mesh->faces[f];
        if (!face_in_range(mesh, face) || face->smoothing == 0) continue;
        for (int k = 0; k < 3; ++k) {
            uint16_t v = face->vertex[k];
            Vec3 sum = {0.0f, 0.0f, 0.0f};
            for (int32_t i = first[v]; i < first[v + 1]; ++i) {
                int32_t g = around[i];
                if ((mesh->faces[g].smoothing & face->smoothing) == 0 || !has_area[g]) continue;
                sum.x += face_normals[g].x;
                sum.y += face_normals[g].y;
                sum.z += face_normals[g].z;
            }
            Vec3 unit;
            normalize_vector(&sum, &unit);
            // Opposite faces cancel to nothing: the face's own normal then.
            if (isfinite(unit.x) && isfinite(unit.y) && isfinite(unit.z)) corners[3 * f + k] = unit;
        }
    }
    free(first);
    free(around);
}

// Builds the plan of one mesh; false when memory ran out (nothing is sent
// for the mesh then).
bool make_plan(const Scene* scene, const Mesh* mesh, MeshPlan* plan)
{
    *plan = MeshPlan{};
    int n = mesh->face_count;
    if (n == 0 || mesh->vertex_count == 0) return true;
    int32_t bucket_count = (scene->materials != nullptr && scene->material_count > 0 ? scene->material_count : 0) + 1;
    plan->normals = (Vec3*)malloc((size_t)n * 3 * sizeof(Vec3));
    plan->order = (uint16_t*)malloc((size_t)n * sizeof(uint16_t));
    plan->buckets = (int32_t*)malloc((size_t)n * sizeof(int32_t));
    Vec3* face_normals = (Vec3*)malloc((size_t)n * sizeof(Vec3));
    bool* has_area = (bool*)malloc((size_t)n * sizeof(bool));
    int32_t* starts = (int32_t*)calloc((size_t)bucket_count + 1, sizeof(int32_t));
    bool ok = plan->normals != nullptr && plan->order != nullptr && plan->buckets != nullptr &&
              face_normals != nullptr && has_area != nullptr && starts != nullptr;
    if (ok) {
        for (int f = 0; f < n; ++f) {
            const Face* face = &mesh->faces[f];
            int32_t bucket = face->material < bucket_count - 1 ? face->material : bucket_count - 1;
            plan->buckets[f] = bucket;
            has_area[f] = false;
            face_normals[f] = Vec3{0.0f, 0.0f, 1.0f};
            if (!face_in_range(mesh, face)) continue;
            has_area[f] =
                outward_normal(&mesh->vertices[face->vertex[0]].position, &mesh->vertices[face->vertex[1]].position,
                               &mesh->vertices[face->vertex[2]].position, &face_normals[f]);
            starts[bucket + 1]++;
        }
        smooth_corner_normals(mesh, face_normals, has_area, plan->normals);
        // Counting sort of the faces in range by material, stable.
        for (int32_t b = 0; b < bucket_count; ++b) starts[b + 1] += starts[b];
        plan->count = starts[bucket_count];
        for (int f = 0; f < n; ++f) {
            if (face_in_range(mesh, &mesh->faces[f])) plan->order[starts[plan->buckets[f]]++] = (uint16_t)f;
        }
    }
    free(face_normals);
    free(has_area);
    free(starts);
    if (!ok) free_plan(plan);
    return ok;
}

// Sends the faces order[begin .. end) of a mesh, all of one look.
void send_faces(const Mesh* mesh, const MeshPlan* plan, int32_t begin, int32_t end, const MaterialLook* look)
{
    glBegin(GL_TRIANGLES);
    for (int32_t i = begin; i < end; ++i) {
        int f = plan->order[i];
        for (int k = 0; k < 3; ++k) {
            const Vertex* vertex = &mesh->vertices[mesh->faces[f].vertex[k]];
            if (look->texture != 0) {
                glTexCoord2f(vertex->u * look->scale[0] + look->offset[0],
                             vertex->v * look->scale[1] + look->offset[1]);
            }
            glNormal3fv(&plan->normals[3 * f + k].x);
            glVertex3fv(&vertex->position.x);
        }
    }
    glEnd();
}

// Sends the runs of one mesh whose looks are transparent (or opaque).
void send_mesh_pass(const Scene* scene, const Mesh* mesh, const MeshPlan* plan, bool transparent)
{
    int32_t begin = 0;
    while (begin < plan->count) {
        int32_t bucket = plan->buckets[plan->order[begin]];
        int32_t end = begin + 1;
        while (end < plan->count && plan->buckets[plan->order[end]] == bucket) ++end;
        MaterialLook look;
        material_look(scene, bucket, &look);
        if (look.transparent == transparent) {
            apply_look(&look);
            send_faces(mesh, plan, begin, end, &look);
        }
        begin = end;
    }
}

}  // namespace

void send_scene_as_file()
{
    const Scene* scene = g_scene;
    if (scene == nullptr) return;
    int32_t mesh_count = scene->mesh_count < g_drawn_mesh_count ? scene->mesh_count : g_drawn_mesh_count;
    if (mesh_count <= 0) return;
    MeshPlan* plans = (MeshPlan*)calloc((size_t)mesh_count, sizeof(MeshPlan));
    if (plans == nullptr) return;
    for (int32_t m = 0; m < mesh_count; ++m) make_plan(scene, &scene->meshes[m], &plans[m]);

    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT |
                 GL_POLYGON_BIT);
    glFrontFace(GL_CW);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (int pass = 0; pass < 2; ++pass) {
        bool transparent = pass == 1;
        if (transparent) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDepthMask(GL_FALSE);
        }
        for (int32_t m = 0; m < mesh_count; ++m) send_mesh_pass(scene, &scene->meshes[m], &plans[m], transparent);
    }
    glPopAttrib();

    for (int32_t m = 0; m < mesh_count; ++m) free_plan(&plans[m]);
    free(plans);
}

void release_scene_textures()
{
    if (g_textures != nullptr && g_texture_count > 0) glDeleteTextures(g_texture_count, g_textures);
    free(g_textures);
    g_textures = nullptr;
    g_texture_count = 0;
    g_texture_scene = nullptr;
}

void load_scene_textures()
{
    release_scene_textures();
    const Scene* scene = g_scene;
    if (scene == nullptr || scene->materials == nullptr || scene->material_count <= 0) return;
    GLint gl_limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &gl_limit);
    int max_side = TEXTURE_MAX_SIDE;
    while (max_side > 1 && max_side > gl_limit) max_side /= 2;

    g_textures = (GLuint*)calloc((size_t)scene->material_count, sizeof(GLuint));
    if (g_textures == nullptr) return;
    g_texture_count = scene->material_count;
    g_texture_scene = scene;
    for (int32_t i = 0; i < scene->material_count; ++i) {
        const Material* material = &scene->materials[i];
        TextureImage image;
        bool loaded = false;
        if (material->texture_image != nullptr) {
            // An image the model file carries in itself.
            loaded = decode_texture_image(material->texture_image, material->texture_image_size, max_side, &image);
        } else {
            char name[sizeof material->texture_file + 1];
            memcpy(name, material->texture_file, sizeof material->texture_file);
            name[sizeof name - 1] = '\0';
            // Only names inside the model's folder are opened (none without
            // a folder); a backslash between folders becomes a slash, which
            // both systems take.
            if (g_texture_folder[0] == '\0' || !name_inside_folder(name)) continue;
            for (char* c = name; *c != '\0'; ++c) {
                if (*c == '\\') *c = '/';
            }
            FILE* file = g_open_texture_file(g_texture_folder, name);
            if (file == nullptr) continue;
            loaded = load_texture_image(file, max_side, &image);
            fclose(file);
        }
        if (!loaded) continue;
        GLuint texture = 0;
        glGenTextures(1, &texture);
        if (texture != 0) {
            for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
                // earlier errors cleared, so the check below is this texture's
            }
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         image.pixels);
            glBindTexture(GL_TEXTURE_2D, 0);
            if (glGetError() == GL_NO_ERROR) {
                g_textures[i] = texture;
            } else {
                glDeleteTextures(1, &texture);
            }
        }
        free_texture_image(&image);
    }
}
