// file_names.cpp - the rule for the files a model names; see file_names.h.
#include "file_names.h"

#include <stddef.h>
#include <string.h>

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// Whether the n bytes at text are word, ignoring ASCII case.
bool same_word(const char* text, size_t n, const char* word)
{
    if (strlen(word) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (upper(text[i]) != word[i]) return false;
    }
    return true;
}

// Whether a component of a name (the n bytes at part, between
// separators) names a file or folder of its own. Windows reads a component
// of dots and spaces alone as the folder itself or the one above ("." and
// "..", also "... " and ". ."), and a device's name as the device whatever
// follows its first dot ("nul.bmp", "COM1 .tga"); such components, and
// empty ones, are refused.
bool component_allowed(const char* part, size_t n)
{
    size_t only_dots = 0;
    while (only_dots < n && (part[only_dots] == '.' || part[only_dots] == ' ')) ++only_dots;
    if (only_dots == n) return false;
    size_t base = 0;
    while (base < n && part[base] != '.') ++base;
    while (base > 0 && part[base - 1] == ' ') --base;
    static const char* const DEVICES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : DEVICES) {
        if (same_word(part, base, device)) return false;
    }
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits 1, 2 and
    // 3 (in the Windows code page, or in UTF-8), which Windows takes as the
    // same devices.
    if (base < 4 || base > 5 || !(same_word(part, 3, "COM") || same_word(part, 3, "LPT"))) return true;
    unsigned char digit = (unsigned char)part[base - 1];
    bool superscript = digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    if (base == 5) return !(superscript && (unsigned char)part[3] == 0xC2);
    return !((digit >= '1' && digit <= '9') || superscript);
}

}  // namespace

bool name_inside_folder(const char* name)
{
    if (name == nullptr || name[0] == '/' || name[0] == '\\') return false;
    const char* start = name;
    for (const char* p = name;; ++p) {
        char c = *p;
        if (c == '\0' || c == '/' || c == '\\') {
            if (!component_allowed(start, (size_t)(p - start))) return false;
            if (c == '\0') return true;
            start = p + 1;
        } else if (c == ':' || (unsigned char)c < 0x20) {
            return false;
        }
    }
}
