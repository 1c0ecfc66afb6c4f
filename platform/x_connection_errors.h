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
// - A lost connection (the server ended, the network dropped): the first
//   thread to meet it writes one line on standard error and ends the process
//   at once with code 1, running no exit handlers and no toolkit, GL or sound
//   clean-up, which could wait forever on the dead connection or race the
//   other threads. Any other thread that meets it waits to be ended.
#pragma once

void x_connection_errors_install();
