// The two byte sources behind load_3ds, its arguments, and where each
// source runs out of data.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "test_support.h"

namespace {

// The 6 bytes of a chunk header.
std::vector<uint8_t> header_of(uint16_t id, uint32_t length)
{
    ChunkWriter w;
    put_chunk_header(&w, id, length);
    return w.bytes;
}

// A main chunk and its version child with the lengths given (true or not),
// then the version's 4 bytes when `version` is set.
std::vector<uint8_t> main_and_child(uint32_t main_length, uint32_t child_length, bool version)
{
    ChunkWriter w;
    put_chunk_header(&w, CHUNK_MAIN, main_length);
    put_chunk_header(&w, CHUNK_FILE_VERSION, child_length);
    if (version) put_u32(&w, 3);
    return w.bytes;
}

TEST(LoadArguments, NullSourceReturnsNullAndLeavesTheBufferAlone)
{
    char text[64] = "untouched";
    EXPECT_EQ(load_3ds(text, nullptr, LOAD_3DS_MEMORY, 10), nullptr);
    EXPECT_EQ(load_3ds(text, nullptr, LOAD_3DS_FILE, 0), nullptr);
    EXPECT_STREQ(text, "untouched");
}

TEST(LoadArguments, UnknownMethodIsNamedInTheText)
{
    std::vector<uint8_t> image = header_of(CHUNK_MAIN, 6);
    for (int method : {2, -1, 7}) {
        char text[64] = "";
        EXPECT_EQ(load_3ds(text, image.data(), method, (uint32_t)image.size()), nullptr);
        EXPECT_EQ(std::string(text), "Invalid reading method selected (" + std::to_string(method) + ").");
    }
}

TEST(LoadArguments, SceneRecordThatCannotBeAllocatedWritesNoText)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter*) {});
    fail_calloc_call(1);
    Loaded loaded = load_memory(image);
    EXPECT_EQ(loaded.scene, nullptr);
    EXPECT_EQ(loaded.error, std::string(64, '\x55'));  // the buffer as the test filled it
}

TEST(LoadArguments, EmptyMainChunkGivesAnEmptyScene)
{
    std::vector<uint8_t> image = header_of(CHUNK_MAIN, 6);
    Loaded from_memory = load_memory(image);
    Loaded from_file = load_file(image);
    for (const Loaded* l : {&from_memory, &from_file}) {
        ASSERT_NE(l->scene, nullptr) << l->error;
        EXPECT_EQ(l->scene->mesh_count, 0);
        EXPECT_EQ(l->scene->material_count, 0);
        EXPECT_EQ(l->scene->camera_count, 0);
        EXPECT_EQ(l->scene->light_count, 0);
        EXPECT_EQ(l->scene->meshes, nullptr);
        EXPECT_EQ(l->scene->materials, nullptr);
        EXPECT_EQ(l->scene->cameras, nullptr);
        EXPECT_EQ(l->scene->lights, nullptr);
    }
}

// Each case fails the same way in both sources, or in the way that each
// source runs out of data.
struct SourceCase {
    const char* name;
    std::vector<uint8_t> image;
    const char* memory_text;
    const char* file_text;  // null: the file source loads it
};

std::vector<SourceCase> source_cases()
{
    std::vector<SourceCase> cases;
    cases.push_back(
        {"not the main chunk", header_of(CHUNK_EDITOR, 6), "This is not 3ds data.", "This is not 3ds data."});
    cases.push_back({"empty image", {}, "Trying to read past memory buffer.", "Error reading file."});
    std::vector<uint8_t> five_bytes = header_of(CHUNK_MAIN, 6);
    five_bytes.pop_back();
    cases.push_back({"five bytes", five_bytes, "Trying to read past memory buffer.", "Error reading file."});
    // The main chunk claims 4 bytes more than there are: after the last
    // complete child the next header read runs out.
    cases.push_back({"main chunk longer than the image", main_and_child(16 + 4, 10, true),
                     "Trying to read past memory buffer.", "Error reading file."});
    // A child whose length runs past the image: the memory seek fails at
    // once, the file seek succeeds and the next header read fails.
    cases.push_back({"child past the image", main_and_child(40, 30, true), "Trying to set pointer past memory buffer.",
                     "Error reading file."});
    // Main chunk and its child both end one byte past the image: the memory
    // seek fails; the file seek succeeds and the walk is over.
    cases.push_back({"child one byte past the image", main_and_child(17, 11, true),
                     "Trying to set pointer past memory buffer.", nullptr});
    // A seek beyond what a file position can hold on every platform.
    cases.push_back({"seek beyond 2 GiB", main_and_child(0xF0000000u, 0x80000000u, false),
                     "Trying to set pointer past memory buffer.", "Error moving file pointer."});
    return cases;
}

