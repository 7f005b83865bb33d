// load_check.cpp - one byte image through both byte sources, and the checks
// on the outcome.
#include "load_check.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "reader_internal.h"

// A buffer byte the reader never writes by accident: a load that returns
// null without a text, or a text without a NUL, shows up against it.
static const unsigned char UNWRITTEN = 0xA5;

// The keys are hashed as raw bytes, which holds only while they carry no
// padding (padding would differ between loads for no fault of the reader).
static_assert(sizeof(Vec3) == 12, "Vec3 has padding");
static_assert(sizeof(VectorKey) == 36, "VectorKey has padding");
static_assert(sizeof(RotationKey) == 40, "RotationKey has padding");
static_assert(sizeof(ScalarKey) == 28, "ScalarKey has padding");
static_assert(sizeof(MorphKey) == 40, "MorphKey has padding");
static_assert(sizeof(HideKey) == 2, "HideKey has padding");
static_assert(sizeof(Vertex) == 20, "Vertex has padding");

// --- Scene digest: FNV-1a over every field and every array record ---

struct Digest {
    uint64_t hash;
};

static void mix(Digest* d, const void* data, size_t size)
{
    const unsigned char* p = (const unsigned char*)data;
    for (size_t i = 0; i < size; ++i) d->hash = (d->hash ^ p[i]) * 1099511628211ull;
}

template <typename T>
static void mix_value(Digest* d, const T& value)
{
    mix(d, &value, sizeof value);
}

// The records of an array, one by one: a count larger than the array's heap
// block reads past it, which the address sanitizer reports.
template <typename T>
static bool mix_array(Digest* d, const T* records, uint32_t count)
{
    if (count > 0 && !records) return false;
    for (uint32_t i = 0; i < count; ++i) mix(d, &records[i], sizeof(T));
    return true;
}

