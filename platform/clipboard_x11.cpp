// The clipboard on X11: the CLIPBOARD selection.
//
// Offering: a connection of its own with an unmapped window takes the
// selection; a detached helper thread answers SelectionRequest events from
// that connection (TARGETS, UTF8_STRING, STRING, TEXT) and notices when
// another program takes the selection over. The helper never blocks inside
// Xlib: it waits on the connection's socket and then drains what Xlib holds.
// A text too large for one request goes out incrementally (INCR): the helper
// writes the next chunk each time the requestor deletes the property, to any
// number of requestors at once, and drops a transfer whose requestor stops
// asking. Errors on this connection (a requestor window that vanished) are
// ignored, never fatal.
//
// Reading another program's text: a short-lived connection asks the owner to
// convert the selection to UTF8_STRING (else STRING) and waits up to a second
// for the answer; an incremental answer is taken chunk by chunk, each within
// a time limit, and gives "" when the owner stops sending.
#include "platform/clipboard.h"

#include "platform/clipboard_text.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <poll.h>
#include <thread>
#include <vector>

namespace
{

constexpr int64_t SELECTION_WAIT_MS = 1000;
// Reading: the longest wait for each chunk of an incremental answer.
constexpr int64_t INCR_CHUNK_WAIT_MS = 2000;
// Offering: how long a requestor may take to delete the property (asking
// for the next chunk) before its transfer is dropped.
constexpr int64_t INCR_REQUESTOR_WAIT_MS = 5000;
constexpr size_t INCR_CHUNK_BYTES = 65536;
// Reading: the most bytes taken from another program, the longest string.
constexpr size_t SELECTION_READ_LIMIT = INT32_MAX;
constexpr int HELPER_POLL_MS = 100;

std::mutex clipboard_mutex;
// Guarded: the text last set. Never destroyed, since the detached helper may
// still read it while the process ends.
std::string &process_copy = *new std::string;
bool selection_held = false; // guarded: our window owns CLIPBOARD
Display *owner_display = nullptr;
Window owner_window = 0;
// The largest text answered in one piece; set before the helper starts.
size_t one_piece_bytes = 0;
// The owner connection for the error handler, which any thread may run.
std::atomic<Display *> quiet_display{nullptr};
std::atomic<XErrorHandler> previous_error_handler{nullptr};

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

// Errors on the owner connection come from requestors that went away while
// we answered them: ignored. Other connections keep the handler they had.
int error_handler(Display *d, XErrorEvent *error)
{
    if (d == quiet_display.load())
        return 0;
    const XErrorHandler previous = previous_error_handler.load();
    return previous ? previous(d, error) : 0;
}

// The incremental answers under way, one per requestor window and property.
// The helper thread's own: it lives in the helper's loop.
class outgoing_transfers
{
  public:
    // Answers with INCR and the size, then waits for the requestor to
    // delete the property. A repeated request for the same property starts
    // over.
    void start(Window requestor, Atom property, Atom type, std::string data)
    {
        std::erase_if(list_, [&](const transfer &t) {
            return t.requestor == requestor && t.property == property;
        });
        XSelectInput(owner_display, requestor, PropertyChangeMask);
        const long size = long(data.size());
        XChangeProperty(owner_display, requestor, property, owner_atoms.incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&size), 1);
        list_.push_back({requestor, property, type, std::move(data), 0,
                         clock_now_ms() + INCR_REQUESTOR_WAIT_MS});
    }

