// gl_window.cpp - opening and closing the GL window: the "OpenGL" class, the
// full-screen display mode (with the windowed fallback question), the window,
// its pixel format and rendering context. Win32, GDI and WGL; the drawing
// itself is portable (render.h). The full-screen window spans the virtual
// screen and draws one view per monitor (monitor_views.h).
//
// Every failure of the window framework is told to the user in a message box
// without an owner window, with a fixed English text.
#include "gl_window.h"

#include <string.h>

#include "probe.h"
#include "render.h"
#include "saver_window.h"

HINSTANCE g_hinstance = nullptr;
HWND g_hwnd = nullptr;
HDC g_hdc = nullptr;
HGLRC g_hrc = nullptr;
bool g_fullscreen = false;
int(WINAPI* g_system_metric)(int index) = GetSystemMetrics;
// The first four fields are constant; colour and depth bits are filled in by
// the first call of open_gl_window that gets a window.
// clang-format off
PIXELFORMATDESCRIPTOR g_pixel_format_desc = {
    40, 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, PFD_TYPE_RGBA,
    0,                    // colour bits
    0, 0, 0, 0, 0, 0,     // red, green, blue bits and shifts
    0, 0,                 // alpha bits and shift
    0, 0, 0, 0, 0,        // accumulation bits
    0,                    // depth bits
    0, 0,                 // stencil bits, auxiliary buffers
    PFD_MAIN_PLANE, 0,    // layer type, reserved
    0, 0, 0};             // layer, visible and damage masks
// clang-format on

namespace {

// What the full-screen window's views are computed from.
struct MonitorViewsInput {
    ScreenRect virtual_screen;
    int32_t count;
    Monitor monitors[MAX_MONITOR_VIEWS];
};

const char GL_CLASS_NAME[] = "OpenGL";
// The display-settings record size the saver hands the platform: the layout
// without the later ICM and panning fields, which every version accepts.
const WORD DEVMODE_RECORD_SIZE = 148;
const BYTE DEPTH_BITS = 16;
// The window's extended style, in both the full-screen and the windowed case.
const DWORD GL_WINDOW_EX_STYLE = WS_EX_APPWINDOW;

// The "OpenGL" class is registered under g_hinstance (and not yet
// unregistered).
bool g_class_registered = false;
// The display runs in the mode open_gl_window asked for (and the cursor is
// hidden for it).
bool g_display_changed = false;
// g_pixel_format_desc has been filled in by a call that got a window.
bool g_pixel_format_filled = false;

void show_open_error(const char* text) { MessageBoxA(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION); }

void show_close_error(const char* text) { MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION); }

// A failure from the window's creation on: release what exists, then tell.
// Destroying the window has posted the quit message, which would close the
// box at once, before anyone could read it; the run ends anyway, so the
// quit message is taken off the queue first. A preview whose host window
// has gone (the platform's dialog destroys it whenever the user moves on
// quickly) says nothing: there is no one to tell, and the platform expects
// the preview to end silently.
bool fail_open(const char* text, HWND parent)
{
    close_gl_window();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    if (parent == nullptr || IsWindow(parent)) show_open_error(text);
    return false;
}

