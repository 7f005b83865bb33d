// The saver's window procedure and GL window under Wine, driven as the
// platform drives them: messages sent to a window of ours whose procedure is
// saver_window_proc, and then what the saver posted (the close request, the
// quit message), what it told the platform (a running screen saver, the
// cursor), how long a frame asked to pause, and which message boxes it
// showed (a watcher thread reads and answers every box). The built head.scr
// is started with CreateProcess to see which window owns its configure
// window and what it exits with. Needs a display: the test runs on a
// virtual one of its own.
#include <stdint.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gl_window.h"
#include "probe.h"
#include "render.h"
#include "saver_window.h"
#include "view.h"
#include "wine_windows.h"

// --- The measuring build's hooks, as this test plays them ---

namespace {
const char* g_refused_step = "";
}  // namespace

void probe_start() {}
void probe_frame_drawn() {}
void probe_finish() {}
bool probe_refuses(const char* step) { return strcmp(step, g_refused_step) == 0; }

namespace {

const char TEST_CLASS[] = "SaverWindowTest";

// --- Message boxes, seen and answered by a second thread ---

CRITICAL_SECTION g_boxes_lock;
std::vector<std::string> g_boxes;  // "CAPTION: text", in the order shown

BOOL CALLBACK collect_static_text(HWND child, LPARAM text)
{
    char class_name[32] = "";
    GetClassNameA(child, class_name, sizeof class_name);
    char line[512] = "";
    if (strcmp(class_name, "Static") == 0 && GetWindowTextA(child, line, sizeof line) > 0) {
        *(std::string*)text += line;
    }
    return TRUE;
}

DWORD WINAPI watch_boxes(void*)
{
    for (;;) {
        HWND box = FindWindowA("#32770", nullptr);
        if (box) {
            char caption[256] = "";
            GetWindowTextA(box, caption, sizeof caption);
            std::string text;
            // The text control may come a moment after the box itself.
            for (int i = 0; i < 50 && text.empty(); ++i) {
                EnumChildWindows(box, collect_static_text, (LPARAM)&text);
                if (text.empty()) Sleep(20);
            }
            EnterCriticalSection(&g_boxes_lock);
            g_boxes.push_back(std::string(caption) + ": " + text);
            LeaveCriticalSection(&g_boxes_lock);
            // OK for a box with one button, No for the question.
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
        }
        Sleep(20);
    }
}

std::vector<std::string> boxes_shown()
{
    EnterCriticalSection(&g_boxes_lock);
    std::vector<std::string> shown = g_boxes;
    g_boxes.clear();
    LeaveCriticalSection(&g_boxes_lock);
    return shown;
}

// --- A window of ours with the saver's procedure ---

bool g_class_ready = false;

// An invisible pop-up whose procedure is saver_window_proc; its creation
// message runs with the mode flags as they are set now.
HWND make_window()
{
    if (!g_class_ready) {
        WNDCLASSA window_class;
        memset(&window_class, 0, sizeof window_class);
        window_class.lpfnWndProc = saver_window_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = TEST_CLASS;
        g_class_ready = RegisterClassA(&window_class) != 0;
    }
    return CreateWindowExA(0, TEST_CLASS, "test", WS_POPUP, 0, 0, 100, 80, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

// Takes every message of kind message posted to the thread's queue (for
// window, or for the thread when window is null); returns how many there were.
int take_posted(HWND window, UINT message)
{
    MSG taken;
    int count = 0;
    // Wine hands out a pending quit message whatever the filter.
    while (PeekMessageA(&taken, window, message, message, PM_REMOVE)) count += taken.message == message;
    return count;
}

bool saver_announced()
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

// The thread's cursor display count.
int cursor_count()
{
    int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

std::vector<DWORD> g_pauses;
void WINAPI record_pause(DWORD milliseconds) { g_pauses.push_back(milliseconds); }

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_is_preview = 0;
        g_is_configure = 0;
        g_mouse_moves = 0;
        g_scene = nullptr;
        g_refused_step = "";
        boxes_shown();
    }
    void TearDown() override
    {
        if (window && IsWindow(window)) DestroyWindow(window);
        if (g_hrc) close_gl_window();  // a test that failed with its GL window open
        take_posted(nullptr, WM_QUIT);
        g_frame_pause = Sleep;
        g_default_window_proc = DefWindowProcA;
        g_system_metric = GetSystemMetrics;
        EXPECT_EQ(boxes_shown(), std::vector<std::string>{});
    }
    HWND window = nullptr;
};

// --- What closes the saver ---

struct InputCase {
    const char* name;
    UINT message;
    WPARAM w_param;
    bool closes;  // in the full-screen run; nothing closes the preview
};

TEST_F(SaverWindow, KeyOrMouseButtonDownClosesAndNothingElseDoes)
{
    const InputCase cases[] = {
        {"key down", WM_KEYDOWN, VK_SPACE, true},
        {"system key down", WM_SYSKEYDOWN, VK_MENU, true},
        {"left button down", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right button down", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"middle button down", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"key up", WM_KEYUP, VK_SPACE, false},
        {"character", WM_CHAR, 'a', false},
        {"left button up", WM_LBUTTONUP, 0, false},
        {"right button up", WM_RBUTTONUP, 0, false},
        {"double click", WM_LBUTTONDBLCLK, MK_LBUTTON, false},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
        {"x button down", WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), false},
        {"losing the activation", WM_ACTIVATE, WA_INACTIVE, false},
        {"losing the focus", WM_KILLFOCUS, 0, false},
        {"a command, outside the configure window", WM_COMMAND, 0, false},
    };
    for (uint8_t preview : {0, 1}) {
        for (const InputCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (preview ? ", preview" : ", full screen"));
            g_is_preview = preview;
            window = make_window();
            ASSERT_TRUE(window);
            SendMessageA(window, c.message, c.w_param, 0);
            EXPECT_EQ(take_posted(window, WM_CLOSE), c.closes && !preview ? 1 : 0);
            DestroyWindow(window);
        }
    }
}

TEST_F(SaverWindow, FourthMouseMoveClosesTheFullScreenRunButNeverThePreview)
{
    for (uint8_t preview : {0, 1}) {
        SCOPED_TRACE(preview ? "preview" : "full screen");
        g_is_preview = preview;
        g_mouse_moves = 0;
        window = make_window();
        for (int move = 1; move <= 6; ++move) {
            SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move, move));
            EXPECT_EQ(take_posted(window, WM_CLOSE), !preview && move >= 4 ? 1 : 0) << "move " << move;
        }
        EXPECT_EQ(g_mouse_moves, 6);
        DestroyWindow(window);
    }
}

