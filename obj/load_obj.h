// load_obj.h - the Wavefront OBJ reader: an OBJ file with its MTL material
// libraries into the same Scene the 3DS reader makes, so fitting and drawing
// take it as they take a 3DS file. Parsing is tinyobjloader's (Debian's
// libtinyobjloader-dev, compiled in); what becomes of its result, and which
// files are opened, is decided here. Portable, no platform headers.
//
// Faces are triangulated (a polygon becomes a fan) and gathered into meshes
// of at most 65535 vertices and faces, a vertex for each pair of position
// and map coordinate a mesh uses. `usemtl` gives each face its material:
// material 0 is a new material's grey (faces without one), then the MTL
// materials in their order: Kd as the diffuse and ambient colour, Ks as the
// highlight at full strength, Ns (0..128 and above) as the glossiness, d or
// Tr as the transparency, map_Kd (with its -s scale and -o offset) as the
// texture. Smoothing groups (`s N`) become smoothing bits, so smooth parts
// are drawn smooth. OBJ's Y axis is up, as the view's is.
#ifndef OBJ_LOAD_OBJ_H
#define OBJ_LOAD_OBJ_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "scene.h"

// Files larger than this, or holding more triangles, are refused; an MTL
// file is read up to OBJ_MAX_MTL_BYTES.
const uint64_t OBJ_MAX_FILE_BYTES = (uint64_t)256 << 20;
const uint32_t OBJ_MAX_TRIANGLES = 10000000;
const size_t OBJ_MAX_MTL_BYTES = (size_t)16 << 20;

// Opens a file the model names (an MTL library), as the model gives the
// name, for binary reading; null when it cannot or may not be opened.
typedef FILE* (*OpenNamedFile)(const char* name, void* context);

// Whether head (head_size bytes, the file's first) reads as OBJ text: no
// NUL or other control bytes but blanks, and its first line that is
// neither blank nor a comment a statement of OBJ. all_comments is set when
// every line of head is blank or a comment (the content cannot tell then).
bool is_obj(const uint8_t* head, size_t head_size, bool* all_comments);

// Reads the size bytes of an OBJ file; MTL libraries it names are opened
// through open_named(name, context). Returns the scene (release it with
// free_scene), or null with the reason in why (why_size bytes).
Scene* load_obj(const uint8_t* bytes, size_t size, OpenNamedFile open_named, void* context, char* why, size_t why_size);

#endif
