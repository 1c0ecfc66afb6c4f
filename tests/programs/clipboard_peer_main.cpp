// Another X client on the clipboard, for the clipboard tests:
//
//   clipboard_peer read TARGET FILE     converts CLIPBOARD to TARGET (STRING or
//                                       UTF8_STRING), taking an incremental
//                                       answer chunk by chunk, and writes the
//                                       bytes to FILE; exit code 1 when none
//   clipboard_peer read-stall TARGET    starts an incremental read, then stops
//                                       asking for chunks
//   clipboard_peer read-vanish TARGET   starts an incremental read and exits
//   clipboard_peer serve TYPE FILE MODE takes CLIPBOARD, prints "owned" and
//                                       answers requests for TYPE with FILE's
//                                       bytes: MODE whole (one piece), incr
//                                       (chunks of an odd size, so UTF-8
//                                       sequences straddle them) or stall
//                                       (announces chunks, never sends one)
//
// Every mode ends after LIFETIME_MS at the latest.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <string>
#include <thread>

namespace
{

using steady = std::chrono::steady_clock;
constexpr auto LIFETIME_MS = std::chrono::milliseconds(30000);
constexpr int WAIT_MS = 3000;
constexpr size_t CHUNK_BYTES = 32767;

// Waits up to WAIT_MS for an event of the type on the window.
bool event_wait(Display *d, Window w, int type, XEvent &e)
{
    const auto deadline = steady::now() + std::chrono::milliseconds(WAIT_MS);
    while (!XCheckTypedWindowEvent(d, w, type, &e)) {
        if (steady::now() >= deadline)
            return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 10);
    }
    return true;
}

// Reads and deletes the property; its type, and its bytes appended.
Atom property_take(Display *d, Window w, Atom property, std::string &bytes)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(d, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    if (data) {
        bytes.append(reinterpret_cast<const char *>(data), count * size_t(format / 8));
        XFree(data);
    }
    return type;
}

int read_selection(Display *d, const std::string &target, const std::string &mode, const char *file)
{
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    const Atom property = XInternAtom(d, "PEER_CLIP", False);
    XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, target.c_str(), False),
                      property, w, CurrentTime);
    XFlush(d);
    XEvent e;
    if (!event_wait(d, w, SelectionNotify, e) || e.xselection.property == None)
        return 1;
    std::string bytes;
    if (property_take(d, w, property, bytes) == XInternAtom(d, "INCR", False)) {
        XFlush(d);
        if (mode == "read-vanish")
            return 0;
        if (mode == "read-stall")
            std::this_thread::sleep_for(LIFETIME_MS);
        bytes.clear();
        for (;;) {
            if (!event_wait(d, w, PropertyNotify, e))
                return 1;
            if (e.xproperty.state != PropertyNewValue)
                continue;
            const size_t before = bytes.size();
            if (property_take(d, w, property, bytes) != None && bytes.size() == before)
                break;
        }
    }
    std::ofstream(file, std::ios::binary) << bytes;
    return 0;
}

// Serving: one incremental transfer at a time is enough for the tests.
struct server {
    Display *d;
    Atom type, incr;
    std::string bytes, mode;
    Window requestor = None;
    Atom property = None;
    size_t sent = 0;

    void request_answer(const XSelectionRequestEvent &r)
    {
        XSelectionEvent reply{SelectionNotify, 0,        True, d,     r.requestor,
                              r.selection,     r.target, None, r.time};
        if (r.target == type && mode == "whole") {
            XChangeProperty(d, r.requestor, r.property, type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(bytes.data()),
                            int(bytes.size()));
            reply.property = r.property;
        } else if (r.target == type) {
            XSelectInput(d, r.requestor, PropertyChangeMask);
            const long size = long(bytes.size());
            XChangeProperty(d, r.requestor, r.property, incr, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(&size), 1);
            requestor = r.requestor;
            property = reply.property = r.property;
            sent = 0;
        }
        XSendEvent(d, r.requestor, False, 0, reinterpret_cast<XEvent *>(&reply));
    }
    void chunk_send(const XPropertyEvent &p)
    {
        if (mode == "stall" || p.state != PropertyDelete || p.window != requestor ||
            p.atom != property)
            return;
        const size_t n = std::min(CHUNK_BYTES, bytes.size() - sent);
        XChangeProperty(d, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(bytes.data() + sent), int(n));
        sent += n;
        if (n == 0)
            requestor = None;
    }
};

int serve(Display *d, const char *type, const char *file, const char *mode)
{
    std::ifstream in(file, std::ios::binary);
    server s{d, XInternAtom(d, type, False), XInternAtom(d, "INCR", False),
             std::string(std::istreambuf_iterator<char>(in), {}), mode};
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    XSetSelectionOwner(d, clipboard, w, CurrentTime);
    if (XGetSelectionOwner(d, clipboard) != w)
        return 1;
    std::printf("owned\n");
    std::fflush(stdout);
    const auto deadline = steady::now() + LIFETIME_MS;
    while (steady::now() < deadline) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == SelectionRequest)
                s.request_answer(e.xselectionrequest);
            else if (e.type == PropertyNotify)
                s.chunk_send(e.xproperty);
            else if (e.type == SelectionClear)
                return 0;
        }
        XFlush(d);
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 20);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return 2;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "read" && argc == 4)
        return read_selection(d, argv[2], mode, argv[3]);
    if ((mode == "read-stall" || mode == "read-vanish") && argc == 3)
        return read_selection(d, argv[2], mode, nullptr);
    if (mode == "serve" && argc == 5)
        return serve(d, argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: clipboard_peer read|read-stall|read-vanish|serve ...\n");
    return 2;
}
