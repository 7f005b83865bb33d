// configure_window.cpp - the configure window's settings and dialog keys;
// see configure_window.h. A file chosen is loaded with the reader at once
// and taken only when it can be shown; each change writes its one value to
// the registry as it is made (settings_win32.cpp). Texts are English, or
// Swedish for a user whose language is Swedish, as the installer's; they
// and the model's name are wide text, so they read right in any code page.
#include "configure_window.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "model_choice.h"

Settings g_configure_settings;
BOOL(WINAPI* g_open_file_dialog)(OPENFILENAMEW* dialog) = GetOpenFileNameW;

namespace {

// The control that had the keyboard focus when the window last lost the
// activation; it gets the focus back.
HWND g_configure_focus = nullptr;

struct ConfigureTexts {
    const wchar_t* model;         // label
    const wchar_t* medal_name;    // shown for the model when it is the medal
    const wchar_t* choose;        // button
    const wchar_t* medal;         // button
    const wchar_t* not_shown;     // file name, then the reason
    const wchar_t* too_long;      // the reason for a path longer than the settings keep
    const wchar_t* not_saved;     // the registry refused
    const wchar_t* monitors;      // label
    const wchar_t* layouts[3];    // in MonitorLayout's order
    const wchar_t* plain;         // check box
    const wchar_t* dialog_title;  // of the Open dialog
    const wchar_t* filter;        // of the Open dialog: pairs of zero-ended texts, then a zero
};

const ConfigureTexts ENGLISH_TEXTS = {
    L"Model:",
    L"The medal (built in)",
    L"Choose\u2026",
    L"Medal",
    L"Cannot show %ls: %ls",
    L"the path is too long",
    L"The settings could not be saved.",
    L"Monitors:",
    {L"A view on each monitor", L"One view across all monitors", L"The primary monitor only"},
    L"Plain look (white, as the medal)",
    L"Choose a model",
    L"3D models (*.3ds, *.gltf, *.glb, *.obj, *.stl)\0*.3ds;*.gltf;*.glb;*.obj;*.stl\0"
    L"3DS (*.3ds)\0*.3ds\0glTF (*.gltf, *.glb)\0*.gltf;*.glb\0OBJ (*.obj)\0*.obj\0STL (*.stl)\0*.stl\0",
};

const ConfigureTexts SWEDISH_TEXTS = {
    L"Modell:",
    L"Medaljen (inbyggd)",
    L"V\u00E4lj\u2026",
    L"Medaljen",
    L"Kan inte visa %ls: %ls",
    L"s\u00F6kv\u00E4gen \u00E4r f\u00F6r l\u00E5ng",
    L"Inst\u00E4llningarna kunde inte sparas.",
    L"Sk\u00E4rmar:",
    {L"En bild p\u00E5 varje sk\u00E4rm", L"En bild \u00F6ver alla sk\u00E4rmar", L"Bara huvudsk\u00E4rmen"},
    L"Enkelt utseende (vit som medaljen)",
    L"V\u00E4lj en modell",
    L"3D-modeller (*.3ds, *.gltf, *.glb, *.obj, *.stl)\0*.3ds;*.gltf;*.glb;*.obj;*.stl\0"
    L"3DS (*.3ds)\0*.3ds\0glTF (*.gltf, *.glb)\0*.gltf;*.glb\0OBJ (*.obj)\0*.obj\0STL (*.stl)\0*.stl\0",
};

// The settings' column, in client pixels: right of the picture (7, 7,
// 360 by 290), as high as it.
const int COLUMN_X = 380;
const int COLUMN_WIDTH = 250;
const int HALF_WIDTH = 122;
const int LINE_HEIGHT = 16;
const int BUTTON_HEIGHT = 24;
// The client area that holds the picture and the column.
const int CLIENT_WIDTH = COLUMN_X + COLUMN_WIDTH + 7;
const int CLIENT_HEIGHT = 7 + 290 + 7;

const ConfigureTexts* texts()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_SWEDISH ? &SWEDISH_TEXTS : &ENGLISH_TEXTS;
}

