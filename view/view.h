// view.h - what the saver shows and from where: the loaded scene and the
// camera. Plain data, no GL and no platform: the front ends (the Windows
// saver, the XScreenSaver hack) write it, the frame clock sways the eye, and
// draw_scene reads it.
#ifndef VIEW_VIEW_H
#define VIEW_VIEW_H

#include <stdint.h>
#include <stdio.h>

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

// How a model of the user's is drawn. The medal is always drawn plain.
enum Look {
    LOOK_AS_FILE = 0,  // each face in its material's colours, smoothing groups and textures
    LOOK_PLAIN = 1,    // white, lit, fogged and flat, as the medal is drawn
};

// The look draw_scene gives g_scene: LOOK_PLAIN unless a front end that
// shows a model of the user's sets the user's choice.
extern Look g_look;

// How a full-screen run that spans several monitors lays out its views.
enum MonitorLayout {
    MONITORS_EACH = 0,     // one view on each monitor, each with its own aspect
    MONITORS_ACROSS = 1,   // one view across the whole virtual screen
    MONITORS_PRIMARY = 2,  // one view on the primary monitor, the others black
};

// The layout the full-screen window uses: MONITORS_EACH unless the user's
// settings say otherwise. With one monitor every layout draws the same.
extern MonitorLayout g_monitor_layout;

// Where the texture images of g_scene's materials are looked for: the
// folder of the model's file, ending with its separator; "" when there is
// none (the medal): no images are read then.
extern char g_texture_folder[4096];

// Opens a texture image for reading: the folder (g_texture_folder) and the
// file name as the model gives it. Returns a stdio stream to close with
// fclose, or null. The default opens folder + name as they are (enough
// where names are matched without regard to case, as on Windows); a front
// end on a case-sensitive file system puts here one that matches the name
// without regard to case.
extern FILE* (*g_open_texture_file)(const char* folder, const char* name);

#endif
