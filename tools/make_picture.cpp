// make_picture - writes the configure window's picture (and, given a third
// path, the program's icon) as stills of the saver itself: the model that
// the saver carries, loaded and turned as the saver loads and turns it, drawn
// by the renderer into an off-screen Mesa context.
//
//   usage: make_picture MODEL_PATH OUTPUT_PATH [ICON_PATH]
//
// resources/testbild.bmp and resources/head.ico are its output from
// resources/head.3ds, and the tests regenerate both and compare byte for byte.
//
// The picture: a 360 x 290 device-independent bitmap, 8 bits per pixel over a
// grey palette (entry i is (i, i, i)), rows bottom-up as GL reads them back,
// followed by two bytes of padding. The frame is grey on black (white
// triangles, a white light, black fog), so the red channel is the grey level;
// the generator checks that red, green and blue agree at every pixel.
//
// The icon: 32 x 32 and 16 x 16 images, 32 bits per pixel (BGRA) with their
// AND masks, each box-filtered from a square frame eight times its size. The
// background (exactly black: the clear colour) becomes transparent, so the
// icon is the medal's shape; the alpha of an icon pixel is the share of
// model pixels in its box and its grey is their mean.
//
// Reproducible bytes: Mesa is told to use softpipe, its software rasteriser
// in plain C, rather than llvmpipe, which compiles its pipeline for the
// running CPU (its pixels differ from softpipe's, and may differ between
// CPUs). The draw module is also told not to compile its vertex stage (softpipe
// interprets it anyway unless asked otherwise). The generator refuses to write
// anything when the context reports another renderer.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include <GL/osmesa.h>

#include "load_3ds.h"
#include "render.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// --- What is drawn ---

// The configure window copies exactly this much of the picture.
const int PICTURE_WIDTH = 360;
const int PICTURE_HEIGHT = 290;

// The picture's eye point: a gentle three-quarter view from the lower left,
// a point the saver's sway passes near (x and y within [-3, 3]; z stays 4).
const Vec3 PICTURE_EYE = {-2.0f, -2.0f, 4.0f};

// The icon's eye point: straight at the medal, so the emblem stays upright,
// and a little farther back than the saver's plane z = 4, so that the whole
// rim fits into the square frame and the icon is the medal's round shape.
const Vec3 ICON_EYE = {0.0f, 0.0f, 5.0f};

// Icon image sizes, largest first, and the oversampling of each pixel (a box
// of ICON_OVERSAMPLE x ICON_OVERSAMPLE frame pixels).
const int ICON_SIZES[] = {32, 16};
const int ICON_OVERSAMPLE = 8;

// Bitmap header values.
const int32_t PIXELS_PER_METRE = 15744;
const uint32_t BITMAP_FILE_HEADER_SIZE = 14;
const uint32_t BITMAP_INFO_HEADER_SIZE = 40;
const uint32_t PALETTE_SIZE = 256 * 4;
const uint32_t PICTURE_TRAILING_PADDING = 2;

// --- Little-endian byte output ---

void put_u8(std::vector<uint8_t>* out, uint32_t value) { out->push_back((uint8_t)value); }

void put_u16(std::vector<uint8_t>* out, uint32_t value)
{
    put_u8(out, value & 0xFF);
    put_u8(out, (value >> 8) & 0xFF);
}

void put_u32(std::vector<uint8_t>* out, uint32_t value)
{
    put_u16(out, value & 0xFFFF);
    put_u16(out, (value >> 16) & 0xFFFF);
}

// BITMAPINFOHEADER of an uncompressed bitmap.
void put_info_header(std::vector<uint8_t>* out, int32_t width, int32_t height, uint32_t bits_per_pixel,
                     uint32_t image_size, int32_t pixels_per_metre)
{
    put_u32(out, BITMAP_INFO_HEADER_SIZE);
    put_u32(out, (uint32_t)width);
    put_u32(out, (uint32_t)height);
    put_u16(out, 1);  // planes
    put_u16(out, bits_per_pixel);
    put_u32(out, 0);  // BI_RGB
    put_u32(out, image_size);
    put_u32(out, (uint32_t)pixels_per_metre);
    put_u32(out, (uint32_t)pixels_per_metre);
    put_u32(out, 0);  // colours used: all 2^bits
    put_u32(out, 0);  // colours important: all
}

// --- Rendering ---

// One frame read back: RGBA bytes, bottom row first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Draws g_scene from eye into a fresh context of width x height pixels and
// reads the frame back. False (with a line on stderr) when no context can be
// made or it is not softpipe's.
bool render_frame(int width, int height, const Vec3& eye, Frame* frame)
{
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr) {
        fprintf(stderr, "make_picture: no OSMesa context\n");
        return false;
    }
    std::vector<uint8_t> buffer((size_t)width * (size_t)height * 4, 0);
    if (OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, width, height) != GL_TRUE) {
        fprintf(stderr, "make_picture: cannot make the OSMesa context current\n");
        OSMesaDestroyContext(context);
        return false;
    }
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    bool ok = renderer != nullptr && strstr(renderer, "softpipe") != nullptr;
    if (!ok) {
        fprintf(stderr, "make_picture: the renderer is \"%s\", not softpipe; its pixels would vary by machine\n",
                renderer ? renderer : "(none)");
    } else {
        resize_gl_view(width, height);
        init_gl_state();
        g_eye = eye;
        draw_scene();
        frame->width = width;
        frame->height = height;
        frame->rgba.assign((size_t)width * (size_t)height * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame->rgba.data());
    }
    // OSMesa crashes destroying a context whose drawing is still queued.
    glFinish();
    OSMesaDestroyContext(context);
    return ok;
}

