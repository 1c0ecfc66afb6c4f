#include "platform/x_connection_errors.h"

#include "platform/process_exit.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace
{

std::atomic<XErrorHandler> previous_error_handler{nullptr};
// Set by the first thread to end the process here.
std::atomic<bool> ending{false};
// The program's own window, once it exists.
std::atomic<XID> program_window{0};
std::atomic<bool (*)()> end_steps{nullptr};

// Writes the line straight to the descriptor (no stream lock to wait for),
// takes the end steps and ends the process. Any other thread that comes
// here, or one whose steps find another end running, waits to be ended.
[[noreturn]] void end_with_line(const char *line, int length)
{
    if (ending.exchange(true)) {
        for (;;)
            pause();
    }
    if (length > 0) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, size_t(length));
    }
    if (bool (*steps)() = end_steps.load(); steps && !steps()) {
        for (;;)
            pause();
    }
    process_exit(1);
}

// The display's name for a message.
const char *display_name(Display *d)
{
    const char *name = d ? DisplayString(d) : nullptr;
    return name && *name ? name : "the display";
}

// Another window that went away is no fault of ours; the program's own window
// gone means the program has lost its screen. The rest goes on as before.
int error_handler(Display *d, XErrorEvent *error)
{
    const XID own = program_window.load();
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) && own != 0 &&
        error->resourceid == own)
        x_program_window_lost(d);
    if (error->error_code == BadWindow)
        return 0;
    const XErrorHandler previous = previous_error_handler.load();
    return previous ? previous(d, error) : 0;
}

// Never returns: Xlib would otherwise call exit(), running the exit handlers
// on this thread while the others go on using what they tear down. libX11's
// per-connection exit handler (XSetIOErrorExitHandler) is thus never reached.
int io_error_handler(Display *d)
{
    char line[256];
    const int n = std::snprintf(line, sizeof line,
                                "X connection to %s lost: the display went away\n", display_name(d));
    end_with_line(line, std::min(n, int(sizeof line) - 1));
}

} // namespace

void x_program_window_watch(unsigned long window)
{
    program_window.store(XID(window));
}

void x_program_window_lost(Display *d)
{
    char line[256];
    const int n = std::snprintf(line, sizeof line,
                                "X window 0x%lx on %s destroyed by another program: the program ends\n",
                                static_cast<unsigned long>(program_window.load()), display_name(d));
    end_with_line(line, std::min(n, int(sizeof line) - 1));
}

void x_connection_end_steps_set(bool (*steps)())
{
    end_steps.store(steps);
}

void x_connection_errors_install()
{
    // Once only: a second call would make the handler its own predecessor.
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    previous_error_handler.store(XSetErrorHandler(error_handler));
    XSetIOErrorHandler(io_error_handler);
}
