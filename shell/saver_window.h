// saver_window.h - the one window procedure of the saver and the mode flags
// it reads. Win32.
#ifndef SHELL_SAVER_WINDOW_H
#define SHELL_SAVER_WINDOW_H

#include <stdint.h>
#include <windows.h>

extern uint8_t g_is_preview;    // a host window was named: input does not close, cursor stays
extern uint8_t g_is_configure;  // the configure window is up: picture paint, button closes
extern int32_t g_mouse_moves;   // mouse-move messages so far; never reset

// Window procedure of both classes, "Saver" (the configure window) and
// "OpenGL" (the full-screen and preview GL window).
LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM w_param, LPARAM l_param);

#endif
