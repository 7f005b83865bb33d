// saver_window.h - the one window procedure of the saver and the mode flags
// it reads. Win32.
#ifndef SHELL_SAVER_WINDOW_H
#define SHELL_SAVER_WINDOW_H

#include <stdint.h>
#include <windows.h>

extern uint8_t g_is_preview;    // a host window was named: input does not close, cursor stays
extern uint8_t g_is_configure;  // the configure window is up: picture paint, button closes
extern int32_t g_mouse_moves;   // mouse-move messages so far; never reset

// Pause after each frame, before the buffer swap.
const DWORD FRAME_PAUSE_MS = 10;
// How a frame pauses: Sleep. A test build may put its own function here to
// see the length the frame asks for.
extern void(WINAPI* g_frame_pause)(DWORD milliseconds);
// The default processing that every message not handled to the end goes
// to: DefWindowProcA. A test build may put its own function here to see
// which messages reach it.
extern WNDPROC g_default_window_proc;

// Tells the platform that no screen saver runs any more and restores the
// arrow cursor, if the saver's window announced one and its destruction has
// not withdrawn it yet: for ways out that end the process with the window
// still up.
void withdraw_saver_announcement();

// Window procedure of both classes, "Saver" (the configure window) and
// "OpenGL" (the full-screen and preview GL window).
LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM w_param, LPARAM l_param);

#endif
