// BASIC errors, the error dialog and message boxes.
//
// A runtime operation that fails calls error_raise with a BASIC error number
// and returns a neutral value; while an error is pending, operations return at
// once without effect. The program thread notices the pending error after the
// statement (statement_event_check) and calls error_handle, which enters the
// ON ERROR handler when one is armed and shows the error dialog otherwise.
// Critical numbers show a box and end the process at once, from whatever
// thread raised them.
#pragma once

#include <atomic>
#include <cstdint>

// The pending error number, 0 = none. Set only through error_raise; cleared
// only by error_handle (and the test seam error_pending_take).
extern std::atomic<uint32_t> error_pending;

// Raises error n. The first pending error wins, also between threads. n of 0
// or below becomes 5. Critical numbers show their box and exit with code 0.
// Returns the pending error number. Callable from any thread.
uint32_t error_raise(int32_t n);

// Hands the pending error to the ON ERROR handler or the error dialog. Called
// only by statement_event_check on the program thread. Returns when the
// program goes on with the next statement; "No" in the dialog ends the
// program and does not return.
void error_handle();

// The message text of an error number ("Unprintable error" when unknown).
const char *error_message(uint32_t n);

// The box a critical number of error_raise shows. Returns false when n is not
// critical there; otherwise fills text and caption (caption_size bytes).
bool error_critical_box(int32_t n, const char **text, char *caption, uint32_t caption_size);

// ON ERROR support words and ERR/ERL. The compiled main module arms the
// handler, marks when it runs, and on re-entry with the handler jump word set
// clears the word and jumps to its handler.
extern std::atomic<uint32_t> on_error_armed;
extern std::atomic<uint32_t> on_error_inside_handler;
extern std::atomic<uint32_t> on_error_handler_jump;
extern double last_line_label;
uint32_t rt_err();
double rt_erl();
uint32_t error_line_get();

// Registers the compiled main module's re-entry for the ON ERROR handler.
// Without one, an armed handler ends the process with exit code 99, as a
// module without a handler does. Null removes it.
using error_handler_entry_fn = void (*)();
void error_handler_entry_set(error_handler_entry_fn entry);

// Message boxes (owner is always none here). Returns the button code.
int message_box(const char *text, const char *caption, uint32_t type);
void alert(const char *text);
void alert_number(int32_t n);

// Test seam: returns the pending error and clears it, without the dialog.
uint32_t error_pending_take();

// Puts the error words, ERR, ERL and the handler entry back to their start
// values (tests and start-up).
void errors_reset();
