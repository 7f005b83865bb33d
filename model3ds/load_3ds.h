// load_3ds.h - the 3DS model reader's entry and the passes over a loaded
// scene.
//
// load_3ds turns a 3DS chunk stream (a stdio stream or a memory image) into
// a Scene. A load yields a whole scene or nothing: on failure it returns
// null and leaves exactly one short English text in the caller's buffer.
// The reader keeps its state in module-level variables, so one load runs at
// a time.
#ifndef MODEL3DS_LOAD_3DS_H
#define MODEL3DS_LOAD_3DS_H

#include <stdint.h>

#include "scene.h"

enum {
    LOAD_3DS_FILE = 0,    // source is a FILE*, read from its current position
    LOAD_3DS_MEMORY = 1,  // source points at the first byte of a memory image
};

// The caller's error buffer must hold at least this many bytes.
enum { LOAD_3DS_ERROR_TEXT_SIZE = 64 };

// Reads a scene from source. method is LOAD_3DS_FILE or LOAD_3DS_MEMORY;
// size is the memory image's size in bytes (memory method only). Returns a
// Scene that the caller releases with free_scene, or null. error_text is
// written only on failure, and not when source is null or the Scene record
// itself cannot be allocated.
Scene* load_3ds(char* error_text, const void* source, int method, uint32_t size);

// Writes into dst the 3x4 matrix that applies b first and a second. dst is
// distinct from a and b.
void mat34_compose(float* dst, const float* a, const float* b);

// Computes a mesh's object_matrix from its local_matrix, pivot and origin.
void compute_object_matrix(Mesh* mesh);

// Sets has_children of every mesh: 1 when some mesh, camera or light names
// the mesh's node as its parent (or as the parent of a camera's target).
void mark_parent_meshes(Scene* scene);

// Exchanges Y and Z of every position-like quantity of the scene, in place,
// so that the model's Z axis becomes the drawing's Y axis. Its own inverse.
// Does nothing given null.
void convert_scene_axes(Scene* scene);

#endif
