// keyframer_chunks.cpp - the keyframer section of a 3DS stream (chunk
// CHUNK_KEYFRAMER): the animation segment, and the node chunks whose node ids,
// parent ids, pivots and keyframe tracks are written into the mesh, camera
// or light that the editor section created under the node's name.
#include <stdlib.h>
#include <string.h>

#include "reader_internal.h"

// Reads one float into values[bit] for every bit set in spline_flags,
// lowest bit first.
static void read_spline_params(float* values, uint16_t spline_flags)
{
    for (int bit = 0; bit < 16; ++bit)
        if (spline_flags & (1u << bit)) values[bit] = read_float();
}

// The 14-byte track header: flags, two dropped words, the key count (of
// which the low 16 bits count). Stores flags and count; returns the count.
static uint16_t read_track_header(uint16_t* key_count, uint16_t* track_flags)
{
    *track_flags = read_u16();
    skip_bytes(8);
    *key_count = read_u16();
    skip_bytes(2);
    return *key_count;
}

// The start of every key: the frame number (low 16 bits kept) and the
// spline flags.
struct KeyHead {
    uint16_t frame;
    uint16_t spline_flags;
};

static KeyHead read_key_head()
{
    uint8_t bytes[6];
    g_read(bytes, 6);
    return KeyHead{le_u16(bytes), le_u16(bytes + 4)};
}

// Reads a key's spline floats into the key; those of bits 5 to 15 are
// dropped, and a parameter whose bit is clear stays 0.
template <typename Key>
static void read_key_spline(Key* key, uint16_t spline_flags)
{
    float values[16] = {};
    read_spline_params(values, spline_flags);
    key->tension = values[0];
    key->continuity = values[1];
    key->bias = values[2];
    key->ease_to = values[3];
    key->ease_from = values[4];
    key->spline_flags = spline_flags;
}

// A track's new key array replaces the one the field held, which is
// released first so that nothing is lost.
template <typename Key>
static Key* new_key_array(Key** field, uint16_t count)
{
    free(*field);
    *field = nullptr;
    *field = (Key*)alloc_zeroed(count * (uint32_t)sizeof(Key));
    return *field;
}

static void read_vector_track(VectorKey** keys, uint16_t* key_count, uint16_t* track_flags)
{
    uint16_t count = read_track_header(key_count, track_flags);
    VectorKey* key = new_key_array(keys, count);
    for (uint32_t i = 0; i < count; ++i, ++key) {
        KeyHead head = read_key_head();
        read_key_spline(key, head.spline_flags);
        float value[3];
        read_floats(value, 3);
        key->value = Vec3{value[0], value[1], value[2]};
        key->frame = head.frame;
    }
}

static void read_rotation_track(RotationKey** keys, uint16_t* key_count, uint16_t* track_flags)
{
    uint16_t count = read_track_header(key_count, track_flags);
    RotationKey* key = new_key_array(keys, count);
    for (uint32_t i = 0; i < count; ++i, ++key) {
        KeyHead head = read_key_head();
        read_key_spline(key, head.spline_flags);
        float value[4];
        read_floats(value, 4);
        key->angle = value[0];
        key->axis = Vec3{value[1], value[2], value[3]};
        key->frame = head.frame;
    }
}

static void read_scalar_track(ScalarKey** keys, uint16_t* key_count, uint16_t* track_flags)
{
    uint16_t count = read_track_header(key_count, track_flags);
    ScalarKey* key = new_key_array(keys, count);
    for (uint32_t i = 0; i < count; ++i, ++key) {
        KeyHead head = read_key_head();
        read_key_spline(key, head.spline_flags);
        key->value = read_float();
        key->frame = head.frame;
    }
}

