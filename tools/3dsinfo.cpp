// 3dsinfo - prints what the saver's readers make of a model file (3DS, or
// STL, OBJ or glTF, told apart as the saver tells them): per mesh its counts,
// extents, materials, keyframe node and track sizes; the materials (with
// their colours, shares, two-sided flag and texture map), cameras, lights and
// keyframe segment; and a one-line total. With --json the same
// goes out as one JSON document for scripts.
//
// Everything is shown as loaded, in the file's own axes (Z up in 3DS and
// STL, Y up in OBJ and glTF): the tool does not run the Y/Z exchange that
// the saver applies to 3DS and STL before drawing, nor the fit.
#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "load_3ds.h"
#include "model_choice.h"

static const char* const USAGE = "usage: 3dsinfo FILE [--json]\n";

static void print_help()
{
    printf("%s", USAGE);
    printf(
        "\n"
        "Loads FILE with the saver's reader of its format (3DS, STL, OBJ or glTF)\n"
        "and prints what the scene holds:\n"
        "per mesh its name, vertex and face counts, extents, the materials of its\n"
        "faces, its keyframe node and track key counts; then the materials (their\n"
        "ambient, diffuse and specular colours, shininess, its strength,\n"
        "transparency, two-sided flag and texture file with its scale and offset),\n"
        "cameras, lights, the keyframe segment and a one-line total.\n"
        "\n"
        "Values are shown as loaded, in the file's axes (Z up in 3DS and STL, Y up\n"
        "in OBJ and glTF); the Y/Z exchange and the fit done before drawing are not\n"
        "applied. A file of another format than 3DS gets a line naming it first.\n"
        "\n"
        "  --json   print the same as one JSON document\n"
        "  --help   print this text\n"
        "\n"
        "Exit status: 0 on success, 1 when FILE cannot be opened or loaded,\n"
        "2 on a usage error.\n");
}

// A name field as a C string of at most max bytes (fields are normally
// terminated, but the length is never taken on trust).
static size_t name_length(const char* name, size_t max) { return strnlen(name, max); }

// Text output: the name in double quotes; quote, backslash, control bytes and
// bytes >= 0x80 as \xNN so the line stays plain ASCII.
static void print_text_name(const char* name, size_t max)
{
    size_t n = name_length(name, max);
    putchar('"');
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)name[i];
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\')
            printf("\\x%02X", c);
        else
            putchar(c);
    }
    putchar('"');
}

// JSON string: bytes >= 0x80 are read as Latin-1 and written as \u00XX;
// control bytes (and DEL) are escaped too, so the document is plain ASCII.
static void print_json_string(const char* text, size_t max)
{
    size_t n = name_length(text, max);
    putchar('"');
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)text[i];
        switch (c) {
        case '"':
            fputs("\\\"", stdout);
            break;
        case '\\':
            fputs("\\\\", stdout);
            break;
        case '\b':
            fputs("\\b", stdout);
            break;
        case '\f':
            fputs("\\f", stdout);
            break;
        case '\n':
            fputs("\\n", stdout);
            break;
        case '\r':
            fputs("\\r", stdout);
            break;
        case '\t':
            fputs("\\t", stdout);
            break;
        default:
            if (c < 0x20 || c >= 0x7F)
                printf("\\u%04x", c);
            else
                putchar(c);
        }
    }
    putchar('"');
}

// JSON number: enough digits to give back the same float; not-a-number and
// infinities, which JSON cannot hold, as null.
static void print_json_float(float value)
{
    if (isfinite(value))
        printf("%.9g", (double)value);
    else
        fputs("null", stdout);
}

static void print_json_vec(Vec3 v)
{
    putchar('[');
    print_json_float(v.x);
    fputs(", ", stdout);
    print_json_float(v.y);
    fputs(", ", stdout);
    print_json_float(v.z);
    putchar(']');
}

static void print_text_vec(Vec3 v) { printf("(%g, %g, %g)", (double)v.x, (double)v.y, (double)v.z); }

static Vec3 rgb_vec(const float* rgb) { return Vec3{rgb[0], rgb[1], rgb[2]}; }

