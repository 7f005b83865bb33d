// headsaver.cpp - the saver as an XScreenSaver hack: the medal (or a 3DS
// file of the user's) drawn by the project's renderer into an X window
// through GLX, with the eye swayed by the frame clock. Depends on Xlib, GLX
// and GLU (glvnd's libGL and Mesa's libGLU), the reader, the renderer and
// the view.
//
// Flow of control, the same as the Windows saver's:
//   1. read the command line;
//   2. open the display, find or make the window, choose a GL visual with a
//      double buffer and a depth buffer, create the context, make it
//      current, resize_gl_view, init_gl_state;
//   3. load the model (the embedded medal, drawn plain; or --model FILE, a
//      regular file only, centred and scaled to the view, every mesh drawn
//      as the file says, or plain with --plain, its textures looked for in
//      its folder ignoring case), with Y and Z exchanged, and compile its
//      triangles into a display list;
//   4. per frame: X events (resize, keys and close of its own window, the
//      window's destruction), then the frame step (run_frame) on the
//      monotonic clock: advance_frame_clock, draw_scene, glFlush, the pause
//      (which X input or a stop signal ends early), glXSwapBuffers;
//   5. on SIGTERM or SIGINT (XScreenSaver ends its hacks with SIGTERM), a
//      key or a close: release the context, the windows made here, the
//      display and the scene; exit status 0.
// Any failure to start (no display, no GLX, no suitable visual, no such
// window) is one line on stderr and exit status 1. X errors are caught by a
// handler of ours, never Xlib's default one, which would end the process.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

#include "frame_clock.h"
#include "frame_step.h"
#include "model_choice.h"
#include "model_files.h"
#include "options.h"
#include "probe.h"
#include "render.h"
#include "view.h"

// The medal, compiled in from resources/head.3ds (generated at build time).
extern const unsigned char EMBEDDED_MODEL[];
extern const uint32_t EMBEDDED_MODEL_SIZE;

namespace {

const char PROGRAM_NAME[] = "headsaver";
// The size of the program's own window (--window).
const int OWN_WINDOW_WIDTH = 800;
const int OWN_WINDOW_HEIGHT = 600;
// The monotonic clock counts nanoseconds: the frame clock's frequency.
const int64_t NANOSECONDS_PER_SECOND = 1000000000;

// Set by the SIGTERM and SIGINT handler; the frame loop ends when it is set.
volatile sig_atomic_t g_stop_requested = 0;

// The first X error since the last clear_x_error, as the handler saw it.
int g_x_error_code = 0;
int g_x_error_request = 0;

// The window GL draws into and everything made here to draw there.
struct GlWindow {
    Display* display;
    Window target;        // the window given (root, XSCREENSAVER_WINDOW, --window-id) or the program's own
    Window drawable;      // where GL draws: target itself, or a child made for a GL visual
    bool owns_target;     // target was made here (--window)
    bool owns_drawable;   // drawable was made here (own window or child)
    bool target_gone;     // target was destroyed by its owner
    Colormap colormap;    // made here for the drawable's visual, or None
    XVisualInfo* visual;  // the drawable's visual (XFree)
    GLXContext context;
    Atom delete_message;  // WM_DELETE_WINDOW, for the program's own window
    int width;
    int height;
};

void on_stop_signal(int) { g_stop_requested = 1; }

int on_x_error(Display*, XErrorEvent* event)
{
    if (g_x_error_code == 0) {
        g_x_error_code = event->error_code;
        g_x_error_request = event->request_code;
    }
    return 0;
}

// A lost connection cannot be survived: Xlib ends the process after this
// handler returns, so say why and end it here.
int on_x_io_error(Display*)
{
    fprintf(stderr, "%s: lost the connection to the X display\n", PROGRAM_NAME);
    _exit(1);
}

void clear_x_error() { g_x_error_code = 0; }

void report_x_error(Display* display)
{
    char text[128] = "";
    XGetErrorText(display, g_x_error_code, text, sizeof text);
    fprintf(stderr, "%s: X error: %s (request %d)\n", PROGRAM_NAME, text, g_x_error_request);
}

int64_t monotonic_nanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * NANOSECONDS_PER_SECOND + now.tv_nsec;
}

// The platform's part of a frame: the monotonic clock, the pause and the
// swap of the window's buffers.
void read_monotonic_clock(void*, int64_t* counter, int64_t* frequency)
{
    *counter = monotonic_nanoseconds();
    *frequency = NANOSECONDS_PER_SECOND;
}

void frame_drawn(void*) { probe_frame_drawn(); }

