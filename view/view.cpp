// view.cpp - the camera and the scene pointer; see view.h.
#include "view.h"

#include <string.h>

Vec3 g_eye = {3.0f, 4.0f, 4.0f};
Vec3 g_center = {0.0f, 0.0f, 0.0f};
Vec3 g_up = {0.0f, 1.0f, 0.0f};

Scene* g_scene = nullptr;
int32_t g_drawn_mesh_count = 2;

Look g_look = LOOK_PLAIN;
char g_texture_folder[4096] = "";
MonitorLayout g_monitor_layout = MONITORS_EACH;

namespace {

FILE* open_texture_as_named(const char* folder, const char* name)
{
    char path[sizeof g_texture_folder + 64];
    if (strlen(folder) + strlen(name) >= sizeof path) return nullptr;
    strcpy(path, folder);
    strcat(path, name);
    return fopen(path, "rb");
}

}  // namespace

FILE* (*g_open_texture_file)(const char* folder, const char* name) = open_texture_as_named;
