// make_fuzz_seeds.cpp - writes the generated seed streams into a folder, one
// <name>.3ds file each.
// Usage: make_fuzz_seeds FOLDER
#include <stdio.h>

#include <string>

#include "fuzz_seeds.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    int written = 0;
    for (const FuzzSeed& seed : make_fuzz_seeds()) {
        std::string path = std::string(argv[1]) + "/" + seed.name + ".3ds";
        FILE* file = fopen(path.c_str(), "wb");
        if (!file || fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) != seed.bytes.size()) {
            fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
            if (file) fclose(file);
            return 1;
        }
        if (fclose(file) != 0) {
            fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    printf("make_fuzz_seeds: %d seeds in %s\n", written, argv[1]);
    return 0;
}
