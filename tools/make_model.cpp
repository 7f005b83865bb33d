// make_model - writes the model that the saver carries (see head_model.h)
// to a file: usage: make_model OUTPUT_PATH
//
// The output is the same on every run; resources/head.3ds is its output,
// and a test regenerates it and compares byte for byte.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "head_model.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_model OUTPUT_PATH\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!write_head_model(&bytes)) {
        fprintf(stderr, "make_model: the model failed the generator's checks\n");
        return 1;
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f) {
        fprintf(stderr, "make_model: cannot open %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    int write_error = ferror(f);
    if (fclose(f) != 0 || written != bytes.size() || write_error) {
        fprintf(stderr, "make_model: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
