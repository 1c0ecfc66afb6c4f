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
//   x_probe unfullscreen WINDOW SECONDS
//                             watches the window's states, says "ready",
//                             and the moment the window manager puts the
//                             full-screen state on it asks the manager to
//                             take it off again (as a key pressed early, a
//                             pager or a window rule would), once; fails
//                             when the state does not come within SECONDS
//   x_probe stop-after-off WINDOW PID SECONDS PAUSE
//                             watches the window's states, says "ready",
//                             and the moment the full-screen state, once
//                             put on, is taken off again stops process PID
//                             (SIGSTOP) for PAUSE seconds (as a window
//                             manager stalling right after an answer); says
//                             "stopped" then, "no stop" when the state did
//                             not come and go within SECONDS
//
// The clipboard's peer is tests/programs/clipboard_peer.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

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
    return message_send(
        d, w, DefaultRootWindow(d), "_NET_WM_STATE",
        SubstructureRedirectMask | SubstructureNotifyMask,
        {1, atom(d, "_NET_WM_STATE_MAXIMIZED_VERT"), atom(d, "_NET_WM_STATE_MAXIMIZED_HORZ"), 2});
}

// Selects `mask` on window `w`, says "ready" and hands each event that comes
// to `handle` until it gives an exit code (-1: go on); 1 when SECONDS pass
// first.
template <typename Handler>
int events_serve(Display *d, Window w, long mask, double seconds, Handler handle)
{
    XSelectInput(d, w, mask);
    XSync(d, False);
    std::printf("ready\n");
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (const int code = handle(e); code >= 0)
                return code;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return 1;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, int(left.count()));
    }
}

int map_drop(Display *d, double seconds, long count)
{
    Window dropped = 0;
    const auto handle = [&](const XEvent &e) {
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
        return -1;
    };
    return events_serve(d, DefaultRootWindow(d), SubstructureRedirectMask, seconds, handle);
}

bool full_screen_state_has(Display *d, Window w)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    bool has = false;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), 0, 1024, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const auto *items = reinterpret_cast<const long *>(data);
        for (unsigned long i = 0; i < count; ++i)
            has = has || items[i] == atom(d, "_NET_WM_STATE_FULLSCREEN");
    }
    if (data)
        XFree(data);
    return has;
}

// Takes the full-screen state off, asked by the user (source 2).
int full_screen_take_off(Display *d, Window w, double seconds)
{
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    return events_serve(d, w, PropertyChangeMask, seconds, [&](const XEvent &e) {
        if (e.type != PropertyNotify || e.xproperty.atom != state || !full_screen_state_has(d, w))
            return -1;
        return message_send(d, w, DefaultRootWindow(d), "_NET_WM_STATE",
                            SubstructureRedirectMask | SubstructureNotifyMask,
                            {0, atom(d, "_NET_WM_STATE_FULLSCREEN"), 0, 2});
    });
}

// Stops `pid` for `pause` seconds once the window's full-screen state has
// come and gone; 0 either way, with what happened on standard output.
int stop_after_off(Display *d, Window w, pid_t pid, double seconds, double pause)
{
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    // Two changes that read off: the state came and went before the first
    // was read.
    bool was_on = false;
    int changes = 0;
    const int code = events_serve(d, w, PropertyChangeMask, seconds, [&](const XEvent &e) {
        if (e.type != PropertyNotify || e.xproperty.atom != state)
            return -1;
        const bool on = full_screen_state_has(d, w);
        was_on = was_on || on || ++changes >= 2;
        if (!was_on || on)
            return -1;
        kill(pid, SIGSTOP);
        usleep(useconds_t(pause * 1e6));
        kill(pid, SIGCONT);
        return 0;
    });
    std::printf(code == 0 ? "stopped\n" : "no stop\n");
    return 0;
}

// The command's exit code; 2 for a call it does not know.
int command_run(Display *d, int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "close" && argc == 3)
        return close_send(d, Window(std::strtoul(argv[2], nullptr, 0)));
    if (command == "maximise" && argc == 3)
        return maximise_send(d, Window(std::strtoul(argv[2], nullptr, 0)));
    if (command == "drop-map" && (argc == 3 || argc == 4))
        return map_drop(d, std::strtod(argv[2], nullptr), argc == 4 ? std::atol(argv[3]) : 1);
    if (command == "unfullscreen" && argc == 4)
        return full_screen_take_off(d, Window(std::strtoul(argv[2], nullptr, 0)),
                                    std::strtod(argv[3], nullptr));
    if (command == "stop-after-off" && argc == 6)
        return stop_after_off(d, Window(std::strtoul(argv[2], nullptr, 0)),
                              pid_t(std::atol(argv[3])), std::strtod(argv[4], nullptr),
                              std::strtod(argv[5], nullptr));
    std::fprintf(stderr, "usage: x_probe close|maximise WINDOW, x_probe drop-map SECONDS [COUNT], "
                         "x_probe unfullscreen WINDOW SECONDS, "
                         "x_probe stop-after-off WINDOW PID SECONDS PAUSE\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "x_probe: no display\n");
        return 2;
    }
    const int code = command_run(d, argc, argv);
    XCloseDisplay(d);
    return code;
}
