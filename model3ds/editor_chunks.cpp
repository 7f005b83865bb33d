// editor_chunks.cpp - the editor section of a 3DS stream (CHUNK_EDITOR):
// named objects carrying triangle meshes, lights or cameras, and material
// entries, each read into a new record of the scene under construction.
#include <stdlib.h>
#include <string.h>

#include "reader_internal.h"

// Reads count records of record_size bytes a block at a time and hands each
// to unpack(index, bytes): far fewer calls into the byte source than field
// by field, with the same outcome when the data runs out.
template <typename Unpack>
static void read_records(uint32_t count, uint32_t record_size, Unpack unpack)
{
    uint8_t block[4096];
    const uint32_t per_block = sizeof block / record_size;
    for (uint32_t done = 0; done < count;) {
        uint32_t n = count - done < per_block ? count - done : per_block;
        g_read(block, n * record_size);
        for (uint32_t i = 0; i < n; ++i) unpack(done + i, block + i * record_size);
        done += n;
    }
}

static void read_vertex_list(Mesh* mesh)
{
    uint16_t count = read_u16();
    // A second vertex list replaces the first, which is released now.
    free(mesh->vertices);
    mesh->vertices = nullptr;
    mesh->vertex_count = 0;
    mesh->vertices = (Vertex*)alloc_zeroed(count * (uint32_t)sizeof(Vertex));
    mesh->vertex_count = count;

    read_records(count, 12, [mesh](uint32_t i, const uint8_t* b) {
        mesh->vertices[i].position = Vec3{le_float(b), le_float(b + 4), le_float(b + 8)};
    });
}

static void read_face_list(Mesh* mesh)
{
    uint16_t count = read_u16();
    // A second face list replaces the first, which is released now.
    free(mesh->faces);
    mesh->faces = nullptr;
    mesh->face_count = 0;
    mesh->faces = (Face*)alloc_zeroed(count * (uint32_t)sizeof(Face));
    mesh->face_count = count;

    read_records(count, 8, [mesh](uint32_t i, const uint8_t* b) {
        Face* f = &mesh->faces[i];
        f->vertex[0] = le_u16(b);
        f->vertex[1] = le_u16(b + 2);
        f->vertex[2] = le_u16(b + 4);
        f->flags = le_u16(b + 6);
    });
}

// Assigns a named material to the listed faces. An index past the face
// list falls back to face 0; in a mesh without faces the group is ignored.
static void read_face_material(Mesh* mesh)
{
    if (mesh->face_count == 0) return;
    char name[20];
    int found = read_material_reference(name, sizeof name);
    uint16_t material = found < 0 ? 0 : (uint16_t)found;
    uint16_t count = read_u16();
    read_records(count, 2, [mesh, material](uint32_t, const uint8_t* b) {
        uint16_t face = le_u16(b);
        if (face >= mesh->face_count) face = 0;
        mesh->faces[face].material = material;
    });
}

// A map coordinate outside [-100, 100], or not a number, becomes 0.
static float clamp_map_coord(float value) { return value >= -100.0f && value <= 100.0f ? value : 0.0f; }

static void read_map_coords(Mesh* mesh)
{
    uint16_t count = read_u16();
    if (count != mesh->vertex_count) fail("Bad number of map coordinates [%s].", mesh->name);
    read_records(count, 8, [mesh](uint32_t i, const uint8_t* b) {
        mesh->vertices[i].u = clamp_map_coord(le_float(b));
        mesh->vertices[i].v = clamp_map_coord(le_float(b + 4));
    });
}

// One u32 per face while the position is below the chunk's end: a short
// chunk leaves the remaining faces at 0, a long one is read only up to the
// face count.
static void read_smoothing_groups(uint32_t end, Mesh* mesh)
{
    uint32_t position = g_tell();
    if (position >= end) return;
    uint32_t count = (uint32_t)(((uint64_t)end - position + 3) / 4);
    if (count > mesh->face_count) count = mesh->face_count;
    read_records(count, 4, [mesh](uint32_t i, const uint8_t* b) { mesh->faces[i].smoothing = le_u32(b); });
}

