// view.h - what the saver shows and from where: the loaded scene and the
// camera. Plain data, no GL and no platform: the front ends (the Windows
// saver, the XScreenSaver hack) write it, the frame clock sways the eye, and
// draw_scene reads it.
#ifndef VIEW_VIEW_H
#define VIEW_VIEW_H

#include <stdint.h>

#include "scene.h"

// Camera, in model units: the eye point (the frame clock rewrites x and y
// before every frame), the point looked at and the up direction.
extern Vec3 g_eye;     // initially (3, 4, 4)
extern Vec3 g_center;  // (0, 0, 0)
extern Vec3 g_up;      // (0, 1, 0)

// The loaded scene that draw_scene shows, or null. Owned by the program (the
// front end loads and releases it); the renderer only reads it.
extern Scene* g_scene;

// How many of g_scene's meshes are drawn, from the first: 2 for the saver's
// own model (the medal's star and rim); a front end that shows a model of
// the user's may raise it to draw every mesh.
extern int32_t g_drawn_mesh_count;

#endif
