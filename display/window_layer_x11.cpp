// The window layer on X11: freeglut's window, with the runtime's needs met
// through Xlib on freeglut's own connection.
#include "display/window_layer.h"

#include "core/control_words.h"
#include "display/display_callback.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/window_hooks.h"
#include "display/window_x11_internal.h"
#include "platform/clock.h"
#include "platform/process_exit.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace
{

constexpr unsigned int FIRST_TIMER_MS = 8;
constexpr int TOOLKIT_MODIFIER_MASK = GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL | GLUT_ACTIVE_ALT;

Display *display = nullptr;
Window window = 0;

// The toolkit reports errors it cannot go on from (no display, no suitable
// visual): the window cannot be had.
[[noreturn]] void toolkit_error(const char *format, va_list args)
{
    std::fputs("window: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    process_exit(1);
}

void toolkit_warning(const char *format, va_list args)
{
    std::fputs("window: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

// Size hints: a window that is not resizable tells the window manager that
// its only size is the current one, so the border cannot be dragged; the
// program changes the hints itself before it resizes the window.
void size_hints_set(bool fixed, int32_t width, int32_t height)
{
    if (!display || window_resizable_flag())
        return;
    XSizeHints *hints = XAllocSizeHints();
    if (!hints)
        return;
    if (fixed) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
    }
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

// Full screen is done here rather than by the toolkit, whose way without a
// window manager moves the window by minus its own position. The window
// takes its monitor's whole rectangle itself, and a window manager that runs
// is asked to treat it as full screen too. `x`, `y`: where the window was, to
// go back there when no window manager restores it.
struct full_screen_memory {
    bool on = false;
    int32_t x = 0, y = 0;
};
full_screen_memory full_screen;

Atom atom(const char *name)
{
    return XInternAtom(display, name, False);
}

// True when a running window manager says it handles full-screen windows.
bool wm_supports_full_screen()
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom("_NET_SUPPORTED"), 0, 4096,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const Atom wanted = atom("_NET_WM_STATE_FULLSCREEN");
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    if (data)
        XFree(data);
    return found;
}

// Asks the window manager to add or remove the full-screen state; nothing
// receives the message when none runs.
void wm_full_screen_state_set(bool on)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = atom("_NET_WM_STATE");
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0; // add, remove
    e.xclient.data.l[1] = long(atom("_NET_WM_STATE_FULLSCREEN"));
    e.xclient.data.l[3] = 1; // asked by an application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

// The rectangle of the monitor nearest to the window's, the whole screen
// when the server names no monitors.
screen_rect full_screen_monitor(screen_rect window_rect)
{
    const Window root = DefaultRootWindow(display);
    const screen_rect screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                             DisplayHeight(display, DefaultScreen(display))};
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
        return screen;
    int count = 0;
    XRRMonitorInfo *info = XRRGetMonitors(display, root, True, &count);
    std::vector<screen_rect> monitors;
    for (int i = 0; i < count; ++i)
        monitors.push_back({info[i].x, info[i].y, info[i].width, info[i].height});
    if (info)
        XRRFreeMonitors(info);
    return monitor_nearest(window_rect, monitors.data(), int32_t(monitors.size()), screen);
}

// Leaves full screen before the window takes a size again: the window
// manager restores the window's place, or, with none, the layer does.
void full_screen_leave()
{
    if (!full_screen.on)
        return;
    full_screen.on = false;
    if (wm_supports_full_screen())
        wm_full_screen_state_set(false);
    else
        XMoveWindow(display, window, full_screen.x, full_screen.y);
}

uint32_t modifiers()
{
    return uint32_t(glutGetModifiers() & TOOLKIT_MODIFIER_MASK);
}

// The modifiers of the seen key event, Num Lock among them; the toolkit's when
// no seen event matched.
uint32_t modifiers_of(const window_key_seen &seen)
{
    return seen.physical_key != 0 ? seen.modifiers : modifiers();
}

void keyboard_down(unsigned char key, int, int)
{
    const window_key_seen seen = window_key_physical_take_char(key, true);
    x_key_translate(key, seen.keysym, modifiers_of(seen), true, seen.physical_key);
}

void keyboard_up(unsigned char key, int, int)
{
    const window_key_seen seen = window_key_physical_take_char(key, false);
    x_key_translate(key, seen.keysym, modifiers_of(seen), false, seen.physical_key);
}

void special_down(int key, int, int)
{
    const window_key_seen seen = window_key_physical_take_special(key, true);
    x_special_key_translate(key, seen.keysym, modifiers_of(seen), true, seen.physical_key);
}

void special_up(int key, int, int)
{
    const window_key_seen seen = window_key_physical_take_special(key, false);
    x_special_key_translate(key, seen.keysym, modifiers_of(seen), false, seen.physical_key);
}

void mouse_button(int button, int state, int x, int y)
{
    if (state == GLUT_DOWN)
        mouse_button_down_event(button, x, y);
    else
        mouse_button_up_event(button, x, y);
}

// Raw relative motion starts with the first motion over the window.
void mouse_motion(int x, int y)
{
    window_raw_motion_start();
    mouse_motion_event(x, y);
}

void mouse_wheel(int wheel, int direction, int x, int y)
{
    mouse_wheel_event(wheel, direction, x, y);
}

const toolkit_callback_registrar toolkit_registrar{
    .display = glutDisplayFunc,
    .timer = glutTimerFunc,
    .keyboard = glutKeyboardFunc,
    .keyboard_up = glutKeyboardUpFunc,
    .special = glutSpecialFunc,
    .special_up = glutSpecialUpFunc,
    .mouse = glutMouseFunc,
    .motion = glutMotionFunc,
    .passive_motion = glutPassiveMotionFunc,
    .reshape = glutReshapeFunc,
    .wheel = glutMouseWheelFunc,
};
const toolkit_callback_registrar *registrar = &toolkit_registrar;

} // namespace

bool window_layer_create(int *argc, char **argv, const char *title, int32_t width, int32_t height)
{
    glutInitErrorFunc(toolkit_error);
    glutInitWarningFunc(toolkit_warning);
    glutInit(argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE))
        return false;
    glutCreateWindow(title);
    display = glXGetCurrentDisplay();
    window = glXGetCurrentDrawable();
    if (!display || !window)
        return false;
    window_handle_store(uint64_t(window));
    window_events_install(display, window);
    size_hints_set(true, width, height);
    return true;
}

