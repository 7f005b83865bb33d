// The configure window's picture, resources/testbild.bmp, and the program's
// icon, resources/head.ico: both are exactly what make_picture writes from
// resources/head.3ds (CTest runs it into the build folder first), and every
// field of both files is what the resource script and the configure paint
// rely on, read from the bytes at their offsets.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_bytes.h"

namespace {

std::string resource_path(const char* name) { return std::string(SAVER_RESOURCES_DIR) + "/" + name; }
std::string generated_path(const char* name) { return std::string(PICTURE_GENERATED_DIR) + "/" + name; }

// Index of the first byte where a and b differ, or their common size.
size_t first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

// --- The picture ---

const int WIDTH = 360;
const int HEIGHT = 290;
const size_t FILE_HEADER_SIZE = 14;
const size_t INFO_HEADER_SIZE = 40;
const size_t PALETTE_OFFSET = FILE_HEADER_SIZE + INFO_HEADER_SIZE;  // 54
const size_t PIXEL_OFFSET = PALETTE_OFFSET + 256 * 4;               // 1078
const size_t PICTURE_FILE_SIZE = PIXEL_OFFSET + (size_t)WIDTH * HEIGHT + 2;

class PictureFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp = read_file_bytes(resource_path("testbild.bmp"));
        ASSERT_EQ(bmp.size(), PICTURE_FILE_SIZE) << resource_path("testbild.bmp");
    }
    // Grey level of the pixel x from the left, y from the top.
    int grey_at(int x, int y) const { return bmp[PIXEL_OFFSET + (size_t)(HEIGHT - 1 - y) * WIDTH + (size_t)x]; }
    // Lowest and highest grey in the box of size x size pixels at (x, y)
    // from the top left.
    void box_range(int x, int y, int size, int* low, int* high) const
    {
        *low = 255;
        *high = 0;
        for (int j = y; j < y + size; j++) {
            for (int i = x; i < x + size; i++) {
                *low = std::min(*low, grey_at(i, j));
                *high = std::max(*high, grey_at(i, j));
            }
        }
    }

    std::vector<uint8_t> bmp;
};

TEST_F(PictureFile, IsWhatTheGeneratorWrites)
{
    std::vector<uint8_t> generated = read_file_bytes(generated_path("testbild.bmp"));
    ASSERT_EQ(generated.size(), bmp.size()) << generated_path("testbild.bmp");
    EXPECT_EQ(first_difference(generated, bmp), bmp.size()) << "the bytes differ from this offset on";
}

// Every header field by its offset: file header, then BITMAPINFOHEADER.
TEST_F(PictureFile, Headers)
{
    const struct {
        size_t at;
        int bytes;
        uint32_t value;
        const char* field;
    } fields[] = {
        {0, 2, 0x4D42, "bfType \"BM\""},
        {2, 4, 105480, "bfSize: the whole file"},
        {6, 4, 0, "bfReserved"},
        {10, 4, 1078, "bfOffBits: 14 + 40 + 1024"},
        {14, 4, 40, "biSize"},
        {18, 4, 360, "biWidth"},
        {22, 4, 290, "biHeight: positive, rows bottom-up"},
        {26, 2, 1, "biPlanes"},
        {28, 2, 8, "biBitCount"},
        {30, 4, 0, "biCompression: BI_RGB"},
        {34, 4, 0, "biSizeImage"},
        {38, 4, 15744, "biXPelsPerMeter"},
        {42, 4, 15744, "biYPelsPerMeter"},
        {46, 4, 0, "biClrUsed: a full palette"},
        {50, 4, 0, "biClrImportant"},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(f.bytes == 2 ? u16_at(bmp, f.at) : u32_at(bmp, f.at), f.value) << f.field;
    }
    // After 290 rows of 360 bytes (no row padding at that width): two zero
    // bytes; without the file header the bitmap is the resource's size.
    EXPECT_EQ(bmp.size() - FILE_HEADER_SIZE, 105466u);
    EXPECT_EQ(bmp[bmp.size() - 2], 0);
    EXPECT_EQ(bmp[bmp.size() - 1], 0);
}

TEST_F(PictureFile, PaletteIsTheGreyRamp)
{
    for (uint32_t i = 0; i < 256; i++) {
        size_t at = PALETTE_OFFSET + i * 4;
        ASSERT_EQ(u8_at(bmp, at), i) << "blue of entry " << i;
        ASSERT_EQ(u8_at(bmp, at + 1), i) << "green of entry " << i;
        ASSERT_EQ(u8_at(bmp, at + 2), i) << "red of entry " << i;
        ASSERT_EQ(u8_at(bmp, at + 3), 0u) << "reserved byte of entry " << i;
    }
}

