// file_bytes.h - reading a whole file, and little-endian fields out of its
// bytes, for the tests that look inside the committed resources and real
// files.
#ifndef TESTS_FILE_BYTES_H
#define TESTS_FILE_BYTES_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

// The bytes of the file at path; empty when it cannot be opened.
inline std::vector<uint8_t> read_file_bytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

inline uint32_t u8_at(const std::vector<uint8_t>& b, size_t at) { return b.at(at); }
inline uint16_t u16_at(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b.at(at) | b.at(at + 1) << 8); }
inline uint32_t u32_at(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)u16_at(b, at) | (uint32_t)u16_at(b, at + 2) << 16;
}
inline int32_t i32_at(const std::vector<uint8_t>& b, size_t at) { return (int32_t)u32_at(b, at); }
inline float float_at(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t bits = u32_at(b, at);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

#endif