TEST_F(SaverWindow, ConfigureWindowClosesOnItsButtonOverAHostToo)
{
    g_is_configure = 1;
    for (uint8_t preview : {0, 1}) {
        SCOPED_TRACE(preview ? "over a host" : "alone");
        g_is_preview = preview;
        window = make_window();
        SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(take_posted(window, WM_CLOSE), 0) << "a key";
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
        EXPECT_EQ(take_posted(window, WM_CLOSE), 1) << "the button";
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(take_posted(window, WM_CLOSE), 1) << "the close command (Alt+F4)";
        DestroyWindow(window);
    }
    g_is_configure = 0;
}

// Stands in for the default processing: records the system commands that
// reach it, and answers them with PASSED_ON without acting on them.
const LRESULT PASSED_ON = 12345;
std::vector<WPARAM> g_commands_passed_on;
LRESULT CALLBACK record_system_command(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    if (message != WM_SYSCOMMAND) return DefWindowProcA(window, message, w_param, l_param);
    g_commands_passed_on.push_back(w_param);
    return PASSED_ON;
}

TEST_F(SaverWindow, CloseAndScreenSaveCommandsAreRefusedExactly)
{
    window = make_window();
    // The platform's own processing ignores a screen-saver command too, so
    // only the default processing's stand-in shows that the saver refuses
    // it itself.
    g_default_window_proc = record_system_command;
    g_commands_passed_on.clear();
    const WPARAM refused[] = {SC_CLOSE, SC_SCREENSAVE};
    const WPARAM passed_on[] = {SC_CLOSE | 1, SC_SCREENSAVE + 1, SC_MINIMIZE};
    for (uint8_t preview : {0, 1}) {
        g_is_preview = preview;
        for (WPARAM command : refused) {
            EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), 0) << command << " preview " << (int)preview;
        }
    }
    g_is_preview = 0;
    EXPECT_EQ(take_posted(window, WM_CLOSE), 0);
    for (WPARAM command : passed_on) EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), PASSED_ON) << command;
    EXPECT_EQ(g_commands_passed_on, std::vector<WPARAM>(passed_on, passed_on + 3));
    g_default_window_proc = DefWindowProcA;
    EXPECT_TRUE(IsWindow(window));
    // With a low bit set it is another command: the default handling
    // closes the window, through the saver's close handling.
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE | 1, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(take_posted(nullptr, WM_QUIT), 1);
}

// --- What the saver tells the platform ---

