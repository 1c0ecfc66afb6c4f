// The window layer on X11: freeglut's window, with the runtime's needs met
// through Xlib on freeglut's own connection. The toolkit's side is here; the
// conversation with the window manager (full screen, the frame, places) is
// in window_manager_x11.cpp, the first look at the display's events in
// window_events_x11.cpp.
#include "display/window_layer.h"

#include "core/control_words.h"
#include "display/display_callback.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/window_hooks.h"
#include "display/window_x11_internal.h"
#include "platform/clock.h"
#include "platform/process_exit.h"
#include "platform/x_connection_errors.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

constexpr unsigned int FIRST_TIMER_MS = 8;
constexpr int TOOLKIT_MODIFIER_MASK = GLUT_ACTIVE_SHIFT | GLUT_ACTIVE_CTRL | GLUT_ACTIVE_ALT;

Display *display = nullptr;
Window window = 0;

// The toolkit reports errors it cannot go on from (no display, no suitable
// visual, a server that ended while the window was made): the window cannot
// be had, and the program ends as on a lost display, its files closed.
[[noreturn]] void toolkit_error(const char *format, va_list args)
{
    char line[512] = "window: ";
    const size_t start = std::strlen(line);
    std::vsnprintf(line + start, sizeof line - start - 1, format, args);
    std::strcat(line, "\n");
    x_connection_end(line);
}

