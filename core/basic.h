// The compiled-program contract: how a BASIC routine is written in C++.
//
// A routine is a C++ function that opens a basic_procedure and runs its
// statements through it. A statement is its runtime calls, written as a
// lambda, followed by the statement-end step:
//
//     void main_module()
//     {
//         basic_procedure p;                        // entry steps
//         p.stmt(10, [&] { rt_cls(); });
//         p.stmt(20, [&] { rt_print(string_from_cstr("HELLO"), PRINT_NEWLINE); });
//         p.stmt(30, [&] { p.gosub(30, [&] { draw_box(p); }); });
//         p.end();                                  // END
//     }
//
// The statement-end step releases the statement's temporary strings; when
// event_pending is set it calls statement_event_check with the statement's
// source line number (errors, traps, pause, the end); when that check asks for
// a retry, the statement runs again from its start.
//
// GOSUB pushes its return-point number and calls the subroutine; the
// subroutine's last statement is p.ret(), and the GOSUB statement's own
// statement-end step runs once the subroutine has come back. A RETURN with no
// GOSUB raises error 3.
//
// C++ leaves the order of evaluation of function arguments open, so a
// statement whose operands have side effects (RND, INKEY$, a function that
// prints) evaluates them into locals first, left to right, and then makes the
// call.
#pragma once

#include <cstdint>

class basic_procedure {
  public:
    // Entry steps: the x87 precision set to a 64-bit mantissa (once per
    // process), the division-by-zero signal handler, the temp mark.
    basic_procedure();

    // Runs one statement and its statement-end step, again while a retry is
    // asked for.
    template <typename Body> void stmt(uint32_t line, Body &&body)
    {
        do {
            body();
        } while (statement_end(line));
    }

    // GOSUB: pushes the return point and runs the subroutine.
    template <typename Sub> void gosub(uint32_t return_point, Sub &&subroutine)
    {
        if (gosub_enter(return_point))
            subroutine();
    }

    // RETURN: pops the return point pushed by the matching GOSUB.
    void ret();

    // END: never returns.
    [[noreturn]] void end();

    // The statement-end step; true when the statement must run again.
    bool statement_end(uint32_t line);

    uint32_t temp_mark() const { return temp_mark_; }

  private:
    bool gosub_enter(uint32_t return_point);
    uint32_t temp_mark_;
};

// The routine a program runs on its program thread.
using basic_main_module = void (*)();
