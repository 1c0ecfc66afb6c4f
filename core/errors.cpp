// Raising BASIC errors, handing them to the ON ERROR handler or the error
// dialog, and the message-box services of the runtime.
#include "core/errors.h"

#include "core/control_words.h"
#include "core/program_thread.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"

#include <cstdio>

std::atomic<uint32_t> error_pending{0};
std::atomic<uint32_t> on_error_armed{0};
std::atomic<uint32_t> on_error_inside_handler{0};
std::atomic<uint32_t> on_error_handler_jump{0};
double last_line_label = 0;

namespace {

// ERR and ERL of the error last handed to the handler (program thread only).
uint32_t err_number = 0;
double err_line_label = 0;

std::atomic<error_handler_entry_fn> handler_entry{nullptr};

constexpr uint32_t BOX_BUFFER_SIZE = 256;
constexpr uint32_t FIRST_CRITICAL_AT_DIALOG = 300;
constexpr uint32_t LAST_CRITICAL_AT_DIALOG = 313;
constexpr int EXIT_CODE_NO_HANDLER = 99;

// Shows the box of a critical number and ends the process; returns when n is
// not critical. The end is immediate by design and closes no file: it may
// come from any thread, while the program thread uses its files.
void error_raise_critical(int32_t n) {
    const char *text = nullptr;
    char caption[BOX_BUFFER_SIZE];
    if (!error_critical_box(n, &text, caption, sizeof caption)) return;
    message_box(text, caption, MESSAGE_BOX_SYSTEM_MODAL | MESSAGE_BOX_OK);
    process_exit(0);
}

// Enters the ON ERROR handler: the compiled main module, entered again with
// the handler jump word set, jumps to its handler.
void error_handler_enter(uint32_t n) {
    err_number = n;
    error_pending = 0;
    err_line_label = last_line_label;
    on_error_handler_jump = 1;
    if (error_handler_entry_fn entry = handler_entry.load()) {
        entry();
        return;
    }
    // A module without a handler clears the word and ends the process,
    // closing the files as END does so that no refused close goes unheard.
    on_error_handler_jump = 0;
    program_exit_closing_files(EXIT_CODE_NO_HANDLER);
}

// The error dialog: "Yes" (or a box that could not open) goes on with the
// next statement; "No" or OK ends the program. A critical number ends the
// process after an OK box.
void error_dialog(uint32_t n, bool critical) {
    char text[BOX_BUFFER_SIZE];
    char caption[BOX_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "Line:%u\n%s%s", error_line.load(), error_message(n),
                  critical ? "" : "\nContinue?");
    std::snprintf(caption, sizeof caption, "%s #%u",
                  critical ? "Critical Error" : "Unhandled Error", n);
    if (critical) {
        message_box(text, caption, MESSAGE_BOX_OK);
        process_exit(0);
    }
    int answer = message_box(text, caption, MESSAGE_BOX_SYSTEM_MODAL | MESSAGE_BOX_YES_NO);
    if (answer == MESSAGE_BOX_RESULT_NO || answer == MESSAGE_BOX_RESULT_OK) {
        program_stop_flag = 1;
        program_end_wait();
    }
    error_pending = 0;
}

} // namespace

uint32_t error_raise(int32_t n) {
    error_raise_critical(n);
    uint32_t number = n <= 0 ? 5u : uint32_t(n);
    // Compare-exchange, so that of two threads raising at once exactly one
    // stores its number and both report that same number.
    uint32_t expected = 0;
    if (!error_pending.compare_exchange_strong(expected, number)) return expected;
    event_pending = 1;
    return number;
}

void error_handle() {
    uint32_t n = error_pending.load();
    bool critical = n >= FIRST_CRITICAL_AT_DIALOG && n <= LAST_CRITICAL_AT_DIALOG;
    if (on_error_armed.load() && !on_error_inside_handler.load() && !critical) {
        error_handler_enter(n);
        return;
    }
    error_dialog(n, critical);
}

uint32_t rt_err() {
    return err_number;
}
double rt_erl() {
    return err_line_label;
}
uint32_t error_line_get() {
    return error_line;
}

void error_handler_entry_set(error_handler_entry_fn entry) {
    handler_entry = entry;
}

int message_box(const char *text, const char *caption, uint32_t type) {
    return platform_message_box(text, caption, type);
}

void alert(const char *text) {
    message_box(text, "Alert", MESSAGE_BOX_OK);
}

void alert_number(int32_t n) {
    char buf[100] = {};
    std::snprintf(buf, sizeof buf, "%d", n);
    alert(buf);
}

uint32_t error_pending_take() {
    return error_pending.exchange(0);
}

void errors_reset() {
    error_pending = 0;
    on_error_armed = 0;
    on_error_inside_handler = 0;
    on_error_handler_jump = 0;
    last_line_label = 0;
    err_number = 0;
    err_line_label = 0;
    handler_entry = nullptr;
}
