// Lock indicators through the keyboard extension and held keys through the
// keymap, on a connection of this module's own. The connection is opened on
// first use and kept; a display that cannot be opened is not tried again.
#include "platform/os_environment.h"
#include "platform/system_keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <mutex>

namespace
{

std::mutex connection_mutex;
Display *connection = nullptr;
bool connection_tried = false;

// The connection, or null when there is no display. Called with the mutex held.
Display *connection_get()
{
    if (!connection_tried) {
        connection_tried = true;
        connection = XOpenDisplay(os_display_name());
    }
    return connection;
}

bool indicator_on(Display *dpy, const char *name)
{
    Atom atom = XInternAtom(dpy, name, True);
    if (atom == None)
        return false;
    Bool state = False;
    if (!XkbGetNamedIndicator(dpy, atom, nullptr, &state, nullptr, nullptr))
        return false;
    return state;
}

system_lock_states locks_read(Display *dpy)
{
    system_lock_states s;
    s.caps_lock_on = indicator_on(dpy, "Caps Lock");
    s.num_lock_on = indicator_on(dpy, "Num Lock");
    s.scroll_lock_on = indicator_on(dpy, "Scroll Lock");
    return s;
}

} // namespace

system_key_codes system_key_codes_find(Display *display)
{
    const auto code = [&](KeySym sym) { return XKeysymToKeycode(display, sym); };
    return {code(XK_Scroll_Lock), code(XK_Shift_L), code(XK_Shift_R), code(XK_Control_L),
            code(XK_Control_R),   code(XK_Alt_L),   code(XK_Alt_R)};
}

bool system_key_down(const char keys[32], unsigned char code)
{
    return code != 0 && (keys[code / 8] >> (code % 8) & 1);
}

system_key_state system_keys_held(const system_key_codes &codes, const char keys[32])
{
    system_key_state s;
    s.scroll_lock_down = system_key_down(keys, codes.scroll_lock);
    s.shift_left_down = system_key_down(keys, codes.shift_left);
    s.shift_right_down = system_key_down(keys, codes.shift_right);
    s.ctrl_left_down = system_key_down(keys, codes.ctrl_left);
    s.ctrl_right_down = system_key_down(keys, codes.ctrl_right);
    s.alt_left_down = system_key_down(keys, codes.alt_left);
    s.alt_right_down = system_key_down(keys, codes.alt_right);
    return s;
}

system_lock_states system_lock_states_read()
{
    std::lock_guard<std::mutex> lock(connection_mutex);
    Display *dpy = connection_get();
    return dpy ? locks_read(dpy) : system_lock_states{};
}

system_key_state system_key_state_read()
{
    std::lock_guard<std::mutex> lock(connection_mutex);
    Display *dpy = connection_get();
    if (!dpy)
        return {};
    char keys[32] = {};
    XQueryKeymap(dpy, keys);
    system_key_state s = system_keys_held(system_key_codes_find(dpy), keys);
    s.locks = locks_read(dpy);
    return s;
}
