// The configure window's settings under Wine: a window of the saver's
// procedure in the configure mode, its controls pressed with messages, a
// stand-in for the Open dialog that "chooses" a file, and then what the
// registry holds (read back with read_settings), what the window shows, and
// what closes it. The program's resources are linked in, so the window
// paints its picture. Needs a display: the test runs on a virtual one.
#include <string.h>
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "configure_window.h"
#include "gl_window.h"
#include "probe.h"
#include "saver_window.h"
#include "settings.h"

void probe_start() {}
void probe_frame_drawn() {}
void probe_finish() {}
bool probe_refuses(const char*) { return false; }

namespace {

const char TEST_CLASS[] = "ConfigureWindowTest";

// A path in the source tree, as Wine names it.
std::string source_path(const char* relative)
{
    std::string path = std::string("Z:") + SAVER_SOURCE_DIR + "/" + relative;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// The Open dialog's stand-in: the file it chooses, and the filter's pattern
// it was given.
std::string g_chosen;
std::string g_pattern;
BOOL WINAPI choose_file(OPENFILENAMEA* dialog)
{
    g_pattern = dialog->lpstrFilter + strlen(dialog->lpstrFilter) + 1;
    if (g_chosen.empty() || g_chosen.size() >= dialog->nMaxFile) return FALSE;
    strcpy(dialog->lpstrFile, g_chosen.c_str());
    return TRUE;
}

void clear_registry() { RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY); }

Settings saved_settings()
{
    Settings settings;
    read_settings(&settings);
    return settings;
}

std::string control_text(HWND window, int id)
{
    char text[600] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

bool ends_with(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Takes every WM_CLOSE posted to window; how many there were.
int closes_posted(HWND window)
{
    MSG taken;
    int count = 0;
    while (PeekMessageA(&taken, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) count += taken.message == WM_CLOSE;
    return count;
}

class ConfigureWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_registry();
        g_open_file_dialog = choose_file;
        g_chosen.clear();
    }
    void TearDown() override
    {
        if (window && IsWindow(window)) DestroyWindow(window);
        MSG taken;
        while (PeekMessageA(&taken, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        g_is_configure = 0;
        g_open_file_dialog = GetOpenFileNameA;
        clear_registry();
    }
    // The configure window as WinMain opens it without a host, active.
    void open(int width, int height)
    {
        static bool class_ready = false;
        if (!class_ready) {
            WNDCLASSA window_class;
            memset(&window_class, 0, sizeof window_class);
            window_class.lpfnWndProc = saver_window_proc;
            window_class.hInstance = GetModuleHandleA(nullptr);
            window_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
            window_class.lpszClassName = TEST_CLASS;
            class_ready = RegisterClassA(&window_class) != 0;
        }
        g_is_preview = 0;
        g_is_configure = 1;
        g_hinstance = GetModuleHandleA(nullptr);
        window = CreateWindowExA(0, TEST_CLASS, "configure", WS_POPUP | WS_DLGFRAME, 0, 0, width, height, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window);
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }
    void click(int id) { SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }
    void choose(const std::string& path)
    {
        g_chosen = path;
        click(CONTROL_CHOOSE);
    }
    HWND window = nullptr;
};

TEST_F(ConfigureWindow, AFileTheReaderShowsIsSavedOneItRefusesIsToldAndTheEarlierKept)
{
    open(800, 600);
    const std::string medal_name = control_text(window, CONTROL_MODEL_NAME);
    const std::string good = source_path("resources/head.3ds");
    choose(good);
    EXPECT_EQ(g_pattern, "*.3ds");
    EXPECT_STREQ(saved_settings().model, good.c_str());
    EXPECT_EQ(control_text(window, CONTROL_MODEL_NAME), "head.3ds");
    EXPECT_EQ(control_text(window, CONTROL_MODEL_PROBLEM), "");

    const struct {
        std::string path;
        const char* told;  // the end of the problem line: the file's name and why
    } refused[] = {
        {source_path("tests/CMakeLists.txt"), "CMakeLists.txt: This is not 3ds data."},
        {source_path("tests/no such model.3ds"), "no such model.3ds: No such file or directory"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.path);
        choose(r.path);
        EXPECT_TRUE(ends_with(control_text(window, CONTROL_MODEL_PROBLEM), r.told))
            << control_text(window, CONTROL_MODEL_PROBLEM);
        EXPECT_STREQ(saved_settings().model, good.c_str());
        EXPECT_EQ(control_text(window, CONTROL_MODEL_NAME), "head.3ds");
    }

    // Back to the medal; the problem line cleared.
    click(CONTROL_MEDAL);
    EXPECT_STREQ(saved_settings().model, "");
    EXPECT_EQ(control_text(window, CONTROL_MODEL_NAME), medal_name);
    EXPECT_EQ(control_text(window, CONTROL_MODEL_PROBLEM), "");
    // A cancelled dialog changes nothing.
    choose("");
    EXPECT_STREQ(saved_settings().model, "");
}

TEST_F(ConfigureWindow, MonitorsAndLookAreSavedAndShownAgain)
{
    open(800, 600);
    const std::string good = source_path("resources/head.3ds");
    choose(good);
    HWND layouts = GetDlgItem(window, CONTROL_MONITORS);
    EXPECT_EQ(SendMessageA(layouts, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(layouts, CB_GETCURSEL, 0, 0), MONITORS_EACH);
    // As the list box tells a choice made with the mouse.
    SendMessageA(layouts, CB_SETCURSEL, MONITORS_PRIMARY, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CONTROL_MONITORS, CBN_SELCHANGE), (LPARAM)layouts);
    EXPECT_EQ(saved_settings().monitors, MONITORS_PRIMARY);
    EXPECT_EQ(saved_settings().look, LOOK_AS_FILE);
    click(CONTROL_PLAIN);
    EXPECT_EQ(saved_settings().look, LOOK_PLAIN);
    EXPECT_EQ(closes_posted(window), 0) << "a setting's control closed the window";

    DestroyWindow(window);
    open(800, 600);
    EXPECT_EQ(SendDlgItemMessageA(window, CONTROL_MONITORS, CB_GETCURSEL, 0, 0), MONITORS_PRIMARY);
    EXPECT_EQ(IsDlgButtonChecked(window, CONTROL_PLAIN), (UINT)BST_CHECKED);
    EXPECT_EQ(control_text(window, CONTROL_MODEL_NAME), "head.3ds");
    click(CONTROL_PLAIN);
    EXPECT_EQ(saved_settings().look, LOOK_AS_FILE);
    EXPECT_STREQ(saved_settings().model, good.c_str());
}

TEST_F(ConfigureWindow, StoredValuesOfTheWrongTypeOrOutOfRangeReadAsDefaults)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD out_of_range = 3, one = 1;
    RegSetValueExA(key, SETTING_MODEL, 0, REG_DWORD, (const BYTE*)&one, sizeof one);
    RegSetValueExA(key, SETTING_MONITORS, 0, REG_DWORD, (const BYTE*)&out_of_range, sizeof out_of_range);
    RegSetValueExA(key, SETTING_LOOK, 0, REG_SZ, (const BYTE*)"1", 2);
    RegCloseKey(key);
    Settings settings = saved_settings();
    EXPECT_STREQ(settings.model, "");
    EXPECT_EQ(settings.monitors, MONITORS_EACH);
    EXPECT_EQ(settings.look, LOOK_AS_FILE);
}

TEST_F(ConfigureWindow, KeysWorkAsInADialogAndMouseMovesDoNotClose)
{
    open(800, 600);
    HWND first = GetFocus();
    EXPECT_EQ(first, GetDlgItem(window, CONTROL_CHOOSE));
    // Tab through every control and round to the first; the button last.
    const int order[] = {CONTROL_MEDAL, CONTROL_MONITORS, CONTROL_PLAIN, IDOK, CONTROL_CHOOSE};
    for (int id : order) {
        MSG tab = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(window, &tab));
        EXPECT_EQ(GetFocus(), GetDlgItem(window, id)) << "after Tab, the control " << id;
    }
    // Input that closes the full-screen run leaves the configure window.
    for (int move = 1; move <= 6; ++move) SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move, move));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(700, 400));
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(closes_posted(window), 0);
    // Enter on a control that is no push button, as on the button itself.
    SetFocus(GetDlgItem(window, CONTROL_PLAIN));
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        MSG press = {GetFocus(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(window, &press));
        EXPECT_EQ(closes_posted(window), 1) << "key " << key;
    }
}

TEST_F(ConfigureWindow, ASmallWindowGrowsToHoldTheSettingsThePictureAndButtonStay)
{
    open(400, 330);
    RECT client, button;
    GetClientRect(window, &client);
    EXPECT_GE(client.right, 637);
    EXPECT_GE(client.bottom, 304);
    GetWindowRect(GetDlgItem(window, IDOK), &button);
    MapWindowPoints(nullptr, window, (POINT*)&button, 2);
    EXPECT_EQ(button.left, 160);
    EXPECT_EQ(button.top, 290);
    RECT plain;
    GetWindowRect(GetDlgItem(window, CONTROL_PLAIN), &plain);
    MapWindowPoints(nullptr, window, (POINT*)&plain, 2);
    EXPECT_LE(plain.right, client.right);
}

}  // namespace

int main(int argc, char** argv)
{
    // No window manager on the test display: a top-level window of an
    // unmanaged Wine closes at once instead of after two seconds.
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE*)"N", 2);
        RegCloseKey(key);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
