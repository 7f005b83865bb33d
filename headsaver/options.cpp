// options.cpp - headsaver's command line; see options.h.
#include "options.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char USAGE_TEXT[] =
    "usage: headsaver [--window | --root | --window-id ID] [--delay MICROSECONDS] [--model FILE] [--plain]\n"
    "       headsaver --help | --version\n"
    "  --window            draw in a window of its own; Escape or q ends it (the default)\n"
    "  --root              draw in the window XScreenSaver names in $XSCREENSAVER_WINDOW,\n"
    "                      else in the root window\n"
    "  --window-id ID      draw in the existing window ID (decimal or 0x hex)\n"
    "  --delay MICROSECONDS  pause after each frame (default 30000)\n"
    "  --model FILE        show this model (3DS, glTF/GLB, OBJ or STL) instead of the medal,\n"
    "                      whole and fitted to the view, in its materials' colours and textures\n"
    "  --plain             draw the --model file plain, white and flat, as the medal is\n"
    "Every option may also be given with one dash (-root, -delay ...).\n";

namespace {

// What an option sets, in the manner of XScreenSaver's option tables.
enum OptionKind {
    OPTION_HELP,          // answers OPTIONS_HELP, whatever follows
    OPTION_VERSION,       // answers OPTIONS_VERSION, whatever follows
    OPTION_TARGET,        // a flag: the drawing target becomes the row's target
    OPTION_WINDOW_ID,     // a value: a window id, and the target TARGET_WINDOW_ID
    OPTION_MICROSECONDS,  // a value: the pause after each frame
    OPTION_FILE,          // a value: the model's path
    OPTION_PLAIN,         // a flag: a model of the user's is drawn plain
};

struct OptionRow {
    const char* name;  // without its one or two leading dashes
    OptionKind kind;
    DrawTarget target;  // for OPTION_TARGET
};

const OptionRow OPTION_TABLE[] = {
    {"help", OPTION_HELP, TARGET_OWN_WINDOW},          {"version", OPTION_VERSION, TARGET_OWN_WINDOW},
    {"window", OPTION_TARGET, TARGET_OWN_WINDOW},      {"root", OPTION_TARGET, TARGET_ROOT},
    {"window-id", OPTION_WINDOW_ID, TARGET_WINDOW_ID}, {"delay", OPTION_MICROSECONDS, TARGET_OWN_WINDOW},
    {"model", OPTION_FILE, TARGET_OWN_WINDOW},         {"plain", OPTION_PLAIN, TARGET_OWN_WINDOW},
};

const OptionRow* find_option(const char* name)
{
    for (const OptionRow& row : OPTION_TABLE) {
        if (strcmp(name, row.name) == 0) return &row;
    }
    return nullptr;
}

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

int delay_wait_ms(int64_t delay_us, int64_t start_ns, int64_t now_ns)
{
    int64_t left_ns = delay_us * 1000 - (now_ns - start_ns);
    if (left_ns <= 0) return 0;
    return (int)((left_ns + 999999) / 1000000);
}

OptionsResult parse_options(int argc, char** argv, Options* options, char* error, size_t error_size)
{
    options->target = TARGET_OWN_WINDOW;
    options->window_id = 0;
    options->delay_us = DEFAULT_DELAY_US;
    options->model_path = nullptr;
    options->plain = false;

    for (int i = 1; i < argc; i++) {
        const char* word = argv[i];
        const char* name = option_name(word);
        if (name == nullptr) {
            snprintf(error, error_size, "unexpected argument \"%s\"", word);
            return OPTIONS_BAD;
        }
        const OptionRow* row = find_option(name);
        if (row == nullptr) {
            snprintf(error, error_size, "unknown option \"%s\"", word);
            return OPTIONS_BAD;
        }
        if (row->kind == OPTION_HELP) return OPTIONS_HELP;
        if (row->kind == OPTION_VERSION) return OPTIONS_VERSION;
        if (row->kind == OPTION_TARGET) {
            options->target = row->target;
            continue;
        }
        if (row->kind == OPTION_PLAIN) {
            options->plain = true;
            continue;
        }
        if (i + 1 >= argc) {
            snprintf(error, error_size, "%s needs a value", word);
            return OPTIONS_BAD;
        }
        const char* value = argv[++i];
        unsigned long long number = 0;
        switch (row->kind) {
        case OPTION_WINDOW_ID:
            if (!parse_window_id(value, &options->window_id)) {
                snprintf(error, error_size, "%s needs a window id (decimal or 0x hex), not \"%s\"", word, value);
                return OPTIONS_BAD;
            }
            options->target = row->target;
            break;
        case OPTION_MICROSECONDS:
            if (!read_number(value, false, &number) || number > (unsigned long long)MAX_DELAY_US) {
                snprintf(error, error_size, "%s needs a number of microseconds from 0 to %lld, not \"%s\"", word,
                         (long long)MAX_DELAY_US, value);
                return OPTIONS_BAD;
            }
            options->delay_us = (int64_t)number;
            break;
        default:  // OPTION_FILE
            options->model_path = value;
            break;
        }
    }
    return OPTIONS_RUN;
}
