// settings.h - the user's settings: the model to show, the layout of the
// views over several monitors and the look of the user's model. They live
// per user under HKCU\Software\Head, and nowhere else.
//
// The record and how a stored value reads are portable (settings.cpp, tested
// on the host); reading and writing the registry, and opening the model's
// file, are the platform's (settings_win32.cpp).
#ifndef SHELL_SETTINGS_H
#define SHELL_SETTINGS_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "view.h"

// The key under HKEY_CURRENT_USER and its three values.
const char SETTINGS_KEY[] = "Software\\Head";
const char SETTING_MODEL[] = "Model";        // REG_SZ: full path of a 3DS file; "" for the medal
const char SETTING_MONITORS[] = "Monitors";  // REG_DWORD: a MonitorLayout
const char SETTING_LOOK[] = "Look";          // REG_DWORD: a Look

// The registry's numbers of the two value types the settings use.
const uint32_t SETTING_TYPE_SZ = 1;     // REG_SZ
const uint32_t SETTING_TYPE_DWORD = 4;  // REG_DWORD, little-endian

// Bytes for the model's path, its terminating zero included.
const size_t SETTINGS_MODEL_SIZE = 1024;

struct Settings {
    char model[SETTINGS_MODEL_SIZE];  // full path of the user's 3DS file, UTF-8; "" for the medal
    MonitorLayout monitors;
    Look look;
};

// The settings of a user who has chosen nothing: the medal, a view on each
// monitor, the model's look as its file gives it.
void default_settings(Settings* settings);

// Takes one stored value, named name, of the registry type type, whose
// bytes are bytes (size bytes), into settings. A value of a name the
// settings do not know, of the wrong type, of the wrong size or out of range
// leaves settings as they are: the caller starts from the defaults, so such
// a value reads as its default. A path too long for the record is such a
// value too: cut short, it would name another file.
void take_setting_value(Settings* settings, const char* name, uint32_t type, const void* bytes, size_t size);

// --- The platform's part (settings_win32.cpp) ---
//
// Paths are UTF-8 inside the program (the record, the reader's opener, the
// texture folder), so a path in any language reads the same on every front
// end; the registry, the Open dialog and the files are reached with the
// platform's wide (UTF-16) calls.

// The defaults, then each value found under HKCU\Software\Head. A Model
// whose UTF-8 form does not fit the record reads as none.
void read_settings(Settings* settings);

// Write one value under HKCU\Software\Head, creating the key if it is
// missing, and leave the others as they are: the path of the model (UTF-8;
// "" for the medal), or a number (Monitors, Look). False when the key
// cannot be opened or the value not written.
bool write_model_setting(const char* path);
bool write_number_setting(const char* name, uint32_t value);

// Opens the user's model file (path in UTF-8) for binary reading; null on
// failure, with the C library's reason in why (why_size bytes).
FILE* open_model_file(const char* path, char* why, size_t why_size);

// Opens a texture image: the folder (UTF-8, as model_folder gives it) and
// the name as the model gives it (UTF-8 when it is valid UTF-8, else in the
// user's ANSI code page, as older modelling programs wrote it). Suits
// g_open_texture_file.
FILE* open_texture_file(const char* folder, const char* name);

// The UTF-8 text into wide (wide_size characters, with its zero); false,
// with wide empty, when it is not UTF-8 or does not fit.
bool utf8_to_wide(const char* text, wchar_t* wide, size_t wide_size);

#endif
