// gl_window.h - the GL window: the "OpenGL" window class, the display mode of
// the full-screen run, the window (a full-screen pop-up or a child of the
// preview's host window), its pixel format and rendering context.
//
// Win32 and WGL. open_gl_window is called once per run by WinMain; the close
// handling of saver_window_proc calls close_gl_window after destroying the
// window. All on the program's one thread.
#ifndef RENDER_GL_WINDOW_H
#define RENDER_GL_WINDOW_H

#include <windows.h>

extern HINSTANCE g_hinstance;  // module the "OpenGL" class is registered under
extern HWND g_hwnd;            // the GL window (or, in the configure mode, the configure window)
extern HDC g_hdc;              // the GL window's own device context
extern HGLRC g_hrc;            // the rendering context on g_hdc, current while open
extern bool g_fullscreen;      // the full-screen run asked for (and kept) its display mode
extern PIXELFORMATDESCRIPTOR g_pixel_format_desc;
// Where the full-screen window reads the virtual screen's origin and size
// (SM_XVIRTUALSCREEN and the like): GetSystemMetrics. A test build may put
// its own function here to place the virtual screen elsewhere.
extern int(WINAPI* g_system_metric)(int index);

// Registers the "OpenGL" class, switches the display to width x height at
// bits per pixel when fullscreen is set (asking whether to go on windowed
// when that mode does not exist), creates the window (full screen: over the
// whole virtual screen, every monitor, with one view per monitor as
// g_monitor_layout says; else at (0, 0) with a client area of width x
// height), sets up its pixel format and rendering context and
// the fixed GL state. False, after a message box, when any of it fails;
// when the parent (the preview's host) is no longer a window by then, false
// without a box.
bool open_gl_window(const char* title, int width, int height, int bits, bool fullscreen, HWND parent);

// The full-screen run: after the platform's monitors changed, moves the
// window over the whole virtual screen again and recomputes its views
// (g_monitor_views) for g_monitor_layout. Does nothing for any other window.
void fit_gl_window_to_monitors();

// Undoes open_gl_window in reverse order: display mode, rendering context
// (with the scene's display list, released while it is still current),
// device context, window, class. What is already gone (a window destroyed by
// the close handling, with its device context) or never happened (a class
// never registered) is left alone; a release that fails is reported in a
// "SHUTDOWN ERROR" box and the rest still runs.
void close_gl_window();

// Returns the display to its default mode and shows the cursor again, if
// open_gl_window changed the mode and nothing has restored it since. Safe to
// call on any way out.
void restore_display_mode();

#endif
