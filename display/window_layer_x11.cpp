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

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

// Last: it defines names that clash with the standard headers.
#include <X11/Xlibint.h>

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
// program changes the hints itself before it resizes the window. A window
// shown again also gives its place, so that the window manager puts it back
// there instead of placing it afresh.
struct normal_hints {
    bool fixed = false;
    int32_t width = 0, height = 0;
    bool placed = false;
    int32_t x = 0, y = 0;
};
normal_hints hints;

void normal_hints_write()
{
    XSizeHints *h = XAllocSizeHints();
    if (!h)
        return;
    if (hints.fixed && !window_resizable_flag()) {
        h->flags = PMinSize | PMaxSize;
        h->min_width = h->max_width = hints.width;
        h->min_height = h->max_height = hints.height;
    }
    if (hints.placed) {
        h->flags |= USPosition | PPosition;
        h->x = hints.x;
        h->y = hints.y;
    }
    XSetWMNormalHints(display, window, h);
    XFree(h);
}

void size_hints_set(bool fixed, int32_t width, int32_t height)
{
    if (!display)
        return;
    hints.fixed = fixed;
    hints.width = width;
    hints.height = height;
    normal_hints_write();
}

// Full screen is done here rather than by the toolkit, whose way without a
// window manager moves the window by minus its own position. The window
// takes its monitor's whole rectangle itself, and a window manager that runs
// is asked to treat it as full screen too. While full screen, a window that
// no longer covers the monitor (another client resized it, or a window
// manager started since framed it as a plain window) is set back every
// FULL_SCREEN_CHECK_MS, up to FULL_SCREEN_ASKS times in a row. Once the
// window manager has put its full-screen state on the window, that state is
// the window's: when the manager takes it off (its own full-screen key, a
// menu, another client's request), the window leaves full screen as if the
// program had asked to.
// `outer`: the frame's rectangle before, to put the window back there; known
// only when a window manager had placed the window (window_placed).
constexpr int64_t FULL_SCREEN_CHECK_MS = 250;
constexpr int32_t FULL_SCREEN_ASKS = 4;
struct full_screen_memory {
    bool on = false;
    bool outer_known = false;
    screen_rect outer{0, 0, 0, 0};
    screen_rect monitor{0, 0, 0, 0};
    int64_t checked_ms = 0;
    int32_t asks = 0;             // set-backs since the window last covered the monitor
    bool host_state_seen = false; // the window manager's state said full screen
};
full_screen_memory full_screen;

// A place the frame is to take once the window manager is done with the
// window: after showing it again (when the manager may place it afresh) and
// after full screen (when it may put it back elsewhere). While the window is
// not viewable or still in full screen nothing is done; then the window is
// moved there. A move is asked again once the last one was answered (the
// window was seen somewhere new or at another size, or PLACE_ANSWER_MS
// passed): a window manager leaving full screen may first report the
// full-screen size, then put the window back where it was. This goes on
// until the frame is seen there, PLACE_ASKS moves were asked or
// PLACE_KEEP_MS have passed. With `settle` there is no place of its own: the
// frame stays where the window manager puts it, moved only as far as it
// takes to lie wholly on `area`. `whole`: the place is that of the whole
// frame (frame_whole), as after full screen; else that of the frame the
// window manager publishes, as the program reads and gives places.
constexpr int64_t PLACE_KEEP_MS = 1500;
constexpr int64_t PLACE_ANSWER_MS = 200;
constexpr int32_t PLACE_ASKS = 4;
struct place_keep {
    bool pending = false;
    bool settle = false;
    bool whole = false;
    screen_rect area{0, 0, 0, 0};
    int32_t x = 0, y = 0;
    int64_t started_ms = 0;
    int32_t asks = 0;
    int32_t asked_x = 0, asked_y = 0; // the place last asked of the window system
    int64_t asked_ms = 0;
    screen_rect asked_from{0, 0, 0, 0}; // the frame's place, the window's size then
};
place_keep keep;

