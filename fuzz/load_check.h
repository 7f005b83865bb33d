// load_check.h - runs the reader over one byte image through both byte
// sources (the memory image, and a stdio stream over the same bytes) and
// checks what the reader promises about the outcome:
//
//   - a failed load leaves a non-empty text, NUL-terminated inside the
//     caller's 64-byte buffer; a load that succeeds leaves the buffer alone;
//   - a loaded scene's arrays hold at least what their counts say (every
//     record is read, so the address sanitizer sees a short array), names
//     end inside their fields, face material indices point into the
//     material list, and material colours and shares lie in 0..1 with a
//     finite texture scale and offset;
//   - both byte sources give the same outcome and the same scene;
//   - with material properties walked over unread, each byte source gives
//     the same outcome and the same error text (reading them never fails a
//     load);
//   - exchanging the axes of a loaded scene twice gives it back unchanged.
//
// Shared by the libFuzzer target and the mutation run.
#ifndef FUZZ_LOAD_CHECK_H
#define FUZZ_LOAD_CHECK_H

#include <stddef.h>
#include <stdint.h>

#include "load_3ds.h"

struct LoadReport {
    bool loaded;                                  // both sources loaded the image
    char memory_error[LOAD_3DS_ERROR_TEXT_SIZE];  // texts of a failed load ("" when loaded)
    char file_error[LOAD_3DS_ERROR_TEXT_SIZE];
    char problem[256];  // set when check_load returns false
};

// Loads data with both methods, releases the scenes, and returns false with
// report->problem set when a promise above is broken.
bool check_load(const uint8_t* data, size_t size, LoadReport* report);

#endif
