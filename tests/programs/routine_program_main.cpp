// A BASIC routine written in the compiled-program form, run as its own
// process. It joins strings, calls a subroutine with GOSUB, waits for an ON
// TIMER trap to fire and ends with END. It prints what it did to standard
// output so the test can follow it.
//
// Argument "close-while-waiting" makes the routine SLEEP with no time limit
// after its work instead of ending, and raises the window's close request
// shortly after the SLEEP has begun, the way the close button would.
#include "core/basic.h"
#include "core/startup.h"
#include "core/strings.h"
#include "core/timing.h"
#include "core/traps.h"
#include "core/control_words.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

bool close_while_waiting = false;
int timer_fires = 0;

void print_string(const string_descriptor *s)
{
    std::printf("%.*s\n", s->len, reinterpret_cast<const char *>(s->chr));
    std::fflush(stdout);
}

// ON TIMER handler: the trap hook calls it by its handler number.
void on_trap(uint32_t handler, uint32_t, uint32_t)
{
    if (handler == 1)
        ++timer_fires;
}

void main_module()
{
    static string_descriptor *greeting = string_new(0, false);
    basic_procedure p;
    p.stmt(10, [&] {
        string_set(greeting, string_concat(string_from_cstr("HELLO, "), string_from_cstr("WORLD")));
    });
    p.stmt(20, [&] {
        p.gosub(20, [&] {
            p.stmt(100, [&] { print_string(greeting); });
            p.stmt(110, [&] { p.ret(); });
        });
    });
    p.stmt(30, [&] { timer_interval_set(0, 0.05, 1, 0, 0); });
    p.stmt(40, [&] { timer_handle_state(0, 1, false); });
    // 50 IF fires < 2 THEN delay: GOTO 50
    while (timer_fires < 2)
        p.stmt(50, [&] { delay_seconds(0.01); });
    p.stmt(60, [&] { std::printf("timer fired %d times\n", timer_fires); });
    // TIMER OFF: a trap that runs would end the SLEEP below.
    p.stmt(65, [&] { timer_handle_state(0, 2, false); });
    if (close_while_waiting)
        p.stmt(70, [&] {
            std::printf("waiting\n");
            std::fflush(stdout);
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                exit_request.fetch_or(1);
            }).detach();
            rt_sleep(0, false);
        });
    p.stmt(80, [&] {
        std::printf("end\n");
        std::fflush(stdout);
    });
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "close-while-waiting") == 0)
            close_while_waiting = true;
    trap_handler_hook_set(on_trap);
    program_unit unit{main_module, true, false, 0, 0};
    return runtime_main(argc, argv, unit);
}
