// fuzz_load_3ds.cpp - libFuzzer target for the 3DS reader. Every input is
// loaded from memory and, through a stdio stream over the same bytes, with
// the file method; the scenes are walked and released. A broken promise of
// the reader (see load_check.h) aborts, which libFuzzer records as a crash.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadReport report;
    if (!check_load(data, size, &report)) {
        fprintf(stderr, "fuzz_load_3ds: %s\n", report.problem);
        abort();
    }
    return 0;
}