static void read_local_matrix(Mesh* mesh)
{
    float values[12];
    read_floats(values, 12);
    float* m = mesh->local_matrix;
    memcpy(m, values, 9 * sizeof(float));
    mesh->origin = Vec3{values[9], values[10], values[11]};
    const Vec3& o = mesh->origin;
    for (int r = 0; r < 3; ++r) m[9 + r] = (-o.x) * m[3 * r] + (-o.y) * m[3 * r + 1] + (-o.z) * m[3 * r + 2];
}

static void read_mesh_texture_info(Mesh* mesh)
{
    skip_bytes(2);  // map type
    mesh->map_tiling_x = read_float();
    mesh->map_tiling_y = read_float();
    skip_bytes(76);
}

static void read_triangle_mesh(uint32_t end, const char* name)
{
    Mesh* mesh = add_mesh();
    memcpy(mesh->name, name, strlen(name) + 1);
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        switch (walk.id) {
        case CHUNK_VERTEX_LIST:
            read_vertex_list(mesh);
            break;
        case CHUNK_FACE_LIST:
            // The face list's sub-chunks follow its faces and are met by
            // this same walk.
            read_face_list(mesh);
            walk_continue_here(&walk);
            continue;
        case CHUNK_FACE_MATERIAL_GROUP:
            read_face_material(mesh);
            break;
        case CHUNK_MAP_COORDS:
            read_map_coords(mesh);
            break;
        case CHUNK_SMOOTHING_GROUPS:
            read_smoothing_groups(walk.child_end, mesh);
            break;
        case CHUNK_LOCAL_MATRIX:
            read_local_matrix(mesh);
            break;
        case CHUNK_MESH_COLOR:
            mesh->color = read_u8();
            break;
        case CHUNK_MESH_TEXTURE_INFO:
            read_mesh_texture_info(mesh);
            break;
        }
        walk_skip(&walk);
    }
}

// A colour of three floats: red, green, blue.
static void read_color_f(Light* light) { read_floats(light->color, 3); }

static void read_light(uint32_t end, const char* name)
{
    Light* light = add_light();
    memcpy(light->name, name, strlen(name) + 1);
    float position[3];
    read_floats(position, 3);
    light->position = Vec3{position[0], position[1], position[2]};
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        if (walk.id == CHUNK_COLOR_FLOAT) read_color_f(light);
        walk_skip(&walk);
    }
}

// The camera's 32-byte body; its sub-chunks are left to the caller's seek.
static void read_camera(const char* name)
{
    Camera* camera = add_camera();
    memcpy(camera->name, name, strlen(name) + 1);
    float body[8];
    read_floats(body, 8);
    camera->position = Vec3{body[0], body[1], body[2]};
    camera->target = Vec3{body[3], body[4], body[5]};
    camera->bank = body[6];
    camera->lens = body[7];
}

static void read_named_object(uint32_t end)
{
    char name[16];
    read_string(name, sizeof name);
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        switch (walk.id) {
        case CHUNK_TRIANGLE_MESH:
            read_triangle_mesh(walk.child_end, name);
            break;
        case CHUNK_LIGHT:
            read_light(walk.child_end, name);
            break;
        case CHUNK_CAMERA:
            read_camera(name);
            break;
        }
        walk_skip(&walk);
    }
}

// --- Material properties ---
//
// A material's property chunks are walked by the material's own walk, with
// the same rules as every chunk the reader does not read: what fails a load
// and with which text is decided there alone. Each property chunk's body is
// then copied (up to PROPERTY_MAX_BYTES, no further than the data goes) and
// its values are taken from inside that copy by readers that cannot fail
// the load. A damaged property (a sub-chunk length below its header or past
// the property's end, a body shorter than its value, a texture name without
// its end) keeps its default, and the load goes on.

const uint32_t PROPERTY_MAX_BYTES = 65536;

// Bytes of one property chunk's body, or of one of its sub-chunks.
struct Span {
    const uint8_t* bytes;
    uint32_t size;
};

