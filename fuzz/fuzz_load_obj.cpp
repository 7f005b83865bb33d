// fuzz_load_obj.cpp - libFuzzer target for the OBJ reader: every input is
// read as an OBJ file whose every material library is the input itself, so
// the material parsing is fuzzed too; the outcome must keep the readers'
// promises (see scene_check.h). A broken promise aborts.
#include <stddef.h>
#include <stdint.h>

#include "load_obj.h"
#include "scene_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input = {data, size};
    char why[128] = "";
    check_scene_or_abort("fuzz_load_obj", load_obj(data, size, open_fuzz_input, &input, why, sizeof why), why);
    return 0;
}
