// The window's standard properties for window managers: its fixed size and
// its class from before it is first mapped, its title and icon name; and the
// toolkit's wait for that first map.
#include "display/window_x11_internal.h"

#include "display/window_hooks.h"
#include "platform/clock.h"
#include "platform/latin1.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <string>

namespace
{

// What the window's standard properties take while the toolkit makes it.
struct properties_at_creation {
    bool active = false;
    int32_t width = 0, height = 0;
    window_class names;
    Window window = 0; // once the toolkit has written its properties
};
properties_at_creation creating;

using set_wm_properties_proc = void (*)(Display *, Window, XTextProperty *, XTextProperty *,
                                        char **, int, XSizeHints *, XWMHints *, XClassHint *);

void text_property_set(Display *display, Window window, const char *property, const char *type,
                       const std::string &text)
{
    XChangeProperty(display, window, XInternAtom(display, property, False),
                    XInternAtom(display, type, False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(text.data()), int(text.size()));
}

// The toolkit's wait for the first map: how often the map is asked for again,
// and when the wait ends all the same.
constexpr int64_t MAP_ASK_AGAIN_MS = 500;
constexpr int64_t MAP_WAIT_LIMIT_MS = 5000;

using peek_if_proc = int (*)(Display *, XEvent *, event_predicate, XPointer);

// The toolkit's test, applied to each queued event by XCheckIfEvent, which
// then takes none of them.
struct event_probe {
    event_predicate predicate;
    XPointer arg;
    bool found;
};

Bool probe_look(Display *display, XEvent *event, XPointer probe_pointer)
{
    auto *probe = reinterpret_cast<event_probe *>(probe_pointer);
    if (probe->predicate(display, event, probe->arg))
        probe->found = true;
    return False;
}

// The window whose wait for its first map ended without it, until it is
// mapped (the map event's hook forgets it) or the program shows or hides it
// itself; when the map was last asked for.
Window map_still_asked = 0;
int64_t map_asked_ms = 0;

} // namespace

// The toolkit writes a new window's standard properties just before it maps
// the window, with a plain size and no class, and offers no way in between.
// A window manager reads them at the map, when a tiling one decides whether
// the window floats (a window whose smallest and largest sizes are one size
// does) and matches its users' rules by class: hints written after the map
// come too late. This definition takes the toolkit's call in place of
// Xlib's, adds the fixed size and the class while window_creation_begin's
// window is being made, and hands the call on to Xlib.
extern "C" void XSetWMProperties(Display *display, Window window, XTextProperty *window_name,
                                 XTextProperty *icon_name, char **argv, int argc,
                                 XSizeHints *normal_hints, XWMHints *wm_hints,
                                 XClassHint *class_hints)
{
    static const auto xlib =
        reinterpret_cast<set_wm_properties_proc>(dlsym(RTLD_NEXT, "XSetWMProperties"));
    if (!xlib)
        return;
    XSizeHints size{};
    XClassHint names{};
    if (creating.active) {
        creating.window = window;
        if (normal_hints)
            size = *normal_hints;
        if (!window_resizable_flag()) {
            size.flags |= PMinSize | PMaxSize;
            size.min_width = size.max_width = creating.width;
            size.min_height = size.max_height = creating.height;
        }
        normal_hints = &size;
        if (!class_hints) {
            names.res_name = creating.names.instance.data();
            names.res_class = creating.names.class_name.data();
            class_hints = &names;
        }
    }
    xlib(display, window, window_name, icon_name, argv, argc, normal_hints, wm_hints, class_hints);
}

window_class window_class_of(const char *program_path)
{
    std::string name = program_path ? program_path : "";
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.empty())
        name = "program";
    std::string class_name = name;
    if (class_name[0] >= 'a' && class_name[0] <= 'z')
        class_name[0] = char(class_name[0] - 'a' + 'A');
    return {name, class_name};
}

void window_creation_begin(int32_t width, int32_t height, const window_class &names)
{
    creating = {true, width, height, names, 0};
}

void window_creation_end()
{
    creating.active = false;
}

bool event_queued(Display *display, event_predicate predicate, XPointer arg)
{
    event_probe probe{predicate, arg, false};
    XEvent unused;
    XCheckIfEvent(display, &unused, probe_look, reinterpret_cast<XPointer>(&probe));
    return probe.found;
}

Window window_creation_window()
{
    return creating.active ? creating.window : 0;
}

void window_names_set(Display *display, Window window, const char *title)
{
    const std::string text = latin1_to_utf8(title);
    text_property_set(display, window, "_NET_WM_NAME", "UTF8_STRING", text);
    text_property_set(display, window, "_NET_WM_ICON_NAME", "UTF8_STRING", text);
}

// The toolkit maps its new window and waits, with no limit, for the map
// event. A window manager that starts meanwhile can take the map request and
// drop it (its start-up throws away what was queued before it was ready);
// the window then stays unmapped and the wait never ends. This definition
// takes the toolkit's wait in place of Xlib's while the window is being
// made: the map is asked for again every half second until it is seen, and
// after five seconds the wait ends as if it had been, so that the program
// goes on; the loop then goes on asking (window_first_map_poll) until the
// window is first mapped.
extern "C" int XPeekIfEvent(Display *display, XEvent *event, event_predicate predicate,
                            XPointer arg)
{
    static const auto xlib = reinterpret_cast<peek_if_proc>(dlsym(RTLD_NEXT, "XPeekIfEvent"));
    if (!xlib)
        return 0;
    const Window window = window_creation_window();
    if (window == 0)
        return xlib(display, event, predicate, arg);
    const int64_t start = clock_now_ms();
    int64_t asked = start;
    for (;;) {
        if (event_queued(display, predicate, arg))
            return xlib(display, event, predicate, arg);
        const int64_t now = clock_now_ms();
        if (now - start >= MAP_WAIT_LIMIT_MS) {
            // The toolkit only waits for the event; it reads nothing from it.
            *event = XEvent{};
            event->xmap.type = MapNotify;
            event->xmap.display = display;
            event->xmap.event = window;
            event->xmap.window = window;
            map_still_asked = window;
            map_asked_ms = now;
            return 1;
        }
        if (now - asked >= MAP_ASK_AGAIN_MS) {
            XMapWindow(display, window);
            XFlush(display);
            asked = now;
        }
        const int64_t wake = std::min(asked + MAP_ASK_AGAIN_MS, start + MAP_WAIT_LIMIT_MS);
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, int(std::max<int64_t>(wake - now, 1)));
    }
}

// The round trip reads the events that came before its reply: a map among
// them has made the map event's hook forget the window, which may since have
// been minimised; only a window never mapped is asked for again.
void window_first_map_poll(Display *display)
{
    const Window window = map_still_asked;
    if (window == 0)
        return;
    const int64_t now = clock_now_ms();
    if (now - map_asked_ms < MAP_ASK_AGAIN_MS)
        return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsUnmapped ||
        map_still_asked != window) {
        map_still_asked = 0;
        return;
    }
    XMapWindow(display, window);
    map_asked_ms = now;
}

void window_first_map_forget()
{
    map_still_asked = 0;
}
