// Errors on the process's connections to the X server.
//
// Xlib's two error handlers belong to the process, not to a connection: they
// serve every connection it opens (the window, message boxes, the clipboard,
// raw motion, the lock keys). x_connection_errors_install sets both, once,
// before any thread opens a connection; a handler set later (the clipboard's)
// passes on to these.
// - A protocol error about a window that no longer exists (BadWindow) is
//   ignored: a window can go away between a request and its answer, the
//   window manager's own ones included, and the request then simply fails.
//   Every other error goes to the handler that was there before, Xlib's
//   default, which prints it and ends the process.
// - The program's own window destroyed by another client ends the process as
//   a lost connection does, with its own line on standard error. The window
//   layer reports the destruction as the event comes; an error about the
//   window (BadWindow, BadDrawable) from a request made after it counts too.
// - A lost connection (the server ended, the network dropped): the first
//   thread to meet it runs the end steps set at start-up (one line on
//   standard error, the program thread stopped and the files closed, so that
//   a refused close is said, not lost) and ends the process with code 1,
//   running no exit handlers and no toolkit, GL or sound clean-up, which
//   could wait forever on the dead connection or race the other threads. Any
//   other thread that meets it waits to be ended.
#pragma once

#include <csetjmp>

typedef struct _XDisplay Display;

void x_connection_errors_install();

// The steps taken before the process ends on a lost connection or a
// destroyed window: they say the line that tells why on standard error (or
// not, where an end of the program's own is under way) and return the exit
// code, or -1 when another end of the process runs already, which the thread
// then waits for. Set once at start-up, before any connection opens.
void x_connection_end_steps_set(int (*steps)(const char *line));

// Ends the process as a lost connection does (the end steps and their exit
// code), with line as the reason: the window toolkit's errors it cannot go
// on from.
[[noreturn]] void x_connection_end(const char *line);

// The connection that the window toolkit and the GL library are setting up
// on the calling thread (nullptr once they are done), and where that thread
// goes on after their fault: fault_return, set by sigsetjmp (the signal mask
// saved) in a frame that lasts until the watch ends. They follow replies
// that never came when the server ends meanwhile, and fault. A real fault
// (not a signal sent) on that thread while the connection's server is gone
// leaves the signal handler by siglongjmp to fault_return, and from there
// x_connection_setup_fault_end ends the process as the lost connection.
// Any other SIGSEGV (a fault elsewhere, a signal sent by a process) is handed
// back to the action that was there before, which takes it as it would have
// (the default one ends the process by the signal, with a core).
// x_connection_errors_install takes the signal.
void x_connection_setup_watch(Display *d, sigjmp_buf *fault_return);

// Where fault_return leads: ends the watch and the process as the watched
// connection lost (the end steps, exit code 1).
[[noreturn]] void x_connection_setup_fault_end();

// The program's own window, once made: errors about it end the process.
void x_program_window_watch(unsigned long window);

// Ends the process with code 1 and a line on standard error saying that the
// program's window was destroyed. Makes no Xlib call, so it may be called
// with a connection locked (from an event hook or an error handler).
[[noreturn]] void x_program_window_lost(Display *d);
