#include "platform/desktop_input.h"
#include "platform/os_environment.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>

namespace
{

// A connection with the XTEST extension, or null.
Display *test_display_open()
{
    Display *d = XOpenDisplay(os_display_name());
    if (!d)
        return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
        XCloseDisplay(d);
        return nullptr;
    }
    return d;
}

void test_display_close(Display *d)
{
    XSync(d, False);
    XCloseDisplay(d);
}

void key_event(Display *d, KeyCode code, bool down)
{
    XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
}

// Whether the layout reaches the symbol on its key only with Shift.
bool layout_needs_shift(Display *d, KeyCode code, KeySym keysym)
{
    return XkbKeycodeToKeysym(d, code, 0, 0) != keysym &&
           XkbKeycodeToKeysym(d, code, 0, 1) == keysym;
}

void stroke_send(Display *d, const desktop_key_stroke &s)
{
    const KeyCode code = XKeysymToKeycode(d, s.keysym);
    if (code == 0)
        return;
    const KeyCode ctrl = XKeysymToKeycode(d, XK_Control_L);
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
    const bool with_shift = s.shift || layout_needs_shift(d, code, s.keysym);
    if (s.ctrl)
        key_event(d, ctrl, true);
    if (with_shift)
        key_event(d, shift, true);
    key_event(d, code, true);
    key_event(d, code, false);
    if (with_shift)
        key_event(d, shift, false);
    if (s.ctrl)
        key_event(d, ctrl, false);
}

} // namespace

void desktop_pointer_click(int32_t x_px, int32_t y_px)
{
    Display *d = test_display_open();
    if (!d)
        return;
    const int screen = DefaultScreen(d);
    const int x = std::clamp(x_px, 0, DisplayWidth(d, screen) - 1);
    const int y = std::clamp(y_px, 0, DisplayHeight(d, screen) - 1);
    XTestFakeMotionEvent(d, screen, x, y, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    test_display_close(d);
}

void desktop_keys_type(const desktop_key_stroke *strokes, size_t count)
{
    if (count == 0)
        return;
    Display *d = test_display_open();
    if (!d)
        return;
    for (size_t i = 0; i < count; ++i)
        stroke_send(d, strokes[i]);
    test_display_close(d);
}