    // The requestor deleted a property: the next chunk of its transfer, if
    // it has one; the zero-length chunk after the last ends the transfer.
    void property_changed(const XPropertyEvent &event)
    {
        if (event.state != PropertyDelete)
            return;
        auto it = std::find_if(list_.begin(), list_.end(), [&](const transfer &t) {
            return t.requestor == event.window && t.property == event.atom;
        });
        if (it == list_.end())
            return;
        const size_t chunk =
            std::min({INCR_CHUNK_BYTES, one_piece_bytes, it->data.size() - it->sent});
        XChangeProperty(owner_display, it->requestor, it->property, it->type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(it->data.data() + it->sent),
                        int(chunk));
        it->sent += chunk;
        it->deadline_ms = clock_now_ms() + INCR_REQUESTOR_WAIT_MS;
        if (chunk == 0) {
            const Window requestor = it->requestor;
            list_.erase(it);
            release(requestor);
        }
    }

    // Drops the transfers whose requestors stopped asking.
    void expire()
    {
        const int64_t now = clock_now_ms();
        std::vector<Window> released;
        std::erase_if(list_, [&](const transfer &t) {
            if (now < t.deadline_ms)
                return false;
            released.push_back(t.requestor);
            return true;
        });
        for (Window w : released)
            release(w);
    }

  private:
    struct transfer {
        Window requestor;
        Atom property, type;
        std::string data;
        size_t sent;
        int64_t deadline_ms;
    };

    // Stops listening to a requestor window that no transfer uses any more.
    void release(Window requestor)
    {
        if (std::none_of(list_.begin(), list_.end(),
                         [&](const transfer &t) { return t.requestor == requestor; }))
            XSelectInput(owner_display, requestor, NoEventMask);
    }

    std::vector<transfer> list_;
};

// One SelectionRequest: the text in the form asked for (in one piece or
// incrementally), or a refusal.
void selection_request_answer(const XSelectionRequestEvent &request, outgoing_transfers &transfers)
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
    if (request.target == a.targets) {
        const Atom offered[] = {a.targets, a.utf8, XA_STRING, a.text};
        XChangeProperty(owner_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(offered), 4);
        reply.property = property;
    } else if (request.target == a.utf8 || request.target == XA_STRING ||
               request.target == a.text) {
        const Atom type = request.target == a.utf8 ? a.utf8 : XA_STRING;
        std::string data = type == a.utf8 ? latin1_to_utf8(text) : std::move(text);
        if (data.size() <= one_piece_bytes)
            XChangeProperty(owner_display, request.requestor, property, type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
        else
            transfers.start(request.requestor, property, type, std::move(data));
        reply.property = property;
    }
    XSendEvent(owner_display, request.requestor, False, 0, reinterpret_cast<XEvent *>(&reply));
    XFlush(owner_display);
}

void owner_events_drain(outgoing_transfers &transfers)
{
    while (XPending(owner_display)) {
        XEvent event;
        XNextEvent(owner_display, &event);
        if (event.type == SelectionRequest) {
            selection_request_answer(event.xselectionrequest, transfers);
        } else if (event.type == PropertyNotify) {
            transfers.property_changed(event.xproperty);
        } else if (event.type == SelectionClear) {
            std::lock_guard<std::mutex> lock(clipboard_mutex);
            selection_held = false;
        }
    }
    XFlush(owner_display);
}

[[noreturn]] void owner_helper_loop()
{
    const int fd = ConnectionNumber(owner_display);
    outgoing_transfers transfers;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, HELPER_POLL_MS);
        owner_events_drain(transfers);
        transfers.expire();
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
    quiet_display.store(owner_display);
    previous_error_handler.store(XSetErrorHandler(error_handler));
    owner_window =
        XCreateSimpleWindow(owner_display, DefaultRootWindow(owner_display), 0, 0, 1, 1, 0, 0, 0);
    owner_atoms = atoms_of(owner_display);
    // Pieces stay within the basic request size, BIG-REQUESTS or not: that
    // is the size other clients expect to receive in one piece.
    one_piece_bytes = size_t(XMaxRequestSize(owner_display)) * 4 - 1024;
    XFlush(owner_display);
    std::thread(owner_helper_loop).detach();
    return true;
}

