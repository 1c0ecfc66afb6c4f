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
#include <X11/Xutil.h>

#include <cstdarg>
#include <cstdio>

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

uint32_t modifiers()
{
    return uint32_t(glutGetModifiers() & TOOLKIT_MODIFIER_MASK);
}

void keyboard_down(unsigned char key, int, int)
{
    const window_key_seen seen = window_key_physical_take_char(key, true);
    x_key_translate(key, seen.keysym, modifiers(), true, seen.physical_key);
}

void keyboard_up(unsigned char key, int, int)
{
    const window_key_seen seen = window_key_physical_take_char(key, false);
    x_key_translate(key, seen.keysym, modifiers(), false, seen.physical_key);
}

void special_down(int key, int, int)
{
    const uint32_t physical = window_key_physical_take_special(key, true);
    glut_special_key_translate(key, true, physical);
}

void special_up(int key, int, int)
{
    const uint32_t physical = window_key_physical_take_special(key, false);
    glut_special_key_translate(key, false, physical);
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
    size_hints_set(true, width, height);
    glutReshapeWindow(width, height);
}

void window_layer_full_screen()
{
    size_hints_set(false, 0, 0);
    glutFullScreen();
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
