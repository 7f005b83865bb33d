// model_choice.h - what the saver shows, for every front end: the user's 3DS
// file, fitted to the view and drawn in the user's look, or, when there is
// none or it cannot be shown, the medal the program carries, drawn plain.
// Portable: the front end gives the way to open a file (POSIX or Windows)
// and the medal's bytes.
#ifndef VIEW_MODEL_CHOICE_H
#define VIEW_MODEL_CHOICE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "scene.h"
#include "view.h"

// Opens the user's model file for binary reading. Null on failure, with the
// reason in why (why_size bytes).
typedef FILE* (*OpenModelFile)(const char* path, char* why, size_t why_size);

// The formats of a user's model, told apart by the file's content: a 3DS
// main chunk; glTF's binary magic; an STL file by the size rule of a binary
// file or the "solid" that begins an ASCII one; glTF's JSON text by its
// opening brace; OBJ text by its first statement. Where the
// content cannot tell (an OBJ file's first 4096 bytes all comments, a
// damaged STL file), the name's extension does; anything else goes to the
// 3DS reader, whose error text then says what is wrong. head holds the
// file's first bytes (head_size of them, up to 4096), size its length
// (UINT64_MAX unknown), name its path or name.
enum ModelFormat {
    MODEL_3DS,
    MODEL_STL,
    MODEL_OBJ,
    MODEL_GLTF,
};
ModelFormat model_format(const uint8_t* head, size_t head_size, uint64_t size, const char* name);

// Reads the model file at path (3DS, STL, OBJ or glTF, by model_format,
// which it sets in *format) as the file has it: its own axes, its own size.
// Returns the scene, to be freed with free_scene, or null with the reason in
// why: the opener's or the reader's.
Scene* load_model_file(const char* path, OpenModelFile open_file, ModelFormat* format, char* why, size_t why_size);

// Loads the model file at path (3DS, STL, OBJ or glTF, by model_format;
// the files an OBJ or glTF file names, its material libraries and buffers,
// from its folder through g_open_texture_file, never from outside it), stands it on the view's up axis and fits it to
// the view (FIT_SPHERE_RADIUS). Returns the scene, to be freed with free_scene, or
// null with the reason in why: the opener's, the reader's error text, or
// "the model has no vertices to show".
Scene* load_users_model(const char* path, OpenModelFile open_file, char* why, size_t why_size);

// Puts into g_scene what the saver shows (g_scene must be null): the user's
// model at path, fitted, every mesh drawn (g_drawn_mesh_count), in look
// (g_look), its textures looked for in its folder (g_texture_folder); or,
// when path is null or empty or the file cannot be shown, the medal read
// from medal (medal_size bytes), its two meshes drawn plain, no texture
// folder. Returns true when the user's model is shown; false otherwise,
// with the reason in why ("" when no path was given).
bool choose_scene(const char* path, Look look, OpenModelFile open_file, const void* medal, uint32_t medal_size,
                  char* why, size_t why_size);

// The folder of path with its trailing separator ("./" for a bare name on
// POSIX, "" on Windows, where a bare name is found in the current folder),
// into folder (folder_size bytes); "" when it does not fit. separators
// holds the bytes that end a folder: "/" on POSIX, "\\/:" on Windows (a
// backslash among them means Windows' rule for a bare name).
void model_folder(const char* path, const char* separators, char* folder, size_t folder_size);

#endif