// The walk over a property's sub-chunks. damaged is set when one cannot be
// taken whole; a tail too short for a header is passed over.
struct PropertyWalk {
    Span span;
    uint32_t at;
    uint16_t id;
    Span body;
    bool damaged;
};

static PropertyWalk property_walk(Span span) { return PropertyWalk{span, 0, 0, Span{nullptr, 0}, false}; }

static bool property_next(PropertyWalk* walk)
{
    uint32_t left = walk->span.size - walk->at;
    if (left < 6) return false;
    const uint8_t* header = walk->span.bytes + walk->at;
    uint32_t length = le_u32(header + 2);
    if (length < 6 || length > left) {
        walk->damaged = true;
        return false;
    }
    walk->id = le_u16(header);
    walk->body = Span{header + 6, length - 6};
    walk->at += length;
    return true;
}

// A colour component or a share that drawing can use: clamped to 0..1, and
// fallback in place of a value that is not a number.
static float clamp_share(float value, float fallback)
{
    if (value != value) return fallback;
    return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
}

// One colour chunk's body into rgb: three bytes (0..255) or three floats.
// False, with rgb untouched, when the body is shorter than that.
static bool read_color(uint16_t id, Span body, float* rgb, float fallback)
{
    if (id == CHUNK_COLOR_24 || id == CHUNK_LINEAR_COLOR_24) {
        if (body.size < 3) return false;
        for (int i = 0; i < 3; ++i) rgb[i] = body.bytes[i] / 255.0f;
    } else {
        if (body.size < 12) return false;
        for (int i = 0; i < 3; ++i) rgb[i] = clamp_share(le_float(body.bytes + 4 * i), fallback);
    }
    return true;
}

// A colour property (ambient, diffuse, specular) from its colour chunks.
// The plain forms win: the first plain colour is kept, and a gamma-corrected
// one is used only when the property holds no plain one.
static void read_color_property(Span span, float* rgb, float fallback)
{
    float corrected[3];
    bool corrected_seen = false;
    PropertyWalk walk = property_walk(span);
    while (property_next(&walk)) {
        switch (walk.id) {
        case CHUNK_COLOR_24:
        case CHUNK_COLOR_FLOAT:
            // The first plain colour is final: nothing after it counts.
            read_color(walk.id, walk.body, rgb, fallback);
            return;
        case CHUNK_LINEAR_COLOR_24:
        case CHUNK_LINEAR_COLOR_FLOAT:
            if (!corrected_seen && !read_color(walk.id, walk.body, corrected, fallback)) return;
            corrected_seen = true;
            break;
        }
    }
    if (corrected_seen && !walk.damaged) memcpy(rgb, corrected, sizeof corrected);
}

// A share property (shininess, its strength, transparency) from its first
// percent chunk: a signed 16-bit or a float percentage, 100 being 1.
static void read_percent_property(Span span, float* share, float fallback)
{
    PropertyWalk walk = property_walk(span);
    while (property_next(&walk)) {
        if (walk.id == CHUNK_PERCENT_INT) {
            if (walk.body.size >= 2) *share = clamp_share((int16_t)le_u16(walk.body.bytes) / 100.0f, fallback);
            return;
        }
        if (walk.id == CHUNK_PERCENT_FLOAT) {
            if (walk.body.size >= 4) *share = clamp_share(le_float(walk.body.bytes) / 100.0f, fallback);
            return;
        }
    }
}

// A map scale or offset; one that is infinite or not a number keeps the
// default. False when the body is too short for it.
static bool read_map_value(Span body, float* value)
{
    if (body.size < 4) return false;
    float stored = le_float(body.bytes);
    if (stored - stored == 0.0f) *value = stored;
    return true;
}

