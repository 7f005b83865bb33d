// texture.cpp - texture images: read, checked against the limits, decoded
// to RGBA (by stb_image, or by the RLE BMP decoder here), turned bottom row
// first and scaled to power-of-two sides with gluScaleImage. Depends on
// stb_image, OpenGL 1.1 and GLU.
#include "texture.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "stb_image.h"

int texture_side(int side, int max_side)
{
    int p = 1;
    while (p < max_side && p * 2 <= side) p *= 2;
    // p is now the largest power of two not above side (or max_side); the
    // next one up is taken when it is strictly nearer.
    if (p < max_side && side - p > p * 2 - side) p *= 2;
    return p;
}

namespace {

// The byte at `at`, or 0 past the end (as stb_image reads memory).
uint8_t byte_at(const uint8_t* bytes, size_t size, size_t at) { return at < size ? bytes[at] : 0; }

// Whether every Huffman table segment (marker FF C4) of a JPEG stream holds
// at most 256 codes per table. The decoder of Debian's stb_image (2.27)
// writes past its tables when one holds more (found by the texture fuzzer),
// so such a stream is refused before it is decoded. Each FF C4 in the data
// is read the way the decoder reads the segment; an FF C4 that is not a
// marker at all can only refuse an image, never let a bad one through.
bool jpeg_tables_fit(const uint8_t* bytes, size_t size)
{
    // The decoder takes a stream for JPEG when it starts with FF, any more
    // FF bytes of padding, then D8: every stream starting with FF is read.
    if (size < 2 || bytes[0] != 0xFF) return true;
    for (size_t i = 1; i + 1 < size; ++i) {
        if (bytes[i] != 0xFF || bytes[i + 1] != 0xC4) continue;
        size_t at = i + 2;
        long left = ((long)byte_at(bytes, size, at) << 8 | byte_at(bytes, size, at + 1)) - 2;
        at += 2;
        while (left > 0 && at < size) {
            int q = byte_at(bytes, size, at++);
            if ((q >> 4) > 1 || (q & 15) > 3) break;  // the decoder stops here too
            long count = 0;
            for (int k = 0; k < 16; ++k) count += byte_at(bytes, size, at++);
            if (count > 256) return false;
            at += (size_t)count;
            left -= 17 + count;
        }
    }
    return true;
}

// Whether a PNG stream's first image-data chunk (IDAT) holds data. Debian's
// stb_image (2.27) copies an empty first one from a buffer it has not made
// yet (a null pointer; found by the texture fuzzer), so such a stream is
// refused before it is decoded. Other streams pass.
bool png_first_data_filled(const uint8_t* bytes, size_t size)
{
    static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || memcmp(bytes, SIGNATURE, 8) != 0) return true;  // not a PNG stream
    size_t at = 8;
    while (size - at >= 8) {
        uint32_t length = (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 | (uint32_t)bytes[at + 2] << 8 |
                          (uint32_t)bytes[at + 3];
        if (memcmp(bytes + at + 4, "IDAT", 4) == 0) return length > 0;
        // The chunk's header, data and checksum; a length past the end ends
        // the walk (the decoder refuses such a stream itself).
        if (length > size - at - 8 || size - at - 8 - length < 4) return true;
        at += 12 + (size_t)length;
    }
    return true;
}

uint32_t le16(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

// A BMP whose pixels are run-length encoded with palette indexes (RLE8 or
// RLE4), which stb_image refuses: what its header says.
struct RleBmp {
    int width;
    int height;     // rows, whatever the header's sign
    bool top_down;  // the header's height is negative: the first row is the top
    int bits;       // 8 or 4 per index
    size_t data_at;
    uint8_t palette[256][4];  // RGBA; entries the file does not give are black
};

enum RleHeader { NOT_RLE_BMP, RLE_BMP, BAD_RLE_BMP };

// Reads the header of an RLE8 or RLE4 BMP (file header, an information
// header of 40 bytes or more, the palette). Other streams, BMPs included,
// are NOT_RLE_BMP; BAD_RLE_BMP for one whose header or palette lies past
// the end or whose sides are 0 or over the limits.
RleHeader read_rle_bmp_header(const uint8_t* bytes, size_t size, RleBmp* bmp)
{
    if (size < 54 || bytes[0] != 'B' || bytes[1] != 'M') return NOT_RLE_BMP;
    uint32_t info_size = le32(bytes + 14);
    uint32_t compression = le32(bytes + 30);
    bmp->bits = (int)le16(bytes + 28);
    if (info_size < 40 || !((compression == 1 && bmp->bits == 8) || (compression == 2 && bmp->bits == 4))) {
        return NOT_RLE_BMP;
    }
    int32_t width = (int32_t)le32(bytes + 18);
    int32_t height = (int32_t)le32(bytes + 22);
    if (width < 1 || width > TEXTURE_MAX_IMAGE_SIDE || height == 0 || height < -TEXTURE_MAX_IMAGE_SIDE ||
        height > TEXTURE_MAX_IMAGE_SIDE) {
        return BAD_RLE_BMP;
    }
    bmp->width = width;
    bmp->height = height < 0 ? -height : height;
    bmp->top_down = height < 0;
    if ((size_t)bmp->width * (size_t)bmp->height * 4 > TEXTURE_MAX_DECODED_BYTES) return BAD_RLE_BMP;
    // The palette follows the information header: as many entries as the
    // header says (0: all that the index size allows), blue, green, red
    // and a byte unused.
    uint32_t colours = le32(bytes + 46);
    uint32_t most = 1u << bmp->bits;
    if (colours == 0 || colours > most) colours = most;
    if (info_size > size - 14 || (size - 14 - info_size) / 4 < colours) return BAD_RLE_BMP;
    memset(bmp->palette, 0, sizeof bmp->palette);
    const uint8_t* entry = bytes + 14 + info_size;
    for (uint32_t i = 0; i < colours; ++i, entry += 4) {
        bmp->palette[i][0] = entry[2];
        bmp->palette[i][1] = entry[1];
        bmp->palette[i][2] = entry[0];
        bmp->palette[i][3] = 255;
    }
    for (uint32_t i = colours; i < 256; ++i) bmp->palette[i][3] = 255;
    bmp->data_at = le32(bytes + 10);
    if (bmp->data_at > size) return BAD_RLE_BMP;
    return RLE_BMP;
}

// Decodes the pixels of an RLE BMP into RGBA, top row first, in a block
// from malloc; null when memory runs out. The data is a list of byte pairs:
// a count above 0 repeats its index (RLE8) or its two indexes in turn, high
// then low (RLE4); a count of 0 is an escape: 0 ends the row, 1 the image, 2
// moves as many pixels right and rows on as the next two bytes say, 3 and
// more give that many indexes as they are, padded to an even number of
// bytes. Pixels the data
// never sets get palette entry 0; indexes past the row or the image are
// dropped, and data that ends early ends the image.
uint8_t* decode_rle_bmp(const uint8_t* bytes, size_t size, const RleBmp* bmp)
{
    size_t row = (size_t)bmp->width * 4;
    uint8_t* pixels = (uint8_t*)malloc(row * (size_t)bmp->height);
    if (pixels == nullptr) return nullptr;
    for (size_t i = 0; i < (size_t)bmp->width * (size_t)bmp->height; ++i) memcpy(pixels + i * 4, bmp->palette[0], 4);
    // x and y count from the first pixel the file stores (the bottom-left
    // one unless top_down); wide enough never to wrap however long the data.
    int64_t x = 0;
    int64_t y = 0;
    auto put = [&](int index) {
        if (x < bmp->width && y < bmp->height) {
            size_t out_row = bmp->top_down ? (size_t)y : (size_t)(bmp->height - 1 - y);
            memcpy(pixels + out_row * row + (size_t)x * 4, bmp->palette[index], 4);
        }
        ++x;
    };
    size_t at = bmp->data_at;
    while (y < bmp->height && size - at >= 2) {
        int count = bytes[at];
        int value = bytes[at + 1];
        at += 2;
        if (count > 0) {
            if (x >= bmp->width) continue;  // past the row: nothing shows
            for (int i = 0; i < count; ++i) put(bmp->bits == 8 ? value : (i & 1) != 0 ? value & 15 : value >> 4);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (size - at < 2) break;
            x += bytes[at];
            y += bytes[at + 1];
            at += 2;
        } else {
            size_t length = bmp->bits == 8 ? (size_t)value : ((size_t)value + 1) / 2;
            if (size - at < length) break;
            for (int i = 0; i < value; ++i) {
                int pair = bytes[at + (bmp->bits == 8 ? (size_t)i : (size_t)i / 2)];
                put(bmp->bits == 8 ? pair : (i & 1) != 0 ? pair & 15 : pair >> 4);
            }
            length += length & 1;
            at += length < size - at ? length : size - at;
        }
    }
    return pixels;
}

// Decodes an image of the five formats with stb_image, top row first, into
// a block to release with free (stb_image's own STBI_FREE); null for data
// that is corrupt or over the limits, which are checked on the header
// before anything is decoded.
uint8_t* decode_with_stb(const uint8_t* bytes, size_t size, int* width, int* height)
{
    int channels = 0;
    // Streams that the decoder itself mishandles, even reading the header.
    if (!jpeg_tables_fit(bytes, size) || !png_first_data_filled(bytes, size)) return nullptr;
    if (!stbi_info_from_memory(bytes, (int)size, width, height, &channels)) return nullptr;
    if (*width < 1 || *height < 1 || *width > TEXTURE_MAX_IMAGE_SIDE || *height > TEXTURE_MAX_IMAGE_SIDE) {
        return nullptr;
    }
    if ((size_t)*width * (size_t)*height * 4 > TEXTURE_MAX_DECODED_BYTES) return nullptr;
    int decoded_width = 0;
    int decoded_height = 0;
    stbi_uc* decoded = stbi_load_from_memory(bytes, (int)size, &decoded_width, &decoded_height, &channels, 4);
    // The decoder's own answer is the one the pixels follow.
    if (decoded != nullptr && (decoded_width != *width || decoded_height != *height)) {
        stbi_image_free(decoded);
        return nullptr;
    }
    return decoded;
}

}  // namespace

void free_texture_image(TextureImage* image)
{
    free(image->pixels);
    *image = TextureImage{};
}

bool decode_texture_image(const uint8_t* bytes, size_t size, int max_side, TextureImage* image)
{
    *image = TextureImage{};
    if (bytes == nullptr || size == 0 || size > (size_t)INT_MAX || max_side < 1) return false;
    int width = 0;
    int height = 0;
    uint8_t* decoded = nullptr;
    // RLE BMPs by our own decoder; the rest by stb_image.
    RleBmp bmp;
    RleHeader rle = read_rle_bmp_header(bytes, size, &bmp);
    if (rle == BAD_RLE_BMP) return false;
    if (rle == RLE_BMP) {
        width = bmp.width;
        height = bmp.height;
        decoded = decode_rle_bmp(bytes, size, &bmp);
    } else {
        decoded = decode_with_stb(bytes, size, &width, &height);
    }
    if (decoded == nullptr) return false;
    // Rows turned bottom first, in place.
    size_t row = (size_t)width * 4;
    uint8_t* swap = (uint8_t*)malloc(row);
    if (swap == nullptr) {
        free(decoded);
        return false;
    }
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* top = decoded + (size_t)y * row;
        uint8_t* bottom = decoded + (size_t)(height - 1 - y) * row;
        memcpy(swap, top, row);
        memcpy(top, bottom, row);
        memcpy(bottom, swap, row);
    }
    free(swap);

