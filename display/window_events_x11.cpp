// The window layer's first look at X events.
//
// Wire-to-event hooks on the window's connection see every key, focus and
// client message as Xlib reads it, before the toolkit handles it:
// - a key message feeds the keyboard device at once and is remembered, so
//   that the toolkit's key callbacks can name the physical key, its symbol
//   and the modifiers (Num Lock too) and take its text from the input method,
//   and keys the toolkit does not report (Pause, Break, Scroll Lock, SysReq,
//   Shift+Tab, dead keys) still reach the keyboard;
// - WM_DELETE_WINDOW (the close button) becomes a close request and is
//   consumed, so the toolkit never destroys the window;
// - the window destroyed by another client ends the program at once;
// - the window's map ends the loop's asking for its first map, so that a
//   window minimised at once is not mapped again;
// - losing the keyboard focus lets go of the keyboard device's buttons at
//   once and is noted among the key events, so the held keys are let go, and
//   a dead key's sequence ended, in order with the keys before and after it;
// - the keyboard's state that the server sends when the focus comes back
//   presses the modifier keys still held (a window manager that moves the
//   window into a new frame takes the focus away for a moment while the user
//   holds Alt), in the same way.
// The hooks run inside Xlib with the connection locked, so they make no Xlib
// call; the remembered events are looked at afterwards, on the same thread,
// and go through the input method in the order they came.
#include "display/devices.h"
#include "display/key_table.h"
#include "display/keyboard.h"
#include "display/text_input_x11.h"
#include "display/window_hooks.h"
#include "display/window_x11_internal.h"

#include "core/small_ops.h"
#include "platform/os_environment.h"
#include "platform/system_keys.h"
#include "platform/x_connection_errors.h"

#include <X11/XKBlib.h>
#include <X11/Xlibint.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace
{

Display *window_display = nullptr;
Window main_window = 0;
Atom wm_protocols = None;
Atom wm_delete_window = None;
unsigned int num_lock_mask = Mod2Mask; // the modifier Num Lock sets

using wire_proc = Bool (*)(Display *, XEvent *, xEvent *);
wire_proc previous_proc[LASTEvent] = {};

// Key events seen by the hook, oldest first, until the toolkit's callbacks
// or the poll look at them.
struct key_event_seen {
    XKeyEvent key;
    bool focus_out;          // no key: the window lost the keyboard focus here
    bool focus_in;           // no key: the focus came back, with `held` down
    system_key_state held{}; // the modifier keys down then
    bool down() const { return key.type == KeyPress; }
    bool is_key() const { return !focus_out && !focus_in; }
};
constexpr uint32_t KEY_EVENTS_SEEN = 256;
key_event_seen seen[KEY_EVENTS_SEEN];
uint32_t seen_first = 0, seen_count = 0;

// The key codes of the held keys the keyboard's state tells, found when the
// hooks are installed (the hook may make no Xlib call).
system_key_codes key_codes{};
// A focus came back: the keyboard's state the server sends right after it
// is the one to take.
bool keymap_awaited = false;

// The raw pointer device's own connection.
Display *raw_display = nullptr;
int xinput_opcode = 0;

void seen_push(const key_event_seen &e)
{
    if (seen_count == KEY_EVENTS_SEEN) {
        seen_first = (seen_first + 1) % KEY_EVENTS_SEEN;
        --seen_count;
    }
    seen[(seen_first + seen_count) % KEY_EVENTS_SEEN] = e;
    ++seen_count;
}

bool seen_pop(key_event_seen &e)
{
    if (seen_count == 0)
        return false;
    e = seen[seen_first];
    seen_first = (seen_first + 1) % KEY_EVENTS_SEEN;
    --seen_count;
    return true;
}

Bool key_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    const XKeyEvent &k = event->xkey;
    if (k.window == main_window) {
        const bool down = k.type == KeyPress;
        window_proc_key_hook(key_pc_button_of_x_keycode(k.keycode), down);
        seen_push({k, false, false});
    }
    return True;
}

Bool client_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    const XClientMessageEvent &c = event->xclient;
    if (c.window == main_window && c.message_type == wm_protocols && c.format == 32 &&
        Atom(c.data.l[0]) == wm_delete_window) {
        window_proc_event_hook(WINDOW_EVENT_CLOSE, 0, 0);
        return False;
    }
    return True;
}

// Every way the keyboard leaves the window counts, a grab too: while a window
// manager holds the keyboard for its Alt+Tab, the releases of the keys held
// go to it, not to the window. Only a move of the focus into a child of the
// window keeps the keys coming.
Bool focus_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    const XFocusChangeEvent &f = event->xfocus;
    if (f.window != main_window || f.detail == NotifyInferior)
        return True;
    if (f.type == FocusIn) {
        keymap_awaited = true;
        return True;
    }
    device_keyboard_release_all();
    seen_push({{}, true, false});
    return True;
}

