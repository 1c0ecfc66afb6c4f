// The window layer's conversation with the window manager on X11: the
// window's size hints, its states and the messages that ask for them, the
// frame the manager draws around it, its place after showing and after full
// screen, full screen itself, and the screen changing size where no window
// manager follows it. It runs on the toolkit's own connection, on the main
// thread.
#include "display/window_layer.h"

#include "display/display_callback.h"
#include "display/viewport.h"
#include "display/window_hooks.h"
#include "display/window_x11_internal.h"
#include "platform/clock.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

// Last: it defines names that clash with the standard headers.
#include <X11/Xlibint.h>

namespace
{

Display *display = nullptr;
Window window = 0;

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
    bool manager = false;         // a window manager ran at the last look
};
full_screen_memory full_screen;

// The full-screen request that waits for the window manager's answer: at
// most one does at a time. A manager that was busy answers several requests
// late and in one go, and their answers could not be told from the
// manager's own doing: a state asked while a request waits is remembered
// instead (`remembered`: the other state is wanted), and asked once that
// request is answered. While a request waits, the window's state is not
// followed; once none does, a change is the manager's or another client's
// own doing. A request sent while the window is shown and a manager that
// handles full screen runs waits, unless it changes nothing now.
//
// One not answered within FULL_SCREEN_ANSWER_WAIT_MS (the manager ignored
// it, or stalls) is given up, and the remembered state is asked then. Until
// a later request is answered, the answers of those given up may still come
// (`late`), in order and in one go once the manager goes on: each request
// waits then, and the state is taken only once it has not changed for
// FULL_SCREEN_SETTLE_MS, so that the last answer is the one seen.
//
// The answer as the window's events tell it, in order, counted from the
// request: the state read once a tick misses a state the manager put on and
// took off again between two reads (another client asked it to at once).
// The changes of the window's state, and the window taking the monitor's
// size from another and then leaving it: a state change, the monitor's
// size, a state change and another size (in either order of state and size)
// is the manager's state put on and taken off. Wire-to-event hooks note the
// events inside Xlib, on the same thread; the window's size is followed at
// all times, so that only a change counts.
constexpr int64_t FULL_SCREEN_ANSWER_WAIT_MS = 1000;
constexpr int64_t FULL_SCREEN_SETTLE_MS = 500;
struct full_screen_answer {
    bool waiting = false;
    bool on = false; // the state the request asks for
    bool remembered = false;
    int64_t sent_ms = 0;
    bool late = false;
    int64_t changed_ms = 0;   // the window's state last changed
    bool counting = false;    // counting from a request, while the window is shown
    unsigned long serial = 0; // the request's; events before it are older
    int32_t state_changes = 0;
    bool took_monitor_size = false;
    bool left_monitor_size = false;
    int32_t width = 0, height = 0; // the window's size, from its configure events
    Atom state = None;             // _NET_WM_STATE
};
full_screen_answer answer;

// True when the manager put its full-screen state on and took it off again
// since the request.
bool full_screen_answer_came_and_went()
{
    return answer.counting && answer.state_changes >= 2 && answer.left_monitor_size;
}

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

// True when a window manager runs: the root names its check window, and that
// window exists and names itself. A window manager that died leaves the
// root's record behind, naming a window that is gone: reading that window
// fails, as for a window manager that is not there. The answer is read anew
// at every use, so a window manager started later counts.
bool wm_running()
{
    const std::vector<long> named =
        property_items(DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1);
    if (named.empty())
        return false;
    const std::vector<long> own =
        property_items(Window(named[0]), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1);
    return !own.empty() && own[0] == named[0];
}

