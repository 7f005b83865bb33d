// load_gltf.cpp - glTF 2.0 files into a Scene; see load_gltf.h.
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_FS
#include "load_gltf.h"

#include <ctype.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>  // tinygltf's writer needs it even without its file functions
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "scene_build.h"
#include "tiny_gltf.h"

namespace {

// --- File access: only what the model names, through the caller ---

struct Files {
    OpenNamedFile open_named;
    void* context;
};

bool file_exists(const std::string& name, void* files)
{
    Files* f = (Files*)files;
    FILE* file = f->open_named ? f->open_named(name.c_str(), f->context) : nullptr;
    if (file) fclose(file);
    return file != nullptr;
}

// Names are taken as they are: no "~", no variables, no shell.
std::string expand_nothing(const std::string& name, void*) { return name; }

bool read_whole_file(std::vector<unsigned char>* out, std::string* err, const std::string& name, void* files)
{
    Files* f = (Files*)files;
    FILE* file = f->open_named ? f->open_named(name.c_str(), f->context) : nullptr;
    if (!file) {
        if (err) *err += "cannot open " + name + "\n";
        return false;
    }
    out->clear();
    unsigned char block[65536];
    size_t n;
    bool fits = true;
    while (fits && (n = fread(block, 1, sizeof block, file)) > 0) {
        fits = out->size() + n <= GLTF_MAX_FILE_BYTES;
        if (fits) out->insert(out->end(), block, block + n);
    }
    fclose(file);
    if (!fits && err) *err += name + " is larger than 256 MB\n";
    return fits;
}

bool write_nothing(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

// The largest image kept from inside a model file (as drawing reads image
// files up to this size).
const size_t GLTF_MAX_IMAGE_BYTES = (size_t)64 << 20;

// Images are not decoded here. One the file carries itself (a data URI or a
// buffer view) is kept encoded, in the field meant for its pixels, for the
// material to take; drawing decodes it within its limits, as it does an
// image file a material names. The parser hands over a buffer view's bytes
// without checking that the view lies inside its buffer: that is checked
// here (model is the one being filled), and a view outside fails the load.
bool keep_image_encoded(tinygltf::Image* image, const int, std::string* err, std::string*, int, int,
                        const unsigned char* bytes, int size, void* model_being_read)
{
    const tinygltf::Model* model = (const tinygltf::Model*)model_being_read;
    if (image->bufferView >= 0) {
        const tinygltf::BufferView& view = model->bufferViews[(size_t)image->bufferView];
        const size_t buffer_size = model->buffers[(size_t)view.buffer].data.size();
        if (view.byteOffset > buffer_size || view.byteLength > buffer_size - view.byteOffset) {
            if (err) *err += "an image's buffer view lies outside its buffer\n";
            return false;
        }
    }
    if (size > 0 && (size_t)size <= GLTF_MAX_IMAGE_BYTES) image->image.assign(bytes, bytes + size);
    return true;
}

// --- Accessors ---

// One component at p, of a glTF component type, as a number; normalized
// integers become -1..1 or 0..1 as the format says.
double component(const unsigned char* p, int type, bool normalized)
{
    switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        int8_t v = (int8_t)p[0];
        return normalized ? fmax(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        return normalized ? p[0] / 255.0 : p[0];
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        int16_t v;
        memcpy(&v, p, 2);
        return normalized ? fmax(v / 32767.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        uint16_t v;
        memcpy(&v, p, 2);
        return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
        uint32_t v;
        memcpy(&v, p, 4);
        return normalized ? v / 4294967295.0 : v;
    }
    default: {
        float v;
        memcpy(&v, p, 4);
        return v;
    }
    }
}

int component_size(int type)
{
    switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
        return 4;
    }
    return 0;
}

// The bytes of a buffer view that holds at least count elements of
// element_size bytes, stride apart, from offset on; null when it does not.
const unsigned char* view_bytes(const tinygltf::Model& model, int view, size_t offset, size_t count, size_t stride,
                                size_t element_size)
{
    if (view < 0 || (size_t)view >= model.bufferViews.size()) return nullptr;
    const tinygltf::BufferView& bv = model.bufferViews[view];
    if (bv.buffer < 0 || (size_t)bv.buffer >= model.buffers.size()) return nullptr;
    const std::vector<unsigned char>& data = model.buffers[bv.buffer].data;
    if (bv.byteOffset > data.size() || bv.byteLength > data.size() - bv.byteOffset) return nullptr;
    if (count == 0) return data.data();
    if (offset > bv.byteLength || element_size > bv.byteLength - offset) return nullptr;
    if ((count - 1) > (bv.byteLength - offset - element_size) / (stride ? stride : 1)) return nullptr;
    return data.data() + bv.byteOffset + offset;
}

// The most elements an accessor may have: three corners of every triangle
// the reader takes, and a strip's or fan's two more.
const size_t MAX_ELEMENTS = 3 * (size_t)GLTF_MAX_TRIANGLES + 2;

// Reads accessor index's count elements of `components` components each
// into out (count x components values), sparse substitutions applied.
// Returns null, or the reason it cannot.
template <typename T>
const char* read_accessor(const tinygltf::Model& model, int index, int components, std::vector<T>* out)
{
    if (index < 0 || (size_t)index >= model.accessors.size()) return "the glTF file names an accessor it does not have";
    const tinygltf::Accessor& a = model.accessors[index];
    const int size = component_size(a.componentType);
    if (size == 0 || tinygltf::GetNumComponentsInType((uint32_t)a.type) != components)
        return "the glTF file has an accessor of the wrong type";
    if (a.count > MAX_ELEMENTS) return "the glTF file has an accessor of more than 30 million elements";
    out->assign(a.count * (size_t)components, T(0));
    const size_t element = (size_t)size * (size_t)components;
    if (a.bufferView >= 0) {
        const tinygltf::BufferView& bv = model.bufferViews.at((size_t)a.bufferView);
        size_t stride = bv.byteStride ? bv.byteStride : element;
        if (stride < element) return "the glTF file has an accessor whose elements overlap";
        const unsigned char* p = view_bytes(model, a.bufferView, a.byteOffset, a.count, stride, element);
        if (!p) return "the glTF file has an accessor past the end of its buffer";
        for (size_t i = 0; i < a.count; ++i)
            for (int c = 0; c < components; ++c)
                (*out)[i * components + c] =
                    (T)component(p + i * stride + (size_t)c * size, a.componentType, a.normalized);
    }
    if (a.sparse.isSparse) {
        const size_t n = a.sparse.count < 0 ? 0 : (size_t)a.sparse.count;
        const int index_size = component_size(a.sparse.indices.componentType);
        if (n > a.count || index_size == 0 || a.sparse.indices.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ||
            a.sparse.indices.byteOffset < 0 || a.sparse.values.byteOffset < 0)
            return "the glTF file has a sparse accessor out of range";
        const unsigned char* indices =
            view_bytes(model, a.sparse.indices.bufferView, (size_t)a.sparse.indices.byteOffset, n, (size_t)index_size,
                       (size_t)index_size);
        const unsigned char* values =
            view_bytes(model, a.sparse.values.bufferView, (size_t)a.sparse.values.byteOffset, n, element, element);
        if (!indices || !values) return "the glTF file has a sparse accessor past the end of its buffer";
        for (size_t k = 0; k < n; ++k) {
            double at = component(indices + k * index_size, a.sparse.indices.componentType, false);
            if (at >= (double)a.count) return "the glTF file has a sparse accessor out of range";
            for (int c = 0; c < components; ++c)
                (*out)[(size_t)at * components + c] =
                    (T)component(values + k * element + (size_t)c * size, a.componentType, a.normalized);
        }
    }
    return nullptr;
}

// --- Transforms: 4x4 matrices, column by column, as glTF stores them ---

struct Matrix {
    double m[16];
};

Matrix identity()
{
    Matrix r = {};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
    return r;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    return r;
}

// A node's own transform: its matrix, or translation x rotation x scale.
Matrix local_transform(const tinygltf::Node& node)
{
    Matrix r = identity();
    if (node.matrix.size() == 16) {
        for (int i = 0; i < 16; ++i) r.m[i] = node.matrix[i];
        return r;
    }
    double x = 0, y = 0, z = 0, w = 1;
    if (node.rotation.size() == 4) {
        x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
        double length = sqrt(x * x + y * y + z * z + w * w);
        if (length > 0) x /= length, y /= length, z /= length, w /= length;
    }
    const double rotation[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                                2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                                2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    double s[3] = {1, 1, 1};
    if (node.scale.size() == 3) s[0] = node.scale[0], s[1] = node.scale[1], s[2] = node.scale[2];
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) r.m[c * 4 + row] = rotation[c * 3 + row] * s[c];
    if (node.translation.size() == 3)
        for (int i = 0; i < 3; ++i) r.m[12 + i] = node.translation[i];
    return r;
}

double determinant3(const Matrix& a)
{
    const double* m = a.m;
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

// --- The scene ---

struct Build {
    const tinygltf::Model* model;
    Scene* scene;
    int32_t mesh_capacity;
    Mesh* mesh;
    uint32_t triangles;
    std::vector<char> on_path;      // nodes between the root and the one being placed
    std::vector<int> texcoord_set;  // of each material: the map coordinates its texture uses
};

// Ends the mesh being filled, shrunk to what it holds, and starts another
// (none when name is null). Returns null, or the reason it cannot.
const char* next_mesh(Build* build, const char* name)
{
    if (build->mesh) trim_mesh(build->mesh);
    build->mesh = nullptr;
    if (!name) return nullptr;
    build->mesh = append_mesh(build->scene, &build->mesh_capacity, name, MESH_MAX_FACES, MESH_MAX_VERTICES);
    return build->mesh ? nullptr : "not enough memory for the model";
}

// The corners of the primitive's triangles, as indices into its vertices.
const char* triangle_corners(const tinygltf::Primitive& p, const std::vector<uint32_t>& order,
                             std::vector<uint32_t>* corners)
{
    const size_t n = order.size();
    corners->clear();
    if (p.mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
        for (size_t i = 0; i + 2 < n; ++i) {
            // Every other triangle of a strip turns the other way round.
            const uint32_t t[3] = {order[i + (i & 1)], order[i + 1 - (i & 1)], order[i + 2]};
            corners->insert(corners->end(), t, t + 3);
        }
    } else if (p.mode == TINYGLTF_MODE_TRIANGLE_FAN) {
        for (size_t i = 1; i + 1 < n; ++i) {
            const uint32_t t[3] = {order[0], order[i], order[i + 1]};
            corners->insert(corners->end(), t, t + 3);
        }
    } else {
        corners->assign(order.begin(), order.begin() + (long)(n - n % 3));
    }
    return corners->size() / 3 > GLTF_MAX_TRIANGLES ? "the glTF file holds more than 10000000 triangles" : nullptr;
}

const char* place_primitive(Build* build, const tinygltf::Primitive& p, const Matrix& world, const char* name)
{
    const tinygltf::Model& model = *build->model;
    auto position = p.attributes.find("POSITION");
    if (position == p.attributes.end()) return nullptr;  // nothing to place
    std::vector<float> positions, map;
    if (const char* why = read_accessor(model, position->second, 3, &positions)) return why;
    const size_t vertex_count = positions.size() / 3;
    const int material = p.material >= 0 && (size_t)p.material < model.materials.size() ? p.material : -1;
    const int set = material >= 0 ? build->texcoord_set[(size_t)material] : 0;
    auto texcoord = p.attributes.find("TEXCOORD_" + std::to_string(set));
    if (texcoord != p.attributes.end()) {
        if (const char* why = read_accessor(model, texcoord->second, 2, &map)) return why;
        if (map.size() / 2 != vertex_count)
            return "the glTF file has map coordinates of another count than its positions";
    }
    std::vector<uint32_t> order;
    if (p.indices >= 0) {
        if (const char* why = read_accessor(model, p.indices, 1, &order)) return why;
        for (uint32_t i : order)
            if (i >= vertex_count) return "the glTF file has an index out of range";
    } else {
        order.resize(vertex_count);
        for (size_t i = 0; i < vertex_count; ++i) order[i] = (uint32_t)i;
    }
    std::vector<uint32_t> corners;
    if (const char* why = triangle_corners(p, order, &corners)) return why;
    const bool mirrored = determinant3(world) < 0;
    // Normals in the file mean shading shared where faces share a vertex
    // (an exporter splits vertices at hard edges); without them glTF asks
    // for flat faces.
    const uint32_t smoothing = p.attributes.count("NORMAL") ? 1u : 0u;
    std::unordered_map<uint32_t, uint16_t> vertex_of;
    for (size_t t = 0; t + 2 < corners.size(); t += 3) {
        if (build->triangles == GLTF_MAX_TRIANGLES) return "the glTF file holds more than 10000000 triangles";
        Mesh* mesh = build->mesh;
        if (!mesh || mesh->face_count == MESH_MAX_FACES || mesh->vertex_count > MESH_MAX_VERTICES - 3) {
            if (const char* why = next_mesh(build, name)) return why;
            mesh = build->mesh;
            vertex_of.clear();
        }
        Face* face = &mesh->faces[mesh->face_count++];
        face->material = (uint16_t)(material + 1);
        face->smoothing = smoothing;
        for (int k = 0; k < 3; ++k) {
            // A mirroring transform turns the faces round: their corners are
            // taken the other way, so their fronts stay outside.
            uint32_t source = corners[t + (mirrored && k > 0 ? 3 - k : k)];
            auto found = vertex_of.find(source);
            if (found == vertex_of.end()) {
                Vertex* v = &mesh->vertices[mesh->vertex_count];
                const float* q = &positions[3 * (size_t)source];
                double xyz[3];
                for (int r = 0; r < 3; ++r)
                    xyz[r] = world.m[r] * q[0] + world.m[4 + r] * q[1] + world.m[8 + r] * q[2] + world.m[12 + r];
                v->position = Vec3{(float)xyz[0], (float)xyz[1], (float)xyz[2]};
                if (!isfinite(v->position.x) || !isfinite(v->position.y) || !isfinite(v->position.z))
                    return "the glTF file holds a position that is not a finite number";
                if (!map.empty()) {
                    // glTF's map coordinates run down the image, drawing's up.
                    float u = map[2 * (size_t)source], w = map[2 * (size_t)source + 1];
                    v->u = isfinite(u) ? u : 0.0f;
                    v->v = isfinite(w) ? 1.0f - w : 0.0f;
                }
                found = vertex_of.emplace(source, mesh->vertex_count++).first;
            }
            face->vertex[k] = found->second;
        }
        ++build->triangles;
    }
    return nullptr;
}

// How deep a node tree may go: each level is a call of place_node.
const int MAX_NODE_DEPTH = 1000;

const char* place_node(Build* build, int index, const Matrix& parent, int depth)
{
    const tinygltf::Model& model = *build->model;
    if (index < 0 || (size_t)index >= model.nodes.size()) return "the glTF file names a node it does not have";
    if (depth > MAX_NODE_DEPTH) return "the glTF file's node tree is more than 1000 levels deep";
    if (build->on_path[(size_t)index]) return "the glTF file's node tree has a cycle";
    build->on_path[(size_t)index] = 1;
    const tinygltf::Node& node = model.nodes[(size_t)index];
    const Matrix world = multiply(parent, local_transform(node));
    if (node.mesh >= 0) {
        if ((size_t)node.mesh >= model.meshes.size()) return "the glTF file names a mesh it does not have";
        const tinygltf::Mesh& mesh = model.meshes[(size_t)node.mesh];
        const char* name = !mesh.name.empty() ? mesh.name.c_str() : !node.name.empty() ? node.name.c_str() : "gltf";
        for (const tinygltf::Primitive& p : mesh.primitives) {
            if (p.mode >= 0 && p.mode != TINYGLTF_MODE_TRIANGLES && p.mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
                p.mode != TINYGLTF_MODE_TRIANGLE_FAN)
                continue;  // points and lines are not drawn
            if (const char* why = place_primitive(build, p, world, name)) return why;
        }
    }
    for (int child : node.children)
        if (const char* why = place_node(build, child, world, depth + 1)) return why;
    build->on_path[(size_t)index] = 0;
    return nullptr;
}

float share(double value) { return value >= 0.0 ? (value <= 1.0 ? (float)value : 1.0f) : 0.0f; }

// A number of a JSON array at i, or fallback where it is none.
double number_at(const tinygltf::Value& array, int i, double fallback)
{
    if (!array.IsArray() || (size_t)i >= array.ArrayLen()) return fallback;
    const tinygltf::Value& v = array.Get(i);
    return v.IsNumber() ? v.GetNumberAsDouble() : fallback;
}

// The image file a texture reads, percent escapes decoded; "" when it is
// in the file itself (a data URI or a buffer view) or has no image.
std::string texture_file(const tinygltf::Model& model, int texture)
{
    if (texture < 0 || (size_t)texture >= model.textures.size()) return "";
    int source = model.textures[(size_t)texture].source;
    if (source < 0 || (size_t)source >= model.images.size()) return "";
    const std::string& uri = model.images[(size_t)source].uri;
    if (uri.empty() || uri.compare(0, 5, "data:") == 0) return "";
    std::string name;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && isxdigit((unsigned char)uri[i + 1]) &&
            isxdigit((unsigned char)uri[i + 2])) {
            name += (char)strtol(uri.substr(i + 1, 2).c_str(), nullptr, 16);
            i += 2;
        } else {
            name += uri[i];
        }
    }
    return name;
}

