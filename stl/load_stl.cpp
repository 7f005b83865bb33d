// load_stl.cpp - binary and ASCII STL files into a Scene; see load_stl.h.
#include "load_stl.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "scene_build.h"

namespace {

uint32_t le_u32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

float le_float(const uint8_t* p)
{
    uint32_t bits = le_u32(p);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

bool begins_with_solid(const uint8_t* bytes, size_t size)
{
    size_t i = 0;
    while (i < size && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    return size - i >= 5 && memcmp(bytes + i, "solid", 5) == 0;
}

bool binary_size_matches(const uint8_t* head, size_t head_size, uint64_t size)
{
    return head_size >= 84 && size >= 84 && (size - 84) % 50 == 0 && (size - 84) / 50 == le_u32(head + 80);
}

// The scene under construction: faces go into the last mesh until it is
// full. colour_material maps a 15-bit colour to its material (0: none yet).
struct Build {
    Scene* scene;
    int32_t mesh_capacity;
    int32_t material_capacity;
    uint16_t* colour_material;
    uint32_t triangles;
    char* why;
    size_t why_size;
};

bool refuse(Build* build, const char* text)
{
    snprintf(build->why, build->why_size, "%s", text);
    return false;
}

bool out_of_memory(Build* build) { return refuse(build, "not enough memory for the model"); }

Mesh* new_mesh(Build* build)
{
    Scene* scene = build->scene;
    if (scene->mesh_count > 0) trim_mesh(&scene->meshes[scene->mesh_count - 1]);
    char name[16];
    snprintf(name, sizeof name, "stl %d", scene->mesh_count + 1);
    return append_mesh(scene, &build->mesh_capacity, name, STL_MESH_MAX_FACES, 3 * STL_MESH_MAX_FACES);
}

Material* add_material(Build* build)
{
    Scene* scene = build->scene;
    if (scene->material_count == build->material_capacity) {
        int32_t capacity = build->material_capacity ? 2 * build->material_capacity : 4;
        Material* materials = (Material*)realloc(scene->materials, (size_t)capacity * sizeof(Material));
        if (!materials) return nullptr;
        scene->materials = materials;
        build->material_capacity = capacity;
    }
    Material* material = &scene->materials[scene->material_count++];
    memset(material, 0, sizeof *material);
    set_material_defaults(material);
    return material;
}

void set_rgb(Material* material, float red, float green, float blue)
{
    const float rgb[3] = {red, green, blue};
    memcpy(material->diffuse, rgb, sizeof rgb);
    memcpy(material->ambient, rgb, sizeof rgb);
}

bool add_triangle(Build* build, const float* corners, uint16_t material)
{
    for (int i = 0; i < 9; ++i)
        if (!isfinite(corners[i])) return refuse(build, "the STL file holds a coordinate that is not a finite number");
    if (build->triangles == STL_MAX_TRIANGLES) return refuse(build, "the STL file holds more than 10000000 triangles");
    Scene* scene = build->scene;
    Mesh* mesh = scene->mesh_count > 0 ? &scene->meshes[scene->mesh_count - 1] : nullptr;
    if (!mesh || mesh->face_count == STL_MESH_MAX_FACES) mesh = new_mesh(build);
    if (!mesh) return out_of_memory(build);
    Face* face = &mesh->faces[mesh->face_count++];
    for (int k = 0; k < 3; ++k) {
        Vertex* vertex = &mesh->vertices[mesh->vertex_count];
        vertex->position = Vec3{corners[3 * k], corners[3 * k + 1], corners[3 * k + 2]};
        face->vertex[k] = mesh->vertex_count++;
    }
    face->material = material;
    ++build->triangles;
    return true;
}

// The material of a face's 15-bit colour, made at its first use.
bool colour_material(Build* build, uint16_t colour, bool red_low, uint16_t* material)
{
    if (!build->colour_material) {
        build->colour_material = (uint16_t*)calloc(1 << 15, sizeof(uint16_t));
        if (!build->colour_material) return out_of_memory(build);
    }
    uint16_t* slot = &build->colour_material[colour & 0x7FFF];
    if (*slot == 0) {
        Material* m = add_material(build);
        if (!m) return out_of_memory(build);
        float low = (colour & 31) / 31.0f, middle = ((colour >> 5) & 31) / 31.0f, high = ((colour >> 10) & 31) / 31.0f;
        if (red_low)
            set_rgb(m, low, middle, high);
        else
            set_rgb(m, high, middle, low);
        snprintf(m->name, sizeof m->name, "colour %u", (unsigned)(colour & 0x7FFF));
        *slot = (uint16_t)(build->scene->material_count - 1);
    }
    *material = *slot;
    return true;
}

bool read_binary(Build* build, const uint8_t* bytes, size_t size)
{
    if (size < 84) return refuse(build, "the STL file is too short for its header");
    uint32_t count = le_u32(bytes + 80);
    if (count > STL_MAX_TRIANGLES) return refuse(build, "the STL file holds more than 10000000 triangles");
    if ((size - 84) / 50 != count || (size - 84) % 50 != 0)
        return refuse(build, "the binary STL file's size does not match its count of triangles");
    // A header holding "COLOR=" marks the other convention, and gives the
    // colour of the faces without one of their own (red, green, blue bytes).
    const uint8_t* marker = nullptr;
    for (size_t i = 0; i + 6 <= 80 && !marker; ++i)
        if (memcmp(bytes + i, "COLOR=", 6) == 0) marker = bytes + i;
    bool red_low = marker != nullptr;
    if (marker && marker + 9 <= bytes + 80)
        set_rgb(&build->scene->materials[0], marker[6] / 255.0f, marker[7] / 255.0f, marker[8] / 255.0f);
    for (uint32_t t = 0; t < count; ++t) {
        const uint8_t* record = bytes + 84 + (size_t)t * 50;
        float corners[9];
        for (int i = 0; i < 9; ++i) corners[i] = le_float(record + 12 + 4 * i);
        uint16_t attribute = (uint16_t)(record[48] | (record[49] << 8));
        bool coloured = red_low ? (attribute & 0x8000) == 0 : (attribute & 0x8000) != 0;
        uint16_t material = 0;
        if (coloured && !colour_material(build, attribute, red_low, &material)) return false;
        if (!add_triangle(build, corners, material)) return false;
    }
    return true;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The next word of text from *at: its start and length; 0 at the end.
size_t next_word(const char* text, size_t size, size_t* at, const char** word)
{
    size_t i = *at;
    while (i < size && is_blank(text[i])) ++i;
    size_t start = i;
    while (i < size && !is_blank(text[i])) ++i;
    *at = i;
    *word = text + start;
    return i - start;
}

bool word_is(const char* word, size_t length, const char* text)
{
    return length == strlen(text) && memcmp(word, text, length) == 0;
}

bool read_ascii(Build* build, const char* text, size_t size)
{
    // The corners of the current facet's loop; a loop of more than three
    // becomes a fan of triangles from its first corner.
    float loop[9];
    int corners = 0;
    size_t at = 0;
    const char* word;
    size_t length;
    char number[64];
    while ((length = next_word(text, size, &at, &word)) > 0) {
        if (word_is(word, length, "vertex")) {
            float xyz[3];
            for (float& value : xyz) {
                size_t n = next_word(text, size, &at, &word);
                char* end = nullptr;
                if (n > 0 && n < sizeof number) {
                    memcpy(number, word, n);
                    number[n] = '\0';
                    value = strtof(number, &end);
                }
                if (n == 0 || n >= sizeof number || *end != '\0') {
                    int line = 1;
                    for (const char* p = text; p < word; ++p) line += *p == '\n';
                    char why[96];
                    snprintf(why, sizeof why, "the ASCII STL file has a vertex without three numbers (line %d)", line);
                    return refuse(build, why);
                }
            }
            if (corners < 3) {
                memcpy(loop + 3 * corners, xyz, sizeof xyz);
                ++corners;
            } else {
                memcpy(loop + 3, loop + 6, 3 * sizeof(float));
                memcpy(loop + 6, xyz, sizeof xyz);
            }
            if (corners == 3 && !add_triangle(build, loop, 0)) return false;
        } else if (word_is(word, length, "endloop") || word_is(word, length, "endfacet") ||
                   word_is(word, length, "facet")) {
            corners = 0;
        }
    }
    return true;
}

}  // namespace

bool is_stl(const uint8_t* head, size_t head_size, uint64_t size)
{
    return binary_size_matches(head, head_size, size) || begins_with_solid(head, head_size);
}

Scene* load_stl(const uint8_t* bytes, size_t size, char* why, size_t why_size)
{
    Build build = {};
    build.why = why;
    build.why_size = why_size;
    if (size > STL_MAX_FILE_BYTES) {
        refuse(&build, "the STL file is larger than 256 MB");
        return nullptr;
    }
    build.scene = (Scene*)calloc(1, sizeof(Scene));
    bool read = build.scene && add_material(&build);
    if (!read) {
        out_of_memory(&build);
    } else if (binary_size_matches(bytes, size, size) || !begins_with_solid(bytes, size)) {
        read = read_binary(&build, bytes, size);
    } else {
        read = read_ascii(&build, (const char*)bytes, size);
    }
    free(build.colour_material);
    if (read && build.triangles == 0) read = refuse(&build, "the STL file holds no triangles");
    if (!read) {
        free_scene(build.scene);
        return nullptr;
    }
    trim_mesh(&build.scene->meshes[build.scene->mesh_count - 1]);
    return build.scene;
}
