// settings_win32.cpp - the user's settings in the registry, under
// HKCU\Software\Head only, and the opening of the user's files. Paths are
// UTF-8 inside the program and UTF-16 at the platform: the registry's wide
// calls and _wfopen reach a path in any language, whatever the user's ANSI
// code page. Win32 (advapi32).
#include <errno.h>
#include <string.h>
#include <windows.h>

#include "settings.h"

namespace {

const wchar_t SETTINGS_KEY_W[] = L"Software\\Head";

// The registry's names of the values, beside the settings' own.
struct SettingName {
    const char* name;
    const wchar_t* wide;
};
const SettingName SETTING_NAMES[] = {
    {SETTING_MODEL, L"Model"}, {SETTING_MONITORS, L"Monitors"}, {SETTING_LOOK, L"Look"}};

const wchar_t* wide_name(const char* name)
{
    for (const SettingName& n : SETTING_NAMES) {
        if (strcmp(n.name, name) == 0) return n.wide;
    }
    return nullptr;
}

// A REG_SZ value's characters (size bytes, up to the first zero: the
// registry does not promise one) into model as UTF-8, then into settings;
// nothing when the path does not fit the record or is no valid UTF-16,
// which, cut or patched, would name another file.
void take_wide_model(Settings* settings, const wchar_t* text, DWORD size)
{
    size_t length = 0;
    while (length < size / sizeof(wchar_t) && text[length] != L'\0') length++;
    char model[SETTINGS_MODEL_SIZE];
    int bytes = 0;
    if (length > 0) {
        bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, (int)length, model, sizeof model, nullptr,
                                    nullptr);
        if (bytes == 0) return;
    }
    take_setting_value(settings, SETTING_MODEL, SETTING_TYPE_SZ, model, (size_t)bytes);
}

bool set_value(const char* name, DWORD type, const void* bytes, DWORD size)
{
    HKEY key;
    if (!wide_name(name)) return false;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY_W, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    bool written = RegSetValueExW(key, wide_name(name), 0, type, (const BYTE*)bytes, size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

// Characters of the longest path opened: a model's folder (as the record
// holds it) and a texture's name.
const size_t WIDE_PATH_SIZE = SETTINGS_MODEL_SIZE + 256;

FILE* open_wide(const char* path)
{
    wchar_t wide[WIDE_PATH_SIZE];
    if (!utf8_to_wide(path, wide, sizeof wide / sizeof wide[0])) {
        errno = ENOENT;
        return nullptr;
    }
    return _wfopen(wide, L"rb");
}

}  // namespace

bool utf8_to_wide(const char* text, wchar_t* wide, size_t wide_size)
{
    if (wide_size == 0) return false;
    wide[0] = L'\0';
    if (text[0] == '\0') return true;
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, (int)wide_size);
    if (length == 0) wide[0] = L'\0';
    return length != 0;
}

void read_settings(Settings* settings)
{
    default_settings(settings);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY_W, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    // One character more than the longest path the record holds (every
    // character is at least one byte of UTF-8): a longer value fails to fit
    // and reads as its default. A value missing, or too long, leaves the
    // others to be read.
    wchar_t bytes[SETTINGS_MODEL_SIZE + 1];
    for (const SettingName& n : SETTING_NAMES) {
        DWORD type = REG_NONE;
        DWORD size = sizeof bytes;
        if (RegQueryValueExW(key, n.wide, nullptr, &type, (BYTE*)bytes, &size) != ERROR_SUCCESS) continue;
        if (strcmp(n.name, SETTING_MODEL) == 0 && type == REG_SZ) {
            take_wide_model(settings, bytes, size);
        } else {
            take_setting_value(settings, n.name, type, bytes, size);
        }
    }
    RegCloseKey(key);
}

bool write_model_setting(const char* path)
{
    wchar_t wide[SETTINGS_MODEL_SIZE];
    if (!utf8_to_wide(path, wide, sizeof wide / sizeof wide[0])) return false;
    return set_value(SETTING_MODEL, REG_SZ, wide, (DWORD)((wcslen(wide) + 1) * sizeof(wchar_t)));
}

bool write_number_setting(const char* name, uint32_t value)
{
    DWORD number = value;
    return set_value(name, REG_DWORD, &number, sizeof number);
}

FILE* open_model_file(const char* path, char* why, size_t why_size)
{
    FILE* file = open_wide(path);
    if (!file && why_size > 0) snprintf(why, why_size, "%s", strerror(errno));
    return file;
}

FILE* open_texture_file(const char* folder, const char* name)
{
    // A name that is not UTF-8 is in the ANSI code page: made UTF-8 here.
    char utf8_name[256];
    wchar_t wide_name_text[128];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0) == 0) {
        if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name_text, 128) == 0 ||
            WideCharToMultiByte(CP_UTF8, 0, wide_name_text, -1, utf8_name, sizeof utf8_name, nullptr, nullptr) == 0) {
            return nullptr;
        }
        name = utf8_name;
    }
    char path[sizeof g_texture_folder + sizeof utf8_name];
    if (strlen(folder) + strlen(name) >= sizeof path) return nullptr;
    snprintf(path, sizeof path, "%s%s", folder, name);
    return open_wide(path);
}
