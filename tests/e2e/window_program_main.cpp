// A program with a window for the end-to-end tests: it sets up the game's
// screen (SCREEN 0, WIDTH 66, 37, font 8, a five-colour custom palette),
// prints text at several places and in several colours with the cursor
// hidden, says "ready" and then follows commands read from standard input,
// one a line, answering on standard output:
//
//   title TEXT       sets the window title
//   fullscreen MODE  full_screen_set (MODE, 0); answers the request state
//   clip-set TEXT    puts TEXT on the clipboard
//   clip-get         answers "clip:" and the clipboard's text
//   guard-exit       takes over close requests; from now on each one is
//                    answered "close requested"
//   keys             answers "keys:" and the key-hit ring's waiting codes
//   mouse            answers "mouse:" with the sum of the relative movement
//                    and the last position of the waiting mouse records
//   block            reads standard input without ending its statement (a
//                    program stuck in a statement)
//   end              SYSTEM
//
// Statements poll standard input briefly, so close requests and the end are
// noticed between them as in any program.
#include "core/basic.h"
#include "core/program_thread.h"
#include "core/small_ops.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/window_services.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace
{

constexpr uint32_t COLOR_FORE = 1, COLOR_BACK = 2;
constexpr uint32_t WIDTH_COLUMNS = 1, WIDTH_ROWS = 2;

bool exit_guarded = false;

void say(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// LOCATE row, column, 0 (cursor hidden); COLOR fore, back; PRINT text;
void print_at(int32_t row, int32_t column, uint32_t fore, uint32_t back, const char *text)
{
    rt_locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN | LOCATE_CURSOR);
    rt_color(fore, back, 0, COLOR_FORE | COLOR_BACK);
    rt_print(string_from_cstr(text), PRINT_STAY);
}

void screen_setup(basic_procedure &p)
{
    p.stmt(10, [] { window_title_set(string_from_cstr("Window Check")); });
    p.stmt(20, [] { rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN); });
    p.stmt(30, [] { rt_width(0, 66, 37, WIDTH_COLUMNS | WIDTH_ROWS); });
    p.stmt(40, [] { image_font_set(8, 0, false); });
    p.stmt(50, [] {
        palette_entry_set(1, color_argb_pack(170, 170, 170), 0, false);
        palette_entry_set(2, color_argb_pack(100, 220, 220), 0, false);
        palette_entry_set(3, color_argb_pack(100, 220, 100), 0, false);
        palette_entry_set(4, color_argb_pack(220, 100, 220), 0, false);
        palette_entry_set(5, color_argb_pack(220, 170, 100), 0, false);
    });
    p.stmt(60, [] { print_at(1, 1, 2, 0, "TARVO ZUDUZ"); });
    p.stmt(70, [] { print_at(5, 10, 15, 1, "Hello, window!"); });
    p.stmt(80, [] { print_at(12, 20, 3, 0, "green"); });
    p.stmt(90, [] { print_at(12, 26, 4, 3, "magenta"); });
    p.stmt(100, [] { print_at(12, 34, 5, 6, "orange"); });
    p.stmt(110, [] { print_at(20, 30, 14, 4, "\xC9\xCD\xCD\xBB\xB0\xB1\xB2\x01\x03"); });
    p.stmt(120, [] { print_at(37, 57, 9, 0, "bottom-rt"); });
    p.stmt(130, [] { print_at(37, 1, 12, 5, "{[(<0123456789>)]}"); });
}

// A line of standard input when one is there within 20 ms.
bool input_line(std::string &line)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0)
        return false;
    char buf[512];
    if (!std::fgets(buf, sizeof buf, stdin)) {
        rt_system();
    }
    line = buf;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return true;
}

void command_run(const std::string &line)
{
    const size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (word == "title") {
        window_title_set(string_from_cstr(rest.c_str()));
        say("ok");
    } else if (word == "fullscreen") {
        full_screen_set(std::atoi(rest.c_str()), 0);
        say("full screen " + std::to_string(full_screen_get()));
    } else if (word == "clip-set") {
        clipboard_set(string_from_cstr(rest.c_str()));
        say("ok");
    } else if (word == "clip-get") {
        string_descriptor *s = clipboard_get_str();
        say("clip:" + std::string(reinterpret_cast<char *>(s->chr), size_t(s->len)));
    } else if (word == "guard-exit") {
        exit_request_take();
        exit_guarded = true;
        say("ok");
    } else if (word == "keys") {
        std::string codes;
        while (int32_t code = key_hit_next())
            codes += " " + std::to_string(code);
        say("keys:" + codes);
    } else if (word == "mouse") {
        double dx = 0, dy = 0;
        while (mouse_input_next()) {
            dx += mouse_movement_x();
            dy += mouse_movement_y();
        }
        char text[96];
        std::snprintf(text, sizeof text, "mouse: %g %g at %g %g", dx, dy, mouse_x(), mouse_y());
        say(text);
    } else if (word == "block") {
        say("blocking");
        char buf[16];
        while (std::fgets(buf, sizeof buf, stdin)) {
        }
    } else if (word == "end") {
        rt_system();
    } else {
        say("unknown command");
    }
}

void main_module()
{
    basic_procedure p;
    screen_setup(p);
    p.stmt(140, [] { say("ready"); });
    for (;;) {
        std::string line;
        p.stmt(200, [&] {
            if (input_line(line))
                command_run(line);
        });
        p.stmt(210, [] {
            if (exit_guarded && exit_request_take() != 0)
                say("close requested");
        });
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
