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

namespace {

std::vector<uint8_t> read_file(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

std::string resource_path(const char* name) { return std::string(SAVER_RESOURCES_DIR) + "/" + name; }
std::string generated_path(const char* name) { return std::string(PICTURE_GENERATED_DIR) + "/" + name; }

uint32_t u8_at(const std::vector<uint8_t>& b, size_t at) { return b.at(at); }
uint32_t u16_at(const std::vector<uint8_t>& b, size_t at) { return (uint32_t)(b.at(at) | b.at(at + 1) << 8); }
uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) { return u16_at(b, at) | u16_at(b, at + 2) << 16; }
int32_t i32_at(const std::vector<uint8_t>& b, size_t at) { return (int32_t)u32_at(b, at); }

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
        bmp = read_file(resource_path("testbild.bmp"));
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
    std::vector<uint8_t> generated = read_file(generated_path("testbild.bmp"));
    ASSERT_EQ(generated.size(), bmp.size()) << generated_path("testbild.bmp");
    EXPECT_EQ(first_difference(generated, bmp), bmp.size()) << "the bytes differ from this offset on";
}

TEST_F(PictureFile, FileHeader)
{
    EXPECT_EQ(u8_at(bmp, 0), (uint32_t)'B');
    EXPECT_EQ(u8_at(bmp, 1), (uint32_t)'M');
    EXPECT_EQ(u32_at(bmp, 2), 105480u);  // bfSize: the whole file
    EXPECT_EQ(u16_at(bmp, 6), 0u);
    EXPECT_EQ(u16_at(bmp, 8), 0u);
    EXPECT_EQ(u32_at(bmp, 10), 1078u);  // bfOffBits: 14 + 40 + 1024
}

TEST_F(PictureFile, InfoHeader)
{
    EXPECT_EQ(u32_at(bmp, 14), 40u);     // biSize
    EXPECT_EQ(i32_at(bmp, 18), 360);     // biWidth
    EXPECT_EQ(i32_at(bmp, 22), 290);     // biHeight: positive, rows bottom-up
    EXPECT_EQ(u16_at(bmp, 26), 1u);      // biPlanes
    EXPECT_EQ(u16_at(bmp, 28), 8u);      // biBitCount
    EXPECT_EQ(u32_at(bmp, 30), 0u);      // biCompression: BI_RGB
    EXPECT_EQ(u32_at(bmp, 34), 0u);      // biSizeImage
    EXPECT_EQ(i32_at(bmp, 38), 15744);   // biXPelsPerMeter
    EXPECT_EQ(i32_at(bmp, 42), 15744);   // biYPelsPerMeter
    EXPECT_EQ(u32_at(bmp, 46), 0u);      // biClrUsed: a full palette
    EXPECT_EQ(u32_at(bmp, 50), 0u);      // biClrImportant
}

TEST_F(PictureFile, DeviceIndependentPartIsWhatTheResourceHolds)
{
    // Header, palette, 290 rows of 360 bytes (no row padding at that width),
    // then two bytes of padding, zero.
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

TEST_F(PictureFile, ShowsTheMedalAroundTheCentre)
{
    // The camera looks at the medal's centre: the boss and the star around
    // it fill the middle, lit (fogged, but never to black).
    int low, high;
    box_range(WIDTH / 2 - 30, HEIGHT / 2 - 30, 60, &low, &high);
    EXPECT_GT(low, 40);
    EXPECT_GT(high, low + 60) << "the relief shows as shades";
}

TEST_F(PictureFile, BackgroundInTheCornersAwayFromTheEye)
{
    // The eye is to the lower left of the medal: the near rim reaches the
    // bottom-left corner (rows run bottom-up as GL reads them; stored
    // top-down, this would be the top-left corner), the other three corners
    // show the black background.
    int low, high;
    box_range(0, 0, 20, &low, &high);
    EXPECT_EQ(high, 0) << "top left";
    box_range(WIDTH - 20, 0, 20, &low, &high);
    EXPECT_EQ(high, 0) << "top right";
    box_range(WIDTH - 20, HEIGHT - 20, 20, &low, &high);
    EXPECT_EQ(high, 0) << "bottom right";
    box_range(0, HEIGHT - 20, 20, &low, &high);
    EXPECT_GT(high, 100) << "bottom left";
}

TEST_F(PictureFile, HasARangeOfGreys)
{
    std::set<int> levels;
    int lit = 0;
    for (int y = 0; y < HEIGHT; y++) {
        for (int x = 0; x < WIDTH; x++) {
            levels.insert(grey_at(x, y));
            if (grey_at(x, y) != 0) lit++;
        }
    }
    EXPECT_GE(levels.size(), 100u);
    EXPECT_EQ(*levels.begin(), 0);
    EXPECT_GE(*levels.rbegin(), 200);
    // The medal fills most of the frame, and the background shows.
    EXPECT_GT(lit, WIDTH * HEIGHT * 4 / 10);
    EXPECT_LT(lit, WIDTH * HEIGHT * 8 / 10);
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
        ico = read_file(resource_path("head.ico"));
        ASSERT_FALSE(ico.empty()) << resource_path("head.ico");
    }

    std::vector<uint8_t> ico;
};

TEST_F(IconFile, IsWhatTheGeneratorWrites)
{
    std::vector<uint8_t> generated = read_file(generated_path("head.ico"));
    ASSERT_EQ(generated.size(), ico.size()) << generated_path("head.ico");
    EXPECT_EQ(first_difference(generated, ico), ico.size()) << "the bytes differ from this offset on";
}

