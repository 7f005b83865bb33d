// load_stl.h - the STL reader: a 3D-printing model, binary or ASCII, into
// the same Scene the 3DS reader makes, so fitting and drawing take it as
// they take a 3DS file. Portable, no platform headers.
//
// The triangles become meshes of up to STL_MESH_MAX_FACES faces, each face
// with three vertices of its own (a mesh counts its vertices in 16 bits).
// STL has no units, axes or materials: its Z axis is up, as in 3DS. A
// binary file's per-face colours (the common convention: bit 15 set marks a
// colour, 5 bits each of blue, green and red from the low bits up; or, in a
// file whose header holds "COLOR=", bit 15 clear marks one, red from the low
// bits up) become materials, one per colour; faces without one get material
// 0, a new material's grey.
#ifndef STL_LOAD_STL_H
#define STL_LOAD_STL_H

#include <stddef.h>
#include <stdint.h>

#include "scene.h"

// Files larger than this, or holding more triangles, are refused.
const uint64_t STL_MAX_FILE_BYTES = (uint64_t)256 << 20;
const uint32_t STL_MAX_TRIANGLES = 10000000;
// Faces per mesh: three vertices each, within 16-bit vertex counts.
const uint32_t STL_MESH_MAX_FACES = 21845;

// Whether a file of size bytes whose first bytes are head (head_size of
// them, at least 84 for a binary file) is an STL file: binary when its size
// is 84 bytes plus 50 for each of the triangles its header counts (even
// where the header begins with "solid", as many binary files' do), ASCII
// when it begins with "solid" (after blanks) otherwise.
bool is_stl(const uint8_t* head, size_t head_size, uint64_t size);

// Reads the size bytes of an STL file. Returns the scene (release it with
// free_scene), or null with the reason in why (why_size bytes).
Scene* load_stl(const uint8_t* bytes, size_t size, char* why, size_t why_size);

#endif
