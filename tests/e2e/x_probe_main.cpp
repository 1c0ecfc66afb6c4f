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
#include <string>

namespace
{

int close_send(Display *d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    return 0;
}

int maximise_send(Display *d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1; // add
    e.xclient.data.l[1] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    e.xclient.data.l[3] = 2; // asked by the user
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XSync(d, False);
    return 0;
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
