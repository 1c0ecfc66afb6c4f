// A program with a window for the end-to-end tests: it sets up the game's
// screen (SCREEN 0, WIDTH 66, 37, font 8, a five-colour custom palette),
// prints text at several places and in several colours with the cursor
// hidden, says "ready" and then follows commands read from standard input,
// one a line, answering on standard output:
//
//   title TEXT       sets the window title
//   fullscreen MODE  full_screen_set (MODE, 0); answers the request state
//   fullscreen-pair A B  full_screen_set (A, 0) and at once (B, 0); answers
//                    "pair:", full_screen_get right after, and the state once
//                    the main thread has served the requests
//   move X Y         window_move (X, Y, 2), then answers "at:" and
//                    window_desktop_x and window_desktop_y read at once
//   where            answers "at:" and window_desktop_x and window_desktop_y
//   centre           window_move (0, 0, 1); answers "ok" without a read
//   hide, show       window_hide, window_show; answer "ok"
//   clip-set TEXT    puts TEXT on the clipboard
//   clip-get         answers "clip:" and the clipboard's text
//   guard-exit       takes over close requests; from now on each one is
//                    answered "close requested"
//   keys             answers "keys:" and the key-hit ring's waiting codes
//   held CODE...     answers "held:", key_down_query of each code, "flags"
//                    and the BIOS keyboard flag bytes 0040:0017 and 0040:0018
//                    in hex
//   mouse            takes the waiting mouse records and answers "mouse:"
//                    with the sum of their relative movement, the last
//                    position, and the button and wheel events among them:
//                    "down N at X Y" / "up N at X Y" when button N (1 left,
//                    2 right, 3 middle) went down or up, "wheel W" for a
//                    record with a wheel notch (-1 up, 1 down)
//   input PROMPT     empties the key buffers, prints PROMPT at row 30,
//                    column 1, runs INPUT into one string and answers
//                    "input:" and the string
//   line-input PROMPT  the same with LINE INPUT, answering "line-input:"
//   inkey            answers "inkey:" and, for each key INKEY$ gives until
//                    it gives none, a blank and the key's bytes in hex
//   bios             answers "bios:" and each pair waiting in the BIOS
//                    keyboard buffer, as " CC:SS" (character and scan byte in
//                    hex), and leaves them waiting
//   input-str N      empties the key buffers, answers "waiting", runs
//                    INPUT$(N) and answers "input-str:" and the bytes in hex,
//                    each after a blank
//   desktop-type TEXT  types TEXT as synthetic desktop key strokes
//   desktop-click X Y  clicks at screen position (X, Y) as synthetic desktop
//                    input
//   block            reads standard input without ending its statement (a
//                    program stuck in a statement)
//   end              SYSTEM
//
// Statements poll standard input briefly, so close requests and the end are
// noticed between them as in any program.
#include "command_program.h"
#include "core/basic.h"
#include "core/dos_memory.h"
#include "core/program_thread.h"
#include "core/small_ops.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/window_services.h"
#include "files/sequential_io.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/input_editor.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{

constexpr uint32_t COLOR_FORE = 1, COLOR_BACK = 2;
constexpr uint32_t WIDTH_COLUMNS = 1, WIDTH_ROWS = 2;

bool exit_guarded = false;
// Buttons 1-3 held in the last mouse record the program took (bit n - 1).
uint32_t mouse_buttons_held = 0;

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

std::string number_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// Takes every waiting mouse record: "mouse:" with the summed movement, the
// last position and the button and wheel events, each button event with the
// position of its record.
std::string mouse_report()
{
    double dx = 0, dy = 0;
    std::string events;
    while (mouse_input_next()) {
        dx += mouse_movement_x();
        dy += mouse_movement_y();
        for (int32_t n = 1; n <= 3; n++) {
            const uint32_t bit = 1u << (n - 1);
            const bool held = mouse_button_held(n) != 0;
            if (held == ((mouse_buttons_held & bit) != 0))
                continue;
            mouse_buttons_held ^= bit;
            events += std::string(held ? " down " : " up ") + std::to_string(n) + " at " +
                      number_text(mouse_x()) + " " + number_text(mouse_y());
        }
        if (const int32_t wheel = mouse_wheel_get())
            events += " wheel " + std::to_string(wheel);
    }
    return "mouse: " + number_text(dx) + " " + number_text(dy) + " at " + number_text(mouse_x()) +
           " " + number_text(mouse_y()) + events;
}

