// bench_scenes.h - the cases of the reader's benchmarks: the real files of a
// corpus folder, and synthetic 3DS scenes: many small objects laid out as
// real files lay them out (editor meshes with material groups, smoothing and
// local frames, plus one keyframer node per object), or a few dense meshes.
#ifndef BENCH_BENCH_SCENES_H
#define BENCH_BENCH_SCENES_H

#include <stdint.h>

#include <string>
#include <vector>

// One stream to load, and what a whole load of it holds.
struct BenchCase {
    std::string name;
    std::vector<uint8_t> bytes;
    int expected_objects;  // generated scenes: meshes and keyframer nodes; -1: unchecked
};

// Adds a case for every .3ds file (any case) of folder, sorted by name; an
// absent folder prints "corpus folder ... absent: skipped" and adds none.
void add_corpus_cases(const char* folder, std::vector<BenchCase>* cases);

// object_count objects, each a cube of 8 vertices and 12 faces.
std::vector<uint8_t> make_small_objects_scene(int object_count);

// object_count objects, each a grid mesh of face_count faces (an even
// number of at most 60,000).
std::vector<uint8_t> make_dense_objects_scene(int object_count, int face_count);

#endif
