// scene.cpp - the growth of the scene's four lists, the name indexes that
// the reader looks records up by, and the release of a scene.
#include <stdlib.h>
#include <string.h>

#include "reader_internal.h"

// Appends one zero-filled record to a list. The array's capacity is not
// stored: it is the count rounded up to a power of two, so the array is
// reallocated only when the count is 0 or a power of two, and then to twice
// the records (one for an empty list). A list of n records is thus built
// with about log2(n) reallocations, each asking for the doubled size; a heap
// that copies a block on every growth (the Windows heap does) would make
// growth by one record cost time quadratic in n. On failure the list keeps
// its old array and count, so free_scene still releases it.
static void* grow_list(void** array, int32_t* count, size_t record_size, const char* failure_text)
{
    uint32_t n = (uint32_t)*count;
    if ((n & (n - 1)) == 0) {
        uint64_t new_size = (n == 0 ? 1 : 2 * (uint64_t)n) * record_size;
        void* grown = new_size <= UINT32_MAX ? realloc(*array, (size_t)new_size) : nullptr;
        if (!grown) fail(failure_text, (unsigned)new_size);
        *array = grown;
    }
    void* record = (char*)*array + (size_t)n * record_size;
    memset(record, 0, record_size);
    ++*count;
    return record;
}

Mesh* add_mesh()
{
    Scene* s = g_loading_scene;
    return (Mesh*)grow_list((void**)&s->meshes, &s->mesh_count, sizeof(Mesh),
                            "Error reallocating memory for object list (%u bytes).");
}

Camera* add_camera()
{
    Scene* s = g_loading_scene;
    return (Camera*)grow_list((void**)&s->cameras, &s->camera_count, sizeof(Camera),
                              "Error reallocating memory for camera list (%u bytes).");
}

Light* add_light()
{
    Scene* s = g_loading_scene;
    return (Light*)grow_list((void**)&s->lights, &s->light_count, sizeof(Light),
                             "Error reallocating memory for light list (%u bytes).");
}

Material* add_material()
{
    Scene* s = g_loading_scene;
    return (Material*)grow_list((void**)&s->materials, &s->material_count, sizeof(Material),
                                "Error reallocating memory for material list (%u bytes).");
}

// --- Name indexes ---
//
// An open-addressing hash table of record indices per list, keyed by the
// record's name. Lists only ever grow at their end, so the index catches up
// by inserting the records added since the last lookup; a name already in
// the index keeps its earlier record, which is what "the first record of
// that name" asks for.

struct NameIndex {
    int32_t* slots;         // record index + 1; 0 marks an empty slot
    uint32_t capacity;      // a power of two, or 0
    int32_t indexed_count;  // records [0, indexed_count) are in the index
};

static NameIndex g_mesh_index, g_camera_index, g_light_index, g_material_index;

static uint32_t hash_name(const char* name)
{
    uint32_t h = 2166136261u;
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p) h = (h ^ *p) * 16777619u;
    return h;
}

// The name a record is looked up by.
typedef const char* (*NameOf)(int32_t record);

// The slot holding name, or the empty slot where it would go.
static uint32_t find_slot(const NameIndex* index, const char* name, NameOf name_of)
{
    uint32_t mask = index->capacity - 1;
    uint32_t slot = hash_name(name) & mask;
    while (index->slots[slot] != 0 && strcmp(name_of(index->slots[slot] - 1), name) != 0) slot = (slot + 1) & mask;
    return slot;
}

static void index_insert(NameIndex* index, int32_t record, NameOf name_of)
{
    uint32_t slot = find_slot(index, name_of(record), name_of);
    if (index->slots[slot] == 0) index->slots[slot] = record + 1;
}

static int find_named(NameIndex* index, const char* name, int32_t count, NameOf name_of)
{
    if (index->indexed_count < count) {
        // Keep the table at most half full.
        if ((uint32_t)count >= index->capacity / 2) {
            uint32_t capacity = 64;
            while (capacity / 2 <= (uint32_t)count) capacity *= 2;
            free(index->slots);
            *index = NameIndex{};
            index->slots = (int32_t*)alloc_zeroed(capacity * (uint32_t)sizeof(int32_t));
            index->capacity = capacity;
        }
        for (int32_t i = index->indexed_count; i < count; ++i) index_insert(index, i, name_of);
        index->indexed_count = count;
    }
    if (index->capacity == 0) return -1;
    return index->slots[find_slot(index, name, name_of)] - 1;
}

static const char* mesh_name(int32_t i) { return g_loading_scene->meshes[i].name; }
static const char* camera_name(int32_t i) { return g_loading_scene->cameras[i].name; }
static const char* light_name(int32_t i) { return g_loading_scene->lights[i].name; }

int find_mesh(const char* name) { return find_named(&g_mesh_index, name, g_loading_scene->mesh_count, mesh_name); }

int find_camera(const char* name)
{
    return find_named(&g_camera_index, name, g_loading_scene->camera_count, camera_name);
}

int find_light(const char* name) { return find_named(&g_light_index, name, g_loading_scene->light_count, light_name); }

// --- Whole names ---
//
// A name field keeps the first characters of a longer name. Materials are
// looked up by their whole names, so that two whose names share their first
// characters stay apart: the whole name of material i, when it is longer
// than its field, is kept here for the load (null: the field holds it all).
// These blocks come from malloc and are never needed for a load to go on:
// where memory runs out, a name is looked up by what its field keeps.

