// host_window - a plain X window for headsaver to draw into with
// --window-id, as XScreenSaver's settings program gives its preview: blue,
// so that what headsaver does not cover shows. Prints its id (0x hex) and
// a newline once it is mapped, then keeps the window until it is killed.
// With no-depth the window has a 24-bit visual without a depth buffer, in
// which GL cannot draw the medal (headsaver must make a window of its own
// inside it).
//   usage: host_window WIDTH HEIGHT [no-depth]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// A 24-bit TrueColor visual that GL can use only without a depth buffer.
bool find_visual_without_depth(Display* display, XVisualInfo* found)
{
    XVisualInfo wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.screen = DefaultScreen(display);
    wanted.depth = 24;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* visuals =
        XGetVisualInfo(display, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
    bool ok = false;
    for (int i = 0; i < count && !ok; i++) {
        int depth_bits = -1;
        if (glXGetConfig(display, &visuals[i], GLX_DEPTH_SIZE, &depth_bits) == 0 && depth_bits == 0) {
            *found = visuals[i];
            ok = true;
        }
    }
    if (visuals != nullptr) XFree(visuals);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 4 && strcmp(argv[3], "no-depth") == 0)) {
        fprintf(stderr, "usage: host_window WIDTH HEIGHT [no-depth]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        fprintf(stderr, "host_window: no display\n");
        return 1;
    }
    XVisualInfo visual;
    memset(&visual, 0, sizeof visual);
    visual.visual = DefaultVisual(display, DefaultScreen(display));
    visual.depth = DefaultDepth(display, DefaultScreen(display));
    if (argc == 4 && !find_visual_without_depth(display, &visual)) {
        fprintf(stderr, "host_window: no visual without a depth buffer\n");
        return 1;
    }
    Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.colormap = XCreateColormap(display, root, visual.visual, AllocNone);
    attributes.background_pixel = 0x0000FF;  // blue, in a 24-bit TrueColor visual
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    Window window =
        XCreateWindow(display, root, 0, 0, (unsigned)atoi(argv[1]), (unsigned)atoi(argv[2]), 0, visual.depth,
                      InputOutput, visual.visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XStoreName(display, window, "host_window");
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            printf("0x%lx\n", window);
            fflush(stdout);
        }
    }
}
