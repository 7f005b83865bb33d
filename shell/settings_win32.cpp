// settings_win32.cpp - the user's settings in the registry, under
// HKCU\Software\Head only, and the opening of the user's model file.
// Win32 (advapi32).
#include <errno.h>
#include <string.h>
#include <windows.h>

#include "settings.h"

namespace {

const char* const SETTING_NAMES[] = {SETTING_MODEL, SETTING_MONITORS, SETTING_LOOK};

bool write_dword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value) == ERROR_SUCCESS;
}

}  // namespace

void read_settings(Settings* settings)
{
    default_settings(settings);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    // One byte more than the longest path the record holds: a longer value
    // fails to fit and reads as its default.
    BYTE bytes[SETTINGS_MODEL_SIZE + 1];
    for (const char* name : SETTING_NAMES) {
        DWORD type = REG_NONE;
        DWORD size = sizeof bytes;
        if (RegQueryValueExA(key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS) continue;
        take_setting_value(settings, name, type, bytes, size);
    }
    RegCloseKey(key);
}

bool write_settings(const Settings* settings)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    bool written = RegSetValueExA(key, SETTING_MODEL, 0, REG_SZ, (const BYTE*)settings->model,
                                  (DWORD)strlen(settings->model) + 1) == ERROR_SUCCESS;
    written = write_dword(key, SETTING_MONITORS, (DWORD)settings->monitors) && written;
    written = write_dword(key, SETTING_LOOK, (DWORD)settings->look) && written;
    RegCloseKey(key);
    return written;
}

FILE* open_model_file(const char* path, char* why, size_t why_size)
{
    FILE* file = fopen(path, "rb");
    if (!file && why_size > 0) snprintf(why, why_size, "%s", strerror(errno));
    return file;
}