// A material's properties on two lines, and a third for its texture map.
static void print_text_material(const Material* m)
{
    printf("  colours: ambient ");
    print_text_vec(rgb_vec(m->ambient));
    printf(", diffuse ");
    print_text_vec(rgb_vec(m->diffuse));
    printf(", specular ");
    print_text_vec(rgb_vec(m->specular));
    printf("\n  shininess %g, strength %g, transparency %g, two-sided %u\n", (double)m->shininess,
           (double)m->shininess_strength, (double)m->transparency, (unsigned)m->two_sided);
    if (m->texture_file[0]) {
        printf("  texture ");
        print_text_name(m->texture_file, sizeof m->texture_file);
        printf(": scale (%g, %g), offset (%g, %g)\n", (double)m->texture_scale[0], (double)m->texture_scale[1],
               (double)m->texture_offset[0], (double)m->texture_offset[1]);
    }
}

static void print_json_pair(const float* values)
{
    putchar('[');
    print_json_float(values[0]);
    fputs(", ", stdout);
    print_json_float(values[1]);
    putchar(']');
}

static void print_json_material(const Material* m)
{
    printf("{\"name\": ");
    print_json_string(m->name, sizeof m->name);
    printf(", \"ambient\": ");
    print_json_vec(rgb_vec(m->ambient));
    printf(", \"diffuse\": ");
    print_json_vec(rgb_vec(m->diffuse));
    printf(", \"specular\": ");
    print_json_vec(rgb_vec(m->specular));
    printf(",\n     \"shininess\": ");
    print_json_float(m->shininess);
    printf(", \"shininess_strength\": ");
    print_json_float(m->shininess_strength);
    printf(", \"transparency\": ");
    print_json_float(m->transparency);
    printf(", \"two_sided\": %s,\n     \"texture\": ", m->two_sided ? "true" : "false");
    if (m->texture_file[0]) {
        printf("{\"file\": ");
        print_json_string(m->texture_file, sizeof m->texture_file);
        printf(", \"scale\": ");
        print_json_pair(m->texture_scale);
        printf(", \"offset\": ");
        print_json_pair(m->texture_offset);
        printf("}}");
    } else {
        printf("null}");
    }
}

// Min and max of each axis over a mesh's vertices. A coordinate that is not
// a number is passed over; an axis made only of such stays not-a-number.
struct Extents {
    Vec3 min, max;
};

static bool mesh_extents(const Mesh* mesh, Extents* out)
{
    if (mesh->vertex_count == 0) return false;
    Vec3 lo = mesh->vertices[0].position;
    Vec3 hi = lo;
    for (uint32_t i = 1; i < mesh->vertex_count; ++i) {
        const Vec3& p = mesh->vertices[i].position;
        lo.x = fminf(lo.x, p.x);
        lo.y = fminf(lo.y, p.y);
        lo.z = fminf(lo.z, p.z);
        hi.x = fmaxf(hi.x, p.x);
        hi.y = fmaxf(hi.y, p.y);
        hi.z = fmaxf(hi.z, p.z);
    }
    out->min = lo;
    out->max = hi;
    return true;
}

// The materials a mesh's faces name, as indices in ascending order, one per
// distinct name (materials of equal names count as the first of them). With
// no materials in the scene a face names none.
static std::vector<int32_t> mesh_materials(const Scene* scene, const Mesh* mesh)
{
    const int32_t count = scene->material_count;
    const size_t max = sizeof scene->materials[0].name;
    std::vector<bool> named(count, false);
    for (uint32_t i = 0; i < mesh->face_count; ++i) {
        uint16_t m = mesh->faces[i].material;
        if (m < count) named[m] = true;
    }
    std::vector<bool> listed(count, false);
    for (int32_t i = 0; i < count; ++i) {
        if (!named[i]) continue;
        int32_t first = 0;
        while (strncmp(scene->materials[first].name, scene->materials[i].name, max) != 0) ++first;
        listed[first] = true;
    }
    std::vector<int32_t> result;
    for (int32_t i = 0; i < count; ++i)
        if (listed[i]) result.push_back(i);
    return result;
}

struct Totals {
    long long vertices, faces;
};

static Totals scene_totals(const Scene* scene)
{
    Totals t = {0, 0};
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        t.vertices += scene->meshes[i].vertex_count;
        t.faces += scene->meshes[i].face_count;
    }
    return t;
}

// Other formats than 3DS: its name (text) and its key (JSON); the up axis.
static const char* const FORMAT_NAMES[] = {"3DS", "STL", "OBJ", "glTF"};
static const char* const FORMAT_KEYS[] = {"3ds", "stl", "obj", "gltf"};
static ModelFormat g_format = MODEL_3DS;

