// The configure window's settings under Wine: a window of the saver's
// procedure in the configure mode (the program's resources linked in, so it
// paints its picture), its controls pressed with messages and a stand-in for
// the Open dialog; then what the registry holds (read_settings), what the
// window shows, and what closes it. Runs on a virtual display of its own.
#include <string.h>
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "configure_window.h"
#include "gl_window.h"
#include "probe.h"
#include "saver_window.h"
#include "wine_windows.h"

void probe_start() {}
void probe_frame_drawn() {}
void probe_finish() {}
bool probe_refuses(const char*) { return false; }

namespace {

// A file of the source tree, as Wine names it.
std::string source_path(const char* relative)
{
    std::string path = std::string("Z:") + SAVER_SOURCE_DIR + "/" + relative;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

// The Open dialog's stand-in: it "chooses" g_chosen (cancels when empty)
// and keeps the filter's first pattern.
std::string g_chosen;
std::string g_pattern;
BOOL WINAPI choose_file(OPENFILENAMEA* dialog)
{
    g_pattern = dialog->lpstrFilter + strlen(dialog->lpstrFilter) + 1;
    if (g_chosen.empty()) return FALSE;
    strcpy(dialog->lpstrFile, g_chosen.c_str());
    return TRUE;
}

Settings saved()
{
    Settings settings;
    read_settings(&settings);
    return settings;
}

int closes_posted(HWND window)
{
    MSG taken;
    int count = 0;
    // Wine hands out a pending quit message whatever the filter.
    while (PeekMessageA(&taken, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) count += taken.message == WM_CLOSE;
    return count;
}

class ConfigureWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
        g_open_file_dialog = choose_file;
    }
    void TearDown() override
    {
        if (window) DestroyWindow(window);
        g_is_configure = 0;
        g_open_file_dialog = GetOpenFileNameA;
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
    // The configure window as WinMain opens it without a host, active.
    void open()
    {
        if (window) DestroyWindow(window);
        WNDCLASSA window_class;
        memset(&window_class, 0, sizeof window_class);
        window_class.lpfnWndProc = saver_window_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        window_class.lpszClassName = "ConfigureWindowTest";
        RegisterClassA(&window_class);
        g_is_configure = 1;
        g_hinstance = GetModuleHandleA(nullptr);
        window = CreateWindowExA(0, "ConfigureWindowTest", "", WS_POPUP | WS_DLGFRAME | WS_VISIBLE, 0, 0, 800, 600,
                                 nullptr, nullptr, g_hinstance, nullptr);
        ASSERT_TRUE(window);
        SetForegroundWindow(window);
    }
    std::string text(int id)
    {
        char text[600] = "";
        GetDlgItemTextA(window, id, text, sizeof text);
        return text;
    }
    void choose(const std::string& path)
    {
        g_chosen = path;
        SendDlgItemMessageA(window, CONTROL_CHOOSE, BM_CLICK, 0, 0);
    }
    HWND window = nullptr;
};

TEST_F(ConfigureWindow, AFileTheReaderShowsIsSavedOneItRefusesIsToldAndTheEarlierKept)
{
    open();
    const std::string medal_name = text(CONTROL_MODEL_NAME);
    const std::string good = source_path("resources/head.3ds");
    choose(good);
    EXPECT_EQ(g_pattern, "*.3ds");
    EXPECT_STREQ(saved().model, good.c_str());
    EXPECT_EQ(text(CONTROL_MODEL_NAME), "head.3ds");

    const char* const refused[][2] = {
        {"tests/CMakeLists.txt", "CMakeLists.txt: This is not 3ds data."},
        {"tests/no such model.3ds", "no such model.3ds: No such file or directory"},
    };
    for (const auto& r : refused) {
        choose(source_path(r[0]));
        const std::string told = text(CONTROL_MODEL_PROBLEM);
        EXPECT_EQ(told.substr(told.size() - std::min(told.size(), strlen(r[1]))), r[1]);
        EXPECT_STREQ(saved().model, good.c_str());
        EXPECT_EQ(text(CONTROL_MODEL_NAME), "head.3ds");
    }
    choose("");  // cancelled: nothing changes
    EXPECT_STREQ(saved().model, good.c_str());

    SendDlgItemMessageA(window, CONTROL_MEDAL, BM_CLICK, 0, 0);
    EXPECT_STREQ(saved().model, "");
    EXPECT_EQ(text(CONTROL_MODEL_NAME), medal_name);
    EXPECT_EQ(text(CONTROL_MODEL_PROBLEM), "");
}

TEST_F(ConfigureWindow, MonitorsAndLookAreSavedAndShownAgain)
{
    open();
    // As the list tells a choice made with the mouse.
    SendDlgItemMessageA(window, CONTROL_MONITORS, CB_SETCURSEL, MONITORS_PRIMARY, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CONTROL_MONITORS, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(window, CONTROL_MONITORS));
    SendDlgItemMessageA(window, CONTROL_PLAIN, BM_CLICK, 0, 0);
    EXPECT_EQ(saved().monitors, MONITORS_PRIMARY);
    EXPECT_EQ(saved().look, LOOK_PLAIN);
    EXPECT_EQ(closes_posted(window), 0) << "a setting's control closed the window";

    open();
    EXPECT_EQ(SendDlgItemMessageA(window, CONTROL_MONITORS, CB_GETCURSEL, 0, 0), MONITORS_PRIMARY);
    EXPECT_EQ(IsDlgButtonChecked(window, CONTROL_PLAIN), (UINT)BST_CHECKED);
    SendDlgItemMessageA(window, CONTROL_PLAIN, BM_CLICK, 0, 0);
    EXPECT_EQ(saved().look, LOOK_AS_FILE);
}

TEST_F(ConfigureWindow, KeysWorkAsInADialogAndMouseMovesDoNotClose)
{
    open();
    EXPECT_EQ(GetFocus(), GetDlgItem(window, CONTROL_CHOOSE));
    // Tab through every control and round to the first; the button last.
    for (int id : {(int)CONTROL_MEDAL, (int)CONTROL_MONITORS, (int)CONTROL_PLAIN, IDOK, (int)CONTROL_CHOOSE}) {
        MSG tab = {GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(window, &tab));
        EXPECT_EQ(GetFocus(), GetDlgItem(window, id)) << "after Tab, the control " << id;
    }
    // Input that ends the full-screen run leaves the configure window.
    for (int move = 1; move <= 6; ++move) SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move, move));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(700, 400));
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(closes_posted(window), 0);
    // Escape, and Enter on a control that is no push button, close it.
    SetFocus(GetDlgItem(window, CONTROL_PLAIN));
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        MSG press = {GetFocus(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(IsDialogMessageA(window, &press));
        EXPECT_EQ(closes_posted(window), 1) << "key " << key;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    leave_windows_unmanaged();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
