// make_texture_seeds.cpp - writes small valid images of the five formats the
// saver reads for textures (BMP, TGA, PNG, JPEG through stb_image_write; a
// GIF and run-length encoded BMPs, RLE8 and RLE4, written byte by byte)
// into a folder, as seeds for fuzz_texture.
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

namespace {

bool write_file(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    bool ok = file != nullptr && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) ok = fclose(file) == 0 && ok;
    return ok;
}

// A BMP of bits-bit palette indexes (8: RLE8, 4: RLE4) of width x height
// (negative: rows top-down), a palette of 4 colours, then the encoded data.
std::vector<unsigned char> rle_bmp(int bits, int width, int height, const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> bytes(14 + 40 + 4 * 4, 0);
    auto put32 = [&](size_t at, unsigned v) {
        for (int i = 0; i < 4; ++i) bytes[at + (size_t)i] = (unsigned char)(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, (unsigned)(bytes.size() + data.size()));
    put32(10, (unsigned)bytes.size());
    put32(14, 40);
    put32(18, (unsigned)width);
    put32(22, (unsigned)height);
    bytes[26] = 1;
    bytes[28] = (unsigned char)bits;
    put32(30, bits == 8 ? 1 : 2);
    put32(34, (unsigned)data.size());
    put32(46, 4);
    const unsigned char palette[16] = {0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};
    for (int i = 0; i < 16; ++i) bytes[54 + (size_t)i] = palette[i];
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

}  // namespace

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
    ok = ok && write_file(folder + "seed.gif", std::vector<unsigned char>(gif, gif + sizeof gif));
    // 5 x 3 RLE BMPs with each kind of pair: runs, indexes as they are (an
    // odd count, padded), a move, the ends of a row and of the image; the
    // RLE4 one top-down.
    const std::vector<unsigned char> rle8 = {3, 1, 2, 2, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 1, 3, 0, 1};
    const std::vector<unsigned char> rle4 = {5, 0x12, 0,    0, 0, 5, 0x12, 0x31, 0x20, 0, 0,
                                             0, 2,    0x33, 0, 2, 1, 0,    1,    0x20, 0, 1};
    ok = ok && write_file(folder + "seed_rle8.bmp", rle_bmp(8, 5, 3, rle8)) &&
         write_file(folder + "seed_rle4.bmp", rle_bmp(4, 5, -3, rle4));
    if (!ok) {
        fprintf(stderr, "make_texture_seeds: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