// A still of the saver: the medal lit around the centre, in many shades;
// the eye is to the lower left, so the near rim reaches the bottom-left
// corner and the other three show the black background.
TEST_F(PictureFile, ShowsTheLitMedalOnBlack)
{
    int low, high;
    box_range(WIDTH / 2 - 30, HEIGHT / 2 - 30, 60, &low, &high);
    EXPECT_GT(low, 40);
    EXPECT_GT(high, low + 60) << "the relief shows as shades";
    box_range(0, 0, 20, &low, &high);
    EXPECT_EQ(high, 0) << "top left";
    box_range(WIDTH - 20, 0, 20, &low, &high);
    EXPECT_EQ(high, 0) << "top right";
    box_range(WIDTH - 20, HEIGHT - 20, 20, &low, &high);
    EXPECT_EQ(high, 0) << "bottom right";
    box_range(0, HEIGHT - 20, 20, &low, &high);
    EXPECT_GT(high, 100) << "bottom left";

    std::set<int> levels;
    for (int y = 0; y < HEIGHT; y++) {
        for (int x = 0; x < WIDTH; x++) levels.insert(grey_at(x, y));
    }
    EXPECT_GE(levels.size(), 100u);
    EXPECT_GE(*levels.rbegin(), 200);
}

// --- The icon ---

struct IconEntry {
    int size;
    size_t offset;
    size_t bytes;
};

const size_t ICON_DIRECTORY_SIZE = 6;
const size_t ICON_ENTRY_SIZE = 16;
const int ICON_SIZES[] = {32, 16};

size_t mask_row_size(int size) { return (size_t)(size + 31) / 32 * 4; }
size_t icon_image_bytes(int size) { return INFO_HEADER_SIZE + (size_t)size * size * 4 + mask_row_size(size) * size; }

class IconFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ico = read_file_bytes(resource_path("head.ico"));
        ASSERT_FALSE(ico.empty()) << resource_path("head.ico");
    }

    std::vector<uint8_t> ico;
};

TEST_F(IconFile, IsWhatTheGeneratorWrites)
{
    std::vector<uint8_t> generated = read_file_bytes(generated_path("head.ico"));
    ASSERT_EQ(generated.size(), ico.size()) << generated_path("head.ico");
    EXPECT_EQ(first_difference(generated, ico), ico.size()) << "the bytes differ from this offset on";
}

// Two images, 32 and 16 pixels, 32 bits each, one after the other; each a
// round medal: see-through corners (alpha 0, AND-mask bit set), solid middle.
TEST_F(IconFile, TwoImagesOfTheRoundMedal)
{
    ASSERT_EQ(u16_at(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(u16_at(ico, 4), 2u);
    size_t offset = ICON_DIRECTORY_SIZE + 2 * ICON_ENTRY_SIZE;
    for (int i = 0; i < 2; i++) {
        const int size = ICON_SIZES[i];
        SCOPED_TRACE("image of " + std::to_string(size) + " pixels");
        const size_t entry = ICON_DIRECTORY_SIZE + (size_t)i * ICON_ENTRY_SIZE;
        EXPECT_EQ(u8_at(ico, entry), (uint32_t)size);
        EXPECT_EQ(u16_at(ico, entry + 6), 32u);
        EXPECT_EQ(u32_at(ico, entry + 8), (uint32_t)icon_image_bytes(size));
        ASSERT_EQ(u32_at(ico, entry + 12), (uint32_t)offset);
        EXPECT_EQ(i32_at(ico, offset + 8), 2 * size);  // colour image and mask

        const size_t pixels = offset + INFO_HEADER_SIZE;
        const size_t mask = pixels + (size_t)size * size * 4;
        auto alpha_at = [&](int x, int y) { return u8_at(ico, pixels + ((size_t)y * size + (size_t)x) * 4 + 3); };
        auto mask_at = [&](int x, int y) {
            return (u8_at(ico, mask + (size_t)y * mask_row_size(size) + (size_t)x / 8) >> (7 - x % 8)) & 1;
        };
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) ASSERT_EQ(mask_at(x, y), alpha_at(x, y) == 0 ? 1u : 0u) << x << ", " << y;
        }
        EXPECT_EQ(alpha_at(0, 0), 0u);
        EXPECT_EQ(alpha_at(size - 1, size - 1), 0u);
        EXPECT_EQ(alpha_at(size / 2, size / 2), 255u);
        offset += icon_image_bytes(size);
    }
    EXPECT_EQ(ico.size(), offset);
}

}  // namespace
