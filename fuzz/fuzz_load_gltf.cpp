// fuzz_load_gltf.cpp - libFuzzer target for the glTF reader: every input is
// read as a .gltf or .glb file whose every external buffer is the input
// itself; the outcome must keep the readers' promises (see scene_check.h).
// A broken promise aborts.
#include <stddef.h>
#include <stdint.h>

#include "load_gltf.h"
#include "scene_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input = {data, size};
    char why[160] = "";
    check_scene_or_abort("fuzz_load_gltf", load_gltf(data, size, open_fuzz_input, &input, why, sizeof why), why);
    return 0;
}
