// platform_version_host.h - the host stand-in's answer to the version query,
// which tests set to run the split as on another platform.
#ifndef SHELL_PLATFORM_VERSION_HOST_H
#define SHELL_PLATFORM_VERSION_HOST_H

#include <stdint.h>

extern uint32_t g_host_platform_id;

#endif