// The encoded image a texture reads from inside the file itself, or null.
const std::vector<unsigned char>* carried_image(const tinygltf::Model& model, int texture)
{
    if (texture < 0 || (size_t)texture >= model.textures.size()) return nullptr;
    int source = model.textures[(size_t)texture].source;
    if (source < 0 || (size_t)source >= model.images.size()) return nullptr;
    // Image files are never read by the parser: only a carried image has
    // bytes here.
    const tinygltf::Image& image = model.images[(size_t)source];
    return !image.image.empty() ? &image.image : nullptr;
}

void take_material(Build* build, size_t index, Material* to)
{
    const tinygltf::Material& from = build->model->materials[index];
    set_material_defaults(to);
    snprintf(to->name, sizeof to->name, "%s", from.name.c_str());
    double colour[4] = {1, 1, 1, 1};
    for (int i = 0; i < 4 && (size_t)i < from.pbrMetallicRoughness.baseColorFactor.size(); ++i)
        colour[i] = from.pbrMetallicRoughness.baseColorFactor[(size_t)i];
    int texture = from.pbrMetallicRoughness.baseColorTexture.index;
    int set = from.pbrMetallicRoughness.baseColorTexture.texCoord;
    const tinygltf::ExtensionMap* texture_extensions = &from.pbrMetallicRoughness.baseColorTexture.extensions;
    tinygltf::Value specular_glossiness;
    tinygltf::ExtensionMap diffuse_extensions;
    auto sg = from.extensions.find("KHR_materials_pbrSpecularGlossiness");
    if (sg != from.extensions.end() && sg->second.IsObject()) {
        specular_glossiness = sg->second;
        for (int i = 0; i < 4; ++i) colour[i] = number_at(specular_glossiness.Get("diffuseFactor"), i, 1.0);
        const tinygltf::Value& diffuse = specular_glossiness.Get("diffuseTexture");
        texture = diffuse.IsObject() && diffuse.Get("index").IsInt() ? diffuse.Get("index").GetNumberAsInt() : -1;
        set = diffuse.IsObject() && diffuse.Get("texCoord").IsInt() ? diffuse.Get("texCoord").GetNumberAsInt() : 0;
        texture_extensions = nullptr;
        if (diffuse.IsObject() && diffuse.Get("extensions").IsObject()) {
            const tinygltf::Value& transform = diffuse.Get("extensions").Get("KHR_texture_transform");
            if (transform.IsObject()) {
                diffuse_extensions["KHR_texture_transform"] = transform;
                texture_extensions = &diffuse_extensions;
            }
        }
    }
    for (int i = 0; i < 3; ++i) to->diffuse[i] = to->ambient[i] = share(colour[i]);
    if (from.alphaMode == "BLEND") to->transparency = 1.0f - share(colour[3]);
    to->two_sided = from.doubleSided ? 1 : 0;
    build->texcoord_set[index] = set >= 0 ? set : 0;
    std::string file = texture_file(*build->model, texture);
    const std::vector<unsigned char>* carried = carried_image(*build->model, texture);
    if (carried) {
        to->texture_image = (uint8_t*)malloc(carried->size());
        if (!to->texture_image) return;
        memcpy(to->texture_image, carried->data(), carried->size());
        to->texture_image_size = (uint32_t)carried->size();
    } else if (file.empty() || file.size() >= sizeof to->texture_file) {
        return;
    } else {
        memcpy(to->texture_file, file.c_str(), file.size() + 1);
    }
    double offset[2] = {0, 0}, scale[2] = {1, 1};
    if (texture_extensions) {
        auto transform = texture_extensions->find("KHR_texture_transform");
        if (transform != texture_extensions->end() && transform->second.IsObject()) {
            for (int i = 0; i < 2; ++i) {
                offset[i] = number_at(transform->second.Get("offset"), i, 0.0);
                scale[i] = number_at(transform->second.Get("scale"), i, 1.0);
            }
        }
    }
    // Drawing takes u * scale + offset; glTF's v runs down the image, so
    // the v map (drawn as 1 - v) is moved to match.
    to->texture_scale[0] = (float)scale[0];
    to->texture_offset[0] = (float)offset[0];
    to->texture_scale[1] = (float)scale[1];
    to->texture_offset[1] = (float)(1.0 - offset[1] - scale[1]);
    for (int i = 0; i < 2; ++i) {
        if (!isfinite(to->texture_scale[i])) to->texture_scale[i] = 1.0f;
        if (!isfinite(to->texture_offset[i])) to->texture_offset[i] = 0.0f;
    }
}

