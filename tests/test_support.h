// test_support.h - what the reader's tests share: loading a built stream
// with either byte source, allocation-failure injection, and the streams
// the tests write (with the chunks of write_3ds.h).
#ifndef TESTS_TEST_SUPPORT_H
#define TESTS_TEST_SUPPORT_H

#include <stdint.h>

#include <string>
#include <vector>

#include "load_3ds.h"
#include "write_3ds.h"

// The outcome of one load: the scene (released with the Loaded) or the text.
struct Loaded {
    Scene* scene = nullptr;
    std::string error;
    Loaded() = default;
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    Loaded(Loaded&& other) noexcept : scene(other.scene), error(std::move(other.error)) { other.scene = nullptr; }
    ~Loaded() { free_scene(scene); }
};

Loaded load_memory(const std::vector<uint8_t>& bytes);
// Loads through a temporary stdio stream holding `prefix` junk bytes and
// then the stream, positioned after the junk.
Loaded load_file(const std::vector<uint8_t>& bytes, size_t prefix = 0);

// What the reader makes of a material without property chunks: zero bytes
// (padding too) but for the MATERIAL_DEFAULT_* colours and shininess and a
// texture scale of 1.
Material default_material();

// Allocation failures: the n-th call (1-based) from now of calloc or realloc
// returns null; 0 disarms. The reader's calls go through these wrappers.
void fail_calloc_call(int n);
void fail_realloc_call(int n);
// Sizes of the calloc and realloc requests since the last fail_* call.
extern std::vector<size_t> g_calloc_sizes;
extern std::vector<size_t> g_realloc_sizes;

// A whole stream: a main chunk holding what `body` writes. Its track
// headers carry 0xDEADBEEF in their unused words, which the reader drops.
template <typename Body>
std::vector<uint8_t> test_stream(Body body)
{
    return main_chunk([&](ChunkWriter* w) {
        w->track_unused_word = 0xDEADBEEF;
        body(w);
    });
}

#endif