// True when red, green and blue agree at every pixel of the frame.
bool frame_is_grey(const Frame& frame)
{
    for (size_t i = 0; i + 3 < frame.rgba.size(); i += 4) {
        if (frame.rgba[i] != frame.rgba[i + 1] || frame.rgba[i] != frame.rgba[i + 2]) {
            fprintf(stderr, "make_picture: pixel %zu is not grey (%u, %u, %u)\n", i / 4, frame.rgba[i],
                    frame.rgba[i + 1], frame.rgba[i + 2]);
            return false;
        }
    }
    return true;
}

// --- The picture ---

// The whole .bmp file of a grey frame: file header, info header, grey
// palette, one byte per pixel (the frame's rows already run bottom-up), and
// the trailing padding.
void encode_picture(const Frame& frame, std::vector<uint8_t>* out)
{
    uint32_t row_size = (uint32_t)frame.width;  // a multiple of 4 at 360
    uint32_t pixel_size = row_size * (uint32_t)frame.height;
    uint32_t pixel_offset = BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + PALETTE_SIZE;
    uint32_t file_size = pixel_offset + pixel_size + PICTURE_TRAILING_PADDING;

    out->clear();
    put_u8(out, 'B');
    put_u8(out, 'M');
    put_u32(out, file_size);
    put_u16(out, 0);
    put_u16(out, 0);
    put_u32(out, pixel_offset);
    put_info_header(out, frame.width, frame.height, 8, 0, PIXELS_PER_METRE);
    for (uint32_t i = 0; i < 256; i++) {
        put_u8(out, i);  // blue
        put_u8(out, i);  // green
        put_u8(out, i);  // red
        put_u8(out, 0);
    }
    for (size_t i = 0; i + 3 < frame.rgba.size(); i += 4) {
        put_u8(out, frame.rgba[i]);  // red is the grey level
    }
    for (uint32_t i = 0; i < PICTURE_TRAILING_PADDING; i++) put_u8(out, 0);
}

// --- The icon ---

// One icon image: size x size pixels, BGRA, bottom row first.
struct IconImage {
    int size = 0;
    std::vector<uint8_t> bgra;
};

// Box-filters a square frame of size * ICON_OVERSAMPLE pixels down to size x
// size. Black frame pixels are background: they add to neither the alpha nor
// the grey. Integer arithmetic with rounding to nearest.
IconImage shrink_for_icon(const Frame& frame, int size)
{
    IconImage image;
    image.size = size;
    image.bgra.assign((size_t)size * (size_t)size * 4, 0);
    const int box = ICON_OVERSAMPLE * ICON_OVERSAMPLE;
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            int covered = 0;
            int grey_sum = 0;
            for (int dy = 0; dy < ICON_OVERSAMPLE; dy++) {
                for (int dx = 0; dx < ICON_OVERSAMPLE; dx++) {
                    size_t at = ((size_t)(y * ICON_OVERSAMPLE + dy) * (size_t)frame.width +
                                 (size_t)(x * ICON_OVERSAMPLE + dx)) *
                                4;
                    int grey = frame.rgba[at];
                    if (grey != 0) {
                        covered++;
                        grey_sum += grey;
                    }
                }
            }
            uint8_t* p = &image.bgra[((size_t)y * (size_t)size + (size_t)x) * 4];
            if (covered == 0) continue;  // transparent black
            int grey = (grey_sum + covered / 2) / covered;
            p[0] = (uint8_t)grey;
            p[1] = (uint8_t)grey;
            p[2] = (uint8_t)grey;
            p[3] = (uint8_t)((covered * 255 + box / 2) / box);
        }
    }
    return image;
}

// Bytes of one row of an icon's AND mask: one bit per pixel, rows padded to
// 32 bits.
uint32_t mask_row_size(int size) { return (uint32_t)((size + 31) / 32 * 4); }

