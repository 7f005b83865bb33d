// make_texture_seeds.cpp - writes small valid images of the five formats the
// saver reads for textures (BMP, TGA, PNG, JPEG through stb_image_write; a
// GIF written byte by byte) into a folder, as seeds for fuzz_texture.
// Usage: make_texture_seeds FOLDER
#include <stdio.h>

#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "stb_image_write.h"
#pragma GCC diagnostic pop

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_texture_seeds FOLDER\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    // A 5 x 3 picture of colour bands, RGB and RGBA.
    const int w = 5;
    const int h = 3;
    std::vector<unsigned char> rgba((size_t)w * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = (unsigned char)(i * 37 + 11);
    std::vector<unsigned char> rgb((size_t)w * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = rgba[i];
    bool ok = stbi_write_bmp((folder + "seed.bmp").c_str(), w, h, 3, rgb.data()) &&
              stbi_write_tga((folder + "seed.tga").c_str(), w, h, 4, rgba.data()) &&
              stbi_write_png((folder + "seed.png").c_str(), w, h, 4, rgba.data(), w * 4) &&
              stbi_write_png((folder + "seed_grey.png").c_str(), w, h, 1, rgb.data(), w) &&
              stbi_write_jpg((folder + "seed.jpg").c_str(), w, h, 3, rgb.data(), 90);
    stbi_write_tga_with_rle = 0;
    ok = ok && stbi_write_tga((folder + "seed_raw.tga").c_str(), w, h, 3, rgb.data());
    // GIF89a, 2 x 2, a global table of 2 colours, one image of LZW code
    // size 2: clear, 0, 1, 1, 0 (the last in 4 bits), end.
    const unsigned char gif[] = {'G', 'I',  'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0, 255,  0,    0,    0, 0,
                                 255, 0x2c, 0,   0,   0,   0,   2, 0, 2, 0, 0,    2, 3, 0x44, 0x02, 0x05, 0, 0x3b};
    FILE* file = fopen((folder + "seed.gif").c_str(), "wb");
    ok = ok && file != nullptr && fwrite(gif, 1, sizeof gif, file) == sizeof gif;
    if (file != nullptr) ok = fclose(file) == 0 && ok;
    if (!ok) {
        fprintf(stderr, "make_texture_seeds: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