// Asks for width x height at bits per pixel, at the refresh rate the display
// runs now (the driver's default when that cannot be read).
LONG change_display_mode(int width, int height, int bits)
{
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = DEVMODE_RECORD_SIZE;
    bool have_current = EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != FALSE;
    DWORD refresh_rate = mode.dmDisplayFrequency;

    memset(&mode, 0, sizeof mode);
    mode.dmSize = DEVMODE_RECORD_SIZE;
    mode.dmPelsWidth = (DWORD)width;
    mode.dmPelsHeight = (DWORD)height;
    mode.dmBitsPerPel = (DWORD)bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (have_current) {
        mode.dmDisplayFrequency = refresh_rate;
        mode.dmFields |= DM_DISPLAYFREQUENCY;
    }
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

// Adds one monitor's rectangle to the list gather_monitors fills.
BOOL CALLBACK add_monitor(HMONITOR handle, HDC, LPRECT, LPARAM list)
{
    MonitorViewsInput* input = (MonitorViewsInput*)list;
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (input->count >= MAX_MONITOR_VIEWS || !GetMonitorInfoA(handle, &info)) return TRUE;
    const RECT* r = &info.rcMonitor;
    input->monitors[input->count++] = {{r->left, r->top, r->right - r->left, r->bottom - r->top},
                                       (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
    return TRUE;
}

// The virtual screen and its monitors as the platform reports them now.
void gather_monitors(MonitorViewsInput* input)
{
    input->count = 0;
    input->virtual_screen = {g_system_metric(SM_XVIRTUALSCREEN), g_system_metric(SM_YVIRTUALSCREEN),
                             g_system_metric(SM_CXVIRTUALSCREEN), g_system_metric(SM_CYVIRTUALSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, (LPARAM)input);
}

void fill_pixel_format(int bits)
{
    if (g_pixel_format_filled) return;
    g_pixel_format_desc.cColorBits = (BYTE)bits;
    g_pixel_format_desc.cDepthBits = DEPTH_BITS;
    g_pixel_format_desc.iLayerType = PFD_MAIN_PLANE;
    g_pixel_format_filled = true;
}

}  // namespace

void restore_display_mode()
{
    if (!g_display_changed) return;
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
    g_display_changed = false;
}

bool open_gl_window(const char* title, int width, int height, int bits, bool fullscreen, HWND parent)
{
    g_fullscreen = fullscreen;
    RECT rect = {0, 0, width, height};
    g_hinstance = GetModuleHandleA(nullptr);

    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    window_class.lpfnWndProc = saver_window_proc;
    window_class.hInstance = g_hinstance;
    window_class.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = GL_CLASS_NAME;
    if (!RegisterClassA(&window_class)) {
        show_open_error("Failed To Register The Window Class.");
        return false;
    }
    g_class_registered = true;

    DWORD base_style = WS_CHILD;
    if (g_fullscreen) {
        if (change_display_mode(width, height, bits) != DISP_CHANGE_SUCCESSFUL) {
            int answer = MessageBoxA(nullptr,
                                     "The Requested Fullscreen Mode Is Not Supported By\n"
                                     "Your Video Card. Use Windowed Mode Instead?",
                                     "Lumo GL", MB_YESNO | MB_ICONEXCLAMATION);
            if (answer != IDYES) {
                MessageBoxA(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
                return false;
            }
            g_fullscreen = false;
        } else {
            g_display_changed = true;
            ShowCursor(FALSE);
            base_style = WS_POPUP;
        }
    }

    // The full-screen window spans every monitor; its views are worked out
    // from them. With one monitor that is the screen at (0, 0), as asked.
    MonitorViewsInput monitors;
    if (g_fullscreen) {
        gather_monitors(&monitors);
        const ScreenRect* v = &monitors.virtual_screen;
        rect = {v->x, v->y, v->x + v->width, v->y + v->height};
        compute_monitor_views(monitors.monitors, monitors.count, *v, g_monitor_layout, &g_monitor_views);
        width = v->width;
        height = v->height;
    }
    AdjustWindowRectEx(&rect, base_style, FALSE, GL_WINDOW_EX_STYLE);
    g_hwnd = CreateWindowExA(GL_WINDOW_EX_STYLE, GL_CLASS_NAME, title, base_style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                             g_hinstance, nullptr);
    if (!g_hwnd) return fail_open("Window Creation Error.", parent);

    fill_pixel_format(bits);
    g_hdc = GetDC(g_hwnd);
    if (!g_hdc) return fail_open("Can't Create A GL Device Context.", parent);
    int pixel_format = probe_refuses("pixel_format") ? 0 : ChoosePixelFormat(g_hdc, &g_pixel_format_desc);
    if (pixel_format == 0) return fail_open("Can't Find A Suitable PixelFormat.", parent);
    if (!SetPixelFormat(g_hdc, pixel_format, &g_pixel_format_desc)) {
        return fail_open("Can't Set The PixelFormat.", parent);
    }
    g_hrc = wglCreateContext(g_hdc);
    if (!g_hrc) return fail_open("Can't Create A GL Rendering Context.", parent);
    if (!wglMakeCurrent(g_hdc, g_hrc)) return fail_open("Can't Activate The GL Rendering Context.", parent);

    ShowWindow(g_hwnd, SW_SHOW);
    SetForegroundWindow(g_hwnd);
    SetFocus(g_hwnd);
    resize_gl_view(width, height);
    if (!init_gl_state()) return fail_open("Initialization Failed.", parent);
    return true;
}

void fit_gl_window_to_monitors()
{
    if (!g_fullscreen || !g_hwnd || !g_hrc) return;
    MonitorViewsInput monitors;
    gather_monitors(&monitors);
    const ScreenRect* v = &monitors.virtual_screen;
    compute_monitor_views(monitors.monitors, monitors.count, *v, g_monitor_layout, &g_monitor_views);
    SetWindowPos(g_hwnd, nullptr, v->x, v->y, v->width, v->height, SWP_NOZORDER | SWP_NOACTIVATE);
    // One view is drawn with the window's own projection.
    resize_gl_view(v->width, v->height);
}

void close_gl_window()
{
    if (g_fullscreen) restore_display_mode();

    if (g_hrc) {
        // The scene's display list belongs to this context.
        release_scene_list();
        if (!wglMakeCurrent(nullptr, nullptr)) show_close_error("Release Of DC And RC Failed.");
        if (!wglDeleteContext(g_hrc)) show_close_error("Release Rendering Context Failed.");
        g_hrc = nullptr;
    }

    // The close handling destroys the window first; its own device context
    // went with it, and neither is released a second time.
    bool window_exists = g_hwnd != nullptr && IsWindow(g_hwnd);
    if (g_hdc && window_exists && !ReleaseDC(g_hwnd, g_hdc)) {
        show_close_error("Release Device Context Failed.");
        g_hdc = nullptr;
    }
    if (window_exists && !DestroyWindow(g_hwnd)) {
        show_close_error("Could Not Release hWnd.");
        g_hwnd = nullptr;
    }

    // In the configure mode the class was never registered.
    if (g_class_registered) {
        if (UnregisterClassA(GL_CLASS_NAME, g_hinstance)) {
            g_class_registered = false;
        } else {
            show_close_error("Could Not Unregister Class.");
            g_hinstance = nullptr;
        }
    }
}
