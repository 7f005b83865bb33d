// render.h - the portable renderer: the fixed GL state and the projection,
// the drawing of one frame of the loaded scene and the Vec3 functions behind
// the face normals.
//
// Depends on OpenGL 1.1 and GLU (through <GL/gl.h>; on Windows that header
// brings in the platform header it needs by itself), on the Scene records of
// model3ds/scene.h and on the camera and scene pointer of view/view.h. Every
// GL function here needs a current rendering context on the calling thread.
//
// Call order, once per GL window: resize_gl_view, then init_gl_state, right
// after the context is made current; compile_scene_list once the scene is
// loaded; then draw_scene once per frame, after the frame clock has written
// g_eye.x and g_eye.y; release_scene_list before the context goes.
#ifndef RENDER_RENDER_H
#define RENDER_RENDER_H

#include <stdint.h>

#include <GL/gl.h>

#include "scene.h"
#include "monitor_views.h"
#include "view.h"

// --- Vec3 functions (caller-owned records, no result) ---

// out = a - b, component by component.
void subtract_vectors(const Vec3* a, const Vec3* b, Vec3* out);
// destination = source, the three floats as they are.
void copy_vector(const Vec3* source, Vec3* destination);
// out = a x b (right-hand rule); out may be the same record as a or b.
void cross_vectors(const Vec3* a, const Vec3* b, Vec3* out);
// out = v / |v|; out may be the same record as v. A zero-length v gives a
// result that is not finite.
void normalize_vector(const Vec3* v, Vec3* out);

// --- Fixed GL state and projection ---

// The fog modes by index: GL_EXP, GL_EXP2, GL_LINEAR.
extern const GLenum FOG_MODES[3];
// Which of FOG_MODES init_gl_state selects: 2, linear fog.
extern int32_t g_fog_mode_index;

// Sets the viewport to width x height pixels (a height of 0 counts as 1) and
// an 80-degree perspective projection from 0.1 to 100 model units; leaves
// GL_MODELVIEW current, holding the identity.
void resize_gl_view(int width, int height);

// The same for a view of width x height pixels whose bottom-left corner is
// at (x, y) in the window: one monitor's part of a window that spans several.
void set_gl_view(int x, int y, int width, int height);

// Sets the state every frame relies on: black clear colour, depth test,
// linear black fog from 0.5 to 15, one white light at (5, 5, 5) in eye
// coordinates, a grey two-sided material with white highlights, two-sided
// lighting. Must run after resize_gl_view, while the model-view matrix is the
// identity. Always returns true.
bool init_gl_state();

// --- Frame drawing ---

// The triangles of the loaded scene can be compiled once into a display list
// (OpenGL 1.1), so that a frame sends one glCallList instead of every
// triangle. Call order, with the rendering context current:
//   load the scene into g_scene, exchange its axes (convert_scene_axes),
//   compile_scene_list();
//   per frame: draw_scene();
//   release_scene_list() before the context is deleted or the scene freed
//   (close_gl_window does it for the Windows saver).
// Without a list draw_scene sends the triangles itself, frame by frame; the
// pictures are the same either way.

// The display list holding g_scene's triangles, or 0 when none is compiled.
extern GLuint g_scene_list;

// Compiles the triangles draw_scene would send for g_scene (the first
// g_drawn_mesh_count meshes, faces with an index out of range skipped) into
// g_scene_list, releasing any list compiled before. The list is used only
// while g_scene and g_drawn_mesh_count stay what they were here; with no
// scene nothing is compiled. The scene must not change in place afterwards.
void compile_scene_list();

// Deletes g_scene_list, if any, and leaves 0 there. Needs the context that
// compiled it to be current (once that context is deleted, the list is gone
// with it anyway).
void release_scene_list();

// Draws one frame into the current draw buffer: clears colour and depth,
// places the camera from g_eye, g_center and g_up, and sends every triangle
// of the first g_drawn_mesh_count meshes of g_scene (two unless a front end
// says otherwise), white, with one computed normal per face: through
// g_scene_list when it was compiled for this scene, else one by one. Faces
// with a vertex index outside their mesh are skipped; no scene gives an
// empty frame. Neither flushes nor swaps. Needs the state of init_gl_state
// and GL_MODELVIEW as the current matrix mode.
void draw_scene();

// Draws one frame into the views of a window that spans several monitors
// (monitor_views.h), each with the same camera: its own viewport, its own
// width-to-height ratio in the projection, and a clear of its own area only
// (scissor). Areas in no view are cleared black first. No views, or one covering the
// whole window, is exactly draw_scene: the projection resize_gl_view set
// for the window stays. After several views the last view's viewport and
// projection stay set, and the scissor test is off.
void draw_views(const MonitorViews* views);

#endif
