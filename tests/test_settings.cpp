// How a stored value reads into the user's settings: each value of the
// right type, size and range is taken; any other reads as its default.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "settings.h"

namespace {

struct ValueCase {
    const char* name;  // the value's name
    uint32_t type;
    std::string bytes;
    const char* model;  // what the settings then hold
    MonitorLayout monitors;
    Look look;
};

const uint32_t REG_EXPAND_SZ_TYPE = 2;
const uint32_t REG_BINARY_TYPE = 3;
const uint32_t REG_DWORD_BIG_ENDIAN_TYPE = 5;
const uint32_t REG_QWORD_TYPE = 11;

std::string dword(uint32_t n) { return std::string((const char*)&n, 4); }

TEST(Settings, EachValueReadsOnlyWithItsTypeSizeAndRange)
{
    const std::string long_path(SETTINGS_MODEL_SIZE, 'a');
    const ValueCase cases[] = {
        {"Model", SETTING_TYPE_SZ, std::string("C:\\m\\jeep.3ds\0", 14), "C:\\m\\jeep.3ds", MONITORS_EACH,
         LOOK_AS_FILE},
        {"Model", SETTING_TYPE_SZ, "C:\\no zero", "C:\\no zero", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SETTING_TYPE_SZ, std::string("C:\\a.3ds\0junk", 13), "C:\\a.3ds", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SETTING_TYPE_SZ, long_path.substr(1), long_path.c_str() + 1, MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SETTING_TYPE_SZ, long_path, "", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", REG_EXPAND_SZ_TYPE, "C:\\a.3ds", "", MONITORS_EACH, LOOK_AS_FILE},
        {"Model", SETTING_TYPE_DWORD, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", SETTING_TYPE_DWORD, dword(1), "", MONITORS_ACROSS, LOOK_AS_FILE},
        {"Monitors", SETTING_TYPE_DWORD, dword(2), "", MONITORS_PRIMARY, LOOK_AS_FILE},
        {"Monitors", SETTING_TYPE_DWORD, dword(3), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", SETTING_TYPE_DWORD, dword(1).substr(0, 3), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", SETTING_TYPE_SZ, std::string("1\0", 2), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", REG_DWORD_BIG_ENDIAN_TYPE, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Monitors", REG_QWORD_TYPE, dword(1) + dword(0), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Look", SETTING_TYPE_DWORD, dword(1), "", MONITORS_EACH, LOOK_PLAIN},
        {"Look", SETTING_TYPE_DWORD, dword(2), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Look", SETTING_TYPE_DWORD, dword(0xFFFFFFFFu), "", MONITORS_EACH, LOOK_AS_FILE},
        {"Look", REG_BINARY_TYPE, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
        {"look", SETTING_TYPE_DWORD, dword(1), "", MONITORS_EACH, LOOK_AS_FILE},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of type " + std::to_string(c.type) + ", " +
                     std::to_string(c.bytes.size()) + " bytes");
        Settings settings;
        memset(&settings, 0x55, sizeof settings);
        default_settings(&settings);
        take_setting_value(&settings, c.name, c.type, c.bytes.data(), c.bytes.size());
        EXPECT_STREQ(settings.model, c.model);
        EXPECT_EQ(settings.monitors, c.monitors);
        EXPECT_EQ(settings.look, c.look);
    }
}

TEST(Settings, ModelFileNameIsWhatFollowsTheLastSeparator)
{
    EXPECT_STREQ(model_file_name("C:\\Users\\Åsa\\jeep1.3ds"), "jeep1.3ds");
    EXPECT_STREQ(model_file_name("Z:/tmp/a b.3DS"), "a b.3DS");
    EXPECT_STREQ(model_file_name("D:cube.3ds"), "cube.3ds");
    EXPECT_STREQ(model_file_name("cube.3ds"), "cube.3ds");
}

}  // namespace