Atom atom(const char *name)
{
    return XInternAtom(display, name, False);
}

// The 32-bit items of a property of `w` of the given type (at most `limit`);
// none when the property is absent or of another type.
std::vector<long> property_items(Window w, const char *property, Atom wanted_type, long limit)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<long> items;
    if (XGetWindowProperty(display, w, atom(property), 0, limit, False, wanted_type, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 32 && type == wanted_type) {
        const auto *v = reinterpret_cast<const long *>(data);
        items.assign(v, v + count);
    }
    if (data)
        XFree(data);
    return items;
}

// True when the atom list in a property of `w` holds `wanted` (or `also`).
bool atom_list_has(Window w, const char *property, const char *wanted, const char *also = nullptr)
{
    const long a = long(atom(wanted)), b = also ? long(atom(also)) : long(None);
    for (long item : property_items(w, property, XA_ATOM, 4096))
        if (item == a || (b != long(None) && item == b))
            return true;
    return false;
}

// True when a window manager runs: it names its check window on the root.
bool wm_running()
{
    return !property_items(DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1)
                .empty();
}

// True when a running window manager says it handles full-screen windows.
bool wm_supports_full_screen()
{
    return atom_list_has(DefaultRootWindow(display), "_NET_SUPPORTED", "_NET_WM_STATE_FULLSCREEN");
}

bool wm_state_has(const char *state, const char *also = nullptr)
{
    return atom_list_has(window, "_NET_WM_STATE", state, also);
}

// A message about the window to the window manager; nothing receives it
// when none runs.
void wm_message_send(const char *type, std::initializer_list<long> data)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = atom(type);
    e.xclient.format = 32;
    int i = 0;
    for (long value : data)
        e.xclient.data.l[i++] = value;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

// Asks the window manager to add or remove one or two states of the window.
void wm_state_set(bool on, const char *state, const char *second = nullptr)
{
    constexpr long from_application = 1;
    wm_message_send("_NET_WM_STATE", {on ? 1 : 0, long(atom(state)),
                                      second ? long(atom(second)) : 0, from_application});
}

// Asks the window manager to move and resize the window, as a pager does:
// some keep a full-screen window from taking a size the window asks for
// itself, but take it from such a request.
void wm_move_resize(screen_rect r)
{
    constexpr long all_four_given = 0xF << 8, from_pager = 2 << 12;
    wm_message_send("_NET_MOVERESIZE_WINDOW",
                    {all_four_given | from_pager, r.x, r.y, r.width, r.height});
}

// The frame the window manager publishes around the window; none without one
// (`published`, when given, tells which).
frame_extents frame_extents_read(bool *published = nullptr)
{
    const std::vector<long> v = property_items(window, "_NET_FRAME_EXTENTS", XA_CARDINAL, 4);
    if (published)
        *published = v.size() == 4;
    if (v.size() != 4)
        return {0, 0, 0, 0};
    return {int32_t(v[0]), int32_t(v[1]), int32_t(v[2]), int32_t(v[3])};
}

// The window's client area on the screen and its frame; `a` receives the
// window's attributes, `published` (when given) whether the window manager
// publishes its frame. False when the window cannot be read.
bool window_frame_now(XWindowAttributes &a, screen_rect &client, window_frame &frame,
                      bool *published = nullptr)
{
    if (!XGetWindowAttributes(display, window, &a))
        return false;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, a.root, 0, 0, &x, &y, &child);
    client = {x, y, a.width, a.height};
    frame = window_frame_of(client, frame_extents_read(published));
    return true;
}

