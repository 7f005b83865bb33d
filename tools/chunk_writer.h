// chunk_writer.h - builds 3DS chunk streams in memory: open a chunk, put
// little-endian fields, close it, and its length is filled in. The chunks
// themselves are in write_3ds.h.
#ifndef TOOLS_CHUNK_WRITER_H
#define TOOLS_CHUNK_WRITER_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct ChunkWriter {
    std::vector<uint8_t> bytes;
    std::vector<size_t> open_chunks;  // header offsets of the chunks not yet closed
    uint32_t track_unused_word = 0;   // written into the two unused words of every track header
};

void put_u8(ChunkWriter* w, uint8_t value);
void put_u16(ChunkWriter* w, uint16_t value);
void put_u32(ChunkWriter* w, uint32_t value);
void put_float(ChunkWriter* w, float value);
void put_floats(ChunkWriter* w, const float* values, size_t count);
// The text's bytes and a NUL.
void put_string(ChunkWriter* w, const char* text);
void put_bytes(ChunkWriter* w, const void* data, size_t count);

// Writes a header with id and a length to be filled in by end_chunk.
void begin_chunk(ChunkWriter* w, uint16_t id);
// Sets the length of the innermost open chunk to the bytes written since
// its header (header included).
void end_chunk(ChunkWriter* w);
// A header whose length is given, not computed: for streams that lie.
void put_chunk_header(ChunkWriter* w, uint16_t id, uint32_t length);

// Overwrites the 4 bytes at offset with value (a length fix-up).
void patch_u32(ChunkWriter* w, size_t offset, uint32_t value);

#endif