static void read_morph_track(MorphKey** keys, uint16_t* key_count, uint16_t* track_flags)
{
    uint16_t count = read_track_header(key_count, track_flags);
    MorphKey* key = new_key_array(keys, count);
    for (uint32_t i = 0; i < count; ++i, ++key) {
        KeyHead head = read_key_head();
        read_key_spline(key, head.spline_flags);
        read_string(key->target_name, sizeof key->target_name);
        key->frame = head.frame;
    }
}

// A hide key is 6 bytes: no spline floats follow, whatever its flags say.
static void read_hide_track(HideKey** keys, uint16_t* key_count, uint16_t* track_flags)
{
    uint16_t count = read_track_header(key_count, track_flags);
    HideKey* key = new_key_array(keys, count);
    for (uint32_t i = 0; i < count; ++i) key[i].frame = read_key_head().frame;
}

static uint16_t read_node_id() { return read_u16(); }

static void read_pivot(Mesh* mesh)
{
    float pivot[3];
    read_floats(pivot, 3);
    mesh->pivot = Vec3{pivot[0], pivot[1], pivot[2]};
}

static void read_kf_segment()
{
    uint8_t body[8];
    g_read(body, 8);
    g_loading_scene->first_frame = (int32_t)le_u32(body);
    g_loading_scene->last_frame = (int32_t)le_u32(body + 4);
}

enum NodeKind { MESH_NODE, CAMERA_NODE, TARGET_NODE, LIGHT_NODE };

// The header of a node chunk: the name of the object it animates, two flags
// words (the second dropped) and the parent node id.
struct NodeHeader {
    char name[16];
    uint16_t flags;
    uint16_t parent_id;
};

static NodeHeader read_node_header()
{
    NodeHeader header;
    read_string(header.name, sizeof header.name);
    uint8_t words[6];
    g_read(words, 6);
    header.flags = le_u16(words);
    header.parent_id = le_u16(words + 4);
    return header;
}

static int record_count(NodeKind kind)
{
    Scene* s = g_loading_scene;
    switch (kind) {
    case MESH_NODE:
        return s->mesh_count;
    case CAMERA_NODE:
    case TARGET_NODE:
        return s->camera_count;
    case LIGHT_NODE:
        return s->light_count;
    }
    return 0;
}

// The record of the list that a node of this kind names, by index.
static int find_node_record(NodeKind kind, const char* name)
{
    switch (kind) {
    case MESH_NODE:
        return find_mesh(name);
    case CAMERA_NODE:
    case TARGET_NODE:
        return find_camera(name);
    case LIGHT_NODE:
        return find_light(name);
    }
    return -1;
}

// Writes a node header into record `index` of the node's list; the node id
// only when the header matched a record.
static void apply_node_header(NodeKind kind, int index, const NodeHeader& header, bool matched, uint16_t node_id)
{
    Scene* s = g_loading_scene;
    switch (kind) {
    case MESH_NODE: {
        Mesh* m = &s->meshes[index];
        if (matched) m->node_id = node_id;
        m->node_flags = header.flags;
        m->parent_id = header.parent_id;
        break;
    }
    case CAMERA_NODE: {
        Camera* c = &s->cameras[index];
        if (matched) c->node_id = node_id;
        c->node_flags = header.flags;
        c->parent_id = header.parent_id;
        break;
    }
    case TARGET_NODE: {
        Camera* c = &s->cameras[index];
        if (matched) c->target_node_id = node_id;
        c->node_flags = header.flags;
        c->target_parent_id = header.parent_id;
        break;
    }
    case LIGHT_NODE: {
        Light* l = &s->lights[index];
        if (matched) l->node_id = node_id;
        l->node_flags = header.flags;
        l->parent_id = header.parent_id;
        break;
    }
    }
}