HWND add_control(HWND window, HINSTANCE instance, const wchar_t* class_name, const wchar_t* text, DWORD style, int x,
                 int y, int width, int height, int id)
{
    HWND control = CreateWindowExW(0, class_name, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window,
                                   (HMENU)(INT_PTR)id, instance, nullptr);
    SendMessageW(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return control;
}

// The file's name in a wide path: what follows its last '\\', '/' or ':'.
const wchar_t* wide_file_name(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; p++) {
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    }
    return name;
}

void show_model_name(HWND window)
{
    wchar_t path[SETTINGS_MODEL_SIZE];
    bool shown = utf8_to_wide(g_configure_settings.model, path, SETTINGS_MODEL_SIZE) && path[0] != L'\0';
    SetDlgItemTextW(window, CONTROL_MODEL_NAME, shown ? wide_file_name(path) : texts()->medal_name);
}

// The problem line: "Cannot show NAME: why" (why in the C library's or the
// reader's text, the ANSI code page), or nothing.
void show_problem(HWND window, const wchar_t* name, const wchar_t* why)
{
    wchar_t problem[SETTINGS_MODEL_SIZE + 400] = L"";
    if (name) _snwprintf(problem, sizeof problem / sizeof problem[0] - 1, texts()->not_shown, name, why);
    SetDlgItemTextW(window, CONTROL_MODEL_PROBLEM, problem);
}

// Says so in the problem line when the registry refused a value.
void saved(HWND window, bool written)
{
    if (!written) SetDlgItemTextW(window, CONTROL_MODEL_PROBLEM, texts()->not_saved);
}

// Takes the file at path (wide, as the Open dialog gives it) as the model
// when the reader can show it; otherwise shows why and keeps the earlier
// choice.
void take_model(HWND window, const wchar_t* path)
{
    const wchar_t* name = wide_file_name(path);
    char utf8_path[SETTINGS_MODEL_SIZE];
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path, -1, utf8_path, sizeof utf8_path, nullptr, nullptr) ==
        0) {
        show_problem(window, name, texts()->too_long);
        return;
    }
    char why[300] = "";
    Scene* scene = load_users_model(utf8_path, open_model_file, why, sizeof why);
    if (!scene) {
        wchar_t wide_why[300];
        if (MultiByteToWideChar(CP_ACP, 0, why, -1, wide_why, 300) == 0) wide_why[0] = L'\0';
        show_problem(window, name, wide_why);
        return;
    }
    free_scene(scene);
    memcpy(g_configure_settings.model, utf8_path, sizeof utf8_path);
    show_problem(window, nullptr, nullptr);
    show_model_name(window);
    saved(window, write_model_setting(g_configure_settings.model));
}

// The Open dialog, in the folder of the model chosen before, showing the
// files of every format the saver reads (or of one format, as the user
// picks).
void choose_model(HWND window)
{
    wchar_t path[SETTINGS_MODEL_SIZE];
    utf8_to_wide(g_configure_settings.model, path, SETTINGS_MODEL_SIZE);
    OPENFILENAMEW dialog;
    memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = texts()->filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = SETTINGS_MODEL_SIZE;
    dialog.lpstrTitle = texts()->dialog_title;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (g_open_file_dialog(&dialog)) take_model(window, path);
}

void on_command(HWND window, int id, int notification)
{
    switch (id) {
    case CONTROL_CHOOSE:
        if (notification == BN_CLICKED) choose_model(window);
        break;
    case CONTROL_MEDAL:
        if (notification != BN_CLICKED) break;
        g_configure_settings.model[0] = '\0';
        show_problem(window, nullptr, nullptr);
        show_model_name(window);
        saved(window, write_model_setting(""));
        break;
    case CONTROL_MONITORS: {
        if (notification != CBN_SELCHANGE) break;
        LRESULT chosen = SendDlgItemMessageA(window, CONTROL_MONITORS, CB_GETCURSEL, 0, 0);
        if (chosen < MONITORS_EACH || chosen > MONITORS_PRIMARY) break;
        g_configure_settings.monitors = (MonitorLayout)chosen;
        saved(window, write_number_setting(SETTING_MONITORS, (uint32_t)chosen));
        break;
    }
    case CONTROL_PLAIN:
        if (notification != BN_CLICKED) break;
        g_configure_settings.look =
            IsDlgButtonChecked(window, CONTROL_PLAIN) == BST_CHECKED ? LOOK_PLAIN : LOOK_AS_FILE;
        saved(window, write_number_setting(SETTING_LOOK, (uint32_t)g_configure_settings.look));
        break;
    }
}

}  // namespace

