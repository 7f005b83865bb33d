// draw_materials.h - the renderer's inside: g_scene drawn as its file says
// (g_look == LOOK_AS_FILE), for draw_scene.cpp. See render.h for the calls
// the front ends make.
#ifndef RENDER_DRAW_MATERIALS_H
#define RENDER_DRAW_MATERIALS_H

// Sends the first g_drawn_mesh_count meshes of g_scene in their materials'
// colours, with smoothing groups, textures (those made by
// load_scene_textures for this scene) and transparency: the opaque faces
// first, then the transparent ones. Changes no GL state for what follows
// (it is saved and restored around the drawing), so it can be compiled into
// a display list as it is.
void send_scene_as_file();

// Makes a texture object for every material of g_scene whose image can be
// read from g_texture_folder (none when that is ""), releasing those made
// before. Needs a current context.
void load_scene_textures();

// Deletes the texture objects made by load_scene_textures.
void release_scene_textures();

#endif
