// host_window - a plain X window for headsaver to draw into with
// --window-id, as XScreenSaver's settings program gives its preview: blue,
// so that what headsaver does not cover shows. Prints its id (0x hex) and
// a newline, then keeps the window until it is killed.
//   usage: host_window WIDTH HEIGHT
#include <stdio.h>
#include <stdlib.h>

#include <X11/Xlib.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: host_window WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        fprintf(stderr, "host_window: no display\n");
        return 1;
    }
    const unsigned long blue = 0x0000FF;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, (unsigned)atoi(argv[1]),
                                        (unsigned)atoi(argv[2]), 0, blue, blue);
    XStoreName(display, window, "host_window");
    XSelectInput(display, window, StructureNotifyMask);
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
