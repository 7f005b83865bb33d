// scene_build.h - building a Scene in memory, for the readers of other
// formats (STL, OBJ, glTF) that end in the same records as the 3DS reader:
// meshes appended one at a time, each made with room for its faces and
// vertices and shrunk to them when full.
#ifndef MODEL3DS_SCENE_BUILD_H
#define MODEL3DS_SCENE_BUILD_H

#include <stdint.h>

#include "scene.h"

// The most faces and vertices a mesh holds: its counts are 16-bit.
const uint32_t MESH_MAX_FACES = 65535;
const uint32_t MESH_MAX_VERTICES = 65535;

// Appends a zero-filled mesh named name (cut to its field), with room for
// max_faces faces and max_vertices vertices and identity frames (its
// vertices are where the file puts them), and returns it; null where memory
// runs out. The mesh is counted at once, so free_scene releases whatever was
// made. *capacity is the room of scene->meshes, kept by the caller (0 at
// first). Pointers to earlier meshes do not survive the call.
Mesh* append_mesh(Scene* scene, int32_t* capacity, const char* name, uint32_t max_faces, uint32_t max_vertices);

// Shrinks a mesh's face and vertex arrays to its counts (keeps them where
// the heap cannot).
void trim_mesh(Mesh* mesh);

#endif
