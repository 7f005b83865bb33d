// chunk_writer.cpp - builds 3DS chunk streams in memory.
#include "chunk_writer.h"

#include <string.h>

void put_bytes(ChunkWriter* w, const void* data, size_t count)
{
    const uint8_t* p = (const uint8_t*)data;
    w->bytes.insert(w->bytes.end(), p, p + count);
}

void put_u8(ChunkWriter* w, uint8_t value) { w->bytes.push_back(value); }

void put_u16(ChunkWriter* w, uint16_t value)
{
    w->bytes.push_back((uint8_t)value);
    w->bytes.push_back((uint8_t)(value >> 8));
}

void put_u32(ChunkWriter* w, uint32_t value)
{
    for (int i = 0; i < 4; ++i) w->bytes.push_back((uint8_t)(value >> (8 * i)));
}

void put_float(ChunkWriter* w, float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    put_u32(w, bits);
}

void put_floats(ChunkWriter* w, const float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i) put_float(w, values[i]);
}

void put_string(ChunkWriter* w, const char* text) { put_bytes(w, text, strlen(text) + 1); }

void put_chunk_header(ChunkWriter* w, uint16_t id, uint32_t length)
{
    put_u16(w, id);
    put_u32(w, length);
}

void begin_chunk(ChunkWriter* w, uint16_t id)
{
    w->open_chunks.push_back(w->bytes.size());
    put_chunk_header(w, id, 0);
}

void patch_u32(ChunkWriter* w, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) w->bytes[offset + i] = (uint8_t)(value >> (8 * i));
}

void end_chunk(ChunkWriter* w)
{
    size_t start = w->open_chunks.back();
    w->open_chunks.pop_back();
    patch_u32(w, start + 2, (uint32_t)(w->bytes.size() - start));
}