TEST_F(SaverWindow, FullScreenRunAnnouncesItselfAndHidesTheCursorThePreviewNot)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    for (uint8_t preview : {0, 1}) {
        SCOPED_TRACE(preview ? "preview" : "full screen");
        g_is_preview = preview;
        SetCursor(arrow);
        ASSERT_FALSE(saver_announced());
        window = make_window();
        EXPECT_EQ(saver_announced(), !preview);
        EXPECT_EQ(GetCursor(), preview ? arrow : nullptr);
        SetCursor(nullptr);
        DestroyWindow(window);
        EXPECT_FALSE(saver_announced());
        EXPECT_EQ(GetCursor(), preview ? nullptr : arrow) << "the arrow is restored by the full-screen run only";
        EXPECT_EQ(take_posted(nullptr, WM_QUIT), 1) << "the destruction ends the message loop in every mode";
    }
}

// --- The frame ---

TEST_F(SaverWindow, EveryFramePausesTenMilliseconds)
{
    window = make_window();
    g_frame_pause = record_pause;
    g_pauses.clear();
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(g_pauses, (std::vector<DWORD>{FRAME_PAUSE_MS, FRAME_PAUSE_MS}));
    EXPECT_EQ(FRAME_PAUSE_MS, 10u);
}

// --- Opening the GL window: failures and the display mode ---

struct OpenFailureCase {
    const char* name;
    bool fullscreen;
    int parent;  // 0 none, 1 a live window, 2 a window already destroyed
    const char* refused_step;
    const char* box;  // the box shown, or "" for none
};

TEST_F(SaverWindow, FailureToOpenIsToldExceptWhenThePreviewsHostIsGone)
{
    const OpenFailureCase cases[] = {
        {"full screen, pixel format refused", true, 0, "pixel_format", "ERROR: Can't Find A Suitable PixelFormat."},
        {"preview, pixel format refused", false, 1, "pixel_format", "ERROR: Can't Find A Suitable PixelFormat."},
        {"child without a parent", false, 0, "", "ERROR: Window Creation Error."},
        {"preview whose host is gone", false, 2, "", ""},
    };
    for (const OpenFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        HWND parent = c.parent ? make_window() : nullptr;
        if (c.parent == 2) DestroyWindow(parent);
        take_posted(nullptr, WM_QUIT);
        g_refused_step = c.refused_step;
        int cursor_before = cursor_count();
        EXPECT_FALSE(open_gl_window("Head", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 32,
                                    c.fullscreen, parent));
        std::vector<std::string> expected;
        if (*c.box) expected.push_back(c.box);
        EXPECT_EQ(boxes_shown(), expected);
        // Everything undone: the display mode (with the cursor hidden for
        // it), the window and the class.
        EXPECT_EQ(cursor_count(), cursor_before);
        EXPECT_FALSE(g_hwnd && IsWindow(g_hwnd));
        WNDCLASSA found;
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "OpenGL", &found));
        if (parent && IsWindow(parent)) DestroyWindow(parent);
        take_posted(nullptr, WM_QUIT);
    }
}

// The scene's display list lives in the GL window's context: closing the
// window deletes it there, while that context is still current.
TEST_F(SaverWindow, ClosingTheGlWindowDeletesTheSceneList)
{
    static Scene empty_scene;  // outlives the test, whatever fails
    window = make_window();
    ASSERT_TRUE(open_gl_window("Head", 64, 48, 32, false, window));
    g_scene = &empty_scene;
    compile_scene_list();
    g_scene = nullptr;
    ASSERT_NE(g_scene_list, 0u);
    close_gl_window();
    EXPECT_EQ(g_scene_list, 0u) << "the list outlived the GL window";
}

// A change of monitors: the full-screen window spans the virtual screen
// again, with its views worked out anew; the preview stays as it is.
TEST_F(SaverWindow, DisplayChangeSpansTheVirtualScreenAgainInTheFullScreenRunOnly)
{
    RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    for (bool fullscreen : {true, false}) {
        SCOPED_TRACE(fullscreen ? "full screen" : "preview");
        HWND host = fullscreen ? nullptr : (window = make_window());
        // Full screen asks for the primary monitor's own mode, as WinMain does.
        int width = fullscreen ? GetSystemMetrics(SM_CXSCREEN) : 64;
        int height = fullscreen ? GetSystemMetrics(SM_CYSCREEN) : 48;
        ASSERT_TRUE(open_gl_window("Head", width, height, 32, fullscreen, host));
        SetWindowPos(g_hwnd, nullptr, 10, 20, 30, 40, SWP_NOZORDER | SWP_NOACTIVATE);
        g_monitor_views = MonitorViews{};
        SendMessageA(g_hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.right, screen.bottom));
        RECT now;
        GetWindowRect(g_hwnd, &now);
        RECT expected = fullscreen ? screen : RECT{10, 20, 40, 60};
        if (host) MapWindowPoints(host, nullptr, (POINT*)&expected, 2);
        EXPECT_TRUE(EqualRect(&now, &expected))
            << now.left << "," << now.top << " " << now.right - now.left << "x" << now.bottom - now.top;
        EXPECT_EQ(g_monitor_views.window_width, fullscreen ? screen.right - screen.left : 0);
        EXPECT_EQ(g_monitor_views.count, fullscreen ? GetSystemMetrics(SM_CMONITORS) : 0);
        close_gl_window();
        take_posted(nullptr, WM_QUIT);
    }
    g_monitor_views = MonitorViews{};
}

