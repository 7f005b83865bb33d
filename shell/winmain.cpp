// winmain.cpp - the saver's entry: the command line, the mode, the window
// the mode asks for, the embedded model, and the message loop.
//
// The hook contract: WinMain reads the user's settings, registers the
// "Saver" class and opens one window (open_gl_window for the full-screen run
// and the preview, the configure window itself), then puts what the saver
// shows into g_scene (in the GL modes the user's model when it can be shown,
// else the medal the program carries), compiles its triangles into a
// display list in the GL modes, and runs the message loop (with the dialog
// keys for the configure window).
// saver_window_proc handles every message of that window and posts the quit
// message when the window is destroyed; the close handling there releases
// the GL window (with the list) and the scene.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "command_line.h"
#include "gl_window.h"
#include "model_choice.h"
#include "probe.h"
#include "render.h"
#include "saver_window.h"
#include "settings.h"

namespace {

const char MODEL_RESOURCE_TYPE[] = "MYTYPE";
const char MODEL_RESOURCE_NAME[] = "fil3d";
const char GL_WINDOW_TITLE[] = "Head";
const int GL_COLOUR_BITS = 32;
const char SAVER_CLASS_NAME[] = "Saver";
const char CONFIGURE_TITLE[] = "Tral\xF6v \xE4r en livsstil...";  // Windows-1252

// Exit statuses when the model resource cannot be found, loaded or locked.
const int EXIT_MODEL_NOT_FOUND = -3;
const int EXIT_MODEL_NOT_LOADED = -2;
const int EXIT_MODEL_NOT_LOCKED = -1;

void register_saver_class(HINSTANCE instance)
{
    WNDCLASSEXA saver_class;
    memset(&saver_class, 0, sizeof saver_class);
    saver_class.cbSize = sizeof saver_class;  // 48
    saver_class.lpfnWndProc = saver_window_proc;
    saver_class.hInstance = instance;
    saver_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    saver_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    saver_class.lpszClassName = SAVER_CLASS_NAME;
    saver_class.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    RegisterClassExA(&saver_class);
}

// The configure window, over the host window when there is one (owned by
// it), else at the screen's origin and size.
void open_configure_window(HINSTANCE instance, HWND owner, const RECT* host_rect, int width, int height)
{
    if (!IsWindow(owner)) owner = nullptr;
    g_hinstance = instance;
    g_is_configure = 1;
    g_hwnd = CreateWindowExA(0, SAVER_CLASS_NAME, CONFIGURE_TITLE, WS_POPUP | WS_DLGFRAME, host_rect->left,
                             host_rect->top, width, height, owner, nullptr, instance, nullptr);
    ShowWindow(g_hwnd, SW_SHOWNORMAL);
    UpdateWindow(g_hwnd);
}

// Ends the process with status when the model resource fails, after putting
// back a display mode the full-screen run changed and withdrawing the
// announcement of a running saver.
void exit_without_model(int status)
{
    restore_display_mode();
    withdraw_saver_announcement();
    exit(status);
}

// Finds, loads and locks the model resource (the medal), then puts into
// g_scene the model at path, fitted, or, when path is null or empty or that
// model cannot be shown, the medal; with Y and Z exchanged. Why a model of
// the user's failed is not told: the saver shows the medal instead. A medal
// the reader rejects leaves g_scene null: the saver then shows empty frames.
void load_model(const char* path, Look look)
{
    HRSRC resource = FindResourceA(nullptr, MODEL_RESOURCE_NAME, MODEL_RESOURCE_TYPE);
    if (!resource) exit_without_model(EXIT_MODEL_NOT_FOUND);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (!loaded) exit_without_model(EXIT_MODEL_NOT_LOADED);
    const void* bytes = LockResource(loaded);
    if (!bytes) exit_without_model(EXIT_MODEL_NOT_LOCKED);
    // The resource's own size bounds every read.
    uint32_t size = (uint32_t)SizeofResource(nullptr, resource);
    char why[300] = "";
    choose_scene(path, look, open_model_file, bytes, size, why, sizeof why);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_command)
{
    (void)previous_instance;
    (void)command_line;
    (void)show_command;
    probe_start();

    // The command line after the program's name, taken from the process's
    // own: the runtime's version ends an unquoted name at any byte above
    // 0x7F, so "C:\Användare\...\head.scr /s" would lose its switch.
    const char* line = skip_program_name(GetCommandLineA());
    if (!line) line = "";
    char* words = (char*)malloc(strlen(line) + 2);
    if (!words) return 0;
    uint32_t word_count = 0;
    split_command_line(&word_count, words, line);

    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HWND host = nullptr;
    RECT host_rect = {0, 0, 0, 0};
    if (word_count >= 2) {
        HWND named = (HWND)(intptr_t)atol(command_line_arg(words, 1));
        if (IsWindow(named)) {
            host = named;
            g_is_preview = 1;
            GetWindowRect(host, &host_rect);
            width = host_rect.right - host_rect.left;
            height = host_rect.bottom - host_rect.top;
        }
    }

    Settings settings;
    read_settings(&settings);
    // The user's model's path is UTF-8, and so is its texture folder.
    g_open_texture_file = open_texture_file;
    g_monitor_layout = settings.monitors;

    register_saver_class(instance);
    // An empty command line is how the platform's "Configure" verb starts a
    // saver: the configure window, as "/c" without a host.
    SaverMode mode = word_count == 0 ? SAVER_MODE_CONFIGURE : saver_mode_for_word(command_line_arg(words, 0));
    switch (mode) {
    case SAVER_MODE_FULLSCREEN:
        if (!open_gl_window(GL_WINDOW_TITLE, width, height, GL_COLOUR_BITS, true, nullptr)) return 0;
        break;
    case SAVER_MODE_PREVIEW:
        // Without a host window there is nothing to show in; the platform
        // expects a preview to end silently then.
        if (!host) return 0;
        if (!open_gl_window(GL_WINDOW_TITLE, width, height, GL_COLOUR_BITS, false, host)) return 0;
        break;
    case SAVER_MODE_NO_WINDOW:
        break;
    case SAVER_MODE_CONFIGURE:
        open_configure_window(instance, host ? host : GetForegroundWindow(), &host_rect, width, height);
        break;
    case SAVER_MODE_CONFIGURE_FALLBACK:
        open_configure_window(instance, host, &host_rect, width, height);
        break;
    }

    // The GL modes show the user's model; the others load the medal only
    // (without it the run ends with its status).
    bool gl_mode = mode == SAVER_MODE_FULLSCREEN || mode == SAVER_MODE_PREVIEW;
    load_model(gl_mode ? settings.model : nullptr, settings.look);
    // The GL modes draw the scene's triangles from a list compiled once.
    if (gl_mode) compile_scene_list();

    // With no window nothing would ever post the quit message: the run ends
    // once the model has been loaded.
    if (mode == SAVER_MODE_NO_WINDOW) {
        free_scene(g_scene);
        g_scene = nullptr;
        free(words);
        return 0;
    }

    MSG message;
    memset(&message, 0, sizeof message);
    BOOL got;
    // GetMessageA gives -1 on failure; that ends the loop too, with 0.
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        // The configure window's keys: Tab, Enter and Escape as in a dialog.
        if (g_is_configure && IsDialogMessageA(g_hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    int status = got == 0 ? (int)message.wParam : 0;
    // The host may destroy the window without a close request.
    restore_display_mode();
    probe_finish();
    free(words);
    return status;
}
