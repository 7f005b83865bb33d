// fit_scene.h - moves and scales a scene of the user's into the view the
// camera has of the saver's own model. Portable arithmetic on the Scene
// records; no GL.
//
// The camera looks at the origin from the plane z = 4 (the eye's x and y
// sway within [-3, 3]), so the eye is never nearer than 4 units to the
// origin. The saver's medal is flat, with a radius of 4.05; a solid model
// scaled to that radius would reach the eye. A fitted model is centred on
// the origin and scaled so that its bounding box's corners lie FIT_RADIUS
// from it: it fills the view about as the medal does, and stays more than
// half a unit from the eye, outside the near plane and within the fog's
// range.
#ifndef VIEW_FIT_SCENE_H
#define VIEW_FIT_SCENE_H

#include "scene.h"

// Distance, in drawing units, from the origin to the corners of a fitted
// scene's bounding box.
const float FIT_RADIUS = 3.5f;

// Moves every vertex of every mesh so that the bounding box of the scene's
// finite vertex positions is centred on the origin, and scales it uniformly
// so that half the box's diagonal is radius. A box of a single point is
// moved, not scaled. Positions that are not finite are left as they are.
// Returns false, changing nothing, when the scene has no finite vertex
// position (or is null).
bool fit_scene(Scene* scene, float radius);

#endif
