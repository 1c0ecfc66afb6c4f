// Runs drawing statements read from standard input, one a line, and writes
// the write page's pixels to the file OUT at the end of its input:
//
//   draw_script_program OUT            no window; a binary PGM (P5) of palette
//                                      indices, or a PPM (P6) of a 32-bit page
//   draw_script_program OUT --window   shows the page in a window; at a line
//                                      SHOW it writes OUT as a PPM of the
//                                      colours shown and prints "drawn"; it
//                                      ends at the end of its input
//
// A line is a statement name and its arguments separated by blanks, "-" for
// an argument left out. Numbers are decimal or hexadecimal after 0x.
//
//   SCREEN mode (32 or 256: a 640 x 480 image of that mode made the screen)
//   COLOR fore back          PSET x y colour        PRESET x y colour
//   LINE x1 y1 x2 y2 colour B|BF|- style
//   CIRCLE x y radius colour start end aspect
//   PAINT x y paint border   PAINT_TILE x y tile-bytes-in-hex border
//   WINDOW x1 y1 x2 y2 | WINDOW_SCREEN x1 y1 x2 y2 | WINDOW
//   VIEW x1 y1 x2 y2 fill border | VIEW_SCREEN ... | VIEW
//   POINT x y | POINTF n | PMAP value function (each prints its result)
//
// A BASIC error prints "ERROR n" on standard output and the program goes on
// with the next line; a line it cannot read is named on standard error.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "graphics/pmap.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const char *out_path = nullptr;
bool windowed = false;

// The arguments of one statement; "-" marks one left out.
struct args {
    std::vector<std::string> words;
    bool ok = true;
    bool given(size_t i) const { return i < words.size() && words[i] != "-"; }
    double num(size_t i)
    {
        if (!given(i))
            return 0;
        char *end = nullptr;
        const std::string &w = words[i];
        double v = w.rfind("0x", 0) == 0 || w.rfind("-0x", 0) == 0
                       ? double(std::strtoll(w.c_str(), &end, 16))
                       : std::strtod(w.c_str(), &end);
        ok = ok && end && *end == '\0';
        return v;
    }
    float f(size_t i) { return float(num(i)); }
    uint32_t colour(size_t i) { return uint32_t(int64_t(num(i))); }
    uint32_t bit(size_t i, uint32_t b) const { return given(i) ? b : 0; }
};

// The bytes of a hexadecimal text; false for anything else.
bool hex_bytes(const std::string &text, std::string *bytes)
{
    if (text.size() % 2)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        char *end = nullptr;
        std::string pair = text.substr(i, 2);
        long v = std::strtol(pair.c_str(), &end, 16);
        if (*end)
            return false;
        bytes->push_back(char(v));
    }
    return true;
}

