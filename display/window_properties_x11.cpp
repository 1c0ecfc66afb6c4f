// The window's standard properties for window managers: its fixed size and
// its class from before it is first mapped, its title and icon name.
#include "display/window_x11_internal.h"

#include "display/window_hooks.h"
#include "platform/latin1.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <dlfcn.h>

#include <string>

namespace
{

// What the window's standard properties take while the toolkit makes it.
struct properties_at_creation {
    bool active = false;
    int32_t width = 0, height = 0;
    window_class names;
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
    creating = {true, width, height, names};
}

void window_creation_end()
{
    creating.active = false;
}

void window_names_set(Display *display, Window window, const char *title)
{
    const std::string text = latin1_to_utf8(title);
    text_property_set(display, window, "_NET_WM_NAME", "UTF8_STRING", text);
    text_property_set(display, window, "_NET_WM_ICON_NAME", "UTF8_STRING", text);
}
