// wine_windows.h - set-up shared by the window tests that run under Wine.
#ifndef TESTS_WINE_WINDOWS_H
#define TESTS_WINE_WINDOWS_H

#include <windows.h>

// No window manager on the test display: a top-level window of an
// unmanaged Wine closes at once instead of after two seconds.
inline void leave_windows_unmanaged()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE*)"N", 2);
        RegCloseKey(key);
    }
}

#endif
