// view.cpp - the camera and the scene pointer; see view.h.
#include "view.h"

Vec3 g_eye = {3.0f, 4.0f, 4.0f};
Vec3 g_center = {0.0f, 0.0f, 0.0f};
Vec3 g_up = {0.0f, 1.0f, 0.0f};

Scene* g_scene = nullptr;
int32_t g_drawn_mesh_count = 2;