void toolkit_warning(const char *format, va_list args)
{
    std::fputs("window: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

// True while the toolkit starts (glutInit), on the thread that starts it:
// what other threads do meanwhile is not the toolkit's.
thread_local bool toolkit_starting = false;
// Where the thread that makes the window goes on after the GL library's
// fault on a connection whose server ended meanwhile.
sigjmp_buf setup_fault_return;

using get_property_proc = int (*)(Display *, Window, Atom, long, long, Bool, Atom, Atom *, int *,
                                  unsigned long *, unsigned long *, unsigned char **);

uint32_t modifiers()
{
    return uint32_t(glutGetModifiers() & TOOLKIT_MODIFIER_MASK);
}

// A key event the window's connection did not bring (none seen matches):
// with the toolkit's modifiers and no physical key.
void keyboard_down(unsigned char key, int, int)
{
    if (!window_key_char_event(key, true))
        x_key_translate(key, NoSymbol, modifiers(), true, 0);
}

void keyboard_up(unsigned char key, int, int)
{
    if (!window_key_char_event(key, false))
        x_key_translate(key, NoSymbol, modifiers(), false, 0);
}

void special_down(int key, int, int)
{
    if (!window_key_special_event(key, true))
        x_special_key_translate(key, NoSymbol, modifiers(), true, 0);
}

void special_up(int key, int, int)
{
    if (!window_key_special_event(key, false))
        x_special_key_translate(key, NoSymbol, modifiers(), false, 0);
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

// The loop's timers, on the runtime's steady clock. The toolkit's own timers
// follow the wall clock: set back, it would hold every frame up for as long.
struct loop_timer {
    int64_t due_ms;
    void (*callback)(int);
    int value;
};
std::vector<loop_timer> loop_timers;
// Set when a redisplay is asked for; the loop then goes round again at once
// instead of waiting for an event.
bool redisplay_asked = false;

void loop_timer_arm(unsigned int delay_ms, void (*callback)(int), int value)
{
    loop_timers.push_back({clock_now_ms() + int64_t(delay_ms), callback, value});
}

bool due_earlier(const loop_timer &a, const loop_timer &b)
{
    return a.due_ms < b.due_ms;
}

// Runs the timers that are due, earliest first; a timer armed by a callback
// waits for the next round. The two lists trade places, so a round makes no
// allocation once they have grown.
void loop_timers_run()
{
    static std::vector<loop_timer> taken;
    taken.swap(loop_timers);
    std::stable_sort(taken.begin(), taken.end(), due_earlier);
    const int64_t now = clock_now_ms();
    for (const loop_timer &t : taken) {
        if (t.due_ms <= now)
            t.callback(t.value);
        else
            loop_timers.push_back(t);
    }
    taken.clear();
}

// Milliseconds until the next timer is due (0 when one is due, -1 when there
// is none).
int loop_wait_ms()
{
    if (loop_timers.empty())
        return -1;
    const auto first = std::min_element(loop_timers.begin(), loop_timers.end(), due_earlier);
    return int(std::clamp<int64_t>(first->due_ms - clock_now_ms(), 0, INT_MAX));
}

// Until an event arrives on the window's connection or the next timer is due.
void loop_wait()
{
    if (redisplay_asked || XPending(display) > 0)
        return;
    pollfd p{ConnectionNumber(display), POLLIN, 0};
    poll(&p, 1, loop_wait_ms());
}

const toolkit_callback_registrar toolkit_registrar{
    .display = glutDisplayFunc,
    .timer = loop_timer_arm,
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

// The toolkit's start-up checks the window manager's record: the check
// window the root names, and the same property on that window. A window
// manager that died leaves the record naming a window that is gone; reading
// it then fails (the process ignores the error about the window), and the
// toolkit takes the failed read for an internal error it cannot go on from.
// This definition takes the toolkit's calls in place of Xlib's and hands
// them on; while the toolkit starts (on its thread), a read that fails reads
// as a property that is not there, which is what a window that is gone has.
extern "C" int XGetWindowProperty(Display *d, Window w, Atom property, long offset, long length,
                                  Bool remove, Atom wanted_type, Atom *type, int *format,
                                  unsigned long *count, unsigned long *after, unsigned char **data)
{
    static const auto xlib =
        reinterpret_cast<get_property_proc>(dlsym(RTLD_NEXT, "XGetWindowProperty"));
    if (!xlib)
        return BadImplementation;
    const int status =
        xlib(d, w, property, offset, length, remove, wanted_type, type, format, count, after, data);
    if (status == Success || !toolkit_starting)
        return status;
    *type = None;
    *format = 0;
    *count = 0;
    *after = 0;
    *data = nullptr;
    return Success;
}

// The toolkit's connection, opened as it starts, is watched until its window
// is made (x_connection_setup_watch). Connections other threads open
// meanwhile are not the toolkit's.
extern "C" Display *XOpenDisplay(const char *name)
{
    static const auto xlib =
        reinterpret_cast<Display *(*)(const char *)>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    Display *d = xlib ? xlib(name) : nullptr;
    if (d && toolkit_starting)
        x_connection_setup_watch(d, &setup_fault_return);
    return d;
}

bool window_layer_create(int *argc, char **argv, const char *title, int32_t width, int32_t height)
{
    glutInitErrorFunc(toolkit_error);
    glutInitWarningFunc(toolkit_warning);
    // The GL library's fault while the window is made comes back here, out
    // of the signal handler, and the program ends as on a lost display.
    if (sigsetjmp(setup_fault_return, 1))
        x_connection_setup_fault_end();
    toolkit_starting = true;
    glutInit(argc, argv);
    toolkit_starting = false;
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE)) {
        x_connection_setup_watch(nullptr, nullptr);
        return false;
    }
    window_creation_begin(width, height, window_class_of(*argc > 0 ? argv[0] : nullptr));
    glutCreateWindow(title);
    x_connection_setup_watch(nullptr, nullptr);
    window_creation_end();
    display = glXGetCurrentDisplay();
    window = glXGetCurrentDrawable();
    if (!display || !window)
        return false;
    window_handle_store(uint64_t(window));
    window_events_install(display, window);
    window_manager_attach(display, window, width, height);
    window_names_set(display, window, title);
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
    // The toolkit's events and redisplays, then the timers that are due.
    for (;;) {
        redisplay_asked = false;
        glutMainLoopEvent();
        if (glutGetWindow() == 0)
            break;
        loop_timers_run();
        loop_wait();
    }
    // The toolkit lets go of the window only when it was destroyed from
    // outside: the program ends as after the close button.
    exit_request.fetch_or(1);
    for (;;)
        clock_sleep_ms(100);
}

void window_layer_reshape(int32_t width, int32_t height)
{
    window_size_given(width, height);
    glutReshapeWindow(width, height);
}

void window_layer_post_redisplay()
{
    redisplay_asked = true;
    glutPostRedisplay();
}

void window_layer_swap_buffers()
{
    glutSwapBuffers();
}

void window_layer_timer_arm(uint32_t delay_ms, void (*callback)(int), int value)
{
    loop_timer_arm(delay_ms, callback, value);
}

void window_layer_title_set(const char *title)
{
    glutSetWindowTitle(title);
    glutSetIconTitle(title);
    window_names_set(display, window, title);
}

void window_layer_move(int32_t x, int32_t y)
{
    glutPositionWindow(x, y);
}

void window_layer_show()
{
    window_first_map_forget();
    glutShowWindow();
}

// The window goes to its place while it is not mapped, with a hint that the
// place is the user's choice; a window manager that places it elsewhere all
// the same has it moved there once it is shown.
void window_layer_show_at(int32_t x, int32_t y)
{
    window_first_map_forget();
    window_place_given(x, y);
    glutShowWindow();
    window_place_keep(x, y);
}

void window_layer_hide()
{
    window_first_map_forget();
    glutHideWindow();
}

void window_layer_cursor_set(int32_t cursor)
{
    glutSetCursor(cursor);
}

void window_layer_poll()
{
    window_first_map_poll(display);
    window_events_poll();
    window_manager_poll();
}
