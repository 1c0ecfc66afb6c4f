// A small X client for the end-to-end tests, independent of the runtime:
//
//   x_probe close WINDOW      sends WM_DELETE_WINDOW to the window (as the
//                             close button does)
//   x_probe clip-get          prints the CLIPBOARD text (UTF8_STRING)
//   x_probe clip-set TEXT     takes CLIPBOARD, prints "owned" and answers
//                             requests for TEXT until another client takes
//                             the selection or ten seconds have passed
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>

namespace
{

using steady = std::chrono::steady_clock;

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

// Waits up to `ms` for an event of the type for the window.
bool event_wait(Display *d, Window w, int type, XEvent &e, int ms)
{
    const auto deadline = steady::now() + std::chrono::milliseconds(ms);
    while (!XCheckTypedWindowEvent(d, w, type, &e)) {
        if (steady::now() >= deadline)
            return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 10);
    }
    return true;
}

int clip_get(Display *d)
{
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom property = XInternAtom(d, "X_PROBE", False);
    XConvertSelection(d, clipboard, utf8, property, w, CurrentTime);
    XFlush(d);
    XEvent e;
    if (!event_wait(d, w, SelectionNotify, e, 3000) || e.xselection.property == None) {
        std::fprintf(stderr, "x_probe: no clipboard text\n");
        return 1;
    }
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    XGetWindowProperty(d, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    std::printf("%.*s\n", int(count), data ? reinterpret_cast<char *>(data) : "");
    if (data)
        XFree(data);
    return 0;
}

void request_answer(Display *d, const XSelectionRequestEvent &r, const std::string &text)
{
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom targets = XInternAtom(d, "TARGETS", False);
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    reply.property = r.property;
    if (r.target == targets) {
        const Atom offered[] = {targets, utf8, XA_STRING};
        XChangeProperty(d, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(offered), 3);
    } else if (r.target == utf8 || r.target == XA_STRING) {
        XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(text.data()), int(text.size()));
    } else {
        reply.property = None;
    }
    XSendEvent(d, r.requestor, False, 0, reinterpret_cast<XEvent *>(&reply));
    XFlush(d);
}

int clip_set(Display *d, const std::string &text)
{
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    XSetSelectionOwner(d, clipboard, w, CurrentTime);
    if (XGetSelectionOwner(d, clipboard) != w) {
        std::fprintf(stderr, "x_probe: could not take the clipboard\n");
        return 1;
    }
    std::printf("owned\n");
    std::fflush(stdout);
    const auto deadline = steady::now() + std::chrono::seconds(10);
    while (steady::now() < deadline) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == SelectionRequest)
                request_answer(d, e.xselectionrequest, text);
            else if (e.type == SelectionClear)
                return 0;
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 20);
    }
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
    if (command == "clip-get" && argc == 2)
        return clip_get(d);
    if (command == "clip-set" && argc == 3)
        return clip_set(d, argv[2]);
    std::fprintf(stderr, "usage: x_probe close WINDOW | clip-get | clip-set TEXT\n");
    return 2;
}
