// options.h - headsaver's command line, in XScreenSaver's manner: a table
// of options, each of which may start with one dash or two (-root, --root);
// and the pause that --delay asks for. Portable; no X.
#ifndef HEADSAVER_OPTIONS_H
#define HEADSAVER_OPTIONS_H

#include <stddef.h>
#include <stdint.h>

// Where the saver draws.
enum DrawTarget {
    TARGET_OWN_WINDOW = 0,  // --window (the default): a window of its own
    TARGET_ROOT = 1,        // --root: $XSCREENSAVER_WINDOW, else the root window
    TARGET_WINDOW_ID = 2,   // --window-id ID: an existing window
};

// What the command line asks for.
enum OptionsResult {
    OPTIONS_RUN = 0,
    OPTIONS_HELP = 1,     // --help: print the usage, end with 0
    OPTIONS_VERSION = 2,  // --version: print the version, end with 0
    OPTIONS_BAD = 3,      // an unknown option or a bad value: the error text and the usage, end with 1
};

struct Options {
    DrawTarget target;
    unsigned long window_id;  // for TARGET_WINDOW_ID; never 0
    int64_t delay_us;         // pause after each frame, in microseconds
    const char* model_path;   // --model FILE (points into argv), or null
    bool plain;               // --plain: a model of the user's drawn plain, as the medal is
};

// The pause after each frame unless --delay says otherwise: XScreenSaver's
// usual one for GL hacks, 30 ms.
const int64_t DEFAULT_DELAY_US = 30000;
// Longest pause accepted: one minute.
const int64_t MAX_DELAY_US = 60000000;

// The usage text, ending with a newline.
extern const char USAGE_TEXT[];

// Reads an X window id, decimal or after 0x (or 0X) hex, as the command
// line and $XSCREENSAVER_WINDOW give it: false unless the whole text is one
// number from 1 to 0x1FFFFFFF (X window ids have 29 bits; 0 names none).
bool parse_window_id(const char* text, unsigned long* id);

// What is left of a pause of delay_us microseconds that began at
// start_ns, at now_ns (monotonic nanoseconds), in whole milliseconds as
// poll takes them, rounded up so that the pause is never cut short; 0 once
// it is over. At most 60000 for the longest delay.
int delay_wait_ms(int64_t delay_us, int64_t start_ns, int64_t now_ns);

// Reads argv[1] .. argv[argc - 1] into options (which it first sets to the
// defaults). On OPTIONS_BAD it writes one line without a newline, naming the
// option, into error (error_size bytes).
OptionsResult parse_options(int argc, char** argv, Options* options, char* error, size_t error_size);

#endif