// True when a running window manager says it handles full-screen windows
// (the list stays on the root after it died, too).
bool wm_supports_full_screen()
{
    return wm_running() &&
           atom_list_has(DefaultRootWindow(display), "_NET_SUPPORTED", "_NET_WM_STATE_FULLSCREEN");
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

// The window's size as a configure event tells it, for the full-screen
// answer.
void answer_size_seen(const XConfigureEvent &c)
{
    const bool was =
        answer.width == full_screen.monitor.width && answer.height == full_screen.monitor.height;
    const bool is = c.width == full_screen.monitor.width && c.height == full_screen.monitor.height;
    answer.width = c.width;
    answer.height = c.height;
    if (!answer.counting || c.serial < answer.serial || was == is)
        return;
    if (is)
        answer.took_monitor_size = true;
    else if (answer.took_monitor_size)
        answer.left_monitor_size = true;
}

Bool configure_wire_hook(Display *d, XEvent *event, xEvent *wire)
{
    if (!moves.previous_configure(d, event, wire))
        return False;
    const XConfigureEvent &c = event->xconfigure;
    if (c.window == window && c.event == window)
        answer_size_seen(c);
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

wire_proc previous_property = nullptr;

Bool property_wire_hook(Display *d, XEvent *event, xEvent *wire)
{
    if (!previous_property(d, event, wire))
        return False;
    const XPropertyEvent &p = event->xproperty;
    if (p.window != window || p.atom != answer.state)
        return True;
    if (answer.counting && p.serial >= answer.serial)
        ++answer.state_changes;
    answer.changed_ms = clock_now_ms();
    return True;
}

// The screen's size and its monitors (RandR 1.5; none where the server names
// none), as the server has them now: Xlib's own idea of the screen's size
// stays at the size it had when the connection opened.
struct screen_layout {
    screen_rect screen{0, 0, 0, 0};
    std::vector<screen_rect> monitors;
};
bool randr_monitors = false; // the server names its monitors

bool layout_same(const screen_layout &a, const screen_layout &b)
{
    return rect_same(a.screen, b.screen) &&
           std::equal(a.monitors.begin(), a.monitors.end(), b.monitors.begin(), b.monitors.end(),
                      rect_same);
}

screen_rect screen_size_read()
{
    Window root = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &width, &height, &border,
                      &depth))
        return {0, 0, DisplayWidth(display, DefaultScreen(display)),
                DisplayHeight(display, DefaultScreen(display))};
    return {0, 0, int32_t(width), int32_t(height)};
}

screen_layout screen_layout_read()
{
    screen_layout l;
    l.screen = screen_size_read();
    if (!randr_monitors)
        return l;
    int count = 0;
    XRRMonitorInfo *info = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i)
        l.monitors.push_back({info[i].x, info[i].y, info[i].width, info[i].height});
    if (info)
        XRRFreeMonitors(info);
    return l;
}

// The rectangle of the monitor nearest to the window's, the whole screen
// when the server names no monitors.
screen_rect monitor_of(screen_rect window_rect, const screen_layout &l)
{
    return monitor_nearest(window_rect, l.monitors.data(), int32_t(l.monitors.size()), l.screen);
}

// Sends a request to add or remove the window's full-screen state; with
// `awaited`, it is the request that waits, and its answer is counted from
// here.
void full_screen_request_send(bool on, bool awaited)
{
    const unsigned long serial = NextRequest(display);
    wm_state_set(on, "_NET_WM_STATE_FULLSCREEN");
    if (!awaited)
        return;
    answer.waiting = answer.counting = true;
    answer.on = on;
    answer.remembered = false;
    answer.sent_ms = clock_now_ms();
    answer.serial = serial;
    answer.state_changes = 0;
    answer.took_monitor_size = answer.left_monitor_size = false;
}

// Asks the window manager to add or remove the window's full-screen state.
// With `answered` (the window is shown and a manager that handles full
// screen runs) the request waits for its answer, or, while another waits,
// the state is remembered (or forgotten, when that one asks for it).
void full_screen_state_ask(bool on, bool answered)
{
    if (answered && answer.waiting)
        answer.remembered = on != answer.on;
    else
        full_screen_request_send(
            on, answered && (answer.late || wm_state_has("_NET_WM_STATE_FULLSCREEN") != on));
}

// True while answers to requests given up may still be on their way, one
// after another.
bool full_screen_late_coming()
{
    return answer.late && clock_now_ms() - answer.changed_ms < FULL_SCREEN_SETTLE_MS;
}

