// test_texture.cpp - texture images: the limits of sides and files, the
// scaling to powers of two, the BMPs run-length encoded (RLE8, RLE4) that
// our own decoder reads, and streams that stb_image mishandles.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "render_test_support.h"
#include "texture.h"

namespace {

class TextureImages : public OffscreenGlTest {
protected:
    void TearDown() override
    {
        OffscreenGlTest::TearDown();
        for (const std::string& path : written) remove(path.c_str());
    }

    // A path in the tests' temporary folder, removed after the test.
    std::string temp_path(const char* name)
    {
        written.push_back(testing::TempDir() + "head_texture_" + std::to_string(getpid()) + "_" + name);
        return written.back();
    }

    std::vector<std::string> written;
};

bool load_file(const std::string& path, TextureImage* image)
{
    FILE* file = fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    if (file == nullptr) return false;
    bool loaded = load_texture_image(file, TEXTURE_MAX_SIDE, image);
    fclose(file);
    return loaded;
}

// Sides go to the nearest power of two (at most the limit); images wider or
// taller than 8192 pixels are refused before they are decoded.
TEST_F(TextureImages, ScaledToPowersOfTwoWithinTheLimits)
{
    struct Case {
        int width, height;
        bool accepted;
        int texture_width, texture_height;
    };
    const Case cases[] = {
        {3, 5, true, 2, 4},       {7, 6, true, 8, 4},     {8192, 1, true, 1024, 1},
        {1, 8192, true, 1, 1024}, {8193, 1, false, 0, 0}, {1, 8193, false, 0, 0},
    };
    std::string path = temp_path("size.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        write_bmp(path, c.width, c.height, [](int, int) { return std::array<uint8_t, 3>{10, 20, 30}; });
        TextureImage image;
        EXPECT_EQ(load_file(path, &image), c.accepted);
        EXPECT_EQ(image.width, c.texture_width);
        EXPECT_EQ(image.height, c.texture_height);
        if (c.accepted) {
            EXPECT_EQ(image.pixels[0] + image.pixels[1] + image.pixels[2] + image.pixels[3], 10 + 20 + 30 + 255);
        }
        free_texture_image(&image);
    }
}

// A small BMP followed by zeros (which its decoder never reads) up to 64 MB
// is read; one byte more and the file is refused before it is decoded.
TEST_F(TextureImages, FilesOver64MegabytesAreRefused)
{
    std::string path = temp_path("long.bmp");
    for (size_t size : {TEXTURE_MAX_FILE_BYTES, TEXTURE_MAX_FILE_BYTES + 1}) {
        SCOPED_TRACE(testing::Message() << size << " bytes");
        write_bmp(path, 2, 2, [](int, int) { return std::array<uint8_t, 3>{10, 20, 30}; });
        ASSERT_EQ(truncate(path.c_str(), (off_t)size), 0);
        TextureImage image;
        EXPECT_EQ(load_file(path, &image), size <= TEXTURE_MAX_FILE_BYTES);
        free_texture_image(&image);
    }
}

// --- Run-length encoded BMPs ---

// Palette entry i of rle_bmp's images.
std::array<uint8_t, 3> palette_colour(int i) { return {(uint8_t)(16 * i), (uint8_t)(255 - 16 * i), (uint8_t)(3 * i)}; }

// A BMP of bits-bit indexes (8: RLE8, 4: RLE4), width x height (negative:
// rows top-down), with a palette of 16 entries, then the encoded data.
std::vector<uint8_t> rle_bmp(int bits, int32_t width, int32_t height, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> bytes(14 + 40 + 16 * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + (size_t)i] = (uint8_t)(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, (uint32_t)(bytes.size() + data.size()));
    put32(10, (uint32_t)bytes.size());
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    bytes[26] = 1;
    bytes[28] = (uint8_t)bits;
    put32(30, bits == 8 ? 1 : 2);
    put32(34, (uint32_t)data.size());
    put32(46, 16);
    for (int i = 0; i < 16; ++i) {
        std::array<uint8_t, 3> rgb = palette_colour(i);
        for (int k = 0; k < 3; ++k) bytes[54 + 4 * (size_t)i + (size_t)k] = rgb[2 - (size_t)k];
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// The palette indexes of an image's pixels as hexadecimal digits ('k' for
// black, '?' for any other colour), rows from the top, each ended by '/'.
std::string indexes_of(const TextureImage& image)
{
    std::string text;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixels + ((size_t)y * (size_t)image.width + (size_t)x) * 4;
            char c = p[0] == 0 && p[1] == 0 && p[2] == 0 ? 'k' : '?';
            for (int i = 0; i < 16; ++i) {
                std::array<uint8_t, 3> rgb = palette_colour(i);
                if (p[0] == rgb[0] && p[1] == rgb[1] && p[2] == rgb[2]) c = "0123456789abcdef"[i];
            }
            text += p[3] == 255 ? c : '!';
        }
        text += '/';
    }
    return text;
}

TEST_F(TextureImages, RunLengthEncodedBmpsAreDecoded)
{
    const struct {
        const char* name;
        int bits;
        int32_t height;
        std::vector<uint8_t> data;
        const char* indexes;  // rows from the top
    } cases[] = {
        // clang-format off
        {"runs, end of row, end of image", 8, 2, {2, 1, 2, 2, 0, 0, 4, 3, 0, 1}, "3333/1122/"},
        {"rows top-down", 8, -2, {2, 1, 2, 2, 0, 0, 4, 3, 0, 1}, "1122/3333/"},
        {"indexes as they are, an odd count padded", 8, 2, {0, 3, 5, 6, 7, 0, 1, 8, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1},
         "1234/5678/"},
        {"a move right and up", 8, 2, {1, 5, 0, 2, 2, 1, 1, 6, 0, 1}, "0006/5000/"},
        {"a run past the row, data ending early", 8, 2, {6, 7}, "0000/7777/"},
        {"a move past the image", 8, 2, {0, 2, 9, 9, 4, 1, 0, 1}, "0000/0000/"},
        {"indexes past the palette", 8, 2, {4, 200, 0, 1}, "0000/kkkk/"},
        {"RLE4 runs of two indexes in turn", 4, 2, {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 1, 0x90, 0, 1}, "3459/1212/"},
        {"RLE4 indexes as they are, padded", 4, 2, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 4, 0x77, 0, 1}, "7777/1234/"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = rle_bmp(c.bits, 4, c.height, c.data);
        TextureImage image;
        ASSERT_TRUE(decode_texture_image(bytes.data(), bytes.size(), TEXTURE_MAX_SIDE, &image));
        EXPECT_EQ(image.width, 4);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(indexes_of(image), c.indexes);
        free_texture_image(&image);
    }

    // Headers over the limits or pointing past the end: refused.
    const struct {
        const char* name;
        size_t at;
        uint32_t value;
    } refused[] = {
        {"no columns", 18, 0},
        {"8193 columns", 18, 8193},
        {"8193 rows", 22, 8193},
        {"8193 rows top-down", 22, (uint32_t)-8193},
        {"no rows", 22, 0},
        {"a palette of 256 entries past the end", 46, 0},
        {"pixels past the end", 10, 100000},
        {"an information header past the end", 14, 100000},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        std::vector<uint8_t> bytes = rle_bmp(8, 4, 2, {4, 1, 0, 1});
        for (int i = 0; i < 4; ++i) bytes[r.at + (size_t)i] = (uint8_t)(r.value >> (8 * i));
        TextureImage image;
        EXPECT_FALSE(decode_texture_image(bytes.data(), bytes.size(), TEXTURE_MAX_SIDE, &image));
        EXPECT_EQ(image.pixels, nullptr);
    }
}

// An RLE8 BMP as an image editor writes it (ImageMagick's BMP3 palette
// image) decodes to the same pixels as the uncompressed picture it came
// from: 13 x 7, runs of one colour on the left, a different colour in
// every pixel on the right.
TEST_F(TextureImages, RleBmpOfAnImageEditorMatchesItsPicture)
{
    if (system("convert -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert is not installed";
    std::string picture = temp_path("picture.bmp");
    std::string encoded = temp_path("rle.bmp");
    write_bmp(picture, 13, 7, [](int x, int y) {
        return x < 6 ? std::array<uint8_t, 3>{(uint8_t)(40 * y), 200, 0}
                     : std::array<uint8_t, 3>{(uint8_t)(x * 19 + y * 7), (uint8_t)(y * 31), (uint8_t)(255 - x)};
    });
    std::string command = "convert '" + picture + "' -compress RLE -type Palette 'BMP3:" + encoded + "'";
    ASSERT_EQ(system(command.c_str()), 0) << command;
    FILE* file = fopen(encoded.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    uint8_t header[34] = {};
    EXPECT_EQ(fread(header, 1, sizeof header, file), sizeof header);
    fclose(file);
    ASSERT_EQ(header[28], 8) << "not 8 bits an index";
    ASSERT_EQ(header[30], 1) << "not RLE8";

    TextureImage expected;
    TextureImage image;
    ASSERT_TRUE(load_file(picture, &expected));
    ASSERT_TRUE(load_file(encoded, &image));
    ASSERT_EQ(image.width, expected.width);
    ASSERT_EQ(image.height, expected.height);
    EXPECT_EQ(memcmp(image.pixels, expected.pixels, (size_t)image.width * (size_t)image.height * 4), 0);
    free_texture_image(&expected);
    free_texture_image(&image);
}

// Streams that stb_image 2.27 mishandles are refused before it reads them.
TEST_F(TextureImages, StreamsTheDecoderMishandlesAreRefused)
{
    // A JPEG Huffman table of more than 256 codes, which stb_image writes
    // past its tables for (already reading the header); also after padding
    // FF bytes before the start marker, which the decoder skips.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x13, 0x10};
    jpeg.resize(jpeg.size() + 16, 0x20);
    TextureImage image;
    EXPECT_FALSE(decode_texture_image(jpeg.data(), jpeg.size(), TEXTURE_MAX_SIDE, &image));
    jpeg.insert(jpeg.begin(), 3, 0xFF);
    EXPECT_FALSE(decode_texture_image(jpeg.data(), jpeg.size(), TEXTURE_MAX_SIDE, &image));
    // A PNG whose first image-data chunk is empty, which it copies from a
    // null pointer (a 5 x 3 image, then an empty IDAT).
    // clang-format off
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',      // signature
                                      0,    0,   0,   13,  'I',  'H',  'D',  'R',       // header chunk
                                      0,    0,   0,   5,   0,    0,    0,    3,    8, 6, 0, 0, 0,  // 5 x 3 RGBA
                                      0,    0,   0,   0,                                 // its checksum
                                      0,    0,   0,   0,   'I',  'D',  'A',  'T',  0, 0, 0, 0};  // empty IDAT
    // clang-format on
    EXPECT_FALSE(decode_texture_image(png.data(), png.size(), TEXTURE_MAX_SIDE, &image));
}

}  // namespace
