// texture.cpp - texture images: read, checked against the limits, decoded by
// stb_image to RGBA, turned bottom row first and scaled to power-of-two
// sides with gluScaleImage. Depends on stb_image, OpenGL 1.1 and GLU.
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
    int channels = 0;
    // Streams that the decoder itself mishandles, even reading the header.
    if (!jpeg_tables_fit(bytes, size) || !png_first_data_filled(bytes, size)) return false;
    // The header alone first: no image over the limits is ever decoded.
    if (!stbi_info_from_memory(bytes, (int)size, &width, &height, &channels)) return false;
    if (width < 1 || height < 1 || width > TEXTURE_MAX_IMAGE_SIDE || height > TEXTURE_MAX_IMAGE_SIDE) return false;
    if ((size_t)width * (size_t)height * 4 > TEXTURE_MAX_DECODED_BYTES) return false;

    int decoded_width = 0;
    int decoded_height = 0;
    stbi_uc* decoded = stbi_load_from_memory(bytes, (int)size, &decoded_width, &decoded_height, &channels, 4);
    if (decoded == nullptr) return false;
    // The decoder's own answer is the one the pixels follow.
    if (decoded_width != width || decoded_height != height) {
        stbi_image_free(decoded);
        return false;
    }
    // Rows turned bottom first, in place.
    size_t row = (size_t)width * 4;
    uint8_t* swap = (uint8_t*)malloc(row);
    if (swap == nullptr) {
        stbi_image_free(decoded);
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
    stbi_image_free(decoded);
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