void screen_set(args &a)
{
    int32_t mode = int32_t(a.num(0));
    if (mode == 32 || mode == 256)
        mode = image_new(640, 480, mode, true);
    rt_screen(mode, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
}

void line(args &a)
{
    const std::string kind = a.given(5) ? a.words[5] : "";
    int32_t box = kind == "B" ? 1 : kind == "BF" ? 2 : 0;
    rt_line(a.f(0), a.f(1), a.f(2), a.f(3), a.colour(4), box, a.colour(6),
            a.bit(0, LINE_START) | a.bit(4, LINE_COLOUR) | a.bit(6, LINE_STYLE));
}

void paint_tile(args &a)
{
    std::string bytes;
    if (a.given(2) && !hex_bytes(a.words[2], &bytes)) {
        a.ok = false;
        return;
    }
    string_descriptor *tile = string_from_buffer(bytes.data(), int32_t(bytes.size()));
    rt_paint_tile(a.f(0), a.f(1), tile, a.colour(3), nullptr,
                  a.bit(2, PAINT_TILE_GIVEN) | a.bit(3, PAINT_TILE_BORDER));
}

void say(const char *format, long double v)
{
    std::printf(format, v);
    std::fflush(stdout);
}

// Writes the write page to OUT: P5 of indices, or P6 of colours (32-bit
// pages, and the shown colours of palette pages in a window).
void page_dump()
{
    const image_slot *r = write_page.record;
    FILE *f = std::fopen(out_path, "wb");
    if (!f || !r || r->text_mode) {
        std::fprintf(stderr, "cannot write the page to %s\n", out_path);
        if (f)
            std::fclose(f);
        return;
    }
    bool rgb = r->bytes_per_pixel == 4 || windowed;
    std::fprintf(f, "%s\n%d %d\n255\n", rgb ? "P6" : "P5", r->width, r->height);
    for (uint64_t i = 0; i < uint64_t(r->width) * r->height; i++) {
        if (!rgb) {
            std::fputc(r->pixels[i] & r->color_mask, f);
            continue;
        }
        uint32_t c = r->bytes_per_pixel == 4 ? reinterpret_cast<const uint32_t *>(r->pixels)[i]
                                             : r->palette[r->pixels[i] & r->color_mask];
        std::fputc(c >> 16 & 0xFF, f);
        std::fputc(c >> 8 & 0xFF, f);
        std::fputc(c & 0xFF, f);
    }
    std::fclose(f);
}

using handler = void (*)(args &);
// The statements, by name. Later statements join this table.
const std::map<std::string, handler> statements = {
    {"SCREEN", screen_set},
    {"COLOR", [](args &a) { rt_color(a.colour(0), a.colour(1), 0, a.bit(0, 1) | a.bit(1, 2)); }},
    {"PSET", [](args &a) { rt_pset(a.f(0), a.f(1), a.colour(2), a.bit(2, PSET_COLOUR)); }},
    {"PRESET", [](args &a) { rt_preset(a.f(0), a.f(1), a.colour(2), a.bit(2, PSET_COLOUR)); }},
    {"LINE", line},
    {"CIRCLE",
     [](args &a) {
         rt_circle(a.f(0), a.f(1), a.num(2), a.colour(3), a.num(4), a.num(5), a.num(6),
                   a.bit(3, CIRCLE_COLOUR) | a.bit(4, CIRCLE_START) | a.bit(5, CIRCLE_END) |
                       a.bit(6, CIRCLE_ASPECT));
     }},
    {"PAINT",
     [](args &a) {
         rt_paint(a.f(0), a.f(1), a.colour(2), a.colour(3), nullptr,
                  a.bit(2, PAINT_FILL) | a.bit(3, PAINT_BORDER));
     }},
    {"PAINT_TILE", paint_tile},
    {"WINDOW", [](args &a) { rt_window(a.f(0), a.f(1), a.f(2), a.f(3), a.bit(0, WINDOW_COORDS)); }},
    {"WINDOW_SCREEN",
     [](args &a) {
         rt_window(a.f(0), a.f(1), a.f(2), a.f(3), a.bit(0, WINDOW_COORDS) | WINDOW_SCREEN);
     }},
    {"VIEW",
     [](args &a) {
         rt_view(int32_t(a.num(0)), int32_t(a.num(1)), int32_t(a.num(2)), int32_t(a.num(3)),
                 a.colour(4), a.colour(5),
                 a.bit(0, VIEW_COORDS) | a.bit(4, VIEW_FILL) | a.bit(5, VIEW_BORDER));
     }},
    {"VIEW_SCREEN",
     [](args &a) {
         rt_view(int32_t(a.num(0)), int32_t(a.num(1)), int32_t(a.num(2)), int32_t(a.num(3)),
                 a.colour(4), a.colour(5),
                 a.bit(0, VIEW_COORDS) | VIEW_SCREEN | a.bit(4, VIEW_FILL) | a.bit(5, VIEW_BORDER));
     }},
    {"POINT", [](args &a) { say("%.10Lg\n", rt_point(a.f(0), a.f(1), 1)); }},
    {"POINTF", [](args &a) { say("%.10Lg\n", rt_point(a.f(0), 0, 0)); }},
    {"PMAP", [](args &a) { say("%.9Lg\n", rt_pmap(a.f(0), int32_t(a.num(1)))); }},
    {"SHOW",
     [](args &) {
         page_dump();
         say("drawn\n", 0);
     }},
};

// A word a statement can take: "-", a number, a box kind or hexadecimal
// bytes.
bool word_readable(const std::string &w)
{
    if (w == "-" || w == "B" || w == "BF" ||
        w.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
        return true;
    args probe{{w}};
    probe.num(0);
    return probe.ok;
}

void statement_run(const std::string &text)
{
    std::istringstream in(text);
    std::string name, word;
    if (!(in >> name))
        return;
    args a;
    while (in >> word) {
        a.words.push_back(word);
        a.ok = a.ok && word_readable(word);
    }
    auto found = statements.find(name);
    if (found == statements.end() || !a.ok) {
        std::fprintf(stderr, "%s: %s\n", a.ok ? "unknown statement" : "unreadable argument",
                     text.c_str());
        return;
    }
    uint32_t mark = string_temp_count;
    found->second(a);
    temp_strings_release(mark);
    if (!a.ok)
        std::fprintf(stderr, "unreadable argument: %s\n", text.c_str());
    if (uint32_t n = error_pending_take())
        std::printf("ERROR %u\n", n);
    std::fflush(stdout);
}

void script_run()
{
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string text(buffer);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        statement_run(text);
    }
}

void windowed_main_module()
{
    script_run();
    rt_system();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: draw_script_program OUT [--window] < script\n");
        return 2;
    }
    out_path = argv[1];
    windowed = argc > 2 && std::string(argv[2]) == "--window";
    if (windowed)
        return runtime_main(argc, argv, program_unit{windowed_main_module, false, false, 0, 0});
    runtime_static_init();
    dos_memory_reset();
    screen_startup();
    script_run();
    page_dump();
    return 0;
}
