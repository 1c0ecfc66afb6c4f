#include "platform/x_connection_errors.h"

#include "platform/process_exit.h"

#include <X11/Xlib.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace
{

std::atomic<XErrorHandler> previous_error_handler{nullptr};
// Set by the first thread to end the process here.
std::atomic<bool> ending{false};
// The program's own window, once it exists.
std::atomic<XID> program_window{0};
std::atomic<int (*)(const char *)> end_steps{nullptr};
// The connection a library that does not check its replies is setting up.
std::atomic<Display *> setup_display{nullptr};
struct sigaction previous_fault_action {};

// Takes the end steps, which say the line, and ends the process with the
// code they give. Any other thread that comes here, or one whose steps find
// another end running, waits to be ended.
[[noreturn]] void end_with_line(const char *line)
{
    if (ending.exchange(true)) {
        for (;;)
            pause();
    }
    int (*steps)(const char *) = end_steps.load();
    if (!steps) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, std::strlen(line));
        process_exit(1);
    }
    const int code = steps(line);
    if (code < 0) {
        for (;;)
            pause();
    }
    process_exit(code);
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
    std::snprintf(line, sizeof line, "X connection to %s lost: the display went away\n",
                  display_name(d));
    end_with_line(line);
}

// Whether the server has closed its end of the connection.
bool connection_gone(Display *d)
{
    pollfd p{ConnectionNumber(d), POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// A fault while the GL library sets up a connection whose server has gone
// (it follows replies that never came) is the lost connection's end. Any
// other fault is handed back to the action before ours, the fault repeats
// and the process ends by it as before.
void fault_handler(int signal_number)
{
    Display *d = setup_display.load();
    if (d && connection_gone(d))
        io_error_handler(d);
    sigaction(signal_number, &previous_fault_action, nullptr);
}

} // namespace

void x_program_window_watch(unsigned long window)
{
    program_window.store(XID(window));
}

void x_program_window_lost(Display *d)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "X window 0x%lx on %s destroyed by another program: the program ends\n",
                  static_cast<unsigned long>(program_window.load()), display_name(d));
    end_with_line(line);
}

void x_connection_end_steps_set(int (*steps)(const char *line))
{
    end_steps.store(steps);
}

void x_connection_setup_watch(Display *d)
{
    setup_display.store(d);
}

[[noreturn]] void x_connection_end(const char *line)
{
    end_with_line(line);
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
    struct sigaction fault {};
    fault.sa_handler = fault_handler;
    sigemptyset(&fault.sa_mask);
    sigaction(SIGSEGV, &fault, &previous_fault_action);
}
