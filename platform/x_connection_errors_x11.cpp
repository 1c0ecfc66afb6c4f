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
// Set by the first thread to meet a lost connection.
std::atomic<bool> connection_lost{false};

// A window that went away is no fault of ours; the rest goes on as before.
int error_handler(Display *d, XErrorEvent *error)
{
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
    if (connection_lost.exchange(true)) {
        for (;;)
            pause();
    }
    // Written straight to the descriptor: no stream lock to wait for.
    char line[256];
    const char *name = d ? DisplayString(d) : nullptr;
    const int n =
        std::snprintf(line, sizeof line, "X connection to %s lost: the display went away\n",
                      name && *name ? name : "the display");
    if (n > 0) {
        [[maybe_unused]] const ssize_t written =
            write(STDERR_FILENO, line, std::min(size_t(n), sizeof line - 1));
    }
    process_exit(1);
}

} // namespace

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
