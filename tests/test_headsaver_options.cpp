// headsaver's command line: every option in its one- and two-dash forms,
// the values it reads, and the exact complaint about each bad one.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "options.h"

namespace {

struct Parsed {
    OptionsResult result;
    Options options;  // model_path is null or points into the words of the parse
    bool has_model;
    std::string model_path;  // a copy, as the words are gone
    std::string error;
};

Parsed parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "headsaver");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    Parsed p;
    char error[256] = "";
    memset(&p.options, 0xAB, sizeof p.options);
    p.result = parse_options((int)words.size(), argv.data(), &p.options, error, sizeof error);
    p.error = error;
    p.has_model = p.options.model_path != nullptr;
    if (p.has_model) p.model_path = p.options.model_path;
    p.options.model_path = nullptr;
    return p;
}

struct RunCase {
    std::vector<std::string> words;
    DrawTarget target;
    unsigned long window_id;
    int64_t delay_us;
    const char* model_path;  // null: none
    bool plain;
};

TEST(HeadsaverOptions, ReadsEveryOptionInBothForms)
{
    const RunCase cases[] = {
        {{}, TARGET_OWN_WINDOW, 0, 30000, nullptr, false},
        {{"--window"}, TARGET_OWN_WINDOW, 0, 30000, nullptr, false},
        {{"-root"}, TARGET_ROOT, 0, 30000, nullptr, false},
        {{"--root"}, TARGET_ROOT, 0, 30000, nullptr, false},
        {{"--window-id", "0x2a00007"}, TARGET_WINDOW_ID, 0x2a00007, 30000, nullptr, false},
        {{"-window-id", "44040199"}, TARGET_WINDOW_ID, 44040199, 30000, nullptr, false},
        {{"--window-id", "0X1FFFFFFF"}, TARGET_WINDOW_ID, 0x1FFFFFFF, 30000, nullptr, false},
        {{"-delay", "0"}, TARGET_OWN_WINDOW, 0, 0, nullptr, false},
        {{"--delay", "60000000", "-model", "a b.3ds"}, TARGET_OWN_WINDOW, 0, 60000000, "a b.3ds", false},
        {{"--plain", "--model", "m.3ds"}, TARGET_OWN_WINDOW, 0, 30000, "m.3ds", true},
        {{"-plain"}, TARGET_OWN_WINDOW, 0, 30000, nullptr, true},
        // The last of the drawing targets counts.
        {{"--root", "--model", "-x.3ds", "--window"}, TARGET_OWN_WINDOW, 0, 30000, "-x.3ds", false},
        {{"--window-id", "12", "--root"}, TARGET_ROOT, 12, 30000, nullptr, false},
    };
    for (const RunCase& c : cases) {
        std::string line;
        for (const std::string& w : c.words) line += " " + w;
        SCOPED_TRACE(line);
        Parsed p = parse(c.words);
        ASSERT_EQ(p.result, OPTIONS_RUN) << p.error;
        EXPECT_EQ(p.options.target, c.target);
        if (c.target == TARGET_WINDOW_ID) {
            EXPECT_EQ(p.options.window_id, c.window_id);
        }
        EXPECT_EQ(p.options.delay_us, c.delay_us);
        EXPECT_EQ(p.has_model, c.model_path != nullptr);
        if (c.model_path != nullptr) {
            EXPECT_EQ(p.model_path, c.model_path);
        }
        EXPECT_EQ(p.options.plain, c.plain);
    }
}

TEST(HeadsaverOptions, HelpAndVersionWinOverWhatFollows)
{
    EXPECT_EQ(parse({"--help"}).result, OPTIONS_HELP);
    EXPECT_EQ(parse({"-help", "--bogus"}).result, OPTIONS_HELP);
    EXPECT_EQ(parse({"--version"}).result, OPTIONS_VERSION);
    EXPECT_EQ(parse({"--root", "-version"}).result, OPTIONS_VERSION);
}

TEST(HeadsaverOptions, BadWordsAreNamed)
{
    const struct {
        std::vector<std::string> words;
        const char* error;
    } cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"-"}, "unexpected argument \"-\""},
        {{"model.3ds"}, "unexpected argument \"model.3ds\""},
        {{"--model"}, "--model needs a value"},
        {{"--delay", "-5"}, "--delay needs a number of microseconds from 0 to 60000000, not \"-5\""},
        {{"--delay", "0x10"}, "--delay needs a number of microseconds from 0 to 60000000, not \"0x10\""},
        {{"--delay", "60000001"}, "--delay needs a number of microseconds from 0 to 60000000, not \"60000001\""},
        {{"--delay", "10ms"}, "--delay needs a number of microseconds from 0 to 60000000, not \"10ms\""},
        {{"--window-id", "0"}, "--window-id needs a window id (decimal or 0x hex), not \"0\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Parsed p = parse(c.words);
        EXPECT_EQ(p.result, OPTIONS_BAD);
        EXPECT_EQ(p.error, c.error);
    }
}

// --delay is in microseconds, the clock in nanoseconds, poll's wait in
// milliseconds: what is left of the pause, rounded up, and 0 once it is over.
TEST(HeadsaverOptions, DelayLeavesWhatIsLeftOfThePause)
{
    const int64_t START = 5000000000;  // 5 s on the monotonic clock
    const struct {
        int64_t delay_us;
        int64_t elapsed_ns;
        int wait_ms;
    } cases[] = {
        {30000, 0, 30},
        {30000, 10000000, 20},
        {30000, 29999999, 1},
        {30000, 30000000, 0},
        {1, 0, 1},
        {0, 0, 0},
        {1500000, 0, 1500},
        {60000000, 0, 60000},
        {60000000, 59000000000, 1000},
        {30000, 90000000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.delay_us << " us, " << c.elapsed_ns << " ns");
        EXPECT_EQ(delay_wait_ms(c.delay_us, START, START + c.elapsed_ns), c.wait_ms);
    }
}

// $XSCREENSAVER_WINDOW holds the id as XScreenSaver writes it (0x hex).
TEST(HeadsaverOptions, WindowIdsAsXScreenSaverWritesThem)
{
    unsigned long id = 99;
    EXPECT_TRUE(parse_window_id("0x40000A", &id));
    EXPECT_EQ(id, 0x40000Aul);
    EXPECT_TRUE(parse_window_id("010", &id));  // decimal, not octal
    EXPECT_EQ(id, 10ul);
    id = 99;
    for (const char* bad : {"", "0", "x1", "0x", "1 ", "+1", "-1", "0x1g", "0x20000000", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parse_window_id(bad, &id));
        EXPECT_EQ(id, 99ul);
    }
}

}  // namespace