static void print_text(const Scene* scene)
{
    if (g_format != MODEL_3DS)
        printf("format: %s\naxes: stream (as stored, %s up)\n", FORMAT_NAMES[g_format],
               g_format == MODEL_STL ? "Z" : "Y");
    else
        printf("axes: stream (as stored, Z up)\n");
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        const Mesh* mesh = &scene->meshes[i];
        printf("mesh %d ", (int)i);
        print_text_name(mesh->name, sizeof mesh->name);
        printf(": %u vertices, %u faces\n", (unsigned)mesh->vertex_count, (unsigned)mesh->face_count);

        Extents e;
        if (mesh_extents(mesh, &e)) {
            printf("  extents: x %g .. %g, y %g .. %g, z %g .. %g\n", (double)e.min.x, (double)e.max.x, (double)e.min.y,
                   (double)e.max.y, (double)e.min.z, (double)e.max.z);
        } else {
            printf("  extents: none\n");
        }

        std::vector<int32_t> materials = mesh_materials(scene, mesh);
        printf("  materials:");
        for (size_t m = 0; m < materials.size(); ++m) {
            printf(m ? ", " : " ");
            print_text_name(scene->materials[materials[m]].name, sizeof scene->materials[0].name);
        }
        printf("%s\n", materials.empty() ? " none" : "");

        printf("  node: id %u, parent %u, flags 0x%04X, has_children %u\n", (unsigned)mesh->node_id,
               (unsigned)mesh->parent_id, (unsigned)mesh->node_flags, (unsigned)mesh->has_children);
        printf("  keys: position %u, rotation %u, scale %u, morph %u, hide %u\n", (unsigned)mesh->pos_key_count,
               (unsigned)mesh->rot_key_count, (unsigned)mesh->scale_key_count, (unsigned)mesh->morph_key_count,
               (unsigned)mesh->hide_key_count);
    }
    for (int32_t i = 0; i < scene->material_count; ++i) {
        printf("material %d ", (int)i);
        print_text_name(scene->materials[i].name, sizeof scene->materials[i].name);
        putchar('\n');
        print_text_material(&scene->materials[i]);
    }
    for (int32_t i = 0; i < scene->camera_count; ++i) {
        const Camera* camera = &scene->cameras[i];
        printf("camera %d ", (int)i);
        print_text_name(camera->name, sizeof camera->name);
        printf(": position ");
        print_text_vec(camera->position);
        printf(", target ");
        print_text_vec(camera->target);
        printf(", lens %g\n", (double)camera->lens);
    }
    for (int32_t i = 0; i < scene->light_count; ++i) {
        const Light* light = &scene->lights[i];
        printf("light %d ", (int)i);
        print_text_name(light->name, sizeof light->name);
        printf(": position ");
        print_text_vec(light->position);
        printf(", colour ");
        print_text_vec(Vec3{light->color[0], light->color[1], light->color[2]});
        putchar('\n');
    }
    printf("segment: first %ld, last %ld\n", (long)scene->first_frame, (long)scene->last_frame);
    Totals t = scene_totals(scene);
    printf("total: %d meshes, %lld vertices, %lld faces, %d materials, %d cameras, %d lights\n", (int)scene->mesh_count,
           t.vertices, t.faces, (int)scene->material_count, (int)scene->camera_count, (int)scene->light_count);
}

