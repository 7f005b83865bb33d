// scene.h - the loaded 3DS model: one Scene record that owns every list and
// array of the model, the key records of the keyframe tracks, and the
// release of the whole.
//
// Every record is created zero-filled, so a field whose chunk never came is
// 0, an empty name, or a null array with a zero count. An array field is a
// heap block owned by the record that holds it; the count beside it tells
// how many records it holds.
#ifndef MODEL3DS_SCENE_H
#define MODEL3DS_SCENE_H

#include <stdint.h>

struct Vec3 {
    float x, y, z;
};

// Keyframe keys. The five spline floats are the 3DS tension, continuity,
// bias, ease-to and ease-from parameters; one whose bit is clear in
// spline_flags is 0. frame is the low 16 bits of the stored frame number.
struct VectorKey {
    Vec3 value;
    float tension, continuity, bias, ease_to, ease_from;
    uint16_t spline_flags;
    uint16_t frame;
};

struct RotationKey {
    float angle;  // as stored (radians in the 3DS format)
    Vec3 axis;
    float tension, continuity, bias, ease_to, ease_from;
    uint16_t spline_flags;
    uint16_t frame;
};

struct ScalarKey {
    float value;
    float tension, continuity, bias, ease_to, ease_from;
    uint16_t spline_flags;
    uint16_t frame;
};

struct MorphKey {
    char target_name[16];
    float tension, continuity, bias, ease_to, ease_from;
    uint16_t spline_flags;
    uint16_t frame;
};

struct HideKey {
    uint16_t frame;
};

// A material's name (which turns the material names of face groups into
// indices into Scene::materials) and what drawing a model as its file says
// needs of it. Colours are red, green, blue from 0 to 1; shares run from 0
// to 1. A property whose chunk never came keeps the value a modelling
// program shows for a new material (MATERIAL_DEFAULT_*), set when the
// material's chunk starts.
//
// How the reader fills them:
// - A colour comes from the colour chunks inside its property: three bytes
//   (0..255) or three floats, each in a plain and a gamma-corrected form.
//   The plain form wins: of two plain forms the first is kept, and a
//   gamma-corrected form (the first of them) is used only when the property
//   holds no plain one.
// - A share comes from the first percent chunk inside its property: a signed
//   16-bit integer or a float, both percentages (100 is 1). The float form is
//   read as a percentage too, as its name says; taken as a fraction, a
//   stored 50 would make a material wholly transparent.
// - Colour floats and shares outside 0..1 are clamped to it; a float that is
//   not a number keeps the property's default. A map scale or offset that
//   is infinite or not a number keeps its default.
// - Two-sided: the chunk holds no data; its presence sets 1.
// - Only the first texture map is read (the first such chunk of the
//   material); the other maps are passed over. A file name longer than 63
//   characters keeps its first 63.
struct Material {
    char name[20];
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float shininess;           // glossiness, 0 to 1
    float shininess_strength;  // strength of the highlights, 0 to 1
    float transparency;        // 0 opaque to 1 invisible
    uint8_t two_sided;         // 1: both sides of its faces are lit as the front
    // The first texture map: its image's file name as the model gives it
    // ("" when the material has none), and how the map coordinates are
    // scaled and moved before they pick a point of the image.
    char texture_file[64];
    float texture_scale[2];   // u, v; default 1
    float texture_offset[2];  // u, v; default 0
    // An image the model file carries in itself (glTF's data URIs and
    // buffer views), encoded as its file would be: a heap block owned by the
    // material, drawn in place of a file named by texture_file. Null in
    // every 3DS material.
    uint8_t* texture_image;
    uint32_t texture_image_size;
};

// A new material's values: a mid grey, lighter highlights of no strength,
// glossiness 0.1, opaque, one-sided, no texture.
const float MATERIAL_DEFAULT_AMBIENT = 150.0f / 255.0f;
const float MATERIAL_DEFAULT_DIFFUSE = 150.0f / 255.0f;
const float MATERIAL_DEFAULT_SPECULAR = 229.0f / 255.0f;
const float MATERIAL_DEFAULT_SHININESS = 0.1f;

// Gives every property of m a new material's value (the name is kept).
void set_material_defaults(Material* m);

struct Vertex {
    Vec3 position;
    float u, v;  // map coordinates, 0 unless a map-coordinate chunk set them
};

struct Face {
    uint16_t vertex[3];  // indices into the mesh's vertices, as stored (unchecked)
    uint16_t flags;      // the 3DS face flags, as stored
    uint16_t material;   // index into Scene::materials; 0 unless a face group names one
    uint32_t smoothing;  // smoothing-group bits
};

struct Mesh {
    uint16_t face_count;
    uint16_t vertex_count;
    Face* faces;
    Vertex* vertices;
    // 3x4 matrices: the 3x3 part row by row (element [r][c] at 3r + c), then
    // the translation at 9, 10, 11. local_matrix holds the stored X, Y and Z
    // axes as rows and t = (-X.origin, -Y.origin, -Z.origin).
    float local_matrix[12];
    float object_matrix[12];
    Vec3 origin;
    char name[16];
    uint8_t color;
    float map_tiling_x;
    float map_tiling_y;
    Vec3 pivot;
    VectorKey* pos_keys;
    RotationKey* rot_keys;
    VectorKey* scale_keys;
    MorphKey* morph_keys;
    HideKey* hide_keys;
    uint16_t pos_key_count;
    uint16_t rot_key_count;
    uint16_t scale_key_count;
    uint16_t morph_key_count;
    uint16_t hide_key_count;
    uint16_t pos_track_flags;
    uint16_t rot_track_flags;
    uint16_t scale_track_flags;
    uint16_t morph_track_flags;
    uint16_t hide_track_flags;
    uint16_t node_id;
    uint16_t parent_id;
    uint16_t has_children;  // 1 when some node names node_id as its parent
    uint16_t node_flags;
};

struct Camera {
    char name[16];
    Vec3 target;
    Vec3 position;
    float bank;  // degrees, as stored
    float lens;  // focal length in millimetres, as stored
    VectorKey* target_keys;
    VectorKey* pos_keys;
    ScalarKey* roll_keys;
    ScalarKey* fov_keys;
    uint16_t target_key_count;
    uint16_t pos_key_count;
    uint16_t roll_key_count;
    uint16_t fov_key_count;
    uint16_t target_track_flags;
    uint16_t pos_track_flags;
    uint16_t roll_track_flags;
    uint16_t fov_track_flags;
    uint16_t target_node_id;
    uint16_t node_id;
    uint16_t target_parent_id;
    uint16_t parent_id;
    uint16_t node_flags;  // written by the camera node and the target node; the later stays
};

struct Light {
    char name[16];
    Vec3 position;
    float color[3];  // red, green, blue
    VectorKey* pos_keys;
    uint16_t pos_key_count;
    uint16_t pos_track_flags;
    uint16_t node_id;
    uint16_t parent_id;
    uint16_t node_flags;
};

struct Scene {
    int32_t mesh_count;
    int32_t material_count;
    int32_t camera_count;
    int32_t light_count;
    Mesh* meshes;
    Material* materials;
    Camera* cameras;
    Light* lights;
    int32_t first_frame;  // keyframe segment, as stored
    int32_t last_frame;
};

// Releases a Scene and everything it owns. Accepts null.
void free_scene(Scene* scene);

#endif
