// saver_window.cpp - the saver's one window procedure, for the configure
// window ("Saver") and the GL window ("OpenGL"): when the saver closes, the
// announcement to the platform, the frame clock driven by paint messages, the
// configure window's picture and button, and the close handling.
//
// The animation loop: a GL paint draws one frame and never validates the
// window, so the platform sends the next paint as soon as the queue is
// otherwise empty. Input always comes first; the close request is posted, not
// handled in place.
#include "saver_window.h"

#include "configure_window.h"
#include "frame_clock.h"
#include "frame_step.h"
#include "gl_window.h"
#include "probe.h"
#include "render.h"

uint8_t g_is_preview = 0;
uint8_t g_is_configure = 0;
int32_t g_mouse_moves = 0;
void(WINAPI* g_frame_pause)(DWORD milliseconds) = Sleep;
WNDPROC g_default_window_proc = DefWindowProcA;

namespace {

// Mouse-move messages tolerated; the next one closes the saver.
const int32_t TOLERATED_MOUSE_MOVES = 3;

// The configure window's button and picture.
const char BUTTON_TEXT[] = "Sk\xE5l!";  // Windows-1252
const int BUTTON_WIDTH = 75;
const int BUTTON_HEIGHT = 22;
const int PICTURE_X = 7;
const int PICTURE_Y = 7;
const int PICTURE_WIDTH = 360;
const int PICTURE_HEIGHT = 290;

// The platform has been told that the saver runs (and not yet told that it
// stopped).
bool g_saver_announced = false;

void announce_saver(BOOL running)
{
    BOOL previous = FALSE;  // the platform's previous state; not used
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
    g_saver_announced = running != FALSE;
}

// The button, centred near the bottom; the position counts from the window's
// outer size. It is the default (IDOK): Enter presses it.
void create_button(HWND window, const CREATESTRUCTA* creation)
{
    RECT outer;
    GetWindowRect(window, &outer);
    int w = outer.right - outer.left;
    int h = outer.bottom - outer.top;
    CreateWindowExA(0, "Button", BUTTON_TEXT, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, w / 2 - 40, h - 40,
                    BUTTON_WIDTH, BUTTON_HEIGHT, window, (HMENU)IDOK, creation->hInstance, nullptr);
}

void on_create(HWND window, LPARAM l_param)
{
    if (!g_is_preview) {
        // The configure window is used with the mouse: its cursor stays.
        if (!g_is_configure) SetCursor(nullptr);
        announce_saver(TRUE);
    }
    if (g_is_configure) {
        const CREATESTRUCTA* creation = (const CREATESTRUCTA*)l_param;
        create_button(window, creation);
        create_configure_controls(window, creation->hInstance);
        return;
    }
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    g_last_counter = counter.QuadPart;
}

void on_destroy()
{
    if (!g_is_preview) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        announce_saver(FALSE);
    }
    PostQuitMessage(0);
}

// The platform's part of a GL window's frame: the performance counter (its
// frequency read anew each frame, then the counter), the pause and the swap
// of g_hdc.
void read_performance_counter(void*, int64_t* counter, int64_t* frequency)
{
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    *frequency = value.QuadPart;
    QueryPerformanceCounter(&value);
    *counter = value.QuadPart;
}

void frame_drawn(void*) { probe_frame_drawn(); }

void pause_frame(void*, int64_t microseconds) { g_frame_pause((DWORD)(microseconds / 1000)); }

void swap_frame(void*) { SwapBuffers(g_hdc); }

const FramePlatform GL_WINDOW_FRAME = {
    read_performance_counter, frame_drawn, pause_frame, swap_frame, nullptr, (int64_t)FRAME_PAUSE_MS * 1000,
};

// The configure window's picture, loaded and released at every paint.
void paint_picture(HWND window)
{
    PAINTSTRUCT paint;
    HDC window_dc = BeginPaint(window, &paint);
    if (!g_hinstance) MessageBoxA(nullptr, "no instance", "arg4", MB_OK);
    HBITMAP picture = LoadBitmapA(g_hinstance, "testbild");
    if (!picture) MessageBoxA(nullptr, "no bitmap", "arg4", MB_OK);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    // Without a picture the selection fails and the memory context's
    // default bitmap is copied.
    SelectObject(memory_dc, picture);
    BitBlt(window_dc, PICTURE_X, PICTURE_Y, PICTURE_WIDTH, PICTURE_HEIGHT, memory_dc, 0, 0, SRCCOPY);
    DeleteDC(memory_dc);
    DeleteObject(picture);
    EndPaint(window, &paint);
}

// The close request: destroy the window (its WM_DESTROY posts the quit
// message), release the GL window's remains and the scene.
void close_saver(HWND window)
{
    g_is_configure = 0;
    DestroyWindow(window);
    close_gl_window();
    if (g_scene) free_scene(g_scene);
    g_scene = nullptr;
}

}  // namespace

void withdraw_saver_announcement()
{
    if (!g_saver_announced) return;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    announce_saver(FALSE);
}

LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM w_param, LPARAM l_param)
{
    LRESULT answer = 0;
    if (g_is_configure && configure_window_message(window, message, w_param, l_param, &answer)) return answer;
    switch (message) {
    case WM_CREATE:
        on_create(window, l_param);
        if (g_is_configure) return 0;
        break;
    case WM_DESTROY:
        on_destroy();
        break;
    case WM_PAINT:
        if (g_is_configure) {
            paint_picture(window);
        } else {
            run_frame(&GL_WINDOW_FRAME);
        }
        return 0;
    case WM_DISPLAYCHANGE:
        // Monitors came, went or changed size: span them all again.
        fit_gl_window_to_monitors();
        break;
    case WM_CLOSE:
        close_saver(window);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // The configure window is a dialog: its button, Enter and Escape
        // close it.
        if (!g_is_preview && !g_is_configure) PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_COMMAND:
        // The settings' controls have had theirs: what is left is the
        // button, Enter (IDOK) or Escape (IDCANCEL).
        if (g_is_configure) PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case WM_SYSCOMMAND:
        // The whole value: a command with any of its low four bits set is
        // not one of these two. The saver refuses both; the configure
        // window closes on the close command (Alt+F4) as on its button.
        if (w_param == SC_CLOSE && g_is_configure) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        if (w_param == SC_CLOSE || w_param == SC_SCREENSAVE) return 0;
        break;
    case WM_MOUSEMOVE:
        // Saturates rather than overflowing in a preview that runs for ever.
        if (g_mouse_moves < INT32_MAX) g_mouse_moves++;
        if (!g_is_preview && !g_is_configure && g_mouse_moves > TOLERATED_MOUSE_MOVES) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        break;
    }
    return g_default_window_proc(window, message, w_param, l_param);
}