// The window's whole frame on the screen: the window manager's frame as it
// publishes it, widened by the window's own border (a window manager that
// does not reparent the window draws its frame there). A window manager that
// publishes no frame has its frame window measured instead: the window's
// ancestor that is a child of the root.
screen_rect frame_whole(const XWindowAttributes &a, const window_frame &f, bool published)
{
    const int32_t b = a.border_width;
    screen_rect r{f.outer.x - b, f.outer.y - b, f.outer.width + 2 * b, f.outer.height + 2 * b};
    if (published)
        return r;
    Window w = window, root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    for (;;) {
        if (!XQueryTree(display, w, &root, &parent, &children, &count))
            return r;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        w = parent;
    }
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (w == window || !XGetGeometry(display, w, &root, &x, &y, &width, &height, &border, &depth))
        return r;
    const int32_t left = (std::min)(r.x, int32_t(x)), top = (std::min)(r.y, int32_t(y));
    const int32_t right = (std::max)(r.x + r.width, int32_t(x + int(width + 2 * border)));
    const int32_t bottom = (std::max)(r.y + r.height, int32_t(y + int(height + 2 * border)));
    return {left, top, right - left, bottom - top};
}

// True when the window's place is one it was given: it is viewable and,
// while a window manager runs, inside the manager's frame. Before that a
// window manager may still move it, and has published its frame's extents
// around a place the window never took.
bool window_placed(const XWindowAttributes &a)
{
    if (a.map_state != IsViewable)
        return false;
    if (!wm_running())
        return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return false;
    if (children)
        XFree(children);
    return parent != root;
}

