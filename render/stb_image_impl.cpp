// stb_image_impl.cpp - the one copy of stb_image's decoder (Debian's
// libstb-dev), limited to the formats texture images come in and to images
// in memory (texture.cpp reads the files). Its own warnings are quieted
// here, for this file only; the project's flags stay as they are. Its
// allocator is the C library's (the default), so texture.cpp releases the
// pixels it returns with free.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
// One thread decodes; no thread-local failure text (which would pull in the
// compiler's thread-local emulation on Windows).
#define STBI_NO_THREAD_LOCALS
#define STBI_FAILURE_USERMSG

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wtype-limits"
#include "stb_image.h"
#pragma GCC diagnostic pop