TEST_F(IconFile, DirectoryListsA32And16PixelImage)
{
    EXPECT_EQ(u16_at(ico, 0), 0u);  // reserved
    EXPECT_EQ(u16_at(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(u16_at(ico, 4), 2u);
    size_t offset = ICON_DIRECTORY_SIZE + 2 * ICON_ENTRY_SIZE;
    for (int i = 0; i < 2; i++) {
        size_t at = ICON_DIRECTORY_SIZE + (size_t)i * ICON_ENTRY_SIZE;
        int size = ICON_SIZES[i];
        EXPECT_EQ(u8_at(ico, at), (uint32_t)size) << "width of image " << i;
        EXPECT_EQ(u8_at(ico, at + 1), (uint32_t)size) << "height of image " << i;
        EXPECT_EQ(u8_at(ico, at + 2), 0u) << "colour count of image " << i;
        EXPECT_EQ(u8_at(ico, at + 3), 0u) << "reserved byte of image " << i;
        EXPECT_EQ(u16_at(ico, at + 4), 1u) << "planes of image " << i;
        EXPECT_EQ(u16_at(ico, at + 6), 32u) << "bits per pixel of image " << i;
        EXPECT_EQ(u32_at(ico, at + 8), (uint32_t)icon_image_bytes(size)) << "bytes of image " << i;
        EXPECT_EQ(u32_at(ico, at + 12), (uint32_t)offset) << "offset of image " << i;
        offset += icon_image_bytes(size);
    }
    EXPECT_EQ(ico.size(), offset);  // 38 + 4264 + 1128
    EXPECT_EQ(ico.size(), 5430u);
}

TEST_F(IconFile, ImagesAreGreyMedalsOnTransparency)
{
    ASSERT_EQ(ico.size(), 5430u);
    size_t offset = ICON_DIRECTORY_SIZE + 2 * ICON_ENTRY_SIZE;
    for (int size : ICON_SIZES) {
        SCOPED_TRACE("image of " + std::to_string(size) + " pixels");
        const size_t pixels_size = (size_t)size * size * 4;
        EXPECT_EQ(u32_at(ico, offset), 40u);
        EXPECT_EQ(i32_at(ico, offset + 4), size);
        EXPECT_EQ(i32_at(ico, offset + 8), 2 * size);  // colour image and mask
        EXPECT_EQ(u16_at(ico, offset + 12), 1u);
        EXPECT_EQ(u16_at(ico, offset + 14), 32u);
        EXPECT_EQ(u32_at(ico, offset + 16), 0u);  // BI_RGB
        EXPECT_EQ(u32_at(ico, offset + 20), (uint32_t)(icon_image_bytes(size) - INFO_HEADER_SIZE));
        for (size_t at = offset + 24; at < offset + 40; at += 4) EXPECT_EQ(u32_at(ico, at), 0u) << at - offset;

        const size_t pixels = offset + INFO_HEADER_SIZE;
        const size_t mask = pixels + pixels_size;
        int opaque = 0;
        int transparent = 0;
        std::set<uint32_t> greys;
        for (int y = 0; y < size; y++) {  // bottom row first
            for (int x = 0; x < size; x++) {
                size_t p = pixels + ((size_t)y * size + (size_t)x) * 4;
                uint32_t blue = u8_at(ico, p), green = u8_at(ico, p + 1), red = u8_at(ico, p + 2);
                uint32_t alpha = u8_at(ico, p + 3);
                bool mask_bit = (u8_at(ico, mask + (size_t)y * mask_row_size(size) + (size_t)x / 8) >> (7 - x % 8)) & 1;
                ASSERT_EQ(mask_bit, alpha == 0) << "pixel " << x << ", " << y;
                ASSERT_EQ(blue, red) << "pixel " << x << ", " << y;
                ASSERT_EQ(green, red) << "pixel " << x << ", " << y;
                if (alpha == 0) {
                    ASSERT_EQ(red, 0u) << "pixel " << x << ", " << y;
                    transparent++;
                } else {
                    greys.insert(red);
                }
                if (alpha == 255) opaque++;
            }
            // Mask row padding (16 pixels in a 32-bit row) stays clear.
            for (size_t i = (size_t)(size + 7) / 8; i < mask_row_size(size); i++) {
                ASSERT_EQ(u8_at(ico, mask + (size_t)y * mask_row_size(size) + i), 0u);
            }
        }
        // A round medal on a square: the corners are see-through, the middle
        // is solid, about pi / 4 of the square is covered.
        auto alpha_at = [&](int x, int y) { return u8_at(ico, pixels + ((size_t)y * size + (size_t)x) * 4 + 3); };
        EXPECT_EQ(alpha_at(0, 0), 0u);
        EXPECT_EQ(alpha_at(size - 1, 0), 0u);
        EXPECT_EQ(alpha_at(0, size - 1), 0u);
        EXPECT_EQ(alpha_at(size - 1, size - 1), 0u);
        EXPECT_EQ(alpha_at(size / 2, size / 2), 255u);
        EXPECT_GT(opaque, size * size * 6 / 10);
        EXPECT_GT(transparent, size * size / 10);
        EXPECT_LT(opaque + transparent, size * size) << "the rim's edge is smoothed";
        EXPECT_GE(greys.size(), (size_t)size) << "the relief shows as shades";
        offset += icon_image_bytes(size);
    }
}

}  // namespace
