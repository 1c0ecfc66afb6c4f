// A small X client for the end-to-end tests, independent of the runtime:
//
//   x_probe close WINDOW      sends WM_DELETE_WINDOW to the window (as the
//                             close button does)
//   x_probe maximise WINDOW   asks the window manager to maximise the window
//                             (as the maximise button does)
//
// The clipboard's peer is tests/programs/clipboard_peer.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace
{

// Sends a 32-bit client message about window w to `target`.
int message_send(Display *d, Window w, Window target, const char *type, long mask,
                 std::initializer_list<long> data)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, type, False);
    e.xclient.format = 32;
    int i = 0;
    for (long value : data)
        e.xclient.data.l[i++] = value;
    XSendEvent(d, target, False, mask, &e);
    XSync(d, False);
    return 0;
}

long atom(Display *d, const char *name)
{
    return long(XInternAtom(d, name, False));
}

int close_send(Display *d, Window w)
{
    return message_send(d, w, w, "WM_PROTOCOLS", NoEventMask,
                        {atom(d, "WM_DELETE_WINDOW"), CurrentTime});
}

// Adds both maximised states, asked by the user (source 2).
int maximise_send(Display *d, Window w)
{
    return message_send(d, w, DefaultRootWindow(d), "_NET_WM_STATE",
                        SubstructureRedirectMask | SubstructureNotifyMask,
                        {1, atom(d, "_NET_WM_STATE_MAXIMIZED_VERT"),
                         atom(d, "_NET_WM_STATE_MAXIMIZED_HORZ"), 2});
}

} // namespace

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "x_probe: no display\n");
        return 2;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "close" && argc == 3)
        return close_send(d, Window(std::strtoul(argv[2], nullptr, 0)));
    if (command == "maximise" && argc == 3)
        return maximise_send(d, Window(std::strtoul(argv[2], nullptr, 0)));
    std::fprintf(stderr, "usage: x_probe close|maximise WINDOW\n");
    return 2;
}