void create_configure_controls(HWND window, HINSTANCE instance)
{
    read_settings(&g_configure_settings);
    const ConfigureTexts* t = texts();
    const int x = COLUMN_X;
    add_control(window, instance, L"Static", t->model, SS_NOPREFIX, x, 7, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MODEL_LABEL);
    add_control(window, instance, L"Static", L"", SS_NOPREFIX | SS_ENDELLIPSIS, x, 25, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MODEL_NAME);
    add_control(window, instance, L"Button", t->choose, WS_TABSTOP | BS_PUSHBUTTON, x, 45, HALF_WIDTH, BUTTON_HEIGHT,
                CONTROL_CHOOSE);
    add_control(window, instance, L"Button", t->medal, WS_TABSTOP | BS_PUSHBUTTON, x + COLUMN_WIDTH - HALF_WIDTH, 45,
                HALF_WIDTH, BUTTON_HEIGHT, CONTROL_MEDAL);
    add_control(window, instance, L"Static", L"", SS_NOPREFIX, x, 75, COLUMN_WIDTH, 4 * LINE_HEIGHT,
                CONTROL_MODEL_PROBLEM);
    add_control(window, instance, L"Static", t->monitors, SS_NOPREFIX, x, 145, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MONITORS_LABEL);
    HWND layouts = add_control(window, instance, L"ComboBox", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, 163,
                               COLUMN_WIDTH, 100, CONTROL_MONITORS);
    for (const wchar_t* layout : t->layouts) SendMessageW(layouts, CB_ADDSTRING, 0, (LPARAM)layout);
    SendMessageA(layouts, CB_SETCURSEL, (WPARAM)g_configure_settings.monitors, 0);
    add_control(window, instance, L"Button", t->plain, WS_TABSTOP | BS_AUTOCHECKBOX, x, 197, COLUMN_WIDTH, 20,
                CONTROL_PLAIN);
    CheckDlgButton(window, CONTROL_PLAIN, g_configure_settings.look == LOOK_PLAIN ? BST_CHECKED : BST_UNCHECKED);
    show_model_name(window);

    // The button was made first; Tab reaches it after the settings.
    SetWindowPos(GetDlgItem(window, IDOK), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int grow_x = client.right < CLIENT_WIDTH ? CLIENT_WIDTH - client.right : 0;
    int grow_y = client.bottom < CLIENT_HEIGHT ? CLIENT_HEIGHT - client.bottom : 0;
    if (grow_x || grow_y) {
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + grow_x, outer.bottom - outer.top + grow_y,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool configure_window_message(HWND window, UINT message, WPARAM w_param, LPARAM l_param, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(w_param);
        if (id < CONTROL_MODEL_LABEL || id > CONTROL_PLAIN) return false;
        on_command(window, id, HIWORD(w_param));
        return true;
    }
    case WM_ACTIVATE:
        // As a dialog: the focus goes back to the control that had it (at
        // first the first control), unless a control has it already (a
        // click on one activated the window), and never to the window.
        if (LOWORD(w_param) == WA_INACTIVE) {
            if (IsChild(window, GetFocus())) g_configure_focus = GetFocus();
            return false;
        }
        if (IsChild(window, GetFocus())) return true;
        [[fallthrough]];
    case WM_SETFOCUS:
        // The window itself takes no keys: its controls do.
        SetFocus(IsChild(window, g_configure_focus) ? g_configure_focus : GetNextDlgTabItem(window, nullptr, FALSE));
        return true;
    case WM_NEXTDLGCTL: {
        // Sent by the dialog keys (IsDialogMessage) for Tab and Shift+Tab.
        HWND next = LOWORD(l_param) ? (HWND)w_param : GetNextDlgTabItem(window, GetFocus(), w_param != 0);
        if (next) SetFocus(next);
        return true;
    }
    }
    return false;
}