// Takes the answer to the request that waits, `on` the full-screen state
// read now: the state asked for, after a change since the request, or full
// screen put on and taken off again. Then, or once the request is given up,
// a remembered state is asked.
void full_screen_answer_take(bool on)
{
    if (!answer.waiting || full_screen_late_coming())
        return;
    const bool answered = (answer.state_changes > 0 && on == answer.on) ||
                          (answer.on && full_screen_answer_came_and_went());
    if (!answered && clock_now_ms() - answer.sent_ms < FULL_SCREEN_ANSWER_WAIT_MS)
        return;
    answer.waiting = false;
    answer.late = !answered;
    if (answer.remembered)
        full_screen_request_send(!answer.on, true);
}

// Takes the monitor's whole rectangle, asking a window manager for its
// full-screen state too. With `shown`, the window is shown: a window manager
// that handles full screen answers the request, and the answer is counted
// from it.
void full_screen_apply(bool shown)
{
    const screen_rect &m = full_screen.monitor;
    full_screen_state_ask(true, shown && wm_supports_full_screen());
    XMoveResizeWindow(display, window, m.x, m.y, uint32_t(m.width), uint32_t(m.height));
    XFlush(display);
}

// Leaves full screen before the window takes a size again: a window manager
// is asked to leave its full-screen state (unless `followed`: it left it of
// its own), and the frame goes back to its place, wholly on the monitor,
// once it has (with none, at once). A window that had no place of its own
// stays where the window manager puts it, moved as far as it takes to lie
// wholly on the monitor.
void full_screen_leave(bool followed = false)
{
    if (!full_screen.on)
        return;
    full_screen.on = false;
    const screen_rect back = rect_moved_into(full_screen.outer, full_screen.monitor);
    XWindowAttributes a;
    if (wm_supports_full_screen()) {
        if (!followed) // else the manager's state is off already
            full_screen_state_ask(false, XGetWindowAttributes(display, window, &a) &&
                                             a.map_state == IsViewable);
    } else if (full_screen.outer_known)
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
    if (!full_screen.on) {
        // A request to leave is answered all the same.
        if (answer.waiting)
            full_screen_answer_take(wm_state_has("_NET_WM_STATE_FULLSCREEN"));
        return;
    }
    // With no window manager there is no state to follow: the window is
    // looked at every FULL_SCREEN_CHECK_MS only, and so is whether one runs
    // now, which keeps a still full-screen picture cheap.
    const int64_t now_ms = clock_now_ms();
    const bool check_due = now_ms - full_screen.checked_ms >= FULL_SCREEN_CHECK_MS;
    if (check_due) {
        full_screen.checked_ms = now_ms;
        full_screen.manager = wm_running();
    }
    if (!full_screen.manager && !check_due)
        return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable) {
        full_screen.host_state_seen = false;
        answer.counting = answer.waiting = answer.remembered = false;
        return;
    }
    // The state counts once the window has the monitor's size too: a state
    // left from an earlier full screen may linger until the window manager
    // has served the request to leave it. The events read with the state
    // are all those before it, so a state put on and taken off since the
    // last read is known by now. While a request waits or late answers
    // come, the state may be an answer to an earlier request.
    const bool on = wm_state_has("_NET_WM_STATE_FULLSCREEN");
    full_screen_answer_take(on);
    const bool settled = !answer.waiting && !full_screen_late_coming();
    if (on) {
        if (settled && a.width == full_screen.monitor.width &&
            a.height == full_screen.monitor.height)
            full_screen.host_state_seen = true;
    } else if (settled && (full_screen.host_state_seen || full_screen_answer_came_and_went())) {
        full_screen_leave(true);
        display_full_screen_left();
        return;
    }
    if (!check_due)
        return;
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
    full_screen_apply(true);
    wm_move_resize(full_screen.monitor);
}

