// fuzz_load_stl.cpp - libFuzzer target for the STL reader: every input is
// read as a whole STL file, and the outcome must keep the readers' promises
// (see scene_check.h). A broken promise aborts.
#include <stddef.h>
#include <stdint.h>

#include "load_stl.h"
#include "scene_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char why[128] = "";
    check_scene_or_abort("fuzz_load_stl", load_stl(data, size, why, sizeof why), why);
    return 0;
}
