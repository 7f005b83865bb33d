// reader_internal.h - what the parts of the 3DS reader share: the reader
// state, the byte source, the chunk walk, and the chunk handlers that the
// main chunk dispatches to. Not for callers of the reader.
//
// Every routine here either succeeds or leaves through the single error
// exit (fail): it writes one text into the caller's buffer and jumps back
// into load_3ds, abandoning every handler in progress. No handler cleans up
// on its own; everything it allocates is attached to the scene at once, so
// free_scene reaches it.
#ifndef MODEL3DS_READER_INTERNAL_H
#define MODEL3DS_READER_INTERNAL_H

#include <setjmp.h>
#include <stdint.h>
#include <stdio.h>

#include "chunk_ids.h"
#include "scene.h"

// Reader state, set afresh by each load.
extern char* g_error_text;
extern jmp_buf g_error_jump;
extern Scene* g_loading_scene;
extern void (*g_read)(void* destination, uint32_t count);
extern void (*g_seek)(uint32_t position);
extern uint32_t (*g_tell)();
// Copies up to count bytes from position on into destination and returns
// how many there were: fewer where the data ends first, 0 at a position
// the source cannot reach. Never fails the load; it leaves the reading
// position undefined, so the caller seeks to an absolute position next.
extern uint32_t (*g_peek)(uint32_t position, void* destination, uint32_t count);
extern FILE* g_file;
extern const uint8_t* g_mem_base;
extern uint32_t g_mem_size;
extern uint32_t g_mem_pos;

// Writes a printf-style text into the caller's buffer and takes the error
// exit. Never returns.
[[noreturn]] void fail(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Zero-filled heap block of size bytes (size 0 gives an empty block).
void* alloc_zeroed(uint32_t size);

// Reads a NUL-terminated string into destination (which holds max bytes).
// A string of up to max - 1 characters is read whole; a longer one keeps
// its first max - 1 characters and is consumed up to and including its NUL.
// Data that ends before the NUL fails the load as any read past the end.
void read_string(char* destination, uint32_t max);

// Little-endian fields from the byte source.
uint8_t read_u8();
uint16_t read_u16();
uint32_t read_u32();
float read_float();
void read_floats(float* destination, uint32_t count);
// Moves the position count bytes forward.
void skip_bytes(uint32_t count);

// Little-endian fields from bytes already read.
inline uint16_t le_u16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
inline uint32_t le_u32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
float le_float(const uint8_t* p);

// The chunk walk that every container handler runs over its children:
//
//     ChunkWalk walk;
//     walk_begin(&walk, end);
//     while (walk_next(&walk)) {
//         switch (walk.id) { ... handle the child, up to walk.child_end ... }
//         walk_skip(&walk);
//     }
//
// walk_skip seeks to the child's end, so a handler may read less (or more)
// than its child. Seeks are absolute: a child that runs past its parent
// simply ends the parent's walk. A child length below the 6-byte header, or
// one whose end would wrap past 2^32, is rejected: such a walk would never
// advance.
struct ChunkWalk {
    uint32_t end;          // the parent chunk's end
    uint32_t child_start;  // position of the current child's header
    uint32_t child_end;    // child_start + the child's length
    uint16_t id;           // the current child's id
};

void walk_begin(ChunkWalk* walk, uint32_t end);
bool walk_next(ChunkWalk* walk);
void walk_skip(ChunkWalk* walk);
// Goes on from the current position instead of the child's end (the face
// list, whose sub-chunks follow its faces).
void walk_continue_here(ChunkWalk* walk);

// Checks a chunk length read at start and returns start + length.
uint32_t chunk_end(uint32_t start, uint32_t length);

// List growth: append one zero-filled record to the scene's list. The
// array grows by doubling, so it may hold spare records past the count.
Mesh* add_mesh();
Camera* add_camera();
Light* add_light();
Material* add_material();

// Index of the first record whose name equals name exactly, or -1. Lookups
// go through a hash index of the names that is brought up to date with the
// list on each call, so a scene with many objects is read in linear time.
int find_mesh(const char* name);
int find_camera(const char* name);
int find_light(const char* name);
int find_material(const char* name);
// Materials are looked up by their whole names, however long: a name field
// keeps only the first characters of a longer name, and two materials whose
// names share those stay apart. read_material_name reads the name of the
// material being read (the last of the list) into its record and keeps the
// whole name for the load; read_material_reference reads a name that refers
// to a material into name (max bytes, as read_string does) and returns the
// index of the first material of that whole name, or -1.
void read_material_name(Material* material);
int read_material_reference(char* name, uint32_t max);
// Releases the name indexes and the whole names of the current load.
void free_name_indexes();

// When set, a material's property chunks are walked over unread, as if the
// reader knew only material names: a check for the rule that reading the
// properties never changes whether a load succeeds or what its error text
// says. Off in every load of the program.
extern bool g_ignore_material_properties;

// Handlers of the main chunk's children.
void read_editor_chunk(uint32_t end);
void read_keyframer(uint32_t end);

#endif