// The screen changing size (RandR: a monitor plugged in, a mode set): a
// window manager moves and resizes its windows itself; with none, nothing
// else does. The layout is read every SCREEN_CHECK_MS, and only a change in
// it acts, so a window the program put partly off the screen stays there
// while the screen does not change:
// - a full-screen window takes the rectangle its monitor has now (the
//   renderer fits the picture when the window's size changes); under a
//   window manager only the record takes it, so that holding full screen
//   asks for what the manager does;
// - with no window manager, a window that no longer lies on the screen is
//   moved wholly onto its monitor.
constexpr int64_t SCREEN_CHECK_MS = 250;
struct screen_watch {
    screen_layout seen;
    int64_t checked_ms = 0;
};
screen_watch watch;

void screen_change_follow()
{
    const int64_t now_ms = clock_now_ms();
    if (now_ms - watch.checked_ms < SCREEN_CHECK_MS)
        return;
    watch.checked_ms = now_ms;
    screen_layout now = screen_layout_read();
    if (layout_same(now, watch.seen))
        return;
    watch.seen = std::move(now);
    const screen_layout &l = watch.seen;
    XWindowAttributes a;
    screen_rect client;
    window_frame frame;
    if (!window_frame_now(a, client, frame))
        return;
    const bool manager = wm_running();
    if (full_screen.on) {
        full_screen.monitor = monitor_of(client, l);
        full_screen.asks = 0;
        if (!manager)
            full_screen_apply(false);
        return;
    }
    if (manager)
        return;
    const int32_t b = a.border_width;
    const screen_rect r{client.x - b, client.y - b, client.width + 2 * b, client.height + 2 * b};
    const screen_rect to =
        rect_back_on_screen(r, l.monitors.data(), int32_t(l.monitors.size()), l.screen);
    if (to.x != r.x || to.y != r.y)
        XMoveWindow(display, window, to.x, to.y);
}

} // namespace

void window_manager_attach(Display *d, Window w, int32_t width, int32_t height)
{
    display = d;
    window = w;
    moves.previous_configure = XESetWireToEvent(display, ConfigureNotify, configure_wire_hook);
    moves.previous_reparent = XESetWireToEvent(display, ReparentNotify, reparent_wire_hook);
    previous_property = XESetWireToEvent(display, PropertyNotify, property_wire_hook);
    answer.state = atom("_NET_WM_STATE");
    atom("_NET_WM_STATE_FULLSCREEN"); // known from now on: asking makes no request of its own
    answer.width = width;
    answer.height = height;
    XWindowAttributes a;
    if (XGetWindowAttributes(display, window, &a))
        XSelectInput(display, window, a.your_event_mask | PropertyChangeMask);
    size_hints_set(true, width, height);
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    randr_monitors = XRRQueryExtension(display, &event_base, &error_base) &&
                     XRRQueryVersion(display, &major, &minor) && major * 100 + minor >= 105;
    watch.seen = screen_layout_read();
    watch.checked_ms = clock_now_ms();
}

// A window manager keeps a maximised window's size: the window leaves the
// maximised state when the program gives it a size.
void window_size_given(int32_t width, int32_t height)
{
    full_screen_leave();
    if (wm_state_has("_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"))
        wm_state_set(false, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
    size_hints_set(true, width, height);
}

// The window goes to its place while it is not mapped, with a hint that the
// place is the user's choice.
void window_place_given(int32_t x, int32_t y)
{
    XMoveWindow(display, window, x, y);
    hints.placed = true;
    hints.x = x;
    hints.y = y;
    normal_hints_write();
}

void window_place_keep(int32_t x, int32_t y)
{
    place_keep_start(x, y, false);
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
    full_screen.manager = wm_running();
    full_screen.outer_known = going || window_placed(a);
    full_screen.outer = outer;
    full_screen.monitor = monitor_of(outer, screen_layout_read());
    full_screen.checked_ms = clock_now_ms();
    keep.pending = false;
    size_hints_set(false, 0, 0);
    full_screen_apply(a.map_state == IsViewable);
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
    const screen_rect screen = screen_size_read();
    g.screen_width = screen.width;
    g.screen_height = screen.height;
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

void window_manager_poll()
{
    place_keep_serve();
    full_screen_hold();
    screen_change_follow();
}
