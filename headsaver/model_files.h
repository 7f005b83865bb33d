// model_files.h - headsaver's files: the model named by --model, opened
// only when it is a regular file (the opener choose_scene is given), and
// its texture images, found in the model's folder without regard to the case of their names (3DS files name
// them as on Windows, where case does not count). POSIX.
#ifndef HEADSAVER_MODEL_FILES_H
#define HEADSAVER_MODEL_FILES_H

#include <stddef.h>
#include <stdio.h>

// Opens path for reading when it is a regular file. Never blocks on a FIFO:
// the file is opened without waiting and checked again once open. On
// failure returns null and writes why into why (why_size bytes): the
// system's text, or "not a regular file: a FIFO" (a directory, a device, a
// socket).
FILE* open_regular_file(const char* path, char* why, size_t why_size);

// Opens the regular file folder + name; when there is none, the first
// regular file in folder whose name equals name ignoring ASCII case. Null
// when neither is found. Suits g_open_texture_file.
FILE* open_ignoring_case(const char* folder, const char* name);

#endif
