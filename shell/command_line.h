// command_line.h - the saver's command line: splitting it into words, finding
// word n, and the switch table that turns the first word into a mode.
//
// Portable: the only platform service the split needs is the version query
// (whether the colon separates words), declared here and given by
// platform_version_win32.cpp on Windows and by a stand-in of ours on the host.
#ifndef SHELL_COMMAND_LINE_H
#define SHELL_COMMAND_LINE_H

#include <stdint.h>

// The platform id that makes the colon a separator (VER_PLATFORM_WIN32_NT).
const uint32_t PLATFORM_ID_NT = 2;

// The running system's platform id (dwPlatformId of the version query, asked
// with a record size of 148); 0 when the query fails.
uint32_t query_platform_id();

// Copies source into destination with every space (and, on the NT platform,
// every colon) replaced by a NUL byte, writes two NUL bytes behind the copy
// and stores in *count the number of words before the first empty one.
// Destination needs strlen(source) + 2 bytes. Returns false, writing neither
// destination nor count, when source is null or empty.
bool split_command_line(uint32_t* count, char* destination, const char* source);

// Word n (from 0) of a buffer filled by split_command_line, or null when the
// list ends before it. For n <= 0, the buffer itself (the first word, which
// is empty when the buffer holds no word).
char* command_line_arg(char* buffer, int32_t n);

// The part of a process command line that follows the program's own name:
// a name in double quotes ends at the closing quote, an unquoted one at the
// first byte below "!"; the bytes below "!" that follow the name are skipped
// too. Bytes compare unsigned, so a name with letters above 0x7F (a folder
// such as "Användare") stays whole. Points into process_command_line; null
// gives null.
const char* skip_program_name(const char* process_command_line);

// What the first word asks for.
enum SaverMode {
    SAVER_MODE_FULLSCREEN,         // "/s", "-s", "/l", "-l"
    SAVER_MODE_PREVIEW,            // "/p", "-p"
    SAVER_MODE_NO_WINDOW,          // "/a", "-a"
    SAVER_MODE_CONFIGURE,          // "/c", "-c": owned by the foreground window
    SAVER_MODE_CONFIGURE_FALLBACK  // any other word: owned by the host window
};

// The mode of the first row of the switch table whose switch equals word as
// a whole, without regard to ASCII letter case; the last row for no match.
SaverMode saver_mode_for_word(const char* word);

#endif