// The keyboard's state after the focus came back: the modifier keys down
// are held again, the keyboard device's buttons at once.
Bool keymap_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    if (!keymap_awaited)
        return True;
    keymap_awaited = false;
    key_event_seen e{{}, false, true};
    const char *keys = event->xkeymap.key_vector;
    e.held = system_keys_held(key_codes, keys);
    // The modifier keys only: other keys held then repeat, and so come back
    // by themselves.
    for (const unsigned char code :
         {key_codes.shift_left, key_codes.shift_right, key_codes.ctrl_left, key_codes.ctrl_right,
          key_codes.alt_left, key_codes.alt_right})
        if (system_key_down(keys, code))
            window_proc_key_hook(key_pc_button_of_x_keycode(code), true);
    seen_push(e);
    return True;
}

// The window destroyed by another client leaves the program without its
// screen: it ends as when the display goes away.
Bool destroy_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    if (event->xdestroywindow.window == main_window)
        x_program_window_lost(display);
    return True;
}

// The window mapped, by the toolkit's request or a window manager's: the
// loop no longer asks for its first map. Xlib reads events in order, so the
// map is seen here before an unmap that follows it.
Bool map_wire_hook(Display *display, XEvent *event, xEvent *wire)
{
    if (!previous_proc[wire->u.u.type & 0x7F](display, event, wire))
        return False;
    if (event->xmap.window == main_window)
        window_first_map_forget();
    return True;
}

// The window's map event (one Xlib read before the hook was there waits in
// the queue).
Bool own_map(Display *, XEvent *event, XPointer)
{
    return event->type == MapNotify && event->xmap.window == main_window;
}

void hook_install(int type, wire_proc hook)
{
    previous_proc[type] = XESetWireToEvent(window_display, type, hook);
}

uint32_t x_modifiers_to_toolkit(uint32_t state)
{
    return ((state & ShiftMask) ? KEY_MOD_SHIFT : 0) | ((state & ControlMask) ? KEY_MOD_CTRL : 0) |
           ((state & Mod1Mask) ? KEY_MOD_ALT : 0) |
           ((state & num_lock_mask) ? KEY_MOD_NUM_LOCK : 0);
}

// What Xlib makes of a seen key event: its key symbol and its first
// character (0 when it gives none), as the toolkit reads them.
struct key_lookup {
    KeySym keysym;
    int32_t character;
};
key_lookup key_lookup_of(const key_event_seen &e)
{
    XKeyEvent k = e.key;
    char text[8];
    KeySym keysym = NoSymbol;
    const int n = XLookupString(&k, text, sizeof text, &keysym, nullptr);
    return {keysym, n > 0 ? int32_t(uint8_t(text[0])) : 0};
}

// The toolkit's special-key number of a key symbol, 0 for none.
int32_t special_key_of(KeySym keysym)
{
    struct pair {
        KeySym keysym;
        int32_t key;
    };
    static constexpr pair table[] = {
        {XK_Left, 100},      {XK_KP_Left, 100},   {XK_Up, 101},       {XK_KP_Up, 101},
        {XK_Right, 102},     {XK_KP_Right, 102},  {XK_Down, 103},     {XK_KP_Down, 103},
        {XK_Prior, 104},     {XK_KP_Prior, 104},  {XK_Next, 105},     {XK_KP_Next, 105},
        {XK_Home, 106},      {XK_KP_Home, 106},   {XK_End, 107},      {XK_KP_End, 107},
        {XK_Insert, 108},    {XK_KP_Insert, 108}, {XK_Num_Lock, 109}, {XK_KP_Begin, 110},
        {XK_Delete, 111},    {XK_KP_Delete, 111}, {XK_Shift_L, 112},  {XK_Shift_R, 113},
        {XK_Control_L, 114}, {XK_Control_R, 115}, {XK_Alt_L, 116},    {XK_Alt_R, 117},
        {XK_Super_L, 118},   {XK_Super_R, 119},
    };
    if (keysym >= XK_F1 && keysym <= XK_F12)
        return int32_t(keysym - XK_F1) + 1;
    for (const pair &p : table)
        if (p.keysym == keysym)
            return p.key;
    return 0;
}

// A seen key event to the keyboard, with the text the input method makes of
// it (and what comes before it, the accents of a dead key it did not go
// with): `key` is the toolkit's character (-1 none), `special` its
// special-key number (0 none).
void key_event_deliver(const key_event_seen &e, int32_t key, int32_t special)
{
    const key_typed typed = text_input_lookup(e.key);
    const uint32_t modifiers = x_modifiers_to_toolkit(e.key.state);
    x_text_type(typed.before, modifiers);
    if (typed.swallowed)
        key_press_swallowed(e.key.keycode);
    else if (special != 0 && !typed.composed)
        x_special_key_translate(special, uint32_t(typed.keysym), modifiers, e.down(),
                                e.key.keycode);
    else
        x_text_key_translate(typed.composed ? -1 : key, uint32_t(typed.keysym), typed.text,
                             modifiers, e.down(), e.key.keycode);
}

