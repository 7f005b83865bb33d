// platform_version_win32.cpp - the version query behind the command-line
// split, on Windows (KERNEL32).
#include <string.h>
#include <windows.h>

#include "command_line.h"

uint32_t query_platform_id()
{
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = 148;
    if (!GetVersionExA(&info)) return 0;
    return info.dwPlatformId;
}
