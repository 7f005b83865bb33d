// fuzz_seeds.h - small generated 3DS streams that between them reach every
// chunk the reader handles: meshes with all their sub-chunks, materials,
// lights, cameras, and keyframer nodes with every kind of track. They seed
// the fuzzer and the mutation run when no real files are at hand.
#ifndef FUZZ_FUZZ_SEEDS_H
#define FUZZ_FUZZ_SEEDS_H

#include <stdint.h>

#include <string>
#include <vector>

struct FuzzSeed {
    std::string name;  // file name stem
    std::vector<uint8_t> bytes;
};

std::vector<FuzzSeed> make_fuzz_seeds();

#endif
