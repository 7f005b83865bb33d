// platform_version_host.cpp - the host's stand-in for the version query
// behind the command-line split: it answers with g_host_platform_id, the NT
// platform unless a test sets another.
#include "command_line.h"
#include "platform_version_host.h"

uint32_t g_host_platform_id = PLATFORM_ID_NT;

uint32_t query_platform_id() { return g_host_platform_id; }
