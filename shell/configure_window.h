// configure_window.h - the configure window's settings: the model, the
// monitors and the look, as controls at the right of the picture, each
// change saved as it is made (the one value changed); and the keyboard of a
// dialog (Tab between the controls; Enter, Escape and Alt+F4 close as the
// button does). Win32; called from saver_window_proc's configure branches.
#ifndef SHELL_CONFIGURE_WINDOW_H
#define SHELL_CONFIGURE_WINDOW_H

#include <windows.h>

#include <commdlg.h>

#include "settings.h"

// The controls' ids. The button that closes the window is IDOK; any command
// whose id is none of these closes the window too (Enter sends IDOK, Escape
// IDCANCEL).
enum ConfigureControl {
    CONTROL_MODEL_LABEL = 101,
    CONTROL_MODEL_NAME = 102,     // the chosen file's name, or the medal's
    CONTROL_CHOOSE = 103,         // opens the Open dialog
    CONTROL_MEDAL = 104,          // back to the medal
    CONTROL_MODEL_PROBLEM = 105,  // why the last file chosen was refused; empty otherwise
    CONTROL_MONITORS_LABEL = 106,
    CONTROL_MONITORS = 107,  // drop-down list, in MonitorLayout's order
    CONTROL_PLAIN = 108,     // check box: Look is LOOK_PLAIN when checked
};

// The settings as the window shows them: read when it opens, then each as
// the user changes it. Only the value changed is written, so what changed
// meanwhile elsewhere (another settings window, the registry) stays.
extern Settings g_configure_settings;

// How the Open dialog is shown: GetOpenFileNameW. A test build may put its
// own function here to choose a file without a dialog.
extern BOOL(WINAPI* g_open_file_dialog)(OPENFILENAMEW* dialog);

// Reads the user's settings and creates their controls beside the picture,
// after the window's button; grows the window to the right and down where it
// is too small to hold them (the picture and the button stay where they
// are), and puts the button last in the Tab order.
void create_configure_controls(HWND window, HINSTANCE instance);

// Handles what the settings' controls and the dialog keys send the
// configure window: true, with the answer in *result, when the message was
// theirs.
bool configure_window_message(HWND window, UINT message, WPARAM w_param, LPARAM l_param, LRESULT* result);

#endif
