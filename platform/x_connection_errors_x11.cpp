#include "platform/x_connection_errors.h"

#include "platform/process_exit.h"

#include <X11/Xlib.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

std::atomic<XErrorHandler> previous_error_handler{nullptr};
// Set by the first thread to end the process here.
std::atomic<bool> ending{false};
// The program's own window, once it exists.
std::atomic<XID> program_window{0};
std::atomic<int (*)(const char *)> end_steps{nullptr};
// The connection a library that does not check its replies is setting up,
// the thread that sets it up and where that thread goes on after the
// library's fault.
std::atomic<Display *> setup_display{nullptr};
std::atomic<pid_t> setup_thread{0};
std::atomic<sigjmp_buf *> setup_fault_return{nullptr};
struct sigaction previous_fault_action {};

// Ends the watch of the set-up (x_connection_setup_watch).
void setup_watch_end()
{
    setup_display.store(nullptr);
    setup_fault_return.store(nullptr);
    setup_thread.store(0);
}

// Takes the end steps, which say the line, and ends the process with the
// code they give. Any other thread that comes here, or one whose steps find
// another end running, waits to be ended.
[[noreturn]] void end_with_line(const char *line)
{
    // A fault in the end itself is no fault of the GL library's.
    if (setup_thread.load() == gettid())
        setup_watch_end();
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

// Ends the process as the connection to d lost.
[[noreturn]] void connection_lost(Display *d)
{
    char line[256];
    std::snprintf(line, sizeof line, "X connection to %s lost: the display went away\n",
                  display_name(d));
    end_with_line(line);
}

// Never returns: Xlib would otherwise call exit(), running the exit handlers
// on this thread while the others go on using what they tear down. libX11's
// per-connection exit handler (XSetIOErrorExitHandler) is thus never reached.
int io_error_handler(Display *d)
{
    connection_lost(d);
}

// Whether the server has closed its end of the connection.
bool connection_gone(Display *d)
{
    pollfd p{ConnectionNumber(d), POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// Hands the signal back to the action that was there before ours, for good.
// A fault repeats as the handler returns and is taken by that action; a
// signal sent by a process (si_code 0 or below) does not, so it is queued
// again to this thread, as it came: blocked while the handler runs, it is
// taken by that action as the handler returns.
void fault_pass_on(int signal_number, siginfo_t *info)
{
    sigaction(signal_number, &previous_fault_action, nullptr);
    if (info->si_code <= 0)
        syscall(SYS_rt_tgsigqueueinfo, getpid(), gettid(), signal_number, info);
}

// The GL library follows replies that never came when the server of the
// connection it sets up has gone, and faults. That fault alone, a real one
// (si_code above 0: the kernel's) on the thread that sets the connection up,
// leaves the handler for the place the set-up began, which ends the process
// as the lost connection. Every other SIGSEGV is passed on.
void fault_handler(int signal_number, siginfo_t *info, void *)
{
    Display *d = setup_display.load();
    sigjmp_buf *fault_return = setup_fault_return.load();
    if (info->si_code > 0 && d && fault_return && setup_thread.load() == gettid() &&
        connection_gone(d))
        siglongjmp(*fault_return, 1);
    fault_pass_on(signal_number, info);
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

void x_connection_setup_watch(Display *d, sigjmp_buf *fault_return)
{
    if (!d || !fault_return) {
        setup_watch_end();
        return;
    }
    setup_thread.store(gettid());
    setup_fault_return.store(fault_return);
    setup_display.store(d);
}

void x_connection_setup_fault_end()
{
    Display *d = setup_display.load();
    setup_watch_end();
    connection_lost(d);
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
    fault.sa_sigaction = fault_handler;
    fault.sa_flags = SA_SIGINFO;
    sigemptyset(&fault.sa_mask);
    sigaction(SIGSEGV, &fault, &previous_fault_action);
}