// Bytes in hex, two digits each, each after `separator`.
std::string hex_of(const string_descriptor *s, const char *separator)
{
    std::string text;
    char digits[3];
    for (int32_t i = 0; i < s->len; i++) {
        std::snprintf(digits, sizeof digits, "%02x", s->chr[i]);
        text += separator;
        text += digits;
    }
    return text;
}

std::string inkey_report()
{
    std::string keys;
    for (const string_descriptor *key = rt_inkey_str(); key->len > 0; key = rt_inkey_str())
        keys += " " + hex_of(key, "");
    return "inkey:" + keys;
}

std::string bios_report()
{
    std::string pairs;
    char pair[8];
    uint32_t at = emulated_dos_memory[0x41A];
    for (int n = 0; n < 16 && at != emulated_dos_memory[0x41C]; ++n, at = at >= 60 ? 30 : at + 2) {
        std::snprintf(pair, sizeof pair, " %02x:%02x", emulated_dos_memory[0x400 + at],
                      emulated_dos_memory[0x401 + at]);
        pairs += pair;
    }
    return "bios:" + pairs;
}

// INPUT (or LINE INPUT) into one string after a prompt at row 30, with
// nothing typed before in the way.
std::string input_run(const std::string &prompt, uint32_t type_word)
{
    key_buffers_clear(0, 0);
    rt_locate(30, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    rt_color(15, 0, 0, COLOR_FORE | COLOR_BACK);
    rt_print(string_from_cstr(prompt.c_str()), PRINT_STAY);
    string_descriptor *line = string_new(0, false);
    input_target_set(1, line, type_word);
    rt_input(1, 1);
    std::string text(reinterpret_cast<char *>(line->chr), size_t(line->len));
    string_free(line);
    return text;
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
    } else if (word == "fullscreen-pair") {
        int32_t a = 0, b = 0;
        std::sscanf(rest.c_str(), "%d %d", &a, &b);
        full_screen_set(a, 0);
        full_screen_set(b, 0);
        const int32_t asked = full_screen_get();
        for (int i = 0; i < 500 && full_screen_request.load() != -1; ++i)
            clock_sleep_ms(10);
        say("pair: " + std::to_string(asked) + " " + std::to_string(full_screen_state.load()));
    } else if (word == "move" || word == "where") {
        int32_t x = 0, y = 0;
        if (word == "move" && std::sscanf(rest.c_str(), "%d %d", &x, &y) == 2)
            window_move(x, y, 2);
        const int32_t at_x = window_desktop_x();
        const int32_t at_y = window_desktop_y();
        say("at: " + std::to_string(at_x) + " " + std::to_string(at_y));
    } else if (word == "centre") {
        window_move(0, 0, 1);
        say("ok");
    } else if (word == "hide" || word == "show") {
        word == "hide" ? window_hide() : window_show();
        say("ok");
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
    } else if (word == "held") {
        std::string answer = "held:";
        std::istringstream codes(rest);
        for (int32_t code; codes >> code;)
            answer += " " + std::to_string(key_down_query(code));
        char flags[16];
        std::snprintf(flags, sizeof flags, " flags %02x %02x", emulated_dos_memory[0x417],
                      emulated_dos_memory[0x418]);
        say(answer + flags);
    } else if (word == "mouse") {
        say(mouse_report());
    } else if (word == "input") {
        say("input:" + input_run(rest, INPUT_TYPE_STRING));
    } else if (word == "line-input") {
        say("line-input:" + input_run(rest, INPUT_TYPE_STRING | INPUT_TYPE_LINE));
    } else if (word == "inkey") {
        say(inkey_report());
    } else if (word == "bios") {
        say(bios_report());
    } else if (word == "input-str") {
        key_buffers_clear(0, 0);
        say("waiting");
        say("input-str:" + hex_of(rt_input_str(std::atoi(rest.c_str()), 0, 0), " "));
    } else if (word == "desktop-type") {
        desktop_type_text(string_from_cstr(rest.c_str()));
        say("ok");
    } else if (word == "desktop-click") {
        int32_t x = 0, y = 0;
        std::sscanf(rest.c_str(), "%d %d", &x, &y);
        desktop_mouse_click(x, y);
        say("ok");
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
