// model_choice.cpp - what the saver shows: the user's model or the medal;
// see model_choice.h.
#include "model_choice.h"

#include <stdlib.h>
#include <string.h>

#include "file_names.h"
#include "fit_scene.h"
#include "load_3ds.h"
#include "load_gltf.h"
#include "load_obj.h"
#include "load_stl.h"

namespace {

// The bytes that end a folder in a path on the platform built for.
#if defined(_WIN32)
const char PATH_SEPARATORS[] = "\\/:";
#else
const char PATH_SEPARATORS[] = "/";
#endif

void copy_text(char* to, size_t to_size, const char* text)
{
    if (to_size > 0) snprintf(to, to_size, "%s", text);
}

}  // namespace

namespace {

// Whether the file's name ends in extension (".obj"), in any case.
bool has_extension(const char* name, const char* extension)
{
    size_t n = strlen(name), e = strlen(extension);
    if (n < e) return false;
    for (size_t i = 0; i < e; ++i) {
        char c = name[n - e + i];
        if ((c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c) != extension[i]) return false;
    }
    return true;
}

}  // namespace

ModelFormat model_format(const uint8_t* head, size_t head_size, uint64_t size, const char* name)
{
    // A 3DS main chunk's id comes first: such a file is 3DS whatever else
    // its bytes might pass for.
    if (head_size >= 2 && head[0] == 0x4D && head[1] == 0x4D) return MODEL_3DS;
    if (head_size >= 4 && memcmp(head, "glTF", 4) == 0) return MODEL_GLTF;
    if (is_stl(head, head_size, size)) return MODEL_STL;
    if (is_gltf(head, head_size)) return MODEL_GLTF;
    bool all_comments = false;
    if (is_obj(head, head_size, &all_comments)) return MODEL_OBJ;
    // Where the content cannot tell, the name does.
    if (all_comments && has_extension(name, ".obj")) return MODEL_OBJ;
    if (has_extension(name, ".stl")) return MODEL_STL;
    return MODEL_3DS;
}

namespace {

// The largest STL, OBJ or glTF file read (each reader says so too).
const uint64_t MODEL_MAX_FILE_BYTES = (uint64_t)256 << 20;
static_assert(MODEL_MAX_FILE_BYTES == STL_MAX_FILE_BYTES && MODEL_MAX_FILE_BYTES == OBJ_MAX_FILE_BYTES &&
                  MODEL_MAX_FILE_BYTES == GLTF_MAX_FILE_BYTES,
              "one limit for every reader");

// The file's size, or UINT64_MAX where the stream cannot tell; the stream
// is left at its start.
uint64_t file_size(FILE* file)
{
    uint64_t size = UINT64_MAX;
    if (fseek(file, 0, SEEK_END) == 0) {
        long end = ftell(file);
        if (end >= 0) size = (uint64_t)end;
    }
    rewind(file);
    return size;
}

// The whole file in a heap block (size bytes and a NUL), or null with the
// reason in why: larger than limit (a text naming the format), unreadable.
uint8_t* read_whole_file(FILE* file, uint64_t size, uint64_t limit, const char* too_large, char* why, size_t why_size)
{
    if (size > limit) {
        copy_text(why, why_size, too_large);
        return nullptr;
    }
    uint8_t* bytes = (uint8_t*)malloc((size_t)size + 1);
    if (bytes == nullptr) {
        copy_text(why, why_size, "not enough memory for the model");
        return nullptr;
    }
    if (fread(bytes, 1, (size_t)size, file) != size) {
        copy_text(why, why_size, "the file could not be read");
        free(bytes);
        return nullptr;
    }
    bytes[size] = 0;
    return bytes;
}

// Opens a file the model names, from the model's folder (the context): a
// name that leads out of it is never opened.
FILE* open_beside_model(const char* name, void* folder)
{
    return name_inside_folder(name) ? g_open_texture_file((const char*)folder, name) : nullptr;
}

}  // namespace

