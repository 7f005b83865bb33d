// settings.cpp - the user's settings record and how a stored value reads;
// see settings.h. Portable.
#include "settings.h"

#include <string.h>

namespace {

// A REG_DWORD value's number, when it has the type and size of one and is at
// most max.
bool dword_value(uint32_t type, const void* bytes, size_t size, uint32_t max, uint32_t* value)
{
    if (type != SETTING_TYPE_DWORD || size != 4) return false;
    const uint8_t* b = (const uint8_t*)bytes;
    uint32_t number = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    if (number > max) return false;
    *value = number;
    return true;
}

// A REG_SZ value into model: the bytes up to the first zero or the end (the
// registry does not promise the zero). Nothing when it does not fit.
void take_model(char* model, uint32_t type, const void* bytes, size_t size)
{
    if (type != SETTING_TYPE_SZ) return;
    const char* text = (const char*)bytes;
    size_t length = 0;
    while (length < size && text[length] != '\0') length++;
    if (length >= SETTINGS_MODEL_SIZE) return;
    memcpy(model, text, length);
    model[length] = '\0';
}

}  // namespace

void default_settings(Settings* settings)
{
    settings->model[0] = '\0';
    settings->monitors = MONITORS_EACH;
    settings->look = LOOK_AS_FILE;
}

void take_setting_value(Settings* settings, const char* name, uint32_t type, const void* bytes, size_t size)
{
    uint32_t number = 0;
    if (strcmp(name, SETTING_MODEL) == 0) {
        take_model(settings->model, type, bytes, size);
    } else if (strcmp(name, SETTING_MONITORS) == 0) {
        if (dword_value(type, bytes, size, MONITORS_PRIMARY, &number)) settings->monitors = (MonitorLayout)number;
    } else if (strcmp(name, SETTING_LOOK) == 0) {
        if (dword_value(type, bytes, size, LOOK_PLAIN, &number)) settings->look = (Look)number;
    }
}
