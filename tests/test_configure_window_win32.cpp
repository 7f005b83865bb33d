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

// The Open dialog's stand-in: it "chooses" g_chosen (UTF-8; cancels when
// empty) and keeps the filter's first pattern.
std::string g_chosen;
std::wstring g_pattern;
BOOL WINAPI choose_file(OPENFILENAMEW* dialog)
{
    g_pattern = dialog->lpstrFilter + wcslen(dialog->lpstrFilter) + 1;
    return !g_chosen.empty() && utf8_to_wide(g_chosen.c_str(), dialog->lpstrFile, dialog->nMaxFile);
}

// Writes a value under the settings' key as another program would.
void store(const wchar_t* name, DWORD type, const void* bytes, DWORD size)
{
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Head", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, (const BYTE*)bytes, size);
    RegCloseKey(key);
}
void store_model(const std::wstring& path)
{
    store(L"Model", REG_SZ, path.c_str(), (DWORD)((path.size() + 1) * sizeof(wchar_t)));
}
void store_number(const wchar_t* name, DWORD value) { store(name, REG_DWORD, &value, sizeof value); }

// The Model value as stored, whatever its length.
std::wstring stored_model()
{
    wchar_t path[4096] = L"";
    DWORD size = sizeof path - sizeof path[0];
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Head", L"Model", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

std::string utf8(const std::wstring& text)
{
    char bytes[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}
std::wstring utf8_wide(const std::string& text)
{
    wchar_t wide[4096] = L"";
    utf8_to_wide(text.c_str(), wide, 4096);
    return wide;
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
        g_open_file_dialog = GetOpenFileNameW;
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
    std::wstring wide_text(int id)
    {
        wchar_t text[600] = L"";
        GetDlgItemTextW(window, id, text, 600);
        return text;
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
    EXPECT_EQ(g_pattern, L"*.3ds;*.gltf;*.glb;*.obj;*.stl");
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
    // Escape, Enter on a control that is no push button, and Alt+F4 (the
    // close command it posts) close it.
    SetFocus(GetDlgItem(window, CONTROL_PLAIN));
    const MSG presses[] = {{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}},
                           {GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}},
                           {GetFocus(), WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN << 16, 0, {0, 0}}};
    for (MSG press : presses) {
        EXPECT_TRUE(IsDialogMessageA(window, &press));
        MSG command;
        while (PeekMessageA(&command, window, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) DispatchMessageA(&command);
        EXPECT_EQ(closes_posted(window), 1) << "key " << press.wParam;
    }
}

// A click on a control of the window while it is inactive: the control
// takes the focus, then the activation comes (under Wine it may come after
// the press); the focus stays, so the click is not cancelled.
TEST_F(ConfigureWindow, ActivationKeepsTheFocusOnTheControlClicked)
{
    open();
    HWND plain = GetDlgItem(window, CONTROL_PLAIN);
    SendMessageA(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageA(plain, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), plain);
    EXPECT_EQ(saved().look, LOOK_PLAIN) << "the click was cancelled";
}

// Each value missing in turn (and a Model too long for the record, which
// reads as none, never cut): the others still read, the Model's path in any
// language.
TEST_F(ConfigureWindow, ReadSettingsReadsEveryValuePresentWhateverIsMissing)
{
    const std::wstring greek = L"C:\\\u039C\u03BF\u03BD\u03C4\u03AD\u03BB\u03B1\\jeep.3ds";  // Μοντέλα
    const std::string greek_utf8 = "C:\\\xCE\x9C\xCE\xBF\xCE\xBD\xCF\x84\xCE\xAD\xCE\xBB\xCE\xB1\\jeep.3ds";
    const std::wstring too_long(SETTINGS_MODEL_SIZE / 2, L'\u03A9');  // Ω: two bytes of UTF-8 each
    const struct {
        const wchar_t* missing;
        const std::wstring& model;  // stored
        std::string read_model;
        MonitorLayout monitors;
        Look look;
    } cases[] = {
        {L"Model", greek, "", MONITORS_PRIMARY, LOOK_PLAIN},
        {L"Monitors", greek, greek_utf8, MONITORS_EACH, LOOK_PLAIN},
        {L"Look", greek, greek_utf8, MONITORS_PRIMARY, LOOK_AS_FILE},
        {L"", too_long, "", MONITORS_PRIMARY, LOOK_PLAIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        store_model(c.model);
        store_number(L"Monitors", MONITORS_PRIMARY);
        store_number(L"Look", LOOK_PLAIN);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Head", c.missing);
        const Settings read = saved();
        EXPECT_EQ(read.model, c.read_model);
        EXPECT_EQ(read.monitors, c.monitors);
        EXPECT_EQ(read.look, c.look);
    }
}

// Each control writes only its own value: what another settings window or
// program stored meanwhile stays, and so does a Model too long for the
// window to keep.
TEST_F(ConfigureWindow, AChangeWritesOnlyItsOwnValue)
{
    const std::wstring too_long(SETTINGS_MODEL_SIZE + 10, L'a');
    store_model(too_long);
    open();
    store_number(L"Monitors", MONITORS_PRIMARY);
    SendDlgItemMessageA(window, CONTROL_PLAIN, BM_CLICK, 0, 0);
    EXPECT_EQ(saved().look, LOOK_PLAIN);
    EXPECT_EQ(saved().monitors, MONITORS_PRIMARY);
    EXPECT_EQ(stored_model(), too_long);

    store_number(L"Look", LOOK_AS_FILE);
    SendDlgItemMessageA(window, CONTROL_MONITORS, CB_SETCURSEL, MONITORS_ACROSS, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(CONTROL_MONITORS, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(window, CONTROL_MONITORS));
    EXPECT_EQ(saved().monitors, MONITORS_ACROSS);
    EXPECT_EQ(saved().look, LOOK_AS_FILE);
    EXPECT_EQ(stored_model(), too_long);

    store_number(L"Monitors", MONITORS_PRIMARY);
    choose(source_path("resources/head.3ds"));
    EXPECT_EQ(saved().monitors, MONITORS_PRIMARY);
    EXPECT_EQ(saved().look, LOOK_AS_FILE);
}

// A model in a folder named in Greek, whatever the user's ANSI code page:
// taken when chosen, its name shown, its textures' folder opened; a missing
// one named in Greek is told by its name.
TEST_F(ConfigureWindow, AModelInAFolderNamedInGreekIsTakenAndNamed)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    wcscat(folder, L"\u039C\u03BF\u03BD\u03C4\u03AD\u03BB\u03B1\\");  // Μοντέλα
    CreateDirectoryW(folder, nullptr);
    const std::wstring model = std::wstring(folder) + L"head.3ds";
    ASSERT_TRUE(CopyFileW(utf8_wide(source_path("resources/head.3ds")).c_str(), model.c_str(), FALSE));
    open();
    choose(utf8(model));
    EXPECT_EQ(saved().model, utf8(model));
    EXPECT_EQ(wide_text(CONTROL_MODEL_NAME), L"head.3ds");
    EXPECT_EQ(wide_text(CONTROL_MODEL_PROBLEM), L"");
    FILE* texture = open_texture_file(utf8(folder).c_str(), "head.3ds");
    EXPECT_TRUE(texture) << "the texture opener";
    if (texture) fclose(texture);

    choose(utf8(folder) + "\xCE\x86\xCE\xB3\xCE\xB1\xCE\xBB\xCE\xBC\xCE\xB1.3ds");  // Άγαλμα.3ds
    EXPECT_EQ(wide_text(CONTROL_MODEL_PROBLEM),
              L"Cannot show \u0386\u03B3\u03B1\u03BB\u03BC\u03B1.3ds: No such file or directory");
    EXPECT_EQ(saved().model, utf8(model));
}

}  // namespace

int main(int argc, char** argv)
{
    leave_windows_unmanaged();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