// Waits for delay_us on the X connection: an X event (a key, a close, the
// window's end) or a stop signal (poll fails with EINTR) ends the pause at
// once, so that even a pause of a minute never delays the end of the run;
// the events are handled before the next frame. Data that brings no event
// (GL's own traffic on the connection) is read and the pause goes on.
void pause_after_frame(void* gl_window, int64_t delay_us)
{
    GlWindow* gl = (GlWindow*)gl_window;
    const int64_t start = monotonic_nanoseconds();
    pollfd x_input;
    memset(&x_input, 0, sizeof x_input);
    x_input.fd = ConnectionNumber(gl->display);
    x_input.events = POLLIN;
    while (!g_stop_requested && XEventsQueued(gl->display, QueuedAfterReading) == 0) {
        int wait_ms = delay_wait_ms(delay_us, start, monotonic_nanoseconds());
        if (wait_ms == 0 || poll(&x_input, 1, wait_ms) < 0) break;
    }
}

void swap_frame(void* gl_window)
{
    GlWindow* gl = (GlWindow*)gl_window;
    glXSwapBuffers(gl->display, gl->drawable);
}

void install_stop_handlers()
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the pause ends at once when the signal comes.
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// True when visual can carry the frames: RGBA GL with a double buffer and a
// depth buffer.
bool is_gl_visual(Display* display, XVisualInfo* visual)
{
    int use_gl = 0, rgba = 0, double_buffer = 0, depth_bits = 0;
    return glXGetConfig(display, visual, GLX_USE_GL, &use_gl) == 0 && use_gl &&
           glXGetConfig(display, visual, GLX_RGBA, &rgba) == 0 && rgba &&
           glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &double_buffer) == 0 && double_buffer &&
           glXGetConfig(display, visual, GLX_DEPTH_SIZE, &depth_bits) == 0 && depth_bits > 0;
}

XVisualInfo* choose_gl_visual(Display* display, int screen)
{
    // clang-format off
    int attributes[] = {GLX_RGBA,     GLX_DOUBLEBUFFER, GLX_RED_SIZE,   1, GLX_GREEN_SIZE, 1,
                        GLX_BLUE_SIZE, 1,               GLX_DEPTH_SIZE, 16, None};
    // clang-format on
    return glXChooseVisual(display, screen, attributes);
}

// The visual of an existing window, when GL can draw into the window
// directly; else null.
XVisualInfo* window_gl_visual(Display* display, const XWindowAttributes* attributes)
{
    XVisualInfo wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.visualid = XVisualIDFromVisual(attributes->visual);
    wanted.screen = XScreenNumberOfScreen(attributes->screen);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
    if (found != nullptr && count > 0 && is_gl_visual(display, found)) return found;
    if (found != nullptr) XFree(found);
    return nullptr;
}

// A window of visual inside parent (or a top-level one when parent is the
// root), of width x height at (0, 0), with its own colormap.
Window create_gl_child(GlWindow* gl, Window parent, long event_mask)
{
    gl->colormap =
        XCreateColormap(gl->display, RootWindow(gl->display, gl->visual->screen), gl->visual->visual, AllocNone);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.colormap = gl->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = BlackPixel(gl->display, gl->visual->screen);
    attributes.event_mask = event_mask;
    return XCreateWindow(gl->display, parent, 0, 0, (unsigned)gl->width, (unsigned)gl->height, 0, gl->visual->depth,
                         InputOutput, gl->visual->visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask,
                         &attributes);
}

void report_no_gl_visual(const char* display_name)
{
    fprintf(stderr, "%s: the X display %s offers no OpenGL visual with a double buffer and a depth buffer\n",
            PROGRAM_NAME, display_name);
}

