// bench_scenes.h - synthetic 3DS scenes for the reader's benchmark: many
// small objects laid out as real files lay them out (editor meshes with
// material groups, smoothing and local frames, plus one keyframer node per
// object), or a few dense meshes.
#ifndef BENCH_BENCH_SCENES_H
#define BENCH_BENCH_SCENES_H

#include <stdint.h>

#include <vector>

// object_count objects, each a cube of 8 vertices and 12 faces.
std::vector<uint8_t> make_small_objects_scene(int object_count);

// object_count objects, each a grid mesh of face_count faces (an even
// number of at most 60,000).
std::vector<uint8_t> make_dense_objects_scene(int object_count, int face_count);

#endif
