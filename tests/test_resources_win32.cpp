// The resources head.scr carries, read from the built program as Windows
// reads them: the model and the picture in Swedish (Sweden) under the names
// the saver looks up, byte for byte the committed files; the name Windows
// lists the saver under; the icon, the version information, and the manifest
// that declares the program DPI-aware per monitor. The build without the
// model lacks exactly the model. Runs under Wine.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_bytes.h"

namespace {

const WORD SWEDISH = MAKELANGID(LANG_SWEDISH, SUBLANG_SWEDISH);

// A built saver, loaded as data.
struct Program {
    HMODULE module = nullptr;
    explicit Program(const char* name)
    {
        std::string path = std::string(SAVER_BUILD_DIR) + "/" + name;
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~Program()
    {
        if (module) FreeLibrary(module);
    }
    // The bytes of a resource, or empty when it is not there.
    std::vector<unsigned char> bytes(const char* type, const char* name, WORD language) const
    {
        HRSRC found = FindResourceExA(module, type, name, language);
        if (!found) return {};
        const unsigned char* data = (const unsigned char*)LockResource(LoadResource(module, found));
        if (!data) return {};
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }
};

TEST(SaverResources, ModelIsTheCommittedFileInSwedish)
{
    Program saver("head.scr");
    ASSERT_NE(saver.module, nullptr);
    std::vector<unsigned char> model = read_file_bytes(std::string(SAVER_RESOURCES_DIR) + "/head.3ds");
    ASSERT_FALSE(model.empty());
    EXPECT_EQ(saver.bytes("MYTYPE", "FIL3D", SWEDISH), model);
    // The saver's own lookup, by the lower-case name in any language.
    HRSRC found = FindResourceA(saver.module, "fil3d", "MYTYPE");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(saver.module, found), model.size());
}

TEST(SaverResources, PictureIsTheCommittedBitmapInSwedish)
{
    Program saver("head.scr");
    ASSERT_NE(saver.module, nullptr);
    std::vector<unsigned char> bmp = read_file_bytes(std::string(SAVER_RESOURCES_DIR) + "/testbild.bmp");
    ASSERT_EQ(bmp.size(), 105480u);
    // A bitmap resource is the file without its 14-byte file header.
    std::vector<unsigned char> resource = saver.bytes(MAKEINTRESOURCEA(2), "TESTBILD", SWEDISH);  // RT_BITMAP
    EXPECT_EQ(resource.size(), 105466u);
    EXPECT_TRUE(resource == std::vector<unsigned char>(bmp.begin() + 14, bmp.end()));
    HBITMAP picture = LoadBitmapA(saver.module, "testbild");
    ASSERT_NE(picture, nullptr);
    BITMAP info;
    ASSERT_EQ(GetObjectA(picture, sizeof info, &info), (int)sizeof info);
    EXPECT_EQ(info.bmWidth, 360);
    EXPECT_EQ(info.bmHeight, 290);
    DeleteObject(picture);
}

TEST(SaverResources, NameIconVersionAndManifest)
{
    Program saver("head.scr");
    ASSERT_NE(saver.module, nullptr);
    char name[64] = "";
    EXPECT_EQ(LoadStringA(saver.module, 1, name, sizeof name), 4);
    EXPECT_STREQ(name, "Head");
    EXPECT_NE(LoadIconA(saver.module, MAKEINTRESOURCEA(1)), nullptr);

    std::vector<unsigned char> version = saver.bytes(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), SWEDISH);
    std::string version_text(version.begin(), version.end());
    // The string table's block names Swedish and Windows-1252, in UTF-16.
    const char block[] =
        "0\0"
        "4\0"
        "1\0"
        "D\0"
        "0\0"
        "4\0"
        "E\0"
        "4\0";
    EXPECT_NE(version_text.find(std::string(block, sizeof block - 1)), std::string::npos);

    std::vector<unsigned char> manifest =
        saver.bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    std::string manifest_text(manifest.begin(), manifest.end());
    // Per monitor (v2, then v1), with the older element as the fallback,
    // each in the namespace where the platform looks for it.
    const char* const dpi_settings[] = {
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
        "PerMonitor</dpiAwareness>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
    };
    for (const char* setting : dpi_settings) {
        EXPECT_NE(manifest_text.find(setting), std::string::npos) << setting << " not in\n" << manifest_text;
    }
}

TEST(SaverResources, BuildWithoutTheModelLacksOnlyTheModel)
{
    Program saver("head_nomodel.scr");
    ASSERT_NE(saver.module, nullptr);
    EXPECT_EQ(FindResourceA(saver.module, "fil3d", "MYTYPE"), nullptr);
    EXPECT_FALSE(saver.bytes(MAKEINTRESOURCEA(2), "TESTBILD", SWEDISH).empty());
}

}  // namespace
