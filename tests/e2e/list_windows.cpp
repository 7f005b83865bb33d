// Lists the visible top-level windows of the Wine session and all their
// child windows, as the end-to-end suite needs to see them: the Win32 class
// names, texts, positions and styles that X and xdotool do not show.
//
//   list_windows.exe
//
// One line per window, texts in UTF-8 between brackets (a line break in a
// text is written as \n):
//   window hwnd=N class=[C] title=[T] x=X y=Y w=W h=H client_x=X client_y=Y client_w=W client_h=H
//          style=0xS exstyle=0xE pid=P                       (on one line)
//   child hwnd=N parent=N class=[C] text=[T] x=X y=Y w=W h=H screen_x=X screen_y=Y style=0xS visible=V
//   cursor showing=0|1 handle=N     (the foreground input's cursor)
// Top-level positions are on the screen; a child's x and y are in its
// parent's client area, screen_x and screen_y on the screen.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8_text(HWND window)
{
    wchar_t wide[1024] = L"";
    int length = GetWindowTextW(window, wide, 1024);
    if (length <= 0) return "";
    char bytes[4096] = "";
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes, sizeof bytes - 1, nullptr, nullptr);
    std::string text;
    for (int i = 0; i < size; ++i) {
        if (bytes[i] == '\n') {
            text += "\\n";
        } else if (bytes[i] == '\r') {
            text += "\\r";
        } else {
            text += bytes[i];
        }
    }
    return text;
}

std::string class_of(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

unsigned long handle_number(HWND window) { return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)); }

BOOL CALLBACK print_child(HWND child, LPARAM)
{
    HWND parent = GetParent(child);
    RECT rect{};
    GetWindowRect(child, &rect);
    POINT screen{rect.left, rect.top};
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    std::printf(
        "child hwnd=%lu parent=%lu class=[%s] text=[%s] x=%ld y=%ld w=%ld h=%ld screen_x=%ld screen_y=%ld "
        "style=0x%08lx visible=%d\n",
        handle_number(child), handle_number(parent), class_of(child).c_str(), utf8_text(child).c_str(), rect.left,
        rect.top, rect.right - rect.left, rect.bottom - rect.top, screen.x, screen.y,
        static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), IsWindowVisible(child) ? 1 : 0);
    return TRUE;
}

BOOL CALLBACK print_window(HWND window, LPARAM)
{
    if (!IsWindowVisible(window)) return TRUE;
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf(
        "window hwnd=%lu class=[%s] title=[%s] x=%ld y=%ld w=%ld h=%ld client_x=%ld client_y=%ld client_w=%ld "
        "client_h=%ld style=0x%08lx exstyle=0x%08lx pid=%lu\n",
        handle_number(window), class_of(window).c_str(), utf8_text(window).c_str(), rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, origin.x, origin.y, client.right, client.bottom,
        static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
        static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), static_cast<unsigned long>(process));
    EnumChildWindows(window, print_child, 0);
    return TRUE;
}

}  // namespace

int main()
{
    EnumWindows(print_window, 0);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    if (GetCursorInfo(&cursor)) {
        std::printf("cursor showing=%d handle=%lu\n", (cursor.flags & CURSOR_SHOWING) ? 1 : 0,
                    static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(cursor.hCursor)));
    }
    std::fflush(stdout);
    return 0;
}