bool rect_same(const screen_rect &a, const screen_rect &b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

void place_keep_start(int32_t x, int32_t y, bool whole)
{
    keep = place_keep{};
    keep.pending = true;
    keep.whole = whole;
    keep.x = x;
    keep.y = y;
    keep.started_ms = clock_now_ms();
}

// No place to go back to: the frame stays where the window manager puts it,
// wholly on `area`.
void place_keep_settle(screen_rect area)
{
    place_keep_start(0, 0, true);
    keep.settle = true;
    keep.area = area;
}

void place_keep_serve()
{
    if (!keep.pending)
        return;
    const int64_t now_ms = clock_now_ms();
    if (now_ms - keep.started_ms >= PLACE_KEEP_MS) {
        keep.pending = false;
        return;
    }
    XWindowAttributes a;
    screen_rect client;
    window_frame f;
    bool published = false;
    // A window that still covers its monitor has not yet left full screen,
    // whatever its state says.
    if (!window_frame_now(a, client, f, &published) || a.map_state != IsViewable ||
        wm_state_has("_NET_WM_STATE_FULLSCREEN") || rect_same(client, full_screen.monitor))
        return;
    const screen_rect at = keep.whole ? frame_whole(a, f, published) : f.outer;
    if (keep.settle) {
        const screen_rect to = rect_moved_into(at, keep.area);
        keep.settle = false;
        keep.x = to.x;
        keep.y = to.y;
    }
    if (at.x == keep.x && at.y == keep.y) {
        keep.pending = false;
        return;
    }
    const screen_rect seen{at.x, at.y, client.width, client.height};
    const bool answered =
        !rect_same(seen, keep.asked_from) || now_ms - keep.asked_ms >= PLACE_ANSWER_MS;
    if (keep.asks > 0 && !answered)
        return;
    if (keep.asks >= PLACE_ASKS) {
        keep.pending = false;
        return;
    }
    // A window manager that put the client area, not the frame, at the place
    // asked for (or left it there, when it was there already) is asked again
    // with the place moved on by the frame's left and top, so that the frame
    // lands there.
    int32_t x = keep.x, y = keep.y;
    if (keep.asks > 0 && client.x == keep.asked_x && client.y == keep.asked_y) {
        x += client.x - at.x;
        y += client.y - at.y;
    }
    ++keep.asks;
    keep.asked_x = x;
    keep.asked_y = y;
    keep.asked_ms = now_ms;
    keep.asked_from = seen;
    XMoveWindow(display, window, x, y);
}

// The places the window was moved to, as its configure events tell them: the
// client area's top left on the screen. A wire-to-event hook notes them
// inside Xlib, where no Xlib call may be made; window_layer_moves_take hands
// them on, on the same thread. A window manager's frame holds the window at
// a place of its own, which the window manager reports in synthetic events;
// the window's own events tell of a move only while the root is its parent.
using wire_proc = Bool (*)(Display *, XEvent *, xEvent *);
struct moves_seen {
    wire_proc previous_configure = nullptr;
    wire_proc previous_reparent = nullptr;
    bool parent_is_root = true;
    static constexpr int32_t CAPACITY = 64;
    int32_t x[CAPACITY], y[CAPACITY];
    int32_t count = 0;
};
moves_seen moves;

Bool configure_wire_hook(Display *d, XEvent *event, xEvent *wire)
{
    if (!moves.previous_configure(d, event, wire))
        return False;
    const XConfigureEvent &c = event->xconfigure;
    if (c.window != window || c.event != window || !(c.send_event || moves.parent_is_root))
        return True;
    if (moves.count == moves.CAPACITY)
        moves.count = 0; // no one took them: only the newest matter
    moves.x[moves.count] = c.x + c.border_width;
    moves.y[moves.count] = c.y + c.border_width;
    ++moves.count;
    return True;
}

Bool reparent_wire_hook(Display *d, XEvent *event, xEvent *wire)
{
    if (!moves.previous_reparent(d, event, wire))
        return False;
    const XReparentEvent &r = event->xreparent;
    if (r.window == window && r.event == window)
        moves.parent_is_root = r.parent == DefaultRootWindow(d);
    return True;
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

// Takes the monitor's whole rectangle, asking a window manager for its
// full-screen state too.
void full_screen_apply()
{
    const screen_rect &m = full_screen.monitor;
    wm_state_set(true, "_NET_WM_STATE_FULLSCREEN");
    XMoveResizeWindow(display, window, m.x, m.y, uint32_t(m.width), uint32_t(m.height));
    XFlush(display);
}

// Leaves full screen before the window takes a size again: a window manager
// is asked to leave its full-screen state, and the frame goes back to its
// place, wholly on the monitor, once it has (with none, at once). A window
// that had no place of its own stays where the window manager puts it, moved
// as far as it takes to lie wholly on the monitor.
void full_screen_leave()
{
    if (!full_screen.on)
        return;
    full_screen.on = false;
    const screen_rect back = rect_moved_into(full_screen.outer, full_screen.monitor);
    if (wm_supports_full_screen())
        wm_state_set(false, "_NET_WM_STATE_FULLSCREEN");
    else if (full_screen.outer_known)
        XMoveWindow(display, window, back.x, back.y);
    if (full_screen.outer_known)
        place_keep_start(back.x, back.y, true);
    else
        place_keep_settle(full_screen.monitor);
}

// Sets a full-screen window that no longer covers its monitor back, and
// leaves full screen when the window manager took its full-screen state off
// the window. The state is read every tick, as a window manager's own key
// may take it off moments after it was put on. A window that is not shown
// has no state (the window manager drops it); it is looked for anew once the
// window is shown again.
void full_screen_hold()
{
    if (!full_screen.on)
        return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable) {
        full_screen.host_state_seen = false;
        return;
    }
    // The state counts once the window has the monitor's size too: a state
    // left from an earlier full screen may linger until the window manager
    // has served the request to leave it.
    if (wm_state_has("_NET_WM_STATE_FULLSCREEN")) {
        if (a.width == full_screen.monitor.width && a.height == full_screen.monitor.height)
            full_screen.host_state_seen = true;
    } else if (full_screen.host_state_seen) {
        full_screen_leave();
        display_full_screen_left();
        return;
    }
    const int64_t now_ms = clock_now_ms();
    if (now_ms - full_screen.checked_ms < FULL_SCREEN_CHECK_MS)
        return;
    full_screen.checked_ms = now_ms;
    screen_rect client;
    window_frame frame;
    if (!window_frame_now(a, client, frame))
        return;
    if (rect_same(client, full_screen.monitor)) {
        full_screen.asks = 0;
        return;
    }
    if (full_screen.asks >= FULL_SCREEN_ASKS)
        return;
    ++full_screen.asks;
    full_screen_apply();
    wm_move_resize(full_screen.monitor);
}

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
    window_creation_begin(width, height, window_class_of(*argc > 0 ? argv[0] : nullptr));
    glutCreateWindow(title);
    window_creation_end();
    display = glXGetCurrentDisplay();
    window = glXGetCurrentDrawable();
    if (!display || !window)
        return false;
    window_handle_store(uint64_t(window));
    window_events_install(display, window);
    moves.previous_configure = XESetWireToEvent(display, ConfigureNotify, configure_wire_hook);
    moves.previous_reparent = XESetWireToEvent(display, ReparentNotify, reparent_wire_hook);
    size_hints_set(true, width, height);
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
    glutMainLoop();
    // The loop returns only when the window was destroyed from outside: the
    // program ends as after the close button.
    exit_request.fetch_or(1);
    for (;;)
        clock_sleep_ms(100);
}

