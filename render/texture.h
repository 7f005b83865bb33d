// texture.h - texture images for the materials of a model drawn as its file
// says: read from a stdio stream or from memory, decoded (BMP, run-length
// encoded BMP too, TGA, PNG, JPEG, GIF's first frame) within size limits,
// and scaled to power-of-two sides, as OpenGL 1.1 textures need. Depends
// on stb_image (compiled in stb_image_impl.cpp) and, for the scaling, on
// GLU's gluScaleImage, which needs a current rendering context.
#ifndef RENDER_TEXTURE_H
#define RENDER_TEXTURE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Images refused before decoding: a side over TEXTURE_MAX_IMAGE_SIDE pixels,
// or more than TEXTURE_MAX_DECODED_BYTES once decoded to RGBA; files longer
// than TEXTURE_MAX_FILE_BYTES are not read.
const int TEXTURE_MAX_IMAGE_SIDE = 8192;
const size_t TEXTURE_MAX_DECODED_BYTES = (size_t)64 << 20;
const size_t TEXTURE_MAX_FILE_BYTES = (size_t)64 << 20;

// The largest side a texture is given (before GL's own limit lowers it).
const int TEXTURE_MAX_SIDE = 1024;

// A decoded image: width x height RGBA pixels, 4 bytes each, rows from the
// bottom of the image up (as glTexImage2D takes them, so map coordinate
// (0, 0) is the image's bottom-left corner), both sides powers of two.
// pixels is a heap block owned by the record (free_texture_image).
struct TextureImage {
    uint8_t* pixels;
    int width;
    int height;
};

// The side a texture of an image side of `side` pixels gets: the power of
// two nearest to it (the smaller of two equally near), at most max_side
// (itself a power of two, at least 1).
int texture_side(int side, int max_side);

// Decodes size bytes of an image file into image, scaled to power-of-two
// sides of at most max_side. Returns false, with image zeroed, for data that
// is not an image of the five formats, is corrupt, or is over the limits.
// BMPs of 8- and 4-bit palette indexes with run-length encoding (RLE8,
// RLE4), which stb_image refuses, are decoded here, rows bottom-up or, with
// a negative height, top-down.
// Needs a current rendering context (the scaling is GLU's).
bool decode_texture_image(const uint8_t* bytes, size_t size, int max_side, TextureImage* image);

// Reads the rest of file (up to TEXTURE_MAX_FILE_BYTES) and decodes it as
// decode_texture_image does. Does not close the file.
bool load_texture_image(FILE* file, int max_side, TextureImage* image);

// Releases the pixels and zeroes the record. Accepts a zeroed record.
void free_texture_image(TextureImage* image);

#endif
