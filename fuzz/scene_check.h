// scene_check.h - what the readers of other formats (STL, OBJ, glTF)
// promise of a scene they make: meshes and materials, arrays holding what
// their counts say (every record is read, so the address sanitizer sees a
// short array), faces indexing only their own mesh's vertices and the
// material list, finite coordinates, names that end inside their fields and
// material shares within 0..1. Shared by their libFuzzer targets.
#ifndef FUZZ_SCENE_CHECK_H
#define FUZZ_SCENE_CHECK_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "scene.h"

// A fuzz target's input, and its opening as every file the model names (a
// reader's opener of named files, context the FuzzInput): the model is its
// own material library or buffer. Null for an empty input.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
};
FILE* open_fuzz_input(const char* name, void* input);

// Aborts, naming target and the broken promise, unless scene (a reader's
// result) is null with a reason in why, or keeps every promise; releases
// the scene.
void check_scene_or_abort(const char* target, Scene* scene, const char* why);

#endif