// The program's own top-level window, mapped, with the close request of the
// window manager and the keys that end it. False, with a line on stderr,
// when no visual suits GL.
bool open_own_window(GlWindow* gl, const char* display_name)
{
    int screen = DefaultScreen(gl->display);
    gl->visual = choose_gl_visual(gl->display, screen);
    if (gl->visual == nullptr) {
        report_no_gl_visual(display_name);
        return false;
    }
    gl->width = OWN_WINDOW_WIDTH;
    gl->height = OWN_WINDOW_HEIGHT;
    gl->target = create_gl_child(gl, RootWindow(gl->display, screen), KeyPressMask | StructureNotifyMask);
    gl->drawable = gl->target;
    gl->owns_target = true;
    gl->owns_drawable = true;
    XStoreName(gl->display, gl->target, PROGRAM_NAME);
    gl->delete_message = XInternAtom(gl->display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(gl->display, gl->target, &gl->delete_message, 1);
    XMapWindow(gl->display, gl->target);
    return true;
}

// Draws into an existing window: directly when its visual suits GL, else
// into a child window of a GL visual that covers it and follows its size.
// False, with a line on stderr, when the window does not exist or no visual
// suits GL.
bool attach_to_window(GlWindow* gl, Window window, const char* display_name)
{
    XWindowAttributes attributes;
    clear_x_error();
    Status found = XGetWindowAttributes(gl->display, window, &attributes);
    if (!found || g_x_error_code != 0) {
        fprintf(stderr, "%s: no window 0x%lx on display %s\n", PROGRAM_NAME, window, display_name);
        return false;
    }
    gl->target = window;
    gl->width = attributes.width;
    gl->height = attributes.height;
    // The target's size changes and its destruction come as events; its
    // owner keeps the other events (a root window's button presses, for
    // one, belong to the window manager).
    XSelectInput(gl->display, window, StructureNotifyMask);
    gl->visual = window_gl_visual(gl->display, &attributes);
    if (gl->visual != nullptr) {
        gl->drawable = window;
        return true;
    }
    gl->visual = choose_gl_visual(gl->display, XScreenNumberOfScreen(attributes.screen));
    if (gl->visual == nullptr) {
        report_no_gl_visual(display_name);
        return false;
    }
    gl->drawable = create_gl_child(gl, window, NoEventMask);
    gl->owns_drawable = true;
    XMapWindow(gl->display, gl->drawable);
    return true;
}

// The window --root names: $XSCREENSAVER_WINDOW when XScreenSaver set it,
// else the root window of the default screen. 0 when the variable holds no
// window id.
Window root_target(Display* display)
{
    const char* named = getenv("XSCREENSAVER_WINDOW");
    if (named == nullptr || named[0] == '\0') return DefaultRootWindow(display);
    unsigned long id = 0;
    if (!parse_window_id(named, &id)) {
        fprintf(stderr, "%s: XSCREENSAVER_WINDOW holds no window id: \"%s\"\n", PROGRAM_NAME, named);
        return 0;
    }
    return (Window)id;
}

#if defined(__SANITIZE_ADDRESS__)
// Mesa unloads its DRI driver when the display closes, while memory that
// the driver's own statics point at stays allocated (a program that only
// opens a display, chooses a GL visual and closes the display shows it).
// LeakSanitizer, checking at exit, then finds that memory unreachable. In
// the sanitised build the driver is kept loaded until exit, so its statics
// still point at their memory when the check runs; everything this program
// allocates is still released and checked.
int keep_module_loaded(struct dl_phdr_info* info, size_t, void*)
{
    const char* suffix = "_dri.so";
    size_t length = strlen(info->dlpi_name);
    if (length > strlen(suffix) && strcmp(info->dlpi_name + length - strlen(suffix), suffix) == 0) {
        void* module = dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        if (module != nullptr) dlclose(module);
    }
    return 0;
}

void keep_gl_driver_loaded() { dl_iterate_phdr(keep_module_loaded, nullptr); }
#else
void keep_gl_driver_loaded() {}
#endif

// Releases whatever open_gl_window made, in the reverse order; accepts a
// half-opened window.
void close_gl_window(GlWindow* gl)
{
    if (gl->display == nullptr) return;
    if (gl->context != nullptr) {
        glXMakeCurrent(gl->display, None, nullptr);
        glXDestroyContext(gl->display, gl->context);
    }
    // A child went with its destroyed parent.
    if (gl->owns_drawable && !gl->target_gone) XDestroyWindow(gl->display, gl->drawable);
    if (gl->colormap != None) XFreeColormap(gl->display, gl->colormap);
    if (gl->visual != nullptr) XFree(gl->visual);
    keep_gl_driver_loaded();
    XCloseDisplay(gl->display);
    memset(gl, 0, sizeof *gl);
}

// Opens the display and the window of options, and a current GL context on
// it with the renderer's state and projection. False, with a line on
// stderr, on any failure (what was opened stays in gl for close_gl_window).
bool open_gl_window(GlWindow* gl, const Options* options)
{
    const char* display_name = XDisplayName(nullptr);
    gl->display = XOpenDisplay(nullptr);
    if (gl->display == nullptr) {
        fprintf(stderr, "%s: cannot open the X display \"%s\"\n", PROGRAM_NAME, display_name);
        return false;
    }
    XSetErrorHandler(on_x_error);
    XSetIOErrorHandler(on_x_io_error);
    int error_base = 0, event_base = 0;
    if (!glXQueryExtension(gl->display, &error_base, &event_base)) {
        fprintf(stderr, "%s: the X display %s has no OpenGL (GLX)\n", PROGRAM_NAME, display_name);
        return false;
    }

    bool opened = false;
    switch (options->target) {
    case TARGET_OWN_WINDOW:
        opened = open_own_window(gl, display_name);
        break;
    case TARGET_ROOT: {
        Window root = root_target(gl->display);
        opened = root != 0 && attach_to_window(gl, root, display_name);
        break;
    }
    case TARGET_WINDOW_ID:
        opened = attach_to_window(gl, (Window)options->window_id, display_name);
        break;
    }
    if (!opened) return false;

    gl->context = glXCreateContext(gl->display, gl->visual, nullptr, True);
    if (gl->context == nullptr) {
        fprintf(stderr, "%s: cannot create an OpenGL context on display %s\n", PROGRAM_NAME, display_name);
        return false;
    }
    clear_x_error();
    bool current = glXMakeCurrent(gl->display, gl->drawable, gl->context);
    XSync(gl->display, False);
    if (!current || g_x_error_code != 0) {
        fprintf(stderr, "%s: cannot draw with OpenGL into window 0x%lx\n", PROGRAM_NAME, gl->drawable);
        return false;
    }
    resize_gl_view(gl->width, gl->height);
    init_gl_state();
    return true;
}

// Loads the model: the medal, drawn plain; or the user's file, whole and
// fitted to the view, drawn as the file says (plain with --plain), its
// textures looked for in its folder ignoring case. A file that cannot be
// shown is reported and the medal shown instead.
void load_model(const char* model_path, bool plain)
{
    char why[128] = "";
    if (!choose_scene(model_path, plain ? LOOK_PLAIN : LOOK_AS_FILE, open_regular_file, EMBEDDED_MODEL,
                      EMBEDDED_MODEL_SIZE, why, sizeof why)) {
        if (why[0] != '\0') fprintf(stderr, "%s: %s: %s\n", PROGRAM_NAME, model_path, why);
        return;
    }
    g_open_texture_file = open_ignoring_case;
}

// Handles the X events that have come: size changes, the end of the
// target, and the keys and close request of the program's own window.
// Returns false when the run is to end.
bool handle_events(GlWindow* gl)
{
    bool running = true;
    while (XPending(gl->display) > 0) {
        XEvent event;
        XNextEvent(gl->display, &event);
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window != gl->target) break;
            if (event.xconfigure.width == gl->width && event.xconfigure.height == gl->height) break;
            gl->width = event.xconfigure.width;
            gl->height = event.xconfigure.height;
            if (gl->drawable != gl->target) {
                XResizeWindow(gl->display, gl->drawable, (unsigned)gl->width, (unsigned)gl->height);
            }
            resize_gl_view(gl->width, gl->height);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == gl->target) {
                gl->target_gone = true;
                running = false;
            }
            break;
        case KeyPress: {
            KeySym key = XLookupKeysym(&event.xkey, 0);
            if (gl->owns_target && (key == XK_Escape || key == XK_q)) running = false;
            break;
        }
        case ClientMessage:
            if (gl->owns_target && (Atom)event.xclient.data.l[0] == gl->delete_message) running = false;
            break;
        default:
            break;
        }
    }
    return running;
}

