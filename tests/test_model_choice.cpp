// choose_scene: the user's model when it can be shown, else the medal with
// the reason; and the model's folder, where its textures are looked for,
// and the names of files inside it.
#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_names.h"
#include "fit_scene.h"
#include "model_choice.h"
#include "write_3ds.h"

namespace {

// Opens path as fopen does, with the system's text as the reason.
FILE* open_plainly(const char* path, char* why, size_t why_size)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) snprintf(why, why_size, "%s", strerror(errno));
    return file;
}

// A stream of one mesh named name over positions (none: an empty editor).
std::vector<uint8_t> model_bytes(const char* name, const std::vector<Vec3>& positions)
{
    return main_chunk([&](ChunkWriter* w) {
        begin_chunk(w, CHUNK_EDITOR);
        if (!positions.empty()) put_mesh_object(w, name, positions, {{0, 1, 2, FACE_EDGES_VISIBLE}});
        end_chunk(w);
    });
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

TEST(ModelChoice, TheUsersModelWhenItCanBeShownElseTheMedalAndWhy)
{
    const std::string folder = testing::TempDir();
    const std::string good = folder + "choice-good.3ds";
    const std::string empty = folder + "choice-empty.3ds";
    const std::string junk = folder + "choice-junk.3ds";
    write_file(good, model_bytes("user", {{0, 0, 0}, {8, 0, 0}, {0, 8, 0}}));
    write_file(empty, model_bytes("user", {}));
    write_file(junk, std::vector<uint8_t>(40, 'x'));
    // The medal is not fitted: its vertex keeps its size, Y and Z exchanged.
    const std::vector<uint8_t> medal = model_bytes("medal", {{10, 20, 30}, {10, 20, 31}, {10, 21, 30}});
    const std::string missing = folder + "choice-missing.3ds";

    const struct {
        const char* path;
        Look look;
        bool shown;
        const char* why;
    } cases[] = {
        {nullptr, LOOK_AS_FILE, false, ""},
        {"", LOOK_AS_FILE, false, ""},
        {missing.c_str(), LOOK_AS_FILE, false, "No such file or directory"},
        {junk.c_str(), LOOK_AS_FILE, false, "This is not 3ds data."},
        {empty.c_str(), LOOK_AS_FILE, false, "the model has no vertices to show"},
        {good.c_str(), LOOK_AS_FILE, true, ""},
        {good.c_str(), LOOK_PLAIN, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path != nullptr ? c.path : "(null)");
        g_drawn_mesh_count = -1;
        g_look = c.look == LOOK_PLAIN ? LOOK_AS_FILE : LOOK_PLAIN;
        strcpy(g_texture_folder, "stale/");
        char why[64] = "stale";
        EXPECT_EQ(choose_scene(c.path, c.look, open_plainly, medal.data(), (uint32_t)medal.size(), why, sizeof why),
                  c.shown);
        EXPECT_STREQ(why, c.why);
        ASSERT_NE(g_scene, nullptr);
        ASSERT_EQ(g_scene->mesh_count, 1);
        const Vec3 first = g_scene->meshes[0].vertices[0].position;
        if (c.shown) {
            EXPECT_STREQ(g_scene->meshes[0].name, "user");
            EXPECT_EQ(g_drawn_mesh_count, INT32_MAX);
            EXPECT_EQ(g_look, c.look);
            EXPECT_EQ(g_texture_folder, folder);
            // Fitted: the box's centre (4, 4) at the origin, (0, 0, 0) at
            // the radius.
            EXPECT_NEAR(sqrt(first.x * first.x + first.y * first.y + first.z * first.z), FIT_SPHERE_RADIUS, 1e-4);
        } else {
            EXPECT_STREQ(g_scene->meshes[0].name, "medal");
            EXPECT_EQ(g_drawn_mesh_count, 2);
            EXPECT_EQ(g_look, LOOK_PLAIN);
            EXPECT_STREQ(g_texture_folder, "");
            EXPECT_EQ(first.y, 30.0f);
        }
        free_scene(g_scene);
        g_scene = nullptr;
    }
    for (const std::string& path : {good, empty, junk}) remove(path.c_str());
}

TEST(ModelChoice, TheModelsFolderEndsWithItsSeparator)
{
    const char* cases[][3] = {
        {"m.3ds", "/", "./"},
        {"/m.3ds", "/", "/"},
        {"a/b/m.3ds", "/", "a/b/"},
        {"/x y/M.3DS", "/", "/x y/"},
        {"a\\m.3ds", "/", "./"},
        {"C:\\Models\\x.3ds", "\\/:", "C:\\Models\\"},
        {"C:/Models/x.3ds", "\\/:", "C:/Models/"},
        {"C:x.3ds", "\\/:", "C:"},
        {"x.3ds", "\\/:", ""},
        {"abcdefghijklmnop/m.3ds", "/", ""},  // does not fit the 16 bytes
    };
    for (const auto& c : cases) {
        char folder[16] = "?";
        model_folder(c[0], c[1], folder, sizeof folder);
        EXPECT_STREQ(folder, c[2]) << c[0] << " with " << c[1];
    }
}

// Buffers on the heap of exactly their size, around the folder's length:
// the folder and its end fit, or "" is written; no byte past the buffer.
TEST(ModelChoice, TheModelsFolderFitsItsBufferOrIsEmpty)
{
    const struct {
        const char* path;
        size_t size;
        const char* folder;
    } cases[] = {
        {"a/b/m.3ds", 3, ""}, {"a/b/m.3ds", 4, ""}, {"a/b/m.3ds", 5, "a/b/"}, {"m.3ds", 2, ""},
        {"m.3ds", 3, "./"},   {"/m.3ds", 1, ""},    {"/m.3ds", 2, "/"},
    };
    for (const auto& c : cases) {
        std::vector<char> folder(c.size, '?');
        model_folder(c.path, "/", folder.data(), folder.size());
        EXPECT_STREQ(folder.data(), c.folder) << c.path << " in " << c.size << " bytes";
    }
    char untouched = '?';
    model_folder("a/b/m.3ds", "/", &untouched, 0);
    EXPECT_EQ(untouched, '?') << "a buffer of 0 bytes was written";
}

// The names a model may give for its textures and other files: only those
// inside its folder.
TEST(ModelChoice, OnlyNamesInsideTheModelsFolder)
{
    const struct {
        const char* name;
        bool allowed;
    } cases[] = {
        {"wood.bmp", true},
        {"WOOD.BMP", true},
        {"maps/wood.bmp", true},
        {"maps\\wood.bmp", true},
        {"a b/c.d.e.tga", true},
        {"...wood.bmp", true},
        {"console.bmp", true},
        {"com10.bmp", true},
        {"lpt0.bmp", true},
        {"nulls/x.bmp", true},
        {"", false},
        {"..", false},
        {"../wood.bmp", false},
        {"..\\wood.bmp", false},
        {"maps/../../wood.bmp", false},
        {"maps\\..\\..\\wood.bmp", false},
        {"maps/..", false},
        {"./wood.bmp", false},
        {".../wood.bmp", false},
        {".. /wood.bmp", false},
        {"maps//wood.bmp", false},
        {"maps/", false},
        {"/etc/passwd", false},
        {"\\Windows\\win.ini", false},
        {"\\\\server\\share\\wood.bmp", false},
        {"//server/share/wood.bmp", false},
        {"\\\\?\\C:\\wood.bmp", false},
        {"C:\\wood.bmp", false},
        {"C:wood.bmp", false},
        {"c:/wood.bmp", false},
        {"http://example.com/wood.bmp", false},
        {"file:wood.bmp", false},
        {"wood.bmp:stream", false},
        {"CON", false},
        {"con.bmp", false},
        {"Prn.tga", false},
        {"aux", false},
        {"NUL.bmp.png", false},
        {"nul .bmp", false},
        {"COM1", false},
        {"com9.bmp", false},
        {"LPT1.jpg", false},
        {"lpt9", false},
        {"com\xB9.bmp", false},
        {"LPT\xC2\xB2", false},
        {"com\xC2\xAA.bmp", true},
        {"conin$", false},
        {"CONOUT$.bmp", false},
        {"maps/con/wood.bmp", false},
        {"maps\\aux.bmp", false},
        {"wood\n.bmp", false},
    };
    for (const auto& c : cases) EXPECT_EQ(name_inside_folder(c.name), c.allowed) << "\"" << c.name << "\"";
}

}  // namespace
