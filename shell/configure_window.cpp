// configure_window.cpp - the configure window's settings and dialog keys;
// see configure_window.h. A file chosen is loaded with the reader at once
// and taken only when it can be shown; every change goes to the registry as
// it is made (settings_win32.cpp). Texts are English, or Swedish for a user
// whose language is Swedish, as the installer's; Windows-1252.
#include "configure_window.h"

#include <stdio.h>
#include <string.h>

#include "model_choice.h"

Settings g_configure_settings;
BOOL(WINAPI* g_open_file_dialog)(OPENFILENAMEA* dialog) = GetOpenFileNameA;

namespace {

// The control that had the keyboard focus when the window last lost the
// activation; it gets the focus back.
HWND g_configure_focus = nullptr;

struct ConfigureTexts {
    const char* model;         // label
    const char* medal_name;    // shown for the model when it is the medal
    const char* choose;        // button
    const char* medal;         // button
    const char* not_shown;     // file name, then the reason
    const char* not_saved;     // the registry refused
    const char* monitors;      // label
    const char* layouts[3];    // in MonitorLayout's order
    const char* plain;         // check box
    const char* dialog_title;  // of the Open dialog
    const char* filter;        // of the Open dialog: pairs of zero-ended texts, then a zero
};

const ConfigureTexts ENGLISH_TEXTS = {
    "Model:",
    "The medal (built in)",
    "Choose\x85",
    "Medal",
    "Cannot show %s: %s",
    "The settings could not be saved.",
    "Monitors:",
    {"A view on each monitor", "One view across all monitors", "The primary monitor only"},
    "Plain look (white, as the medal)",
    "Choose a 3DS model",
    "3DS models (*.3ds)\0*.3ds\0",
};

const ConfigureTexts SWEDISH_TEXTS = {
    "Modell:",
    "Medaljen (inbyggd)",
    "V\xE4lj\x85",
    "Medaljen",
    "Kan inte visa %s: %s",
    "Inst\xE4llningarna kunde inte sparas.",
    "Sk\xE4rmar:",
    {"En bild p\xE5 varje sk\xE4rm", "En bild \xF6ver alla sk\xE4rmar", "Bara huvudsk\xE4rmen"},
    "Enkelt utseende (vit som medaljen)",
    "V\xE4lj en 3DS-modell",
    "3DS-modeller (*.3ds)\0*.3ds\0",
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

HWND add_control(HWND window, HINSTANCE instance, const char* class_name, const char* text, DWORD style, int x, int y,
                 int width, int height, int id)
{
    HWND control = CreateWindowExA(0, class_name, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window,
                                   (HMENU)(INT_PTR)id, instance, nullptr);
    SendMessageA(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return control;
}

void show_model_name(HWND window)
{
    const char* model = g_configure_settings.model;
    SetDlgItemTextA(window, CONTROL_MODEL_NAME, model[0] ? model_file_name(model) : texts()->medal_name);
}

// Saves the settings; says so in the problem line when the registry refuses.
void save(HWND window)
{
    if (!write_settings(&g_configure_settings)) SetDlgItemTextA(window, CONTROL_MODEL_PROBLEM, texts()->not_saved);
}

// Takes path as the model when the reader can show it; otherwise shows why
// and keeps the earlier choice.
void take_model(HWND window, const char* path)
{
    char why[300] = "";
    Scene* scene = load_users_model(path, open_model_file, why, sizeof why);
    if (!scene) {
        char problem[600];
        snprintf(problem, sizeof problem, texts()->not_shown, model_file_name(path), why);
        SetDlgItemTextA(window, CONTROL_MODEL_PROBLEM, problem);
        return;
    }
    free_scene(scene);
    snprintf(g_configure_settings.model, sizeof g_configure_settings.model, "%s", path);
    SetDlgItemTextA(window, CONTROL_MODEL_PROBLEM, "");
    show_model_name(window);
    save(window);
}

// The Open dialog, in the folder of the model chosen before, showing 3DS
// files.
void choose_model(HWND window)
{
    char path[SETTINGS_MODEL_SIZE];
    snprintf(path, sizeof path, "%s", g_configure_settings.model);
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = texts()->filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
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
        SetDlgItemTextA(window, CONTROL_MODEL_PROBLEM, "");
        show_model_name(window);
        save(window);
        break;
    case CONTROL_MONITORS: {
        if (notification != CBN_SELCHANGE) break;
        LRESULT chosen = SendDlgItemMessageA(window, CONTROL_MONITORS, CB_GETCURSEL, 0, 0);
        if (chosen < MONITORS_EACH || chosen > MONITORS_PRIMARY) break;
        g_configure_settings.monitors = (MonitorLayout)chosen;
        save(window);
        break;
    }
    case CONTROL_PLAIN:
        if (notification != BN_CLICKED) break;
        g_configure_settings.look =
            IsDlgButtonChecked(window, CONTROL_PLAIN) == BST_CHECKED ? LOOK_PLAIN : LOOK_AS_FILE;
        save(window);
        break;
    }
}

}  // namespace

void create_configure_controls(HWND window, HINSTANCE instance)
{
    read_settings(&g_configure_settings);
    const ConfigureTexts* t = texts();
    const int x = COLUMN_X;
    add_control(window, instance, "Static", t->model, SS_NOPREFIX, x, 7, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MODEL_LABEL);
    add_control(window, instance, "Static", "", SS_NOPREFIX | SS_ENDELLIPSIS, x, 25, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MODEL_NAME);
    add_control(window, instance, "Button", t->choose, WS_TABSTOP | BS_PUSHBUTTON, x, 45, HALF_WIDTH, BUTTON_HEIGHT,
                CONTROL_CHOOSE);
    add_control(window, instance, "Button", t->medal, WS_TABSTOP | BS_PUSHBUTTON, x + COLUMN_WIDTH - HALF_WIDTH, 45,
                HALF_WIDTH, BUTTON_HEIGHT, CONTROL_MEDAL);
    add_control(window, instance, "Static", "", SS_NOPREFIX, x, 75, COLUMN_WIDTH, 4 * LINE_HEIGHT,
                CONTROL_MODEL_PROBLEM);
    add_control(window, instance, "Static", t->monitors, SS_NOPREFIX, x, 145, COLUMN_WIDTH, LINE_HEIGHT,
                CONTROL_MONITORS_LABEL);
    HWND layouts = add_control(window, instance, "ComboBox", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, 163,
                               COLUMN_WIDTH, 100, CONTROL_MONITORS);
    for (const char* layout : t->layouts) SendMessageA(layouts, CB_ADDSTRING, 0, (LPARAM)layout);
    SendMessageA(layouts, CB_SETCURSEL, (WPARAM)g_configure_settings.monitors, 0);
    add_control(window, instance, "Button", t->plain, WS_TABSTOP | BS_AUTOCHECKBOX, x, 197, COLUMN_WIDTH, 20,
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