Scene* load_model_file(const char* path, OpenModelFile open_file, ModelFormat* format_read, char* why, size_t why_size)
{
    FILE* file = open_file(path, why, why_size);
    if (file == nullptr) return nullptr;
    uint8_t head[4096];
    size_t head_size = fread(head, 1, sizeof head, file);
    uint64_t size = file_size(file);
    ModelFormat format = model_format(head, head_size, size, path);
    *format_read = format;
    Scene* scene = nullptr;
    if (format == MODEL_3DS) {
        char error_text[LOAD_3DS_ERROR_TEXT_SIZE] = "";
        scene = load_3ds(error_text, file, LOAD_3DS_FILE, 0);
        fclose(file);
        if (scene == nullptr) {
            copy_text(why, why_size, error_text[0] != '\0' ? error_text : "the model could not be loaded");
            return nullptr;
        }
    } else {
        const char* too_large = format == MODEL_STL   ? "the STL file is larger than 256 MB"
                                : format == MODEL_OBJ ? "the OBJ file is larger than 256 MB"
                                                      : "the glTF file is larger than 256 MB";
        uint8_t* bytes = read_whole_file(file, size, MODEL_MAX_FILE_BYTES, too_large, why, why_size);
        fclose(file);
        if (bytes == nullptr) return nullptr;
        char folder[sizeof g_texture_folder];
        model_folder(path, PATH_SEPARATORS, folder, sizeof folder);
        if (format == MODEL_STL)
            scene = load_stl(bytes, (size_t)size, why, why_size);
        else if (format == MODEL_OBJ)
            scene = load_obj(bytes, (size_t)size, open_beside_model, folder, why, why_size);
        else
            scene = load_gltf(bytes, (size_t)size, open_beside_model, folder, why, why_size);
        free(bytes);
    }
    return scene;
}

Scene* load_users_model(const char* path, OpenModelFile open_file, char* why, size_t why_size)
{
    ModelFormat format;
    Scene* scene = load_model_file(path, open_file, &format, why, why_size);
    if (scene == nullptr) return nullptr;
    // 3DS and STL stand on their Z axis; OBJ and glTF on their Y axis, the
    // view's up.
    if (format == MODEL_3DS || format == MODEL_STL) convert_scene_axes(scene);
    if (!fit_scene(scene, FIT_SPHERE_RADIUS)) {
        free_scene(scene);
        copy_text(why, why_size, "the model has no vertices to show");
        return nullptr;
    }
    return scene;
}

bool choose_scene(const char* path, Look look, OpenModelFile open_file, const void* medal, uint32_t medal_size,
                  char* why, size_t why_size)
{
    copy_text(why, why_size, "");
    if (path != nullptr && path[0] != '\0') {
        Scene* scene = load_users_model(path, open_file, why, why_size);
        if (scene != nullptr) {
            g_scene = scene;
            g_drawn_mesh_count = INT32_MAX;
            g_look = look;
            model_folder(path, PATH_SEPARATORS, g_texture_folder, sizeof g_texture_folder);
            return true;
        }
    }
    // The medal: its star and rim, plain, no images. A medal the reader
    // rejects (or none) leaves g_scene null: the saver shows empty frames.
    char error_text[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    g_scene = load_3ds(error_text, medal, LOAD_3DS_MEMORY, medal_size);
    convert_scene_axes(g_scene);
    g_drawn_mesh_count = 2;
    g_look = LOOK_PLAIN;
    g_texture_folder[0] = '\0';
    return false;
}

void model_folder(const char* path, const char* separators, char* folder, size_t folder_size)
{
    // The last byte of path that ends a folder; the folder runs up to it.
    size_t length = 0;
    for (size_t i = 0; path[i] != '\0'; i++) {
        if (strchr(separators, path[i]) != nullptr) length = i + 1;
    }
    // A bare name: POSIX names its folder "./"; Windows (whose separators
    // include the backslash) looks in the current folder given "".
    const bool windows = strchr(separators, '\\') != nullptr;
    const char* start = path;
    if (length == 0 && !windows) {
        start = "./";
        length = 2;
    }
    if (folder_size == 0) return;
    if (length >= folder_size) length = 0;
    memcpy(folder, start, length);
    folder[length] = '\0';
}