void glut_callbacks_register()
{
    const toolkit_callback_registrar &r = *registrar;
    r.display(glut_display_callback);
    r.timer(FIRST_TIMER_MS, glut_timer_callback, 0);
    r.keyboard(keyboard_down);
    r.keyboard_up(keyboard_up);
    r.special(special_down);
    r.special_up(special_up);
    r.mouse(mouse_button);
    r.motion(mouse_motion);
    r.passive_motion(mouse_motion);
    r.reshape(glut_reshape_callback);
    r.wheel(mouse_wheel);
}

void toolkit_callback_registrar_set(const toolkit_callback_registrar *replacement)
{
    registrar = replacement ? replacement : &toolkit_registrar;
}

void window_layer_run()
{
    glut_callbacks_register();
    glutMainLoop();
    // The loop returns only when the window was destroyed from outside: the
    // program ends as after the close button.
    exit_request.fetch_or(1);
    for (;;)
        clock_sleep_ms(100);
}

void window_layer_reshape(int32_t width, int32_t height)
{
    full_screen_leave();
    size_hints_set(true, width, height);
    glutReshapeWindow(width, height);
}

void window_layer_full_screen()
{
    if (full_screen.on)
        return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a))
        return;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, a.root, 0, 0, &x, &y, &child);
    full_screen = {true, x - a.border_width, y - a.border_width};
    const screen_rect r = full_screen_monitor({x, y, a.width, a.height});
    size_hints_set(false, 0, 0);
    wm_full_screen_state_set(true);
    XMoveResizeWindow(display, window, r.x, r.y, uint32_t(r.width), uint32_t(r.height));
    XFlush(display);
}

void window_layer_post_redisplay()
{
    glutPostRedisplay();
}

void window_layer_swap_buffers()
{
    glutSwapBuffers();
}

void window_layer_timer_arm(uint32_t delay_ms, void (*callback)(int), int value)
{
    glutTimerFunc(delay_ms, callback, value);
}

void window_layer_title_set(const char *title)
{
    glutSetWindowTitle(title);
}

void window_layer_move(int32_t x, int32_t y)
{
    glutPositionWindow(x, y);
}

void window_layer_show()
{
    glutShowWindow();
}

void window_layer_hide()
{
    glutHideWindow();
}

void window_layer_cursor_set(int32_t cursor)
{
    glutSetCursor(cursor);
}

window_geometry window_layer_geometry()
{
    window_geometry g;
    g.x = glutGet(GLUT_WINDOW_X);
    g.y = glutGet(GLUT_WINDOW_Y);
    g.border_width = glutGet(GLUT_WINDOW_BORDER_WIDTH);
    g.header_height = glutGet(GLUT_WINDOW_HEADER_HEIGHT);
    g.width = glutGet(GLUT_WINDOW_WIDTH);
    g.height = glutGet(GLUT_WINDOW_HEIGHT);
    g.screen_width = glutGet(GLUT_SCREEN_WIDTH);
    g.screen_height = glutGet(GLUT_SCREEN_HEIGHT);
    return g;
}

void window_layer_poll()
{
    window_events_poll();
}
