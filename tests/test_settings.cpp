// How a stored value reads into the user's settings: each value of the
// right type, size and range is taken; any other reads as its default.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "settings.h"

namespace {

std::string dword(uint32_t n) { return std::string((const char*)&n, 4); }

TEST(Settings, EachValueReadsOnlyWithItsTypeSizeAndRange)
{
    // The registry's numbers of its value types.
    const uint32_t SZ = 1, EXPAND_SZ = 2, DWORD_LE = 4, DWORD_BE = 5, QWORD = 11;
    const std::string longest(SETTINGS_MODEL_SIZE - 1, 'a');
    const struct {
        const char* name;
        uint32_t type;
        std::string bytes;
        std::string model;  // what the settings then hold
        MonitorLayout monitors;
        Look look;
    } cases[] = {
        {"Model", SZ, std::string("C:\\m\\jeep.3ds\0junk", 18), "C:\\m\\jeep.3ds", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SZ, "C:\\no zero", "C:\\no zero", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SZ, longest, longest, MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SZ, longest + "a", "", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", EXPAND_SZ, "C:\\a.3ds", "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", DWORD_LE, dword(1), "", MONITORS_ACROSS, LOOK_AS_FILE},
        {"Monitors", DWORD_LE, dword(2), "", MONITORS_PRIMARY, LOOK_AS_FILE},
        {"Monitors", DWORD_LE, dword(3), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", DWORD_LE, dword(1).substr(0, 3), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", DWORD_LE, dword(1) + "x", "", MONITORS_EACH, LOOK_AS_FILE},
        {"Look", DWORD_LE, dword(1) + dword(0), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", SZ, std::string("1\0", 2), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", DWORD_BE, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", QWORD, dword(1) + dword(0), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Look", DWORD_LE, dword(1), "", MONITORS_EACH, LOOK_PLAIN},
        {"Look", DWORD_LE, dword(0xFFFFFFFFu), "", MONITORS_EACH, LOOK_AS_FILE},
        {"look", DWORD_LE, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", type " + std::to_string(c.type) + ", " + std::to_string(c.bytes.size()));
        Settings settings;
        memset(&settings, 0x55, sizeof settings);
        default_settings(&settings);
        take_setting_value(&settings, c.name, c.type, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(settings.model, c.model);
        EXPECT_EQ(settings.monitors, c.monitors);
        EXPECT_EQ(settings.look, c.look);
    }
}

}  // namespace