static char** g_material_whole_names;
static int32_t g_material_whole_name_capacity;
static char* g_group_whole_name;

static const char* material_name(int32_t i)
{
    const char* whole = i < g_material_whole_name_capacity ? g_material_whole_names[i] : nullptr;
    return whole ? whole : g_loading_scene->materials[i].name;
}

int find_material(const char* name)
{
    return find_named(&g_material_index, name, g_loading_scene->material_count, material_name);
}

// The slot for material i's whole name, or null where memory runs out.
static char** material_whole_name_slot(int32_t i)
{
    if (i >= g_material_whole_name_capacity) {
        int32_t capacity = g_material_whole_name_capacity ? g_material_whole_name_capacity : 16;
        while (capacity <= i) capacity *= 2;
        char** grown = (char**)malloc((size_t)capacity * sizeof(char*));
        if (!grown) return nullptr;
        memset(grown, 0, (size_t)capacity * sizeof(char*));
        if (g_material_whole_names)
            memcpy(grown, g_material_whole_names, (size_t)g_material_whole_name_capacity * sizeof(char*));
        free(g_material_whole_names);
        g_material_whole_names = grown;
        g_material_whole_name_capacity = capacity;
    }
    return &g_material_whole_names[i];
}

// Reads a NUL-terminated string byte by byte exactly as read_string does
// (the same bytes, the same failure where the data ends), with destination
// keeping its first max - 1 characters; a longer string is also kept whole
// in *whole, a malloc block replacing the one there (null when the string
// fits destination, or where memory runs out). *whole is up to date at every
// read, so the error exit's release reaches it.
static void read_string_whole(char* destination, uint32_t max, char** whole)
{
    free(*whole);
    *whole = nullptr;
    size_t capacity = 0;
    bool keeping = true;
    for (uint32_t i = 0;; ++i) {
        char c;
        g_read(&c, 1);
        destination[i < max - 1 ? i : max - 1] = i < max - 1 ? c : '\0';
        if (i >= max - 1 && keeping) {
            if (i + 1 >= capacity) {
                size_t grown_capacity = capacity ? 2 * capacity : 2 * (size_t)max;
                char* grown = (char*)malloc(grown_capacity);
                if (grown) {
                    memcpy(grown, destination, max - 1);
                    if (*whole) memcpy(grown + max - 1, *whole + max - 1, i - (max - 1));
                }
                free(*whole);
                *whole = grown;
                capacity = grown_capacity;
                keeping = grown != nullptr;
            }
            if (keeping) (*whole)[i] = c;
        }
        if (c == '\0') return;
    }
}

void read_material_name(Material* material)
{
    char** slot = material_whole_name_slot(g_loading_scene->material_count - 1);
    if (slot)
        read_string_whole(material->name, sizeof material->name, slot);
    else
        read_string(material->name, sizeof material->name);
}

int read_material_reference(char* name, uint32_t max)
{
    read_string_whole(name, max, &g_group_whole_name);
    return find_material(g_group_whole_name ? g_group_whole_name : name);
}

void free_name_indexes()
{
    NameIndex* indexes[] = {&g_mesh_index, &g_camera_index, &g_light_index, &g_material_index};
    for (NameIndex* index : indexes) {
        free(index->slots);
        *index = NameIndex{};
    }
    for (int32_t i = 0; i < g_material_whole_name_capacity; ++i) free(g_material_whole_names[i]);
    free(g_material_whole_names);
    g_material_whole_names = nullptr;
    g_material_whole_name_capacity = 0;
    free(g_group_whole_name);
    g_group_whole_name = nullptr;
}

// --- Release ---

void set_material_defaults(Material* m)
{
    for (int i = 0; i < 3; ++i) {
        m->ambient[i] = MATERIAL_DEFAULT_AMBIENT;
        m->diffuse[i] = MATERIAL_DEFAULT_DIFFUSE;
        m->specular[i] = MATERIAL_DEFAULT_SPECULAR;
    }
    m->shininess = MATERIAL_DEFAULT_SHININESS;
    m->shininess_strength = 0.0f;
    m->transparency = 0.0f;
    m->two_sided = 0;
    m->texture_file[0] = '\0';
    m->texture_scale[0] = m->texture_scale[1] = 1.0f;
    m->texture_offset[0] = m->texture_offset[1] = 0.0f;
}

void free_scene(Scene* scene)
{
    if (!scene) return;
    if (scene->lights) {
        for (int32_t i = 0; i < scene->light_count; ++i) free(scene->lights[i].pos_keys);
        free(scene->lights);
    }
    if (scene->cameras) {
        for (int32_t i = 0; i < scene->camera_count; ++i) {
            Camera* c = &scene->cameras[i];
            free(c->pos_keys);
            free(c->target_keys);
            free(c->fov_keys);
            free(c->roll_keys);
        }
        free(scene->cameras);
    }
    if (scene->materials) {
        for (int32_t i = 0; i < scene->material_count; ++i) free(scene->materials[i].texture_image);
        free(scene->materials);
    }
    if (scene->meshes) {
        for (int32_t i = 0; i < scene->mesh_count; ++i) {
            Mesh* m = &scene->meshes[i];
            free(m->faces);
            free(m->vertices);
            free(m->pos_keys);
            free(m->rot_keys);
            free(m->scale_keys);
            free(m->morph_keys);
            free(m->hide_keys);
        }
        free(scene->meshes);
    }
    free(scene);
}
