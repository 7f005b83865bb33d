// load_gltf.h - the glTF 2.0 reader: a .gltf file (with its buffers beside
// it or in data URIs) or a .glb file into the same Scene the 3DS reader
// makes, so fitting and drawing take it as they take a 3DS file. Parsing is
// tinygltf's (Debian's libtinygltf-dev with nlohmann-json, compiled in),
// given file access of ours: only the files the model names in its own
// folder, no expansion of paths, no images decoded. What becomes of the
// parsed model is decided here. Portable, no platform headers.
//
// The default scene (else the first) is drawn: every mesh instance of its
// node tree, placed by the nodes' transforms (a matrix, or translation,
// rotation and scale) composed down the tree, the positions moved into the
// scene's frame. Triangles, triangle strips and fans are read (points and
// lines are not drawn), indexed or not, with their first map coordinates;
// a primitive with normals is drawn smooth across the vertices its faces
// share (the normals themselves are not read), one without them flat;
// accessors of any component type (normalized integers too) and sparse
// accessors are read as the format says. A material's base colour (or,
// with KHR_materials_pbrSpecularGlossiness, its diffuse colour) is the
// diffuse colour, alphaMode BLEND makes its alpha the transparency,
// doubleSided is kept, and the base colour texture's image (with
// KHR_texture_transform's offset and scale) is the texture: the file it
// names, or the image the file carries itself (a data URI, or a buffer view
// as in most .glb files), kept encoded in the material. glTF's Y axis
// is up, as the view's is.
//
// Refused with a reason: files compressed with Draco or meshopt, a node
// tree with a cycle, a missing or short buffer, an accessor or index out of
// range, values of the wrong JSON type, a file larger than 256 MB or with
// more than 10 million triangles, and a file with nothing to draw.
#ifndef GLTF_LOAD_GLTF_H
#define GLTF_LOAD_GLTF_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "scene.h"

const uint64_t GLTF_MAX_FILE_BYTES = (uint64_t)256 << 20;
const uint32_t GLTF_MAX_TRIANGLES = 10000000;

// Opens a file the model names (a buffer), as the model gives the name,
// for binary reading; null when it cannot or may not be opened.
typedef FILE* (*OpenNamedFile)(const char* name, void* context);

// Whether head (head_size bytes, the file's first) is glTF: the binary
// form's magic "glTF", or JSON text (its first byte that is not blank an
// opening brace).
bool is_gltf(const uint8_t* head, size_t head_size);

// Reads the size bytes of a .gltf or .glb file; buffers it names are
// opened through open_named(name, context). Returns the scene (release it
// with free_scene), or null with the reason in why (why_size bytes).
Scene* load_gltf(const uint8_t* bytes, size_t size, OpenNamedFile open_named, void* context, char* why,
                 size_t why_size);

#endif