// The first texture map: its file name, scale and offset. Taken only when
// the whole map is sound.
static void read_texture_map(Span span, Material* material)
{
    Material map = *material;
    bool sound = true;
    PropertyWalk walk = property_walk(span);
    while (sound && property_next(&walk)) {
        const Span& body = walk.body;
        switch (walk.id) {
        case CHUNK_MAP_FILE_NAME: {
            const uint8_t* end = (const uint8_t*)memchr(body.bytes, '\0', body.size);
            if (end == nullptr) {
                sound = false;
                break;
            }
            // A longer name keeps its first characters, as every name does.
            size_t length = (size_t)(end - body.bytes);
            if (length > sizeof map.texture_file - 1) length = sizeof map.texture_file - 1;
            memcpy(map.texture_file, body.bytes, length);
            map.texture_file[length] = '\0';
            break;
        }
        case CHUNK_MAP_U_SCALE:
            sound = read_map_value(body, &map.texture_scale[0]);
            break;
        case CHUNK_MAP_V_SCALE:
            sound = read_map_value(body, &map.texture_scale[1]);
            break;
        case CHUNK_MAP_U_OFFSET:
            sound = read_map_value(body, &map.texture_offset[0]);
            break;
        case CHUNK_MAP_V_OFFSET:
            sound = read_map_value(body, &map.texture_offset[1]);
            break;
        }
    }
    if (!sound || walk.damaged) return;
    memcpy(material->texture_file, map.texture_file, sizeof map.texture_file);
    memcpy(material->texture_scale, map.texture_scale, sizeof map.texture_scale);
    memcpy(material->texture_offset, map.texture_offset, sizeof map.texture_offset);
}

// The body of the walk's current child, copied into buffer (PROPERTY_MAX_BYTES)
// without failing: as much of it as the data holds.
static Span property_body(const ChunkWalk* walk, uint8_t* buffer)
{
    uint32_t start = walk->child_start + 6;
    uint32_t size = walk->child_end - start;
    if (size > PROPERTY_MAX_BYTES) size = PROPERTY_MAX_BYTES;
    return Span{buffer, g_peek(start, buffer, size)};
}

bool g_ignore_material_properties = false;

static void read_material(uint32_t end)
{
    static uint8_t buffer[PROPERTY_MAX_BYTES];
    Material* material = add_material();
    set_material_defaults(material);
    bool texture_seen = false;
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        if (walk.id == CHUNK_MATERIAL_NAME) {
            read_material_name(material);
        } else if (!g_ignore_material_properties) {
            switch (walk.id) {
            case CHUNK_MATERIAL_AMBIENT:
                read_color_property(property_body(&walk, buffer), material->ambient, MATERIAL_DEFAULT_AMBIENT);
                break;
            case CHUNK_MATERIAL_DIFFUSE:
                read_color_property(property_body(&walk, buffer), material->diffuse, MATERIAL_DEFAULT_DIFFUSE);
                break;
            case CHUNK_MATERIAL_SPECULAR:
                read_color_property(property_body(&walk, buffer), material->specular, MATERIAL_DEFAULT_SPECULAR);
                break;
            case CHUNK_MATERIAL_SHININESS:
                read_percent_property(property_body(&walk, buffer), &material->shininess, MATERIAL_DEFAULT_SHININESS);
                break;
            case CHUNK_MATERIAL_SHININESS_STRENGTH:
                read_percent_property(property_body(&walk, buffer), &material->shininess_strength, 0.0f);
                break;
            case CHUNK_MATERIAL_TRANSPARENCY:
                read_percent_property(property_body(&walk, buffer), &material->transparency, 0.0f);
                break;
            case CHUNK_MATERIAL_TWO_SIDED:
                material->two_sided = 1;
                break;
            case CHUNK_MATERIAL_TEXTURE_MAP:
                if (!texture_seen) read_texture_map(property_body(&walk, buffer), material);
                texture_seen = true;
                break;
            }
        }
        walk_skip(&walk);
    }
}

void read_editor_chunk(uint32_t end)
{
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        switch (walk.id) {
        case CHUNK_NAMED_OBJECT:
            read_named_object(walk.child_end);
            break;
        case CHUNK_MATERIAL:
            read_material(walk.child_end);
            break;
        }
        walk_skip(&walk);
    }
}
