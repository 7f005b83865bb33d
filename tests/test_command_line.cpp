// The command line: splitting into words (on the NT platform and, with the
// host's stand-in, on another), word lookup, and the switch table.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line.h"
#ifndef _WIN32
#include "platform_version_host.h"
#endif

namespace {

// A split buffer with room to spare, pre-filled so that bytes the split
// writes can be told from bytes it leaves.
struct Split {
    bool ok = false;
    uint32_t count = 77;
    std::vector<char> buffer = std::vector<char>(64, '#');
};

Split split(const char* source)
{
    Split s;
    s.ok = split_command_line(&s.count, s.buffer.data(), source);
    return s;
}

// The words reachable through command_line_arg, index 0 upwards.
std::vector<std::string> reachable_words(Split* s)
{
    std::vector<std::string> words;
    for (int32_t n = 0; n < 10; n++) {
        const char* word = command_line_arg(s->buffer.data(), n);
        if (word == nullptr) break;
        if (n == 0 && *word == '\0') break;
        words.push_back(word);
    }
    return words;
}

struct SplitCase {
    const char* source;
    uint32_t count;
    std::vector<std::string> words;
};

TEST(SplitCommandLine, WordsOnTheNtPlatform)
{
    ASSERT_EQ(query_platform_id(), PLATFORM_ID_NT);
    const SplitCase cases[] = {
        {"/s", 1, {"/s"}},
        {"/p 1234", 2, {"/p", "1234"}},
        {"/c:1234", 2, {"/c", "1234"}},
        {"/s  1234", 1, {"/s"}},  // two separators end the list
        {" /s", 0, {}},           // a separator first: no word
        {"/s ", 1, {"/s"}},
        {"/s 1 2", 3, {"/s", "1", "2"}},
        {"a\tb c", 2, {"a\tb", "c"}},  // the tab is no separator
        {":", 0, {}},
    };
    for (const SplitCase& c : cases) {
        Split s = split(c.source);
        EXPECT_TRUE(s.ok) << c.source;
        EXPECT_EQ(s.count, c.count) << c.source;
        EXPECT_EQ(reachable_words(&s), c.words) << c.source;
    }
}

TEST(SplitCommandLine, CopiesTheTextAndEndsItWithTwoNulBytes)
{
    Split s = split("/p 12:3");
    ASSERT_TRUE(s.ok);
    // clang-format off
    EXPECT_EQ(std::string(s.buffer.data(), 9), std::string("/p\0" "12\0" "3\0\0", 9));
    // clang-format on
    EXPECT_EQ(s.buffer[9], '#');  // nothing written past length + 2
}

TEST(SplitCommandLine, NullOrEmptyWritesNothing)
{
    for (const char* source : {(const char*)nullptr, ""}) {
        Split s = split(source);
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.count, 77u);
        EXPECT_EQ(s.buffer[0], '#');
    }
}

#ifndef _WIN32
// On a platform other than NT the colon is part of the word.
TEST(SplitCommandLine, ColonIsNoSeparatorOffTheNtPlatform)
{
    g_host_platform_id = 1;
    Split s = split("/c:1234");
    g_host_platform_id = PLATFORM_ID_NT;
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.count, 1u);
    EXPECT_EQ(reachable_words(&s), std::vector<std::string>{"/c:1234"});
    EXPECT_EQ(saver_mode_for_word(s.buffer.data()), SAVER_MODE_CONFIGURE_FALLBACK);
}
#endif

TEST(CommandLineArg, IndexZeroAndBelowGiveTheBuffer)
{
    Split words = split("/p 5");
    Split none = split(" /s");
    for (int32_t n : {0, -1, INT32_MIN}) {
        EXPECT_EQ(command_line_arg(words.buffer.data(), n), words.buffer.data());
        // No word at all: the buffer, an empty word, and not null.
        EXPECT_EQ(command_line_arg(none.buffer.data(), n), none.buffer.data());
        EXPECT_STREQ(command_line_arg(none.buffer.data(), n), "");
    }
}

TEST(CommandLineArg, PastTheLastWordIsNull)
{
    Split s = split("/s 1 2");
    EXPECT_STREQ(command_line_arg(s.buffer.data(), 2), "2");
    EXPECT_EQ(command_line_arg(s.buffer.data(), 3), nullptr);
    EXPECT_EQ(command_line_arg(s.buffer.data(), 9), nullptr);
    Split gap = split("/s  1234");
    EXPECT_EQ(command_line_arg(gap.buffer.data(), 1), nullptr);
}

TEST(SkipProgramName, WhatFollowsTheName)
{
    const struct {
        const char* process_line;
        const char* rest;
    } cases[] = {
        {"head.scr /s", "/s"},
        {"\"C:\\Program Files\\head.scr\" /p 1234", "/p 1234"},
        {"\"C:\\a b\\head.scr\"/s", "/s"},           // the closing quote ends the name
        {"C:\\Anv\xE4ndare\\x\\head.scr /s", "/s"},  // bytes above 0x7F belong to the name
        {"head.scr \t  /c:99", "/c:99"},             // blanks and tabs after the name
        {"head.scr", ""},
        {"\"unclosed name /s", ""},
        {"", ""},
        {"head.scr  /s  1", "/s  1"},  // the rest is kept as it is
    };
    for (const auto& c : cases) EXPECT_STREQ(skip_program_name(c.process_line), c.rest) << c.process_line;
    EXPECT_EQ(skip_program_name(nullptr), nullptr);
}

TEST(SaverModeForWord, SwitchTable)
{
    const struct {
        const char* word;
        SaverMode mode;
    } cases[] = {
        // clang-format off
        {"/s", SAVER_MODE_FULLSCREEN},  {"-s", SAVER_MODE_FULLSCREEN},
        {"/S", SAVER_MODE_FULLSCREEN},  {"-L", SAVER_MODE_FULLSCREEN},
        {"/l", SAVER_MODE_FULLSCREEN},  {"/p", SAVER_MODE_PREVIEW},
        {"-P", SAVER_MODE_PREVIEW},     {"/a", SAVER_MODE_NO_WINDOW},
        {"-A", SAVER_MODE_NO_WINDOW},   {"/c", SAVER_MODE_CONFIGURE},
        {"-C", SAVER_MODE_CONFIGURE},   {"/save", SAVER_MODE_CONFIGURE_FALLBACK},
        {"/", SAVER_MODE_CONFIGURE_FALLBACK}, {"s", SAVER_MODE_CONFIGURE_FALLBACK},
        {"", SAVER_MODE_CONFIGURE_FALLBACK},  {"/x", SAVER_MODE_CONFIGURE_FALLBACK},
        {"\\s", SAVER_MODE_CONFIGURE_FALLBACK},
        // Case folding is ASCII only: 0xD3 is no capital of "/s".
        {"/\xD3", SAVER_MODE_CONFIGURE_FALLBACK},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(saver_mode_for_word(c.word), c.mode) << '"' << c.word << '"';
}

}  // namespace
