// A small X client for the end-to-end tests, independent of the runtime:
//
//   x_probe close WINDOW      sends WM_DELETE_WINDOW to the window (as the
//                             close button does)
//   x_probe maximise WINDOW   asks the window manager to maximise the window
//                             (as the maximise button does)
//   x_probe drop-map SECONDS [COUNT]
//                             takes the screen's map requests as a window
//                             manager does, says "ready", drops the first
//                             that comes within SECONDS (as a window manager
//                             starting up throws its queue away) and says the
//                             window's id; drops that window's requests until
//                             COUNT (1 unset) are dropped, mapping other
//                             windows, and ends, handing the requests back
//
// The clipboard's peer is tests/programs/clipboard_peer.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
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

int map_drop(Display *d, double seconds, long count)
{
    Window dropped = 0;
    XSelectInput(d, DefaultRootWindow(d), SubstructureRedirectMask);
    XSync(d, False);
    std::printf("ready\n");
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapRequest) {
                const Window w = e.xmaprequest.window;
                if (dropped == 0) {
                    dropped = w;
                    std::printf("0x%lx\n", w);
                    std::fflush(stdout);
                }
                if (w != dropped)
                    XMapWindow(d, w);
                else if (--count <= 0)
                    return 0;
            }
            if (e.type == ConfigureRequest) {
                const XConfigureRequestEvent &c = e.xconfigurerequest;
                XWindowChanges changes{c.x, c.y, c.width, c.height, c.border_width, c.above, c.detail};
                XConfigureWindow(d, c.window, unsigned(c.value_mask), &changes);
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return 1;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, int(left.count()));
    }
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
    if (command == "drop-map" && (argc == 3 || argc == 4))
        return map_drop(d, std::strtod(argv[2], nullptr), argc == 4 ? std::atol(argv[3]) : 1);
    std::fprintf(stderr,
                 "usage: x_probe close|maximise WINDOW, x_probe drop-map SECONDS [COUNT]\n");
    return 2;
}
