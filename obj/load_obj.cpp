// load_obj.cpp - OBJ files and their MTL libraries into a Scene; see
// load_obj.h.
#define TINYOBJLOADER_IMPLEMENTATION
#include "load_obj.h"

#include <stdlib.h>
#include <string.h>

#include <new>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "scene_build.h"
#include "tiny_obj_loader.h"

namespace {

bool is_blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The statements the reader takes from a file: the rest (normals, skin
// weights, lines, points, free-form geometry...) are turned into comments
// before the file is parsed, so the parser never works on them.
const char* const READ_STATEMENTS[] = {"v", "vt", "f", "o", "g", "s", "usemtl", "mtllib"};

const char* const STATEMENTS[] = {"v",  "vt",  "vn",     "vp",       "f",        "l",         "p",         "o",
                                  "g",  "s",   "mtllib", "usemtl",   "curv",     "surf",      "cstype",    "deg",
                                  "mg", "lod", "bevel",  "c_interp", "d_interp", "trace_obj", "shadow_obj"};

template <size_t N>
bool is_one_of(const char* const (&statements)[N], const char* word, size_t length)
{
    for (const char* statement : statements)
        if (strlen(statement) == length && memcmp(statement, word, length) == 0) return true;
    return false;
}

bool is_statement(const char* word, size_t length) { return is_one_of(STATEMENTS, word, length); }

// Makes a comment of every line of text whose statement is not read.
void keep_read_statements(std::string* text)
{
    char* t = &(*text)[0];
    const size_t size = text->size();
    for (size_t at = 0; at < size;) {
        size_t i = at;
        while (i < size && (t[i] == ' ' || t[i] == '\t')) ++i;
        size_t word = i;
        while (i < size && !is_blank((uint8_t)t[i])) ++i;
        if (i > word && !is_one_of(READ_STATEMENTS, t + word, i - word)) t[word] = '#';
        while (i < size && t[i] != '\n') ++i;
        at = i + 1;
    }
}

// The names of an mtllib statement: separated by spaces, a backslash
// keeping the next character (as tinyobjloader splits them).
std::vector<std::string> split_names(const std::string& text)
{
    std::vector<std::string> names;
    std::string name;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            name += text[++i];
        } else if (text[i] == ' ' || text[i] == '\t') {
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else {
            name += text[i];
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

// Reads a file the model names, up to OBJ_MAX_MTL_BYTES; false when it
// cannot be opened or is longer.
bool read_named(const std::string& name, OpenNamedFile open_named, void* context, std::string* text)
{
    FILE* file = open_named(name.c_str(), context);
    if (!file) return false;
    text->clear();
    char block[65536];
    size_t n;
    bool fits = true;
    while (fits && (n = fread(block, 1, sizeof block, file)) > 0) {
        fits = text->size() + n <= OBJ_MAX_MTL_BYTES;
        if (fits) text->append(block, n);
    }
    fclose(file);
    return fits;
}

// The text of the MTL libraries the model names: of each mtllib statement
// the first name that opens, as tinyobjloader takes them. The libraries are
// read here, through open_named, and handed to the parser as one stream, so
// the parser itself never opens a file.
std::string material_libraries(const char* text, size_t size, OpenNamedFile open_named, void* context)
{
    std::string libraries, library;
    std::vector<std::string> read_names;
    for (size_t at = 0; at < size;) {
        size_t end = at;
        while (end < size && text[end] != '\n') ++end;
        size_t i = at;
        while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (end - i > 7 && memcmp(text + i, "mtllib", 6) == 0 && (text[i + 6] == ' ' || text[i + 6] == '\t')) {
            size_t stop = end;
            while (stop > i + 7 && is_blank((uint8_t)text[stop - 1])) --stop;
            for (const std::string& name : split_names(std::string(text + i + 7, stop - i - 7))) {
                bool seen = false;
                for (const std::string& read : read_names) seen = seen || read == name;
                if (seen) break;
                if (read_named(name, open_named, context, &library)) {
                    read_names.push_back(name);
                    libraries += library;
                    libraries += '\n';
                    break;
                }
            }
        }
        at = end + 1;
    }
    return libraries;
}

struct Build {
    Scene* scene;
    int32_t mesh_capacity;
    Mesh* mesh;                                        // the mesh being filled
    std::unordered_map<uint64_t, uint16_t> vertex_of;  // (position, map coordinate) -> the mesh's vertex
    uint32_t triangles;
};

// Ends the mesh being filled, shrunk to what it holds, and starts another.
Mesh* next_mesh(Build* build, const char* name)
{
    if (build->mesh) trim_mesh(build->mesh);
    build->mesh = append_mesh(build->scene, &build->mesh_capacity, name, MESH_MAX_FACES, MESH_MAX_VERTICES);
    build->vertex_of.clear();
    return build->mesh;
}

float clamp_share(double value)
{
    if (!(value == value)) return 0.0f;
    return value < 0.0 ? 0.0f : value > 1.0 ? 1.0f : (float)value;
}

void take_material(const tinyobj::material_t& from, Material* to)
{
    set_material_defaults(to);
    snprintf(to->name, sizeof to->name, "%s", from.name.c_str());
    for (int i = 0; i < 3; ++i) {
        to->diffuse[i] = to->ambient[i] = clamp_share(from.diffuse[i]);
        to->specular[i] = clamp_share(from.specular[i]);
    }
    to->shininess_strength = 1.0f;
    to->shininess = clamp_share(from.shininess / 128.0);
    to->transparency = 1.0f - clamp_share(from.dissolve);
    // A name longer than the record keeps would name another file: none then.
    if (from.diffuse_texname.size() < sizeof to->texture_file) {
        memcpy(to->texture_file, from.diffuse_texname.c_str(), from.diffuse_texname.size() + 1);
        const tinyobj::texture_option_t& option = from.diffuse_texopt;
        for (int i = 0; i < 2; ++i) {
            if (option.scale[i] - option.scale[i] == 0.0) to->texture_scale[i] = (float)option.scale[i];
            if (option.origin_offset[i] - option.origin_offset[i] == 0.0)
                to->texture_offset[i] = (float)option.origin_offset[i];
        }
    }
}

const char* build_scene(Build* build, const tinyobj::attrib_t& attrib, const std::vector<tinyobj::shape_t>& shapes,
                        const std::vector<tinyobj::material_t>& materials)
{
    Scene* scene = build->scene;
    if (materials.size() > 65534) return "the OBJ file has more than 65534 materials";
    scene->materials = (Material*)calloc(materials.size() + 1, sizeof(Material));
    if (!scene->materials) return "not enough memory for the model";
    scene->material_count = (int32_t)materials.size() + 1;
    set_material_defaults(&scene->materials[0]);
    for (size_t m = 0; m < materials.size(); ++m) take_material(materials[m], &scene->materials[m + 1]);

    const size_t positions = attrib.vertices.size() / 3, map_coords = attrib.texcoords.size() / 2;
    for (const tinyobj::shape_t& shape : shapes) {
        const tinyobj::mesh_t& mesh = shape.mesh;
        size_t at = 0;
        for (size_t f = 0; f < mesh.num_face_vertices.size(); ++f) {
            const size_t corners = mesh.num_face_vertices[f];
            if (at + corners > mesh.indices.size()) return "the OBJ file's faces are damaged";
            const tinyobj::index_t* index = &mesh.indices[at];
            at += corners;
            for (size_t k = 0; k < corners; ++k) {
                if (index[k].vertex_index < 0 || (size_t)index[k].vertex_index >= positions)
                    return "the OBJ file has a face whose vertex index is out of range";
                if (index[k].texcoord_index >= 0 && (size_t)index[k].texcoord_index >= map_coords)
                    return "the OBJ file has a face whose map coordinate index is out of range";
            }
            int material = f < mesh.material_ids.size() ? mesh.material_ids[f] : -1;
            uint16_t face_material =
                material >= 0 && (size_t)material < materials.size() ? (uint16_t)(material + 1) : 0;
            unsigned group = f < mesh.smoothing_group_ids.size() ? mesh.smoothing_group_ids[f] : 0;
            uint32_t smoothing = group == 0 ? 0 : 1u << ((group - 1) % 32);
            // A polygon that tinyobjloader left whole becomes a fan.
            for (size_t k = 2; k < corners; ++k) {
                if (build->triangles == OBJ_MAX_TRIANGLES) return "the OBJ file holds more than 10000000 triangles";
                const tinyobj::index_t* triangle[3] = {&index[0], &index[k - 1], &index[k]};
                Mesh* out = build->mesh;
                if (!out || out->face_count == MESH_MAX_FACES || out->vertex_count > MESH_MAX_VERTICES - 3) {
                    out = next_mesh(build, shape.name.c_str());
                    if (!out) return "not enough memory for the model";
                }
                Face* face = &out->faces[out->face_count++];
                face->material = face_material;
                face->smoothing = smoothing;
                for (int c = 0; c < 3; ++c) {
                    uint64_t key = (uint64_t)(uint32_t)triangle[c]->vertex_index << 32 |
                                   (uint32_t)(triangle[c]->texcoord_index + 1);
                    auto found = build->vertex_of.find(key);
                    if (found == build->vertex_of.end()) {
                        Vertex* v = &out->vertices[out->vertex_count];
                        const float* p = &attrib.vertices[3 * (size_t)triangle[c]->vertex_index];
                        if (!(p[0] - p[0] == 0.0f && p[1] - p[1] == 0.0f && p[2] - p[2] == 0.0f))
                            return "the OBJ file holds a coordinate that is not a finite number";
                        v->position = Vec3{p[0], p[1], p[2]};
                        if (triangle[c]->texcoord_index >= 0) {
                            const float* uv = &attrib.texcoords[2 * (size_t)triangle[c]->texcoord_index];
                            v->u = uv[0] - uv[0] == 0.0f ? uv[0] : 0.0f;
                            v->v = uv[1] - uv[1] == 0.0f ? uv[1] : 0.0f;
                        }
                        found = build->vertex_of.emplace(key, out->vertex_count++).first;
                    }
                    face->vertex[c] = found->second;
                }
                ++build->triangles;
            }
        }
    }
    if (build->mesh) trim_mesh(build->mesh);
    return build->triangles == 0 ? "the OBJ file holds no faces" : nullptr;
}

}  // namespace

bool is_obj(const uint8_t* head, size_t head_size, bool* all_comments)
{
    *all_comments = false;
    for (size_t i = 0; i < head_size; ++i)
        if (head[i] < 0x20 && !is_blank(head[i])) return false;
    for (size_t at = 0; at < head_size;) {
        size_t end = at;
        while (end < head_size && head[end] != '\n') ++end;
        size_t i = at;
        while (i < end && is_blank(head[i])) ++i;
        if (i < end && head[i] != '#') {
            size_t word = i;
            while (i < end && !is_blank(head[i])) ++i;
            // A statement cut off by the end of head may still be whole.
            return (i < end || end == head_size) && is_statement((const char*)head + word, i - word);
        }
        at = end + 1;
    }
    *all_comments = true;
    return false;
}

Scene* load_obj(const uint8_t* bytes, size_t size, OpenNamedFile open_named, void* context, char* why, size_t why_size)
{
    if (size > OBJ_MAX_FILE_BYTES) {
        snprintf(why, why_size, "the OBJ file is larger than 256 MB");
        return nullptr;
    }
    Build build = {};
    const char* refusal = nullptr;
    try {
        const char* text = (const char*)bytes;
        std::string libraries = material_libraries(text, size, open_named, context);
        std::istringstream library_stream(libraries);
        tinyobj::MaterialStreamReader library_reader(library_stream);
        std::string statements(text, size);
        keep_read_statements(&statements);
        std::istringstream stream(statements);
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warnings, errors;
        // Without a library the reader is not given at all: the parser would
        // make a nameless material of an empty one.
        tinyobj::MaterialReader* reader = libraries.empty() ? nullptr : &library_reader;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &errors, &stream, reader, true, false)) {
            refusal = "the OBJ file could not be read";
        } else {
            build.scene = (Scene*)calloc(1, sizeof(Scene));
            refusal = build.scene ? build_scene(&build, attrib, shapes, materials) : "not enough memory for the model";
        }
    } catch (const std::bad_alloc&) {
        refusal = "not enough memory for the model";
    } catch (...) {
        refusal = "the OBJ file could not be read";
    }
    if (refusal) {
        free_scene(build.scene);
        snprintf(why, why_size, "%s", refusal);
        return nullptr;
    }
    return build.scene;
}