bool compressed(const std::vector<std::string>& extensions)
{
    for (const std::string& e : extensions)
        if (e == "KHR_draco_mesh_compression" || e == "EXT_meshopt_compression" || e == "KHR_meshopt_compression")
            return true;
    return false;
}

const char* build_scene(Build* build)
{
    const tinygltf::Model& model = *build->model;
    if (compressed(model.extensionsRequired) || compressed(model.extensionsUsed))
        return "the glTF file's meshes are compressed (Draco or meshopt), which this reader does not read";
    if (model.materials.size() > 65534) return "the glTF file has more than 65534 materials";
    Scene* scene = build->scene;
    scene->materials = (Material*)calloc(model.materials.size() + 1, sizeof(Material));
    if (!scene->materials) return "not enough memory for the model";
    scene->material_count = (int32_t)model.materials.size() + 1;
    set_material_defaults(&scene->materials[0]);
    build->texcoord_set.assign(model.materials.size(), 0);
    for (size_t m = 0; m < model.materials.size(); ++m) take_material(build, m, &scene->materials[m + 1]);

    build->on_path.assign(model.nodes.size(), 0);
    if (model.scenes.empty()) return "the glTF file has no scene to draw";
    int chosen = model.defaultScene >= 0 && (size_t)model.defaultScene < model.scenes.size() ? model.defaultScene : 0;
    for (int node : model.scenes[(size_t)chosen].nodes)
        if (const char* why = place_node(build, node, identity(), 0)) return why;
    next_mesh(build, nullptr);
    return build->triangles == 0 ? "the glTF file has no triangles to draw" : nullptr;
}