static void print_json(const char* path, const Scene* scene)
{
    printf("{\n  \"file\": ");
    print_json_string(path, strlen(path));
    if (g_format != MODEL_3DS) printf(",\n  \"format\": \"%s\"", FORMAT_KEYS[g_format]);
    printf(",\n  \"axes\": \"stream\",\n  \"meshes\": [");
    for (int32_t i = 0; i < scene->mesh_count; ++i) {
        const Mesh* mesh = &scene->meshes[i];
        printf("%s\n    {\"name\": ", i ? "," : "");
        print_json_string(mesh->name, sizeof mesh->name);
        printf(", \"vertex_count\": %u, \"face_count\": %u,\n     \"extents\": ", (unsigned)mesh->vertex_count,
               (unsigned)mesh->face_count);
        Extents e;
        if (mesh_extents(mesh, &e)) {
            printf("{\"min\": ");
            print_json_vec(e.min);
            printf(", \"max\": ");
            print_json_vec(e.max);
            printf("}");
        } else {
            printf("null");
        }

        std::vector<int32_t> materials = mesh_materials(scene, mesh);
        printf(",\n     \"materials\": [");
        for (size_t m = 0; m < materials.size(); ++m) {
            if (m) printf(", ");
            print_json_string(scene->materials[materials[m]].name, sizeof scene->materials[0].name);
        }
        printf("],\n     \"node\": {\"id\": %u, \"parent_id\": %u, \"flags\": %u, \"has_children\": %s},\n",
               (unsigned)mesh->node_id, (unsigned)mesh->parent_id, (unsigned)mesh->node_flags,
               mesh->has_children ? "true" : "false");
        printf("     \"keys\": {\"position\": %u, \"rotation\": %u, \"scale\": %u, \"morph\": %u, \"hide\": %u}}",
               (unsigned)mesh->pos_key_count, (unsigned)mesh->rot_key_count, (unsigned)mesh->scale_key_count,
               (unsigned)mesh->morph_key_count, (unsigned)mesh->hide_key_count);
    }
    printf("%s],\n  \"materials\": [", scene->mesh_count ? "\n  " : "");
    for (int32_t i = 0; i < scene->material_count; ++i) {
        printf("%s\n    ", i ? "," : "");
        print_json_string(scene->materials[i].name, sizeof scene->materials[i].name);
    }
    // The materials' properties follow the list of names, which stays as it
    // was for the scripts that read it.
    printf("%s],\n  \"material_properties\": [", scene->material_count ? "\n  " : "");
    for (int32_t i = 0; i < scene->material_count; ++i) {
        printf("%s\n    ", i ? "," : "");
        print_json_material(&scene->materials[i]);
    }
    printf("%s],\n  \"cameras\": [", scene->material_count ? "\n  " : "");
    for (int32_t i = 0; i < scene->camera_count; ++i) {
        const Camera* camera = &scene->cameras[i];
        printf("%s\n    {\"name\": ", i ? "," : "");
        print_json_string(camera->name, sizeof camera->name);
        printf(", \"position\": ");
        print_json_vec(camera->position);
        printf(", \"target\": ");
        print_json_vec(camera->target);
        printf(", \"lens\": ");
        print_json_float(camera->lens);
        printf("}");
    }
    printf("%s],\n  \"lights\": [", scene->camera_count ? "\n  " : "");
    for (int32_t i = 0; i < scene->light_count; ++i) {
        const Light* light = &scene->lights[i];
        printf("%s\n    {\"name\": ", i ? "," : "");
        print_json_string(light->name, sizeof light->name);
        printf(", \"position\": ");
        print_json_vec(light->position);
        printf(", \"colour\": ");
        print_json_vec(Vec3{light->color[0], light->color[1], light->color[2]});
        printf("}");
    }
    printf("%s],\n", scene->light_count ? "\n  " : "");
    printf("  \"segment\": {\"first\": %ld, \"last\": %ld},\n", (long)scene->first_frame, (long)scene->last_frame);
    Totals t = scene_totals(scene);
    printf(
        "  \"total\": {\"meshes\": %d, \"vertices\": %lld, \"faces\": %lld, \"materials\": %d, \"cameras\": %d, "
        "\"lights\": %d}\n}\n",
        (int)scene->mesh_count, t.vertices, t.faces, (int)scene->material_count, (int)scene->camera_count,
        (int)scene->light_count);
}

static FILE* open_file(const char* path, char* why, size_t why_size)
{
    FILE* file = fopen(path, "rb");
    if (!file) snprintf(why, why_size, "%s", strerror(errno));
    return file;
}

static int usage_error(const char* message, const char* arg)
{
    if (message) fprintf(stderr, "3dsinfo: %s%s\n", message, arg ? arg : "");
    fputs(USAGE, stderr);
    return 2;
}

int main(int argc, char** argv)
{
    const char* path = nullptr;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strcmp(arg, "--json") == 0) {
            json = true;
        } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            print_help();
            return 0;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usage_error("unknown option ", arg);
        } else if (path) {
            return usage_error("more than one FILE", nullptr);
        } else {
            path = arg;
        }
    }
    if (!path) return usage_error(nullptr, nullptr);

    char why[256] = "";
    Scene* scene = load_model_file(path, open_file, &g_format, why, sizeof why);
    if (!scene) {
        fprintf(stderr, "3dsinfo: %s: %s\n", path, why);
        return 1;
    }

    if (json)
        print_json(path, scene);
    else
        print_text(scene);
    free_scene(scene);

    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "3dsinfo: error writing output\n");
        return 1;
    }
    return 0;
}