// A window manager keeps a maximised window's size: the window leaves the
// maximised state when the program gives it a size.
void window_layer_reshape(int32_t width, int32_t height)
{
    full_screen_leave();
    if (wm_state_has("_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"))
        wm_state_set(false, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
    size_hints_set(true, width, height);
    glutReshapeWindow(width, height);
}

void window_layer_full_screen()
{
    if (full_screen.on)
        return;
    XWindowAttributes a;
    screen_rect client;
    window_frame frame;
    bool published = false;
    if (!window_frame_now(a, client, frame, &published))
        return;
    // A place the window is on its way to is its place (one the program
    // gave is the published frame's, which the whole frame may exceed).
    screen_rect outer = frame_whole(a, frame, published);
    const bool going = keep.pending && !keep.settle;
    if (going) {
        outer.x = keep.x - (keep.whole ? 0 : frame.outer.x - outer.x);
        outer.y = keep.y - (keep.whole ? 0 : frame.outer.y - outer.y);
    }
    full_screen = full_screen_memory{};
    full_screen.on = true;
    full_screen.outer_known = going || window_placed(a);
    full_screen.outer = outer;
    full_screen.monitor = full_screen_monitor(outer);
    full_screen.checked_ms = clock_now_ms();
    keep.pending = false;
    size_hints_set(false, 0, 0);
    full_screen_apply();
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
    glutSetIconTitle(title);
    window_names_set(display, window, title);
}

void window_layer_move(int32_t x, int32_t y)
{
    glutPositionWindow(x, y);
}

void window_layer_show()
{
    glutShowWindow();
}

// The window goes to its place while it is not mapped, with a hint that the
// place is the user's choice; a window manager that places it elsewhere all
// the same has it moved there once it is shown.
void window_layer_show_at(int32_t x, int32_t y)
{
    XMoveWindow(display, window, x, y);
    hints.placed = true;
    hints.x = x;
    hints.y = y;
    normal_hints_write();
    glutShowWindow();
    place_keep_start(x, y, false);
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
    window_geometry g{};
    XWindowAttributes a;
    screen_rect client;
    window_frame frame;
    if (window_frame_now(a, client, frame)) {
        g.x = client.x;
        g.y = client.y;
        g.border_width = frame.border_width;
        g.header_height = frame.header_height;
        g.width = client.width;
        g.height = client.height;
    }
    g.screen_width = DisplayWidth(display, DefaultScreen(display));
    g.screen_height = DisplayHeight(display, DefaultScreen(display));
    return g;
}

void window_layer_moves_take(void (*seen)(int32_t x, int32_t y))
{
    if (moves.count == 0)
        return;
    const frame_extents extents = frame_extents_read();
    for (int32_t i = 0; i < moves.count; ++i) {
        const window_frame f = window_frame_of({moves.x[i], moves.y[i], 0, 0}, extents);
        seen(f.outer.x, f.outer.y);
    }
    moves.count = 0;
}

void window_layer_poll()
{
    window_events_poll();
    place_keep_serve();
    full_screen_hold();
}
