// options.cpp - headsaver's command line; see options.h.
#include "options.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char USAGE_TEXT[] =
    "usage: headsaver [--window | --root | --window-id ID] [--delay MICROSECONDS] [--model FILE]\n"
    "       headsaver --help | --version\n"
    "  --window            draw in a window of its own; Escape or q ends it (the default)\n"
    "  --root              draw in the window XScreenSaver names in $XSCREENSAVER_WINDOW,\n"
    "                      else in the root window\n"
    "  --window-id ID      draw in the existing window ID (decimal or 0x hex)\n"
    "  --delay MICROSECONDS  pause after each frame (default 10000)\n"
    "  --model FILE        show this 3DS file instead of the medal, whole and fitted to the view\n"
    "Every option may also be given with one dash (-root, -delay ...).\n";

namespace {

// The option's name without its one or two leading dashes, or null when
// word is no option.
const char* option_name(const char* word)
{
    if (word[0] != '-' || word[1] == '\0') return nullptr;
    return word[1] == '-' ? word + 2 : word + 1;
}

// Reads an unsigned number in decimal or, when hex is allowed, after 0x or
// 0X in hex; the whole word must be the number. False on junk, a sign or
// overflow.
bool read_number(const char* word, bool hex, unsigned long long* value)
{
    int base = 10;
    if (hex && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word += 2;
    }
    const char* digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (word[0] == '\0' || strspn(word, digits) != strlen(word)) return false;
    errno = 0;
    *value = strtoull(word, nullptr, base);
    return errno == 0;
}

}  // namespace

bool parse_window_id(const char* text, unsigned long* id)
{
    unsigned long long number = 0;
    if (!read_number(text, true, &number) || number == 0 || number > 0x1FFFFFFF) return false;
    *id = (unsigned long)number;
    return true;
}

OptionsResult parse_options(int argc, char** argv, Options* options, char* error, size_t error_size)
{
    options->target = TARGET_OWN_WINDOW;
    options->window_id = 0;
    options->delay_us = DEFAULT_DELAY_US;
    options->model_path = nullptr;

    for (int i = 1; i < argc; i++) {
        const char* word = argv[i];
        const char* name = option_name(word);
        if (name == nullptr) {
            snprintf(error, error_size, "unexpected argument \"%s\"", word);
            return OPTIONS_BAD;
        }
        if (strcmp(name, "help") == 0) return OPTIONS_HELP;
        if (strcmp(name, "version") == 0) return OPTIONS_VERSION;
        if (strcmp(name, "window") == 0) {
            options->target = TARGET_OWN_WINDOW;
            continue;
        }
        if (strcmp(name, "root") == 0) {
            options->target = TARGET_ROOT;
            continue;
        }
        bool takes_value = strcmp(name, "window-id") == 0 || strcmp(name, "delay") == 0 || strcmp(name, "model") == 0;
        if (!takes_value) {
            snprintf(error, error_size, "unknown option \"%s\"", word);
            return OPTIONS_BAD;
        }
        if (i + 1 >= argc) {
            snprintf(error, error_size, "%s needs a value", word);
            return OPTIONS_BAD;
        }
        const char* value = argv[++i];
        unsigned long long number = 0;
        if (strcmp(name, "model") == 0) {
            options->model_path = value;
        } else if (strcmp(name, "window-id") == 0) {
            if (!parse_window_id(value, &options->window_id)) {
                snprintf(error, error_size, "%s needs a window id (decimal or 0x hex), not \"%s\"", word, value);
                return OPTIONS_BAD;
            }
            options->target = TARGET_WINDOW_ID;
        } else {
            if (!read_number(value, false, &number) || number > (unsigned long long)MAX_DELAY_US) {
                snprintf(error, error_size, "%s needs a number of microseconds from 0 to %lld, not \"%s\"", word,
                         (long long)MAX_DELAY_US, value);
                return OPTIONS_BAD;
            }
            options->delay_us = (int64_t)number;
        }
    }
    return OPTIONS_RUN;
}
