// command_line.cpp - splitting the command line into words, word lookup and
// the switch table. Portable; see command_line.h.
#include "command_line.h"

#include <string.h>

namespace {

struct SwitchRow {
    const char* word;
    SaverMode mode;
};

// Compared in this order; the first match wins.
const SwitchRow SWITCH_TABLE[] = {
    {"/s", SAVER_MODE_FULLSCREEN}, {"-s", SAVER_MODE_FULLSCREEN}, {"/l", SAVER_MODE_FULLSCREEN},
    {"-l", SAVER_MODE_FULLSCREEN}, {"/p", SAVER_MODE_PREVIEW},    {"-p", SAVER_MODE_PREVIEW},
    {"/a", SAVER_MODE_NO_WINDOW},  {"-a", SAVER_MODE_NO_WINDOW},  {"/c", SAVER_MODE_CONFIGURE},
    {"-c", SAVER_MODE_CONFIGURE},
};

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

// True when a and b are the same text, ASCII letters compared without case.
bool equal_ignoring_ascii_case(const char* a, const char* b)
{
    while (*a != '\0' && ascii_lower(*a) == ascii_lower(*b)) {
        a++;
        b++;
    }
    return *a == '\0' && *b == '\0';
}

}  // namespace

const char* skip_program_name(const char* process_command_line)
{
    if (process_command_line == nullptr) return nullptr;
    const unsigned char* at = (const unsigned char*)process_command_line;
    if (*at == '"') {
        at++;
        while (*at != '\0' && *at != '"') at++;
        if (*at == '"') at++;
    } else {
        while (*at > ' ') at++;
    }
    while (*at != '\0' && *at <= ' ') at++;
    return (const char*)at;
}

bool split_command_line(uint32_t* count, char* destination, const char* source)
{
    if (source == nullptr || source[0] == '\0') return false;
    bool colon_separates = query_platform_id() == PLATFORM_ID_NT;

    *count = 0;
    size_t length = 0;
    for (; source[length] != '\0'; length++) {
        char c = source[length];
        bool separator = c == ' ' || (colon_separates && c == ':');
        destination[length] = separator ? '\0' : c;
    }
    destination[length] = '\0';
    destination[length + 1] = '\0';

    // Words up to the first empty one: a separator at the start, or two in a
    // row, end the list there.
    const char* at = destination;
    while (*at != '\0') {
        at += strlen(at) + 1;
        (*count)++;
    }
    return true;
}

char* command_line_arg(char* buffer, int32_t n)
{
    if (n <= 0) return buffer;
    char* at = buffer;
    for (int32_t i = 0; i < n; i++) {
        if (*at != '\0') at += strlen(at);
        at++;
        if (*at == '\0') return nullptr;
    }
    return at;
}

SaverMode saver_mode_for_word(const char* word)
{
    for (const SwitchRow& row : SWITCH_TABLE) {
        if (equal_ignoring_ascii_case(word, row.word)) return row.mode;
    }
    return SAVER_MODE_CONFIGURE_FALLBACK;
}
