// fuzz_texture.cpp - libFuzzer target for the texture images: each input is
// decoded as the saver decodes a material's image file (the limits checked
// on the header, stb_image's decoding or the RLE BMP decoder's, the turn to
// bottom row first and the scaling to power-of-two sides with GLU, for
// which an OSMesa context is made once and kept current).
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <GL/osmesa.h>
#include <sanitizer/lsan_interface.h>

#include "texture.h"

namespace {

OSMesaContext g_context;
GLubyte g_pixel[4];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The context lives as long as the process; OSMesa's blocks for it are
    // not leaks of the code under test.
    __lsan_disable();
    g_context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
    bool current = g_context != nullptr && OSMesaMakeCurrent(g_context, g_pixel, GL_UNSIGNED_BYTE, 1, 1);
    __lsan_enable();
    if (!current) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureImage image;
    if (decode_texture_image(data, size, TEXTURE_MAX_SIDE, &image)) {
        // Every byte the texture would be made from is read.
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < (size_t)image.width * (size_t)image.height * 4; ++i) sum = sum + image.pixels[i];
        if (image.width < 1 || image.width > TEXTURE_MAX_SIDE || (image.width & (image.width - 1)) != 0 ||
            image.height < 1 || image.height > TEXTURE_MAX_SIDE || (image.height & (image.height - 1)) != 0) {
            abort();
        }
    } else if (image.pixels != nullptr || image.width != 0 || image.height != 0) {
        abort();
    }
    free_texture_image(&image);
    return 0;
}
