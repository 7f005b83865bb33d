// Plays the part of the Display Properties dialog for the end-to-end suite:
// it shows a window, starts the saver on it and reports on stdout what the
// saver did with it.
//
//   preview_host.exe SAVER_PATH WIDTH HEIGHT SECONDS_BEFORE_DESTROY [SWITCH]
//
// SWITCH is the saver's switch before the host's handle, "/p" by default;
// one ending in ':' is joined to the handle ("/c:1234"), any other is
// followed by a space ("/p 1234", "/s 1234").
//
// With "/p" and SECONDS_BEFORE_DESTROY 0 the host destroys its window as
// soon as the saver is started (as the settings dialog does when the user
// moves on quickly): the saver finds its host gone, before or while it makes
// its window. It then waits for the saver's end and prints its exit status.
//
// With "/p" the host waits (up to 60 s) for the saver's child window, then
// SECONDS_BEFORE_DESTROY more, and, when PREVIEW_HOST_WAIT_FILE names a file,
// until that file exists (up to 60 s). It prints the child's facts, posts
// keys, buttons and mouse moves to the child, pumps messages for a second,
// prints whether the saver still runs, destroys its window and prints the
// saver's exit status. With another switch no child is awaited: the host
// stays until the saver ends or, after SECONDS_BEFORE_DESTROY (and the wait
// file), it reports and destroys its window all the same.
//
// Output lines (each flushed at once):
//   host hwnd=N
//   host_client w=W h=H
//   child class=C x=X y=Y w=W h=H visible=V      (one per direct child)
//   child_count=N
//   alive_after_input=0|1
//   child_after_input=0|1
//   saver_ended_before_destroy=1                 (only when it did)
//   saver_exit=S
// Exit status 0, or 1 after an "error: ..." line.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum Phase { PHASE_WAIT_CHILD, PHASE_DWELL, PHASE_INPUT, PHASE_DONE };

struct HostState {
    HWND window = nullptr;
    PROCESS_INFORMATION saver{};
    bool want_child = true;
    Phase phase = PHASE_WAIT_CHILD;
    DWORD phase_start = 0;
    DWORD dwell_ms = 0;
    const char* wait_file = nullptr;
    bool ended_early = false;
    bool failed = false;
};

HostState g_host;

const UINT_PTR TICK_TIMER = 1;
const DWORD TICK_MS = 50;
const DWORD CHILD_WAIT_MS = 60000;
const DWORD FILE_WAIT_MS = 60000;
const DWORD INPUT_WAIT_MS = 1000;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

DWORD elapsed_since(DWORD start) { return GetTickCount() - start; }

bool saver_running() { return WaitForSingleObject(g_host.saver.hProcess, 0) == WAIT_TIMEOUT; }

bool file_exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void enter_phase(Phase phase)
{
    g_host.phase = phase;
    g_host.phase_start = GetTickCount();
}

void report_children()
{
    RECT client{};
    GetClientRect(g_host.window, &client);
    say("host_client w=%ld h=%ld", client.right - client.left, client.bottom - client.top);
    int count = 0;
    for (HWND child = GetWindow(g_host.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char class_name[256] = "";
        GetClassNameA(child, class_name, sizeof class_name);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(HWND_DESKTOP, g_host.window, reinterpret_cast<POINT*>(&rect), 2);
        say("child class=%s x=%ld y=%ld w=%ld h=%ld visible=%d", class_name, rect.left, rect.top,
            rect.right - rect.left, rect.bottom - rect.top, IsWindowVisible(child) ? 1 : 0);
        ++count;
    }
    say("child_count=%d", count);
}

void post_input(HWND child)
{
    PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(11, 10));
    PostMessageA(child, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(12, 10));
    for (int i = 0; i < 10; ++i) {
        PostMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(20 + 7 * i, 30 + 5 * i));
    }
}