TEST(ByteSources, RunningOutOfDataTable)
{
    for (const SourceCase& c : source_cases()) {
        SCOPED_TRACE(c.name);
        Loaded m = load_memory(c.image);
        EXPECT_EQ(m.scene, nullptr);
        EXPECT_EQ(m.error, c.memory_text);
        Loaded f = load_file(c.image);
        if (c.file_text) {
            EXPECT_EQ(f.scene, nullptr);
            EXPECT_EQ(f.error, c.file_text);
        } else {
            EXPECT_NE(f.scene, nullptr) << f.error;
        }
    }
}

TEST(ByteSources, SeekToExactlyTheImageEndSucceedsAndReadingThereFails)
{
    // The one child ends exactly at the image's end: fine. With the main
    // chunk claiming one more byte, the walk then reads a header there.
    Loaded exact = load_memory(main_and_child(16, 10, true));
    EXPECT_NE(exact.scene, nullptr) << exact.error;

    Loaded past = load_memory(main_and_child(16 + 1, 10, true));
    EXPECT_EQ(past.scene, nullptr);
    EXPECT_EQ(past.error, "Trying to read past memory buffer.");
}

TEST(ByteSources, BytesPastTheMainChunkAreNeverRead)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        put_mesh_object(w, "a", {{1, 2, 3}}, {});
        end_chunk(w);
    });
    // Trailing bytes that would fail the load if the walk went on there.
    std::vector<uint8_t> padded = image;
    padded.insert(padded.end(), {0x00, 0x00, 0x01, 0x00});
    for (const std::vector<uint8_t>* bytes : {&image, &padded}) {
        Loaded m = load_memory(*bytes);
        Loaded f = load_file(*bytes);
        ASSERT_NE(m.scene, nullptr) << m.error;
        ASSERT_NE(f.scene, nullptr) << f.error;
        EXPECT_EQ(m.scene->mesh_count, 1);
        EXPECT_EQ(f.scene->mesh_count, 1);
    }
}

TEST(ByteSources, FileStreamIsParsedFromItsCurrentPosition)
{
    std::vector<uint8_t> image = test_stream([](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        put_mesh_object(w, "first", {{1, 2, 3}, {4, 5, 6}}, {{0, 1, 0, 7}});
        end_chunk(w);
    });
    image.insert(image.end(), 20, 0xFF);  // past the main chunk: never read
    Loaded loaded = load_file(image, 37);
    ASSERT_NE(loaded.scene, nullptr) << loaded.error;
    ASSERT_EQ(loaded.scene->mesh_count, 1);
    EXPECT_STREQ(loaded.scene->meshes[0].name, "first");
    EXPECT_EQ(loaded.scene->meshes[0].vertex_count, 2);
    EXPECT_EQ(loaded.scene->meshes[0].faces[0].flags, 7);
}

TEST(ByteSources, FailureLeavesExactlyOneTerminatedText)
{
    // The buffer is filled with 0x55 before the load; the text must end in
    // a NUL well inside it, with nothing of an earlier text behind.
    ChunkWriter w;
    put_chunk_header(&w, CHUNK_MAIN, 100);
    put_u16(&w, CHUNK_FILE_VERSION);
    Loaded loaded = load_memory(w.bytes);
    EXPECT_EQ(loaded.scene, nullptr);
    EXPECT_EQ(loaded.error, "Trying to read past memory buffer.");
}

#ifndef _WIN32
TEST(ByteSources, StreamWithoutPositionsIsRejected)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<uint8_t> image = header_of(CHUNK_MAIN, 6);
    ASSERT_EQ(write(fds[1], image.data(), image.size()), (ssize_t)image.size());
    close(fds[1]);
    FILE* stream = fdopen(fds[0], "rb");
    ASSERT_NE(stream, nullptr);
    char text[64] = "";
    Scene* scene = load_3ds(text, stream, LOAD_3DS_FILE, 0);
    fclose(stream);
    EXPECT_EQ(scene, nullptr);
    free_scene(scene);
    EXPECT_STREQ(text, "Error reading file position.");
}
#endif

}  // namespace
