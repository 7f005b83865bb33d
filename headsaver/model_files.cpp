// model_files.cpp - opening the model and its texture images; see
// model_files.h.
#include "model_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

const char* kind_of_file(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "of an unknown kind";
}

bool equal_ignoring_ascii_case(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; a++, b++) {
        char x = (*a >= 'A' && *a <= 'Z') ? (char)(*a - 'A' + 'a') : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? (char)(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

FILE* open_regular_file(const char* path, char* why, size_t why_size)
{
    struct stat status;
    // The kind is looked at before opening, so that a FIFO is never opened;
    // O_NONBLOCK and fstat cover a file replaced in between.
    if (stat(path, &status) != 0) {
        snprintf(why, why_size, "%s", strerror(errno));
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        snprintf(why, why_size, "not a regular file: %s", kind_of_file(status.st_mode));
        return nullptr;
    }
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        snprintf(why, why_size, "%s", strerror(errno));
        return nullptr;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        snprintf(why, why_size, "not a regular file: %s", kind_of_file(status.st_mode));
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        snprintf(why, why_size, "%s", strerror(errno));
        close(fd);
    }
    return file;
}

FILE* open_ignoring_case(const char* folder, const char* name)
{
    char why[128];
    FILE* file = open_regular_file((std::string(folder) + name).c_str(), why, sizeof why);
    if (file != nullptr || strchr(name, '/') != nullptr) return file;
    DIR* dir = opendir(folder[0] != '\0' ? folder : ".");
    if (dir == nullptr) return nullptr;
    while (file == nullptr) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) break;
        if (equal_ignoring_ascii_case(entry->d_name, name)) {
            file = open_regular_file((std::string(folder) + entry->d_name).c_str(), why, sizeof why);
        }
    }
    closedir(dir);
    return file;
}