// The virtual screen as on a desk whose second monitor is left of the
// primary: it starts at a negative x.
const int LEFT_MONITOR_WIDTH = 640;
int WINAPI monitor_left_of_primary(int index)
{
    if (index == SM_XVIRTUALSCREEN) return -LEFT_MONITOR_WIDTH;
    if (index == SM_CXVIRTUALSCREEN) return LEFT_MONITOR_WIDTH + GetSystemMetrics(SM_CXSCREEN);
    return GetSystemMetrics(index);
}

TEST_F(SaverWindow, FullScreenWindowLiesAtTheVirtualScreensOriginLeftOfThePrimary)
{
    g_system_metric = monitor_left_of_primary;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(open_gl_window("Head", width, height, 32, true, nullptr));
    const RECT expected = {-LEFT_MONITOR_WIDTH, 0, width, height};
    for (const char* when : {"opened", "after a change of monitors"}) {
        RECT now;
        GetWindowRect(g_hwnd, &now);
        EXPECT_TRUE(EqualRect(&now, &expected))
            << when << ": " << now.left << "," << now.top << " " << now.right - now.left << "x" << now.bottom - now.top;
        SendMessageA(g_hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height));
    }
    close_gl_window();
    take_posted(nullptr, WM_QUIT);
    g_monitor_views = MonitorViews{};
}

// --- The built program ---

// Runs head.scr with arguments; the process, or a null handle.
PROCESS_INFORMATION start_saver(const std::string& arguments)
{
    std::string path = "Z:" SAVER_BUILD_DIR "/head.scr";
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    std::string command = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << command << " (" << GetLastError() << ")";
    }
    return process;
}

// The exit status of a process that must end within 30 s; -999 if not.
int exit_status(PROCESS_INFORMATION* process)
{
    DWORD status = (DWORD)-999;
    if (WaitForSingleObject(process->hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process->hProcess, &status);
    } else {
        TerminateProcess(process->hProcess, (UINT)-999);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return (int)status;
}

struct OwnerCase {
    const char* name;
    const char* switch_word;
    bool give_host;
    int owner;  // 0 none, 1 the foreground window, 2 the host
};

TEST_F(SaverWindow, ConfigureWindowIsOwnedByTheHostOrWithSlashCByTheForegroundWindow)
{
    const OwnerCase cases[] = {
        {"/c alone: the foreground window", "/c", false, 1}, {"-c alone: the foreground window", "-c", false, 1},
        {"another word alone: no owner", "/save", false, 0}, {"/c over a host", "/c:", true, 2},
        {"another word over a host", "/x ", true, 2},
    };
    const char configure_title[] = "Tral\xF6v \xE4r en livsstil...";
    HWND foreground = CreateWindowExA(0, "Static", "foreground", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    HWND host = make_window();
    for (const OwnerCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetForegroundWindow(foreground);
        ASSERT_EQ(GetForegroundWindow(), foreground);
        std::string arguments = c.switch_word;
        if (c.give_host) arguments += std::to_string((unsigned long)(UINT_PTR)host);
        PROCESS_INFORMATION saver = start_saver(arguments);
        HWND configure = nullptr;
        for (int i = 0; i < 3000 && !configure; ++i) {
            configure = FindWindowA("Saver", configure_title);
            if (!configure) Sleep(10);
        }
        ASSERT_TRUE(configure) << "no configure window";
        HWND expected = c.owner == 1 ? foreground : c.owner == 2 ? host : nullptr;
        EXPECT_EQ(GetWindow(configure, GW_OWNER), expected);
        PostMessageA(configure, WM_COMMAND, 0, 0);
        EXPECT_EQ(exit_status(&saver), 0);
    }
    DestroyWindow(foreground);
    DestroyWindow(host);
    take_posted(nullptr, WM_QUIT);
}

}  // namespace

int main(int argc, char** argv)
{
    leave_windows_unmanaged();
    InitializeCriticalSection(&g_boxes_lock);
    CreateThread(nullptr, 0, watch_boxes, nullptr, 0, nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