void print_usage(FILE* stream) { fputs(USAGE_TEXT, stream); }

}  // namespace

int main(int argc, char** argv)
{
    probe_start();
    Options options;
    char error[256] = "";
    switch (parse_options(argc, argv, &options, error, sizeof error)) {
    case OPTIONS_RUN:
        break;
    case OPTIONS_HELP:
        print_usage(stdout);
        return 0;
    case OPTIONS_VERSION:
        printf("%s %s\n", PROGRAM_NAME, HEADSAVER_VERSION);
        return 0;
    case OPTIONS_BAD:
        fprintf(stderr, "%s: %s\n", PROGRAM_NAME, error);
        print_usage(stderr);
        return 1;
    }

    install_stop_handlers();
    GlWindow gl;
    memset(&gl, 0, sizeof gl);
    if (!open_gl_window(&gl, &options)) {
        close_gl_window(&gl);
        return 1;
    }
    load_model(options.model_path, options.plain);
    // The scene is loaded and fitted, the context current and its state
    // set: its triangles go into a display list once, for every frame.
    compile_scene_list();

    const FramePlatform frame = {read_monotonic_clock, frame_drawn, pause_after_frame,
                                 swap_frame,           &gl,         options.delay_us};
    int status = 0;
    g_last_counter = monotonic_nanoseconds();
    while (!g_stop_requested) {
        if (!handle_events(&gl)) break;
        if (g_x_error_code != 0) {
            report_x_error(gl.display);
            status = 1;
            break;
        }
        run_frame(&frame);
    }
    probe_finish();

    release_scene_list();
    close_gl_window(&gl);
    free_scene(g_scene);
    g_scene = nullptr;
    return status;
}