void on_tick()
{
    if (g_host.phase != PHASE_DONE && !saver_running()) {
        g_host.ended_early = true;
        say("saver_ended_before_destroy=1");
        report_children();
        g_host.phase = PHASE_DONE;
        DestroyWindow(g_host.window);
        return;
    }
    switch (g_host.phase) {
    case PHASE_WAIT_CHILD:
        if (!g_host.want_child || GetWindow(g_host.window, GW_CHILD)) {
            enter_phase(PHASE_DWELL);
        } else if (elapsed_since(g_host.phase_start) > CHILD_WAIT_MS) {
            say("error: no child window after %lu ms", static_cast<unsigned long>(CHILD_WAIT_MS));
            g_host.failed = true;
            report_children();
            g_host.phase = PHASE_DONE;
            DestroyWindow(g_host.window);
        }
        break;
    case PHASE_DWELL: {
        DWORD waited = elapsed_since(g_host.phase_start);
        if (waited < g_host.dwell_ms) break;
        if (g_host.wait_file && !file_exists(g_host.wait_file)) {
            if (waited < g_host.dwell_ms + FILE_WAIT_MS) break;
            say("error: %s did not appear", g_host.wait_file);
            g_host.failed = true;
        }
        report_children();
        HWND child = GetWindow(g_host.window, GW_CHILD);
        if (child) post_input(child);
        enter_phase(PHASE_INPUT);
        break;
    }
    case PHASE_INPUT:
        if (elapsed_since(g_host.phase_start) < INPUT_WAIT_MS) break;
        say("alive_after_input=%d", saver_running() ? 1 : 0);
        say("child_after_input=%d", GetWindow(g_host.window, GW_CHILD) ? 1 : 0);
        g_host.phase = PHASE_DONE;
        DestroyWindow(g_host.window);
        break;
    case PHASE_DONE:
        break;
    }
}

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_TIMER:
        if (wparam == TICK_TIMER) on_tick();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(window, TICK_TIMER);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

int parse_number(const char* text, const char* what, long least)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < least || value > 100000) {
        say("error: bad %s '%s'", what, text);
        std::exit(1);
    }
    return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || argc > 6) {
        say("usage: preview_host.exe SAVER_PATH WIDTH HEIGHT SECONDS_BEFORE_DESTROY [SWITCH]");
        return 1;
    }
    const char* saver_path = argv[1];
    int width = parse_number(argv[2], "width", 1);
    int height = parse_number(argv[3], "height", 1);
    int seconds = parse_number(argv[4], "seconds", 0);
    std::string saver_switch = argc == 6 ? argv[5] : "/p";
    g_host.want_child = saver_switch == "/p";
    g_host.dwell_ms = static_cast<DWORD>(seconds) * 1000;
    g_host.wait_file = std::getenv("PREVIEW_HOST_WAIT_FILE");
    if (g_host.wait_file && !*g_host.wait_file) g_host.wait_file = nullptr;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = host_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    window_class.lpszClassName = "PreviewHost";
    if (!RegisterClassA(&window_class)) {
        say("error: RegisterClassA failed (%lu)", GetLastError());
        return 1;
    }
    g_host.window = CreateWindowExA(0, "PreviewHost", "Preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                    width, height, nullptr, nullptr, instance, nullptr);
    if (!g_host.window) {
        say("error: CreateWindowExA failed (%lu)", GetLastError());
        return 1;
    }
    UpdateWindow(g_host.window);
    unsigned long handle = static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(g_host.window));
    say("host hwnd=%lu", handle);

    std::string command = "\"" + std::string(saver_path) + "\" " + saver_switch;
    if (saver_switch.empty() || saver_switch.back() != ':') command += ' ';
    command += std::to_string(handle);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &g_host.saver)) {
        say("error: cannot start '%s' (%lu)", command.c_str(), GetLastError());
        DestroyWindow(g_host.window);
        return 1;
    }
    say("started %s", command.c_str());
    if (g_host.want_child && seconds == 0) {
        g_host.phase = PHASE_DONE;
        DestroyWindow(g_host.window);
        say("host_destroyed_at_once=1");
    } else {
        enter_phase(PHASE_WAIT_CHILD);
        SetTimer(g_host.window, TICK_TIMER, TICK_MS, nullptr);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    if (WaitForSingleObject(g_host.saver.hProcess, 30000) != WAIT_OBJECT_0) {
        say("error: the saver still runs 30 s after the host window was destroyed");
        TerminateProcess(g_host.saver.hProcess, 99);
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(g_host.saver.hProcess, &code);
    say("saver_exit=%d", static_cast<int>(code));
    CloseHandle(g_host.saver.hThread);
    CloseHandle(g_host.saver.hProcess);
    return g_host.failed ? 1 : 0;
}
