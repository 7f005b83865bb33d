// gl_state.cpp - the fixed GL state that every frame relies on (depth test,
// linear black fog, one white light, a grey two-sided material) and the
// perspective projection for the window's size. Both are set once, right
// after the rendering context is made current, and never changed again.
// Depends on OpenGL 1.1 and GLU.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render.h"

const GLenum FOG_MODES[3] = {GL_EXP, GL_EXP2, GL_LINEAR};
int32_t g_fog_mode_index = 2;

namespace {

// Projection: vertical field of view in degrees, clipping planes in model
// units. The near plane is the single-precision 0.1, widened.
const GLdouble FIELD_OF_VIEW = 80.0;
const GLfloat NEAR_PLANE = 0.1f;
const GLdouble FAR_PLANE = 100.0;

// Fog: black, linear from 0.5 to 15 model units of eye distance; the density
// governs only the two exponential modes.
const GLfloat FOG_COLOR[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat FOG_DENSITY = 0.15f;
const GLfloat FOG_START = 0.5f;
const GLfloat FOG_END = 15.0f;

// Light 0: white, positional, at (5, 5, 5) in eye coordinates.
const GLfloat LIGHT_AMBIENT[4] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat LIGHT_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat LIGHT_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat LIGHT_POSITION[4] = {5.0f, 5.0f, 5.0f, 1.0f};

// Material, equal on both sides: grey with white highlights.
const GLfloat MATERIAL_AMBIENT[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const GLfloat MATERIAL_DIFFUSE[4] = {0.7f, 0.7f, 0.7f, 1.0f};
const GLfloat MATERIAL_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLint FRONT_SHININESS = 30;
const GLfloat BACK_SHININESS[1] = {30.0f};

}  // namespace

void resize_gl_view(int width, int height) { set_gl_view(0, 0, width, height); }

void set_gl_view(int x, int y, int width, int height)
{
    if (height == 0) {
        height = 1;  // no division by zero in the aspect
    }
    glViewport(x, y, width, height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, (GLdouble)width / (GLdouble)height, NEAR_PLANE, FAR_PLANE);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool init_gl_state()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    glFogi(GL_FOG_MODE, (GLint)FOG_MODES[g_fog_mode_index]);
    glFogfv(GL_FOG_COLOR, FOG_COLOR);
    glFogf(GL_FOG_DENSITY, FOG_DENSITY);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, FOG_START);
    glFogf(GL_FOG_END, FOG_END);
    glEnable(GL_FOG);

    // Given while the model-view matrix is the identity, so the light stays
    // put relative to the camera.
    glLightfv(GL_LIGHT0, GL_AMBIENT, LIGHT_AMBIENT);
    glLightfv(GL_LIGHT0, GL_SPECULAR, LIGHT_SPECULAR);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LIGHT_DIFFUSE);
    glLightfv(GL_LIGHT0, GL_POSITION, LIGHT_POSITION);

    glMaterialfv(GL_FRONT, GL_DIFFUSE, MATERIAL_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, MATERIAL_SPECULAR);
    glMateriali(GL_FRONT, GL_SHININESS, FRONT_SHININESS);
    glMaterialfv(GL_FRONT, GL_AMBIENT, MATERIAL_AMBIENT);
    glMaterialfv(GL_BACK, GL_AMBIENT, MATERIAL_AMBIENT);
    glMaterialfv(GL_BACK, GL_DIFFUSE, MATERIAL_DIFFUSE);
    glMaterialfv(GL_BACK, GL_SPECULAR, MATERIAL_SPECULAR);
    glMaterialfv(GL_BACK, GL_SHININESS, BACK_SHININESS);

    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    return true;
}
