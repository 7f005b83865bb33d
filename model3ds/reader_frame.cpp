// reader_frame.cpp - the frame of the 3DS reader: load_3ds, the two byte
// sources (stdio stream, memory image), the field readers, the chunk walk,
// read_string, alloc_zeroed and the single error exit.
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "load_3ds.h"
#include "reader_internal.h"

char* g_error_text;
jmp_buf g_error_jump;
Scene* g_loading_scene;
void (*g_read)(void* destination, uint32_t count);
void (*g_seek)(uint32_t position);
uint32_t (*g_tell)();
uint32_t (*g_peek)(uint32_t position, void* destination, uint32_t count);
FILE* g_file;
const uint8_t* g_mem_base;
uint32_t g_mem_size;
uint32_t g_mem_pos;

void fail(const char* format, ...)
{
    if (g_error_text) {
        va_list args;
        va_start(args, format);
        vsnprintf(g_error_text, LOAD_3DS_ERROR_TEXT_SIZE, format, args);
        va_end(args);
    }
    longjmp(g_error_jump, 1);
}

// --- File method: a stdio stream, positions are the stream's own. ---

static void file_read(void* destination, uint32_t count)
{
    if (fread(destination, count, 1, g_file) != 1) fail("Error reading file.");
}

static void file_seek(uint32_t position)
{
    // Positions beyond what a long holds on every platform are refused the
    // same way everywhere, so a 32-bit build gives the same results.
    if (position > (uint32_t)INT32_MAX || fseek(g_file, (long)position, SEEK_SET) != 0)
        fail("Error moving file pointer.");
}

static uint32_t file_tell()
{
    long position = ftell(g_file);
    if (position < 0 || (unsigned long)position > UINT32_MAX) fail("Error reading file position.");
    return (uint32_t)position;
}

static uint32_t file_peek(uint32_t position, void* destination, uint32_t count)
{
    if (position > (uint32_t)INT32_MAX || fseek(g_file, (long)position, SEEK_SET) != 0) return 0;
    return (uint32_t)fread(destination, 1, count, g_file);
}

// --- Memory method: offsets into the caller's image. ---

static void mem_read(void* destination, uint32_t count)
{
    if (count > g_mem_size - g_mem_pos) fail("Trying to read past memory buffer.");
    memcpy(destination, g_mem_base + g_mem_pos, count);
    g_mem_pos += count;
}

static void mem_seek(uint32_t position)
{
    if (position > g_mem_size) fail("Trying to set pointer past memory buffer.");
    g_mem_pos = position;
}

static uint32_t mem_tell() { return g_mem_pos; }

static uint32_t mem_peek(uint32_t position, void* destination, uint32_t count)
{
    if (position >= g_mem_size) return 0;
    if (count > g_mem_size - position) count = g_mem_size - position;
    memcpy(destination, g_mem_base + position, count);
    return count;
}

// --- Fields ---