// A seen key event the toolkit did not report: the keys it never reports
// reach the keyboard here, and a loss of the focus lets go of the held keys.
// True when nothing of the event is left for the toolkit to report: it was
// served here, or it has neither a character nor a special-key number (a
// dead key, a character X cannot give in the locale's encoding).
bool unreported_key_serve(const key_event_seen &e)
{
    if (e.focus_out) {
        key_focus_lost();
        text_input_sequence_end();
        return true;
    }
    if (e.focus_in) {
        key_focus_regained(e.held);
        return true;
    }
    const key_lookup k = key_lookup_of(e);
    if (key_x_keysym_event(uint32_t(k.keysym), x_modifiers_to_toolkit(e.key.state), e.down(),
                           e.key.keycode))
        return true;
    if (k.character != 0 || special_key_of(k.keysym) != 0)
        return false;
    key_event_deliver(e, -1, 0);
    return true;
}

// Serves the seen keys that the toolkit never reports and keeps the others:
// a key event read during a round trip of this tick is reported by the
// toolkit only at its next pass and must still be found then. The events
// after a kept one wait for it, so that the input method and the keyboard
// take them in order and a loss of the focus does not come before the key;
// a key the toolkit never reports is not kept, so it holds up nothing.
void unreported_keys_serve()
{
    key_event_seen kept[KEY_EVENTS_SEEN];
    uint32_t n = 0;
    key_event_seen e;
    while (seen_pop(e))
        if (n > 0 || !unreported_key_serve(e))
            kept[n++] = e;
    for (uint32_t i = 0; i < n; ++i)
        seen_push(kept[i]);
}

// Finds the seen key event the toolkit reports now and delivers it; the
// events before it, which the toolkit did not report, are served on the way.
template <typename Match> bool physical_take(bool down, int32_t key, int32_t special, Match matches)
{
    key_event_seen e;
    while (seen_pop(e)) {
        if (e.is_key() && e.down() == down && matches(key_lookup_of(e))) {
            key_event_deliver(e, key, special);
            return true;
        }
        unreported_key_serve(e);
    }
    return false;
}

void raw_motion_poll()
{
    if (!raw_display)
        return;
    while (XPending(raw_display)) {
        XEvent event;
        XNextEvent(raw_display, &event);
        XGenericEventCookie &cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != xinput_opcode ||
            !XGetEventData(raw_display, &cookie))
            continue;
        if (cookie.evtype == XI_RawMotion) {
            const auto *raw = static_cast<const XIRawEvent *>(cookie.data);
            double delta[2] = {0, 0};
            const double *value = raw->raw_values;
            for (int axis = 0; axis < raw->valuators.mask_len * 8; ++axis) {
                if (!XIMaskIsSet(raw->valuators.mask, axis))
                    continue;
                if (axis < 2)
                    delta[axis] = *value;
                ++value;
            }
            window_proc_event_hook(WINDOW_EVENT_RAW_MOTION, round_double_to_int32(delta[0]),
                                   round_double_to_int32(delta[1]));
        }
        XFreeEventData(raw_display, &cookie);
    }
}

} // namespace

void window_events_install(Display *display, Window window)
{
    window_display = display;
    main_window = window;
    wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (const unsigned int mask = XkbKeysymToModifiers(display, XK_Num_Lock))
        num_lock_mask = mask;
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    hook_install(KeyPress, key_wire_hook);
    hook_install(KeyRelease, key_wire_hook);
    hook_install(ClientMessage, client_wire_hook);
    hook_install(FocusOut, focus_wire_hook);
    hook_install(FocusIn, focus_wire_hook);
    hook_install(KeymapNotify, keymap_wire_hook);
    key_codes = system_key_codes_find(display);
    hook_install(DestroyNotify, destroy_wire_hook);
    hook_install(MapNotify, map_wire_hook);
    if (event_queued(display, own_map, nullptr))
        window_first_map_forget();
    x_program_window_watch(window);
    // The toolkit does not ask for focus changes; without them the server
    // never tells the window that it lost the keyboard, nor which keys are
    // down when it comes back.
    XWindowAttributes a;
    if (XGetWindowAttributes(display, window, &a))
        XSelectInput(display, window, a.your_event_mask | FocusChangeMask | KeymapStateMask);
    text_input_open(display, window);
}

bool window_key_char_event(uint8_t character, bool down)
{
    const auto is_key = [&](const key_lookup &k) { return k.character == character; };
    return physical_take(down, character, 0, is_key);
}

bool window_key_special_event(int32_t special_key, bool down)
{
    const auto is_key = [&](const key_lookup &k) {
        return special_key_of(k.keysym) == special_key;
    };
    return physical_take(down, -1, special_key, is_key);
}

void window_events_poll()
{
    unreported_keys_serve();
    raw_motion_poll();
}

void window_raw_motion_start()
{
    if (raw_display)
        return;
    raw_display = XOpenDisplay(os_display_name());
    if (!raw_display)
        return;
    int event = 0, error = 0, major = 2, minor = 0;
    if (!XQueryExtension(raw_display, "XInputExtension", &xinput_opcode, &event, &error) ||
        XIQueryVersion(raw_display, &major, &minor) != Success) {
        XCloseDisplay(raw_display);
        raw_display = nullptr;
        return;
    }
    unsigned char mask_bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask_bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, int(sizeof mask_bits), mask_bits};
    XISelectEvents(raw_display, DefaultRootWindow(raw_display), &mask, 1);
    XFlush(raw_display);
}