static void set_problem(LoadReport* report, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

static void set_problem(LoadReport* report, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(report->problem, sizeof report->problem, format, args);
    va_end(args);
}

static bool name_ends_inside(const char* name, size_t field_size) { return memchr(name, '\0', field_size) != nullptr; }

// Colour components and shares from 0 to 1 (not a number fails), a two-sided
// flag of 0 or 1, a texture name that ends inside its field, and a finite
// texture scale and offset: what drawing may take as given.
static bool material_usable(const Material* m)
{
    const float* shares[] = {
        m->ambient,  m->ambient + 1,  m->ambient + 2,  m->diffuse,    m->diffuse + 1,         m->diffuse + 2,
        m->specular, m->specular + 1, m->specular + 2, &m->shininess, &m->shininess_strength, &m->transparency};
    for (const float* share : shares)
        if (!(*share >= 0.0f && *share <= 1.0f)) return false;
    for (int i = 0; i < 2; ++i)
        if (m->texture_scale[i] - m->texture_scale[i] != 0.0f || m->texture_offset[i] - m->texture_offset[i] != 0.0f)
            return false;
    return m->two_sided <= 1 && name_ends_inside(m->texture_file, sizeof m->texture_file);
}

// Checks a loaded scene and computes its digest. Returns false with the
// problem set.
static bool check_scene(const Scene* s, Digest* d, LoadReport* report, const char* method)
{
    if (s->mesh_count < 0 || s->material_count < 0 || s->camera_count < 0 || s->light_count < 0) {
        set_problem(report, "%s: negative list count", method);
        return false;
    }
    mix_value(d, s->mesh_count);
    mix_value(d, s->material_count);
    mix_value(d, s->camera_count);
    mix_value(d, s->light_count);
    mix_value(d, s->first_frame);
    mix_value(d, s->last_frame);

    if (!mix_array(d, s->materials, (uint32_t)s->material_count)) {
        set_problem(report, "%s: %d materials but no array", method, s->material_count);
        return false;
    }
    for (int32_t i = 0; i < s->material_count; ++i) {
        if (!name_ends_inside(s->materials[i].name, sizeof s->materials[i].name)) {
            set_problem(report, "%s: material %d has an unterminated name", method, i);
            return false;
        }
        if (!material_usable(&s->materials[i])) {
            set_problem(report, "%s: material %d has a property out of its range", method, i);
            return false;
        }
    }

    if (s->mesh_count > 0 && !s->meshes) {
        set_problem(report, "%s: %d meshes but no array", method, s->mesh_count);
        return false;
    }
    uint32_t material_limit = s->material_count > 0 ? (uint32_t)s->material_count : 1;
    for (int32_t i = 0; i < s->mesh_count; ++i) {
        const Mesh* m = &s->meshes[i];
        if (!name_ends_inside(m->name, sizeof m->name)) {
            set_problem(report, "%s: mesh %d has an unterminated name", method, i);
            return false;
        }
        mix(d, m->name, sizeof m->name);
        mix_value(d, m->face_count);
        mix_value(d, m->vertex_count);
        mix(d, m->local_matrix, sizeof m->local_matrix);
        mix(d, m->object_matrix, sizeof m->object_matrix);
        mix_value(d, m->origin);
        mix_value(d, m->color);
        mix_value(d, m->map_tiling_x);
        mix_value(d, m->map_tiling_y);
        mix_value(d, m->pivot);
        const uint16_t words[] = {m->pos_track_flags,   m->rot_track_flags,  m->scale_track_flags,
                                  m->morph_track_flags, m->hide_track_flags, m->node_id,
                                  m->parent_id,         m->has_children,     m->node_flags};
        mix(d, words, sizeof words);

        if (m->face_count > 0 && !m->faces) {
            set_problem(report, "%s: mesh %d has %u faces but no array", method, i, m->face_count);
            return false;
        }
        for (uint32_t f = 0; f < m->face_count; ++f) {
            const Face& face = m->faces[f];
            if (face.material >= material_limit) {
                set_problem(report, "%s: mesh %d face %u names material %u of %d", method, i, f, face.material,
                            s->material_count);
                return false;
            }
            mix(d, face.vertex, sizeof face.vertex);
            mix_value(d, face.flags);
            mix_value(d, face.material);
            mix_value(d, face.smoothing);
        }
        bool arrays_present =
            mix_array(d, m->vertices, m->vertex_count) && mix_array(d, m->pos_keys, m->pos_key_count) &&
            mix_array(d, m->rot_keys, m->rot_key_count) && mix_array(d, m->scale_keys, m->scale_key_count) &&
            mix_array(d, m->morph_keys, m->morph_key_count) && mix_array(d, m->hide_keys, m->hide_key_count);
        if (!arrays_present) {
            set_problem(report, "%s: mesh %d has a count without its array", method, i);
            return false;
        }
        for (uint32_t k = 0; k < m->morph_key_count; ++k) {
            if (!name_ends_inside(m->morph_keys[k].target_name, sizeof m->morph_keys[k].target_name)) {
                set_problem(report, "%s: mesh %d morph key %u has an unterminated name", method, i, k);
                return false;
            }
        }
    }

    if (s->camera_count > 0 && !s->cameras) {
        set_problem(report, "%s: %d cameras but no array", method, s->camera_count);
        return false;
    }
    for (int32_t i = 0; i < s->camera_count; ++i) {
        const Camera* c = &s->cameras[i];
        if (!name_ends_inside(c->name, sizeof c->name)) {
            set_problem(report, "%s: camera %d has an unterminated name", method, i);
            return false;
        }
        mix(d, c->name, sizeof c->name);
        mix_value(d, c->target);
        mix_value(d, c->position);
        mix_value(d, c->bank);
        mix_value(d, c->lens);
        const uint16_t words[] = {c->target_key_count,   c->pos_key_count,   c->roll_key_count,   c->fov_key_count,
                                  c->target_track_flags, c->pos_track_flags, c->roll_track_flags, c->fov_track_flags,
                                  c->target_node_id,     c->node_id,         c->target_parent_id, c->parent_id,
                                  c->node_flags};
        mix(d, words, sizeof words);
        bool arrays_present =
            mix_array(d, c->target_keys, c->target_key_count) && mix_array(d, c->pos_keys, c->pos_key_count) &&
            mix_array(d, c->roll_keys, c->roll_key_count) && mix_array(d, c->fov_keys, c->fov_key_count);
        if (!arrays_present) {
            set_problem(report, "%s: camera %d has a count without its array", method, i);
            return false;
        }
    }

    if (s->light_count > 0 && !s->lights) {
        set_problem(report, "%s: %d lights but no array", method, s->light_count);
        return false;
    }
    for (int32_t i = 0; i < s->light_count; ++i) {
        const Light* l = &s->lights[i];
        if (!name_ends_inside(l->name, sizeof l->name)) {
            set_problem(report, "%s: light %d has an unterminated name", method, i);
            return false;
        }
        mix(d, l->name, sizeof l->name);
        mix_value(d, l->position);
        mix(d, l->color, sizeof l->color);
        const uint16_t words[] = {l->pos_key_count, l->pos_track_flags, l->node_id, l->parent_id, l->node_flags};
        mix(d, words, sizeof words);
        if (!mix_array(d, l->pos_keys, l->pos_key_count)) {
            set_problem(report, "%s: light %d has a count without its array", method, i);
            return false;
        }
    }
    return true;
}

// Checks the error buffer after a load: untouched after a success, a short
// non-empty text after a failure. Copies the text into `text`.
static bool check_error_text(const char* buffer, bool loaded, char* text, LoadReport* report, const char* method)
{
    text[0] = '\0';
    if (loaded) {
        for (size_t i = 0; i < LOAD_3DS_ERROR_TEXT_SIZE; ++i) {
            if ((unsigned char)buffer[i] != UNWRITTEN) {
                set_problem(report, "%s: a successful load wrote into the error buffer (byte %zu)", method, i);
                return false;
            }
        }
        return true;
    }
    const char* end = (const char*)memchr(buffer, '\0', LOAD_3DS_ERROR_TEXT_SIZE);
    if (!end) {
        set_problem(report, "%s: failed load left no NUL-terminated text in the 64-byte buffer", method);
        return false;
    }
    if (end == buffer) {
        set_problem(report, "%s: failed load left an empty error text", method);
        return false;
    }
    memcpy(text, buffer, (size_t)(end - buffer) + 1);
    return true;
}

struct MethodResult {
    bool loaded;
    Digest digest;
};

// One load with one method; the scene is checked, digested and released.
static bool load_once(const void* source, int method, uint32_t size, char* text, MethodResult* result,
                      LoadReport* report)
{
    const char* method_name = method == LOAD_3DS_MEMORY ? "memory" : "file";
    // Exactly the promised size, so a longer write is an overflow the
    // address sanitizer reports. On the heap: the reader's error exit
    // longjmps, and the sanitizer clears the stack's red zones for that, so
    // a stack buffer's overflow would go unseen.
    char* buffer = (char*)malloc(LOAD_3DS_ERROR_TEXT_SIZE);
    if (!buffer) {
        set_problem(report, "%s: out of memory for the error buffer", method_name);
        return false;
    }
    memset(buffer, UNWRITTEN, LOAD_3DS_ERROR_TEXT_SIZE);
    Scene* scene = load_3ds(buffer, source, method, size);
    result->loaded = scene != nullptr;
    result->digest = Digest{14695981039346656037ull};
    bool ok = check_error_text(buffer, result->loaded, text, report, method_name);
    if (ok && scene) ok = check_scene(scene, &result->digest, report, method_name);
    if (ok && scene && method == LOAD_3DS_MEMORY) {
        // The axis exchange walks every position of the scene and is its own
        // inverse: twice over gives the scene back bit for bit.
        convert_scene_axes(scene);
        convert_scene_axes(scene);
        Digest again{14695981039346656037ull};
        ok = check_scene(scene, &again, report, method_name);
        if (ok && again.hash != result->digest.hash) {
            set_problem(report, "%s: exchanging the axes twice changed the scene", method_name);
            ok = false;
        }
    }
    free_scene(scene);
    free(buffer);
    return ok;
}

// Whether the image loads with material properties walked over unread
// exactly as it loads with them read: the same success or failure and the
// same error text, by both byte sources. Reading the properties is a
// reader that cannot fail the load.
static bool same_outcome_without_material_properties(const uint8_t* image, size_t size, LoadReport* report)
{
    g_ignore_material_properties = true;
    char memory_text[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    Scene* scene = load_3ds(memory_text, image, LOAD_3DS_MEMORY, (uint32_t)size);
    bool memory_loaded = scene != nullptr;
    free_scene(scene);
    char file_text[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    bool file_loaded = false;
    FILE* stream = fmemopen((void*)image, size, "rb");
    if (stream) {
        scene = load_3ds(file_text, stream, LOAD_3DS_FILE, 0);
        file_loaded = scene != nullptr;
        free_scene(scene);
        fclose(stream);
    }
    g_ignore_material_properties = false;
    if (!stream) {
        set_problem(report, "fmemopen failed for %zu bytes", size);
        return false;
    }
    if (memory_loaded != report->loaded || strcmp(memory_text, report->memory_error) != 0) {
        set_problem(report,
                    "memory: reading material properties changed the outcome: %s (%s) without them, %s (%s) with",
                    memory_loaded ? "loaded" : "failed", memory_text, report->loaded ? "loaded" : "failed",
                    report->memory_error);
        return false;
    }
    if (file_loaded != report->loaded || strcmp(file_text, report->file_error) != 0) {
        set_problem(report, "file: reading material properties changed the outcome: %s (%s) without them, %s (%s) with",
                    file_loaded ? "loaded" : "failed", file_text, report->loaded ? "loaded" : "failed",
                    report->file_error);
        return false;
    }
    return true;
}

bool check_load(const uint8_t* data, size_t size, LoadReport* report)
{
    report->loaded = false;
    report->memory_error[0] = '\0';
    report->file_error[0] = '\0';
    report->problem[0] = '\0';
    if (size > UINT32_MAX) {
        set_problem(report, "image of %zu bytes is too large for the reader", size);
        return false;
    }
    // The reader takes a null source as "nothing to load"; an empty image
    // still needs an address.
    static const uint8_t empty_image[1] = {0};
    const uint8_t* image = size > 0 ? data : empty_image;

    MethodResult memory;
    if (!load_once(image, LOAD_3DS_MEMORY, (uint32_t)size, report->memory_error, &memory, report)) return false;

    FILE* stream = fmemopen((void*)image, size, "rb");
    if (!stream) {
        set_problem(report, "fmemopen failed for %zu bytes", size);
        return false;
    }
    MethodResult file;
    bool ok = load_once(stream, LOAD_3DS_FILE, 0, report->file_error, &file, report);
    fclose(stream);
    if (!ok) return false;

    if (memory.loaded != file.loaded) {
        set_problem(report, "memory %s (%s) but file %s (%s)", memory.loaded ? "loaded" : "failed",
                    report->memory_error, file.loaded ? "loaded" : "failed", report->file_error);
        return false;
    }
    if (memory.loaded && memory.digest.hash != file.digest.hash) {
        set_problem(report, "memory and file loads gave different scenes");
        return false;
    }
    report->loaded = memory.loaded;
    return same_outcome_without_material_properties(image, size, report);
}
