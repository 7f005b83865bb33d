// test_support.cpp - loading helpers and allocation-failure injection for
// the reader's tests.
#include "test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// --- Allocation-failure injection (the test program links with
// --wrap=calloc --wrap=realloc) ---

std::vector<size_t> g_calloc_sizes;
std::vector<size_t> g_realloc_sizes;
static int g_calloc_countdown;
static int g_realloc_countdown;
static bool g_recording;

extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __real_realloc(void* block, size_t size);

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    if (g_recording) g_calloc_sizes.push_back(count * size);
    if (g_calloc_countdown > 0 && --g_calloc_countdown == 0) return nullptr;
    return __real_calloc(count, size);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (g_recording) g_realloc_sizes.push_back(size);
    if (g_realloc_countdown > 0 && --g_realloc_countdown == 0) return nullptr;
    return __real_realloc(block, size);
}

void fail_calloc_call(int n)
{
    g_calloc_countdown = n;
    g_calloc_sizes.clear();
}

void fail_realloc_call(int n)
{
    g_realloc_countdown = n;
    g_realloc_sizes.clear();
}

// Runs one load with the allocation counters live, then disarms them.
static Loaded run_load(const void* source, int method, uint32_t size)
{
    char text[LOAD_3DS_ERROR_TEXT_SIZE];
    memset(text, 0x55, sizeof text);
    Loaded result;
    g_calloc_sizes.clear();
    g_realloc_sizes.clear();
    g_recording = true;
    result.scene = load_3ds(text, source, method, size);
    g_recording = false;
    g_calloc_countdown = 0;
    g_realloc_countdown = 0;
    if (!result.scene) result.error.assign(text, strnlen(text, sizeof text));
    return result;
}

Material default_material()
{
    Material m;
    memset(&m, 0, sizeof m);
    for (int i = 0; i < 3; ++i) {
        m.ambient[i] = MATERIAL_DEFAULT_AMBIENT;
        m.diffuse[i] = MATERIAL_DEFAULT_DIFFUSE;
        m.specular[i] = MATERIAL_DEFAULT_SPECULAR;
    }
    m.shininess = MATERIAL_DEFAULT_SHININESS;
    m.texture_scale[0] = m.texture_scale[1] = 1;
    return m;
}

Loaded load_memory(const std::vector<uint8_t>& bytes)
{
    // A copy of exactly the stream's size, so a read past it is caught by
    // the sanitizers as well as by the reader.
    uint8_t* image = (uint8_t*)malloc(bytes.size() ? bytes.size() : 1);
    if (!bytes.empty()) memcpy(image, bytes.data(), bytes.size());
    Loaded result = run_load(image, LOAD_3DS_MEMORY, (uint32_t)bytes.size());
    free(image);
    return result;
}

Loaded load_file(const std::vector<uint8_t>& bytes, size_t prefix)
{
    FILE* stream = tmpfile();
    if (!stream) {
        Loaded failed;
        failed.error = "test could not create a temporary file";
        return failed;
    }
    for (size_t i = 0; i < prefix; ++i) fputc(0xEE, stream);
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), stream);
    fseek(stream, (long)prefix, SEEK_SET);
    Loaded result = run_load(stream, LOAD_3DS_FILE, 0);
    fclose(stream);
    return result;
}