// Waits up to `wait_ms` for an event of the type on the window that `wanted`
// accepts; others of that type are dropped.
template <typename Wanted>
bool window_event_wait(Display *d, Window w, int type, int64_t wait_ms, XEvent &event,
                       Wanted wanted)
{
    const int64_t deadline = clock_now_ms() + wait_ms;
    for (;;) {
        while (XCheckTypedWindowEvent(d, w, type, &event))
            if (wanted(event))
                return true;
        const int64_t left = deadline - clock_now_ms();
        if (left <= 0)
            return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, int(left < 10 ? left : 10));
    }
}

// A property of our window read and deleted, with its type; false when it
// holds no 8-bit data (type None: not there; INCR: an incremental answer,
// whose deletion asks for the first chunk).
bool property_take(Display *d, Window w, Atom property, Atom &type, std::string &bytes)
{
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    type = None;
    if (XGetWindowProperty(d, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
        return false;
    const bool ok = type != None && format == 8;
    if (ok)
        bytes.assign(reinterpret_cast<const char *>(data), count);
    if (data)
        XFree(data);
    return ok;
}

// The chunks of an incremental answer, each announced by the property's
// new value, until a zero-length one. Deleting the INCR property, done by
// the caller, asked for the first. A notice whose chunk was already taken
// finds no property and is passed over.
bool incremental_receive(Display *d, Window w, Atom property, Atom &type, std::string &bytes)
{
    bytes.clear();
    XEvent event;
    const auto new_value = [&](const XEvent &e) {
        return e.xproperty.atom == property && e.xproperty.state == PropertyNewValue;
    };
    while (window_event_wait(d, w, PropertyNotify, INCR_CHUNK_WAIT_MS, event, new_value)) {
        std::string chunk;
        Atom chunk_type = None;
        if (!property_take(d, w, property, chunk_type, chunk)) {
            if (chunk_type == None)
                continue;
            return false;
        }
        if (chunk.empty())
            return true;
        type = chunk_type;
        if (!selection_chunk_append(bytes, chunk, SELECTION_READ_LIMIT))
            return false;
    }
    return false;
}

enum class convert_result { text, refused, failed };

// The selection converted to one target. An owner that stops in the middle
// of an incremental answer fails the read.
convert_result selection_convert(Display *d, Window w, const selection_atoms &a, Atom target,
                                 std::string &text)
{
    const Atom property = XInternAtom(d, "RT_CLIPBOARD", False);
    XConvertSelection(d, a.clipboard, target, property, w, CurrentTime);
    XFlush(d);
    XEvent event;
    const auto any = [](const XEvent &) { return true; };
    if (!window_event_wait(d, w, SelectionNotify, SELECTION_WAIT_MS, event, any) ||
        event.xselection.property == None)
        return convert_result::refused;
    Atom type = None;
    std::string bytes;
    const bool whole = property_take(d, w, property, type, bytes);
    if (type == a.incr) {
        if (!incremental_receive(d, w, property, type, bytes))
            return convert_result::failed;
    } else if (!whole) {
        return convert_result::refused;
    }
    text = clipboard_text_from_selection(bytes, type == a.utf8);
    return convert_result::text;
}

// Another program's clipboard text; "" when there is none.
std::string selection_read(Display *d)
{
    const selection_atoms a = atoms_of(d);
    if (XGetSelectionOwner(d, a.clipboard) == None)
        return "";
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    // Incremental answers announce each chunk by a property change.
    XSelectInput(d, w, PropertyChangeMask);
    std::string text;
    if (selection_convert(d, w, a, a.utf8, text) == convert_result::refused &&
        selection_convert(d, w, a, XA_STRING, text) != convert_result::text)
        text.clear();
    XDestroyWindow(d, w);
    return text;
}

} // namespace

void platform_clipboard_set(const std::string &text)
{
    std::lock_guard<std::mutex> lock(clipboard_mutex);
    process_copy = clipboard_text_cut(text);
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