// The whole .ico file: the directory, then per image a BITMAPINFOHEADER
// (height doubled: colour image and mask), the BGRA pixels and the AND mask
// (bit set where the pixel is fully transparent), both bottom-up.
void encode_icon(const std::vector<IconImage>& images, std::vector<uint8_t>* out)
{
    const uint32_t directory_size = 6;
    const uint32_t entry_size = 16;
    out->clear();
    put_u16(out, 0);  // reserved
    put_u16(out, 1);  // icon
    put_u16(out, (uint32_t)images.size());
    uint32_t offset = directory_size + entry_size * (uint32_t)images.size();
    for (const IconImage& image : images) {
        uint32_t pixels = (uint32_t)image.size * (uint32_t)image.size * 4;
        uint32_t mask = mask_row_size(image.size) * (uint32_t)image.size;
        uint32_t bytes = BITMAP_INFO_HEADER_SIZE + pixels + mask;
        put_u8(out, (uint32_t)image.size);
        put_u8(out, (uint32_t)image.size);
        put_u8(out, 0);   // colour count: not a palette image
        put_u8(out, 0);   // reserved
        put_u16(out, 1);  // planes
        put_u16(out, 32);
        put_u32(out, bytes);
        put_u32(out, offset);
        offset += bytes;
    }
    for (const IconImage& image : images) {
        uint32_t pixels = (uint32_t)image.size * (uint32_t)image.size * 4;
        uint32_t mask = mask_row_size(image.size) * (uint32_t)image.size;
        put_info_header(out, image.size, image.size * 2, 32, pixels + mask, 0);
        out->insert(out->end(), image.bgra.begin(), image.bgra.end());
        for (int y = 0; y < image.size; y++) {
            std::vector<uint8_t> row(mask_row_size(image.size), 0);
            for (int x = 0; x < image.size; x++) {
                if (image.bgra[((size_t)y * (size_t)image.size + (size_t)x) * 4 + 3] == 0) {
                    row[(size_t)x / 8] |= (uint8_t)(0x80 >> (x % 8));
                }
            }
            out->insert(out->end(), row.begin(), row.end());
        }
    }
}

// --- Files ---

bool read_file(const char* path, std::vector<uint8_t>* bytes)
{
    FILE* f = fopen(path, "rb");
    if (!f) {
        fprintf(stderr, "make_picture: cannot open %s: %s\n", path, strerror(errno));
        return false;
    }
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !ferror(f);
    fclose(f);
    if (!ok) fprintf(stderr, "make_picture: cannot read %s\n", path);
    return ok;
}

bool write_file(const char* path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path, "wb");
    if (!f) {
        fprintf(stderr, "make_picture: cannot open %s: %s\n", path, strerror(errno));
        return false;
    }
    size_t written = fwrite(bytes.data(), 1, bytes.size(), f);
    int write_error = ferror(f);
    if (fclose(f) != 0 || written != bytes.size() || write_error) {
        fprintf(stderr, "make_picture: cannot write %s\n", path);
        return false;
    }
    return true;
}

// Loads the model as the saver does (memory method, then the exchange of Y
// and Z) and writes the picture and, when icon_path is not null, the icon.
bool make_picture(const char* model_path, const char* picture_path, const char* icon_path)
{
    std::vector<uint8_t> model;
    if (!read_file(model_path, &model)) return false;
    char error_text[LOAD_3DS_ERROR_TEXT_SIZE] = "";
    Scene* scene =
        model.empty() ? nullptr : load_3ds(error_text, model.data(), LOAD_3DS_MEMORY, (uint32_t)model.size());
    if (scene == nullptr) {
        fprintf(stderr, "make_picture: %s: %s\n", model_path, model.empty() ? "empty file" : error_text);
        return false;
    }
    convert_scene_axes(scene);
    g_scene = scene;

    bool ok = true;
    Frame picture;
    std::vector<uint8_t> picture_bytes;
    ok = render_frame(PICTURE_WIDTH, PICTURE_HEIGHT, PICTURE_EYE, &picture) && frame_is_grey(picture);
    if (ok) encode_picture(picture, &picture_bytes);

    std::vector<uint8_t> icon_bytes;
    if (ok && icon_path != nullptr) {
        std::vector<IconImage> images;
        for (int size : ICON_SIZES) {
            Frame frame;
            ok = ok && render_frame(size * ICON_OVERSAMPLE, size * ICON_OVERSAMPLE, ICON_EYE, &frame) &&
                 frame_is_grey(frame);
            if (ok) images.push_back(shrink_for_icon(frame, size));
        }
        if (ok) encode_icon(images, &icon_bytes);
    }

    g_scene = nullptr;
    free_scene(scene);

    ok = ok && write_file(picture_path, picture_bytes);
    if (icon_path != nullptr) ok = ok && write_file(icon_path, icon_bytes);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: make_picture MODEL_PATH OUTPUT_PATH [ICON_PATH]\n");
        return 2;
    }
    // Before the first context: Mesa picks its driver once per process.
    setenv("GALLIUM_DRIVER", "softpipe", 1);
    setenv("DRAW_USE_LLVM", "0", 1);
    bool ok = make_picture(argv[1], argv[2], argc == 4 ? argv[3] : nullptr);
#ifdef __SANITIZE_ADDRESS__
    // Now rather than at exit: Mesa's OSMesa frees its screen manager in an
    // exit handler without the table that manager owns, which would look
    // leaked then. Exits non-zero when it finds a leak of ours.
    __lsan_do_leak_check();
#endif
    return ok ? 0 : 1;
}