static void read_mesh_node_child(uint16_t id, Mesh* m)
{
    switch (id) {
    case CHUNK_PIVOT:
        read_pivot(m);
        break;
    case CHUNK_POSITION_TRACK:
        read_vector_track(&m->pos_keys, &m->pos_key_count, &m->pos_track_flags);
        break;
    case CHUNK_ROTATION_TRACK:
        read_rotation_track(&m->rot_keys, &m->rot_key_count, &m->rot_track_flags);
        break;
    case CHUNK_SCALE_TRACK:
        read_vector_track(&m->scale_keys, &m->scale_key_count, &m->scale_track_flags);
        break;
    case CHUNK_MORPH_TRACK:
        read_morph_track(&m->morph_keys, &m->morph_key_count, &m->morph_track_flags);
        break;
    case CHUNK_HIDE_TRACK:
        read_hide_track(&m->hide_keys, &m->hide_key_count, &m->hide_track_flags);
        break;
    }
}

static void read_camera_node_child(uint16_t id, Camera* c)
{
    switch (id) {
    case CHUNK_POSITION_TRACK:
        read_vector_track(&c->pos_keys, &c->pos_key_count, &c->pos_track_flags);
        break;
    case CHUNK_FOV_TRACK:
        read_scalar_track(&c->fov_keys, &c->fov_key_count, &c->fov_track_flags);
        break;
    case CHUNK_ROLL_TRACK:
        read_scalar_track(&c->roll_keys, &c->roll_key_count, &c->roll_track_flags);
        break;
    }
}

static void read_target_node_child(uint16_t id, Camera* c)
{
    if (id == CHUNK_POSITION_TRACK) read_vector_track(&c->target_keys, &c->target_key_count, &c->target_track_flags);
}

static void read_light_node_child(uint16_t id, Light* l)
{
    if (id == CHUNK_POSITION_TRACK) read_vector_track(&l->pos_keys, &l->pos_key_count, &l->pos_track_flags);
}

// One node chunk. The node's object is the first record of its list until a
// header names a record; pivot and tracks go to the object of that moment.
// A node whose list is empty has no object: its children are passed over
// and nothing is written.
static void read_node(uint32_t end, NodeKind kind)
{
    uint16_t node_id = 0;
    int object = 0;
    bool has_object = record_count(kind) > 0;
    Scene* s = g_loading_scene;

    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        if (!has_object) {
            walk_skip(&walk);
            continue;
        }
        if (walk.id == CHUNK_NODE_ID) {
            node_id = read_node_id();
        } else if (walk.id == CHUNK_NODE_HEADER) {
            NodeHeader header = read_node_header();
            int found = find_node_record(kind, header.name);
            if (found >= 0) object = found;
            apply_node_header(kind, object, header, found >= 0, node_id);
        } else {
            switch (kind) {
            case MESH_NODE:
                read_mesh_node_child(walk.id, &s->meshes[object]);
                break;
            case CAMERA_NODE:
                read_camera_node_child(walk.id, &s->cameras[object]);
                break;
            case TARGET_NODE:
                read_target_node_child(walk.id, &s->cameras[object]);
                break;
            case LIGHT_NODE:
                read_light_node_child(walk.id, &s->lights[object]);
                break;
            }
        }
        walk_skip(&walk);
    }
}

static void read_mesh_node(uint32_t end) { read_node(end, MESH_NODE); }
static void read_camera_node(uint32_t end) { read_node(end, CAMERA_NODE); }
static void read_target_node(uint32_t end) { read_node(end, TARGET_NODE); }
static void read_light_node(uint32_t end) { read_node(end, LIGHT_NODE); }

void read_keyframer(uint32_t end)
{
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        switch (walk.id) {
        case CHUNK_OBJECT_NODE:
            read_mesh_node(walk.child_end);
            break;
        case CHUNK_CAMERA_NODE:
            read_camera_node(walk.child_end);
            break;
        case CHUNK_TARGET_NODE:
            read_target_node(walk.child_end);
            break;
        case CHUNK_LIGHT_NODE:
            read_light_node(walk.child_end);
            break;
        case CHUNK_KEYFRAMER_SEGMENT:
            read_kf_segment();
            break;
        }
        walk_skip(&walk);
    }
}