float le_float(const uint8_t* p)
{
    uint32_t bits = le_u32(p);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

uint8_t read_u8()
{
    uint8_t byte;
    g_read(&byte, 1);
    return byte;
}

uint16_t read_u16()
{
    uint8_t bytes[2];
    g_read(bytes, 2);
    return le_u16(bytes);
}

uint32_t read_u32()
{
    uint8_t bytes[4];
    g_read(bytes, 4);
    return le_u32(bytes);
}

float read_float()
{
    uint8_t bytes[4];
    g_read(bytes, 4);
    return le_float(bytes);
}

void read_floats(float* destination, uint32_t count)
{
    uint8_t bytes[64];
    while (count > 0) {
        uint32_t n = count < 16 ? count : 16;
        g_read(bytes, n * 4);
        for (uint32_t i = 0; i < n; ++i) destination[i] = le_float(bytes + 4 * i);
        destination += n;
        count -= n;
    }
}

void skip_bytes(uint32_t count)
{
    // A target past 2^32 is past every source's end; seeking there fails
    // instead of wrapping back to the start.
    uint32_t position = g_tell();
    g_seek(count > UINT32_MAX - position ? UINT32_MAX : position + count);
}

void read_string(char* destination, uint32_t max)
{
    uint32_t i = 0;
    for (;;) {
        g_read(&destination[i], 1);
        ++i;
        if (destination[i - 1] == '\0') return;
        if (i == max) break;
    }
    // A longer string keeps its first max - 1 characters; the rest of it is
    // read up to and including its NUL, so the next field starts after it.
    destination[max - 1] = '\0';
    char rest;
    do g_read(&rest, 1);
    while (rest != '\0');
}

void* alloc_zeroed(uint32_t size)
{
    void* block = calloc(size ? size : 1, 1);
    if (!block) fail("Failed to allocate memory (%u bytes).", size);
    return block;
}

// --- Chunk walk ---

uint32_t chunk_end(uint32_t start, uint32_t length)
{
    if (length < 6 || length > UINT32_MAX - start) fail("Bad chunk length %u at position %u.", length, start);
    return start + length;
}

void walk_begin(ChunkWalk* walk, uint32_t end)
{
    walk->end = end;
    walk->child_start = g_tell();
    walk->child_end = walk->child_start;
    walk->id = 0;
}

bool walk_next(ChunkWalk* walk)
{
    if (walk->child_start >= walk->end) return false;
    uint8_t header[6];
    g_read(header, 6);
    walk->id = le_u16(header);
    walk->child_end = chunk_end(walk->child_start, le_u32(header + 2));
    return true;
}

void walk_skip(ChunkWalk* walk)
{
    g_seek(walk->child_end);
    walk->child_start = g_tell();
}

void walk_continue_here(ChunkWalk* walk) { walk->child_start = g_tell(); }

// --- Entry ---

static void read_main_chunk(uint32_t end)
{
    ChunkWalk walk;
    walk_begin(&walk, end);
    while (walk_next(&walk)) {
        switch (walk.id) {
        case CHUNK_EDITOR:
            read_editor_chunk(walk.child_end);
            break;
        case CHUNK_KEYFRAMER:
            read_keyframer(walk.child_end);
            break;
        }
        walk_skip(&walk);
    }
}

// Walks the main chunk and runs the passes that complete a scene. Every
// failure inside leaves through fail() back into load_3ds.
static void parse_scene()
{
    uint32_t start = g_tell();
    uint8_t header[6];
    g_read(header, 6);
    if (le_u16(header) != CHUNK_MAIN) fail("This is not 3ds data.");
    read_main_chunk(chunk_end(start, le_u32(header + 2)));

    Scene* scene = g_loading_scene;
    for (int32_t i = 0; i < scene->mesh_count; ++i) compute_object_matrix(&scene->meshes[i]);
    mark_parent_meshes(scene);
}

Scene* load_3ds(char* error_text, const void* source, int method, uint32_t size)
{
    if (!source) return nullptr;
    g_error_text = error_text;
    if (method == LOAD_3DS_FILE) {
        g_file = (FILE*)source;
        g_read = file_read;
        g_seek = file_seek;
        g_tell = file_tell;
        g_peek = file_peek;
    } else if (method == LOAD_3DS_MEMORY) {
        g_mem_pos = 0;
        g_mem_size = size;
        g_mem_base = (const uint8_t*)source;
        g_read = mem_read;
        g_seek = mem_seek;
        g_tell = mem_tell;
        g_peek = mem_peek;
    } else {
        if (error_text) snprintf(error_text, LOAD_3DS_ERROR_TEXT_SIZE, "Invalid reading method selected (%d).", method);
        return nullptr;
    }

    g_loading_scene = (Scene*)calloc(1, sizeof(Scene));
    if (!g_loading_scene) return nullptr;

    if (setjmp(g_error_jump) != 0) {
        free_name_indexes();
        free_scene(g_loading_scene);
        g_loading_scene = nullptr;
        return nullptr;
    }
    parse_scene();
    free_name_indexes();
    Scene* scene = g_loading_scene;
    g_loading_scene = nullptr;
    return scene;
}
