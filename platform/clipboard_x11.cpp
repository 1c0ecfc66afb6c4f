// The clipboard on X11: the CLIPBOARD selection.
//
// Offering: a connection of its own with an unmapped window takes the
// selection; a detached helper thread answers SelectionRequest events from
// that connection (TARGETS, UTF8_STRING, STRING, TEXT) and notices when
// another program takes the selection over. The helper never blocks inside
// Xlib: it waits on the connection's socket and then drains what Xlib holds.
//
// Reading another program's text: a short-lived connection asks the owner to
// convert the selection to UTF8_STRING (else STRING) and waits up to a second
// for the answer.
#include "platform/clipboard.h"

#include "platform/clock.h"
#include "platform/os_environment.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <climits>
#include <mutex>
#include <poll.h>
#include <thread>

namespace
{

constexpr int64_t SELECTION_WAIT_MS = 1000;
constexpr int HELPER_POLL_MS = 100;

std::mutex clipboard_mutex;
std::string process_copy;    // guarded: the text last set
bool selection_held = false; // guarded: our window owns CLIPBOARD
Display *owner_display = nullptr;
Window owner_window = 0;

struct selection_atoms {
    Atom clipboard, targets, utf8, text, incr;
};
selection_atoms owner_atoms{};

selection_atoms atoms_of(Display *d)
{
    return {XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "TARGETS", False),
            XInternAtom(d, "UTF8_STRING", False), XInternAtom(d, "TEXT", False),
            XInternAtom(d, "INCR", False)};
}

std::string latin1_to_utf8(const std::string &text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Characters beyond Latin-1, and broken sequences, become '?'.
std::string utf8_to_latin1(const unsigned char *p, size_t n)
{
    std::string out;
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            out += char(lead);
            ++i;
            continue;
        }
        const size_t extra = (lead >> 5) == 6    ? 1
                             : (lead >> 4) == 14 ? 2
                             : (lead >> 3) == 30 ? 3
                                                 : 0;
        bool broken = extra == 0 || i + extra >= n;
        uint32_t code = lead & (0x3F >> extra);
        for (size_t k = 1; !broken && k <= extra; ++k) {
            broken = (p[i + k] & 0xC0) != 0x80;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        out += broken || code > 0xFF ? '?' : char(code);
        i += broken ? 1 : extra + 1;
    }
    return out;
}

// One SelectionRequest: the text in the form asked for, or a refusal.
void selection_request_answer(const XSelectionRequestEvent &request)
{
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    const selection_atoms &a = owner_atoms;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(clipboard_mutex);
        text = process_copy;
    }
    const size_t limit = size_t(XMaxRequestSize(owner_display)) * 4 - 1024;
    if (request.target == a.targets) {
        const Atom offered[] = {a.targets, a.utf8, XA_STRING, a.text};
        XChangeProperty(owner_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(offered), 4);
        reply.property = property;
    } else if (request.target == a.utf8 || request.target == XA_STRING ||
               request.target == a.text) {
        const bool utf8 = request.target == a.utf8;
        const std::string data = utf8 ? latin1_to_utf8(text) : text;
        if (data.size() <= limit) {
            XChangeProperty(owner_display, request.requestor, property, utf8 ? a.utf8 : XA_STRING,
                            8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
            reply.property = property;
        }
    }
    XSendEvent(owner_display, request.requestor, False, 0, reinterpret_cast<XEvent *>(&reply));
    XFlush(owner_display);
}

void owner_events_drain()
{
    while (XPending(owner_display)) {
        XEvent event;
        XNextEvent(owner_display, &event);
        if (event.type == SelectionRequest) {
            selection_request_answer(event.xselectionrequest);
        } else if (event.type == SelectionClear) {
            std::lock_guard<std::mutex> lock(clipboard_mutex);
            selection_held = false;
        }
    }
}

[[noreturn]] void owner_helper_loop()
{
    const int fd = ConnectionNumber(owner_display);
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, HELPER_POLL_MS);
        owner_events_drain();
    }
}

// The owner connection and its helper, made on first use; false when no
// display can be opened. Called with clipboard_mutex held.
bool owner_open()
{
    if (owner_display)
        return true;
    owner_display = XOpenDisplay(os_display_name());
    if (!owner_display)
        return false;
    owner_window =
        XCreateSimpleWindow(owner_display, DefaultRootWindow(owner_display), 0, 0, 1, 1, 0, 0, 0);
    owner_atoms = atoms_of(owner_display);
    XFlush(owner_display);
    std::thread(owner_helper_loop).detach();
    return true;
}

// Waits for the answer to a conversion request.
bool selection_notify_wait(Display *d, Window w, XEvent &event)
{
    const int64_t deadline = clock_now_ms() + SELECTION_WAIT_MS;
    while (!XCheckTypedWindowEvent(d, w, SelectionNotify, &event)) {
        const int64_t left = deadline - clock_now_ms();
        if (left <= 0)
            return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, int(left < 10 ? left : 10));
    }
    return true;
}

// The selection converted to one target; false when the owner refused.
bool selection_convert(Display *d, Window w, const selection_atoms &a, Atom target,
                       std::string &text)
{
    const Atom property = XInternAtom(d, "RT_CLIPBOARD", False);
    XConvertSelection(d, a.clipboard, target, property, w, CurrentTime);
    XFlush(d);
    XEvent event;
    if (!selection_notify_wait(d, w, event) || event.xselection.property == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(d, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
        return false;
    bool ok = type != a.incr && format == 8;
    if (ok)
        text = type == a.utf8 ? utf8_to_latin1(data, count)
                              : std::string(reinterpret_cast<char *>(data), count);
    if (data)
        XFree(data);
    return ok;
}

// Another program's clipboard text; "" when there is none.
std::string selection_read(Display *d)
{
    const selection_atoms a = atoms_of(d);
    if (XGetSelectionOwner(d, a.clipboard) == None)
        return "";
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    std::string text;
    if (!selection_convert(d, w, a, a.utf8, text) && !selection_convert(d, w, a, XA_STRING, text))
        text.clear();
    XDestroyWindow(d, w);
    return text;
}

} // namespace

void platform_clipboard_set(const std::string &text)
{
    std::lock_guard<std::mutex> lock(clipboard_mutex);
    process_copy = text;
    if (!owner_open()) {
        selection_held = false;
        return;
    }
    XSetSelectionOwner(owner_display, owner_atoms.clipboard, owner_window, CurrentTime);
    selection_held = XGetSelectionOwner(owner_display, owner_atoms.clipboard) == owner_window;
}

std::string platform_clipboard_get()
{
    {
        // The server knows whether another program took the selection over;
        // the helper may not have seen the news yet.
        std::lock_guard<std::mutex> lock(clipboard_mutex);
        if (selection_held &&
            XGetSelectionOwner(owner_display, owner_atoms.clipboard) == owner_window)
            return process_copy;
        selection_held = false;
    }
    Display *d = XOpenDisplay(os_display_name());
    if (!d) {
        std::lock_guard<std::mutex> lock(clipboard_mutex);
        return process_copy;
    }
    std::string text = selection_read(d);
    XCloseDisplay(d);
    return text;
}

void platform_clipboard_reset()
{
    std::lock_guard<std::mutex> lock(clipboard_mutex);
    process_copy.clear();
    if (selection_held && owner_display) {
        XSetSelectionOwner(owner_display, owner_atoms.clipboard, None, CurrentTime);
        XFlush(owner_display);
    }
    selection_held = false;
}
