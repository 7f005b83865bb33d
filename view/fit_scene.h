// fit_scene.h - moves and scales a scene of the user's into the view the
// camera has of the saver's own model. Portable arithmetic on the Scene
// records; no GL.
//
// The camera looks at the origin from the plane z = 4, its eye's x and y
// swaying within [-3, 3] (frame_clock.h): the eye is 4 (at (0, 0, 4)) to
// sqrt(34) units from the origin. The projection's vertical field of view is
// 80 degrees, so a sphere of radius r about the origin, seen from distance
// d, stays within the view while asin(r / d) <= 40 degrees; the nearest eye
// is the limit. A fitted model is centred on its bounding box and scaled so
// that its bounding sphere (about the box's centre, through its farthest
// vertex) has the radius FIT_SPHERE_RADIUS, a little inside that limit: it
// shows whole and as large as it can at every eye position of the sway.
// The horizontal angle is the wider one for a window at least as wide as it
// is high (every screen in landscape); a portrait window cuts the sides.
// The saver's medal is not fitted: it keeps its own size.
#ifndef VIEW_FIT_SCENE_H
#define VIEW_FIT_SCENE_H

#include <math.h>

#include "scene.h"

// The view the fit is made for: the eye's distance from the plane it looks
// at the origin from (its nearest to the origin), and half the vertical
// field of view, in degrees.
const double VIEW_NEAREST_EYE_DISTANCE = 4.0;
const double VIEW_HALF_ANGLE_DEGREES = 40.0;
// The share of the largest radius that a fitted sphere takes, leaving a
// margin at the view's edges.
const double FIT_MARGIN = 0.95;

// Radius, in drawing units, of a fitted scene's bounding sphere:
// 0.95 * 4 * sin(40 degrees), about 2.44.
const float FIT_SPHERE_RADIUS =
    (float)(FIT_MARGIN * VIEW_NEAREST_EYE_DISTANCE * sin(VIEW_HALF_ANGLE_DEGREES * 3.14159265358979323846 / 180.0));

// Moves every vertex of every mesh so that the bounding box of the scene's
// finite vertex positions is centred on the origin, and scales it uniformly
// so that the farthest finite position lies radius from the origin. A scene
// of a single point is moved, not scaled. Positions that are not finite are
// left as they are. Returns false, changing nothing, when the scene has no
// finite vertex position (or is null).
bool fit_scene(Scene* scene, float radius);

#endif