    int out_width = texture_side(width, max_side);
    int out_height = texture_side(height, max_side);
    uint8_t* pixels = (uint8_t*)malloc((size_t)out_width * (size_t)out_height * 4);
    bool scaled = pixels != nullptr;
    if (scaled && out_width == width && out_height == height) {
        memcpy(pixels, decoded, (size_t)width * (size_t)height * 4);
    } else if (scaled) {
        // Rows of 4-byte pixels are packed whatever the alignment; the
        // stores' other modes are GL's defaults.
        GLint unpack_alignment = 4;
        GLint pack_alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_alignment);
        glGetIntegerv(GL_PACK_ALIGNMENT, &pack_alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        scaled = gluScaleImage(GL_RGBA, width, height, GL_UNSIGNED_BYTE, decoded, out_width, out_height,
                               GL_UNSIGNED_BYTE, pixels) == 0;
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_alignment);
        glPixelStorei(GL_PACK_ALIGNMENT, pack_alignment);
    }
    free(decoded);
    if (!scaled) {
        free(pixels);
        return false;
    }
    image->pixels = pixels;
    image->width = out_width;
    image->height = out_height;
    return true;
}

bool load_texture_image(FILE* file, int max_side, TextureImage* image)
{
    *image = TextureImage{};
    size_t capacity = 0;
    size_t size = 0;
    uint8_t* bytes = nullptr;
    for (;;) {
        if (size == capacity) {
            if (capacity >= TEXTURE_MAX_FILE_BYTES) break;
            size_t grown = capacity == 0 ? (size_t)64 << 10 : capacity * 2;
            if (grown > TEXTURE_MAX_FILE_BYTES) grown = TEXTURE_MAX_FILE_BYTES;
            uint8_t* larger = (uint8_t*)realloc(bytes, grown);
            if (larger == nullptr) break;
            bytes = larger;
            capacity = grown;
        }
        size_t got = fread(bytes + size, 1, capacity - size, file);
        size += got;
        if (got == 0) break;
    }
    // A file that filled the limit and goes on is over it: refused.
    bool whole = size < capacity || (size == capacity && fgetc(file) == EOF);
    bool ok = whole && !ferror(file) && decode_texture_image(bytes, size, max_side, image);
    free(bytes);
    return ok;
}