// The first line of a parser's message, as a reason.
std::string first_line(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "the glTF file could not be read" : "the glTF file could not be read: " + line;
}

}  // namespace

bool is_gltf(const uint8_t* head, size_t head_size)
{
    if (head_size >= 4 && memcmp(head, "glTF", 4) == 0) return true;
    size_t i = 0;
    // A UTF-8 byte order mark may come first.
    if (head_size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) i = 3;
    while (i < head_size && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    return i < head_size && head[i] == '{';
}

Scene* load_gltf(const uint8_t* bytes, size_t size, OpenNamedFile open_named, void* context, char* why, size_t why_size)
{
    if (size > GLTF_MAX_FILE_BYTES) {
        snprintf(why, why_size, "the glTF file is larger than 256 MB");
        return nullptr;
    }
    Build build = {};
    std::string refusal;
    try {
        Files files = {open_named, context};
        tinygltf::TinyGLTF loader;
        loader.SetFsCallbacks(
            tinygltf::FsCallbacks{file_exists, expand_nothing, read_whole_file, write_nothing, &files});
        tinygltf::Model model;
        loader.SetImageLoader(keep_image_encoded, &model);
        std::string errors, warnings;
        bool binary = size >= 4 && memcmp(bytes, "glTF", 4) == 0;
        bool parsed =
            binary ? loader.LoadBinaryFromMemory(&model, &errors, &warnings, bytes, (unsigned)size, "")
                   : loader.LoadASCIIFromString(&model, &errors, &warnings, (const char*)bytes, (unsigned)size, "");
        if (!parsed) {
            refusal = first_line(errors);
        } else {
            build.model = &model;
            build.scene = (Scene*)calloc(1, sizeof(Scene));
            const char* text = build.scene ? build_scene(&build) : "not enough memory for the model";
            if (text) refusal = text;
        }
    } catch (const std::bad_alloc&) {
        refusal = "not enough memory for the model";
    } catch (...) {
        refusal = "the glTF file could not be read";
    }
    if (!refusal.empty()) {
        free_scene(build.scene);
        snprintf(why, why_size, "%s", refusal.c_str());
        return nullptr;
    }
    return build.scene;
}
