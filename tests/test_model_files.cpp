// headsaver's files: the model opened only when it is a regular file (a
// FIFO is refused without blocking), and texture images found ignoring the
// case of their names.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "model_files.h"

namespace {

// What the file holds, or "(none)" when there is no file; closes it.
std::string contents(FILE* file)
{
    if (file == nullptr) return "(none)";
    char text[16] = "";
    size_t n = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    return std::string(text, n);
}

TEST(ModelFiles, RegularFilesOnlyAndNamesIgnoringCase)
{
    char dir_template[] = "/tmp/model-files.XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string folder = std::string(dir_template) + "/";
    FILE* wood = fopen((folder + "Wood.JPG").c_str(), "wb");
    ASSERT_NE(wood, nullptr);
    fputs("wood", wood);
    fclose(wood);
    ASSERT_EQ(mkfifo((folder + "pipe.jpg").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder + "Maps.jpg").c_str(), 0700), 0);

    EXPECT_EQ(contents(open_ignoring_case(folder.c_str(), "Wood.JPG")), "wood");
    EXPECT_EQ(contents(open_ignoring_case(folder.c_str(), "wOOD.jpg")), "wood");
    for (const char* other : {"PIPE.JPG", "pipe.jpg", "maps.jpg", "wood.jp", "wood.jpgx"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(contents(open_ignoring_case(folder.c_str(), other)), "(none)");
    }
    const struct {
        const char* name;
        const char* why;
    } refused[] = {{"pipe.jpg", "not a regular file: a FIFO"},
                   {"Maps.jpg", "not a regular file: a directory"},
                   {"missing", "No such file or directory"}};
    for (const auto& r : refused) {
        char why[64] = "";
        EXPECT_EQ(contents(open_regular_file((folder + r.name).c_str(), why, sizeof why)), "(none)");
        EXPECT_STREQ(why, r.why);
    }
    char why[64] = "";
    EXPECT_EQ(contents(open_regular_file("/dev/null", why, sizeof why)), "(none)");
    EXPECT_STREQ(why, "not a regular file: a character device");

    for (const char* name : {"Wood.JPG", "pipe.jpg"}) unlink((folder + name).c_str());
    rmdir((folder + "Maps.jpg").c_str());
    rmdir(dir_template);
}

}  // namespace
