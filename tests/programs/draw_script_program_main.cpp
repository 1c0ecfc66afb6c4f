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
//   DRAW command-string      (the rest of the line, blanks included)
//   GET x1 y1 x2 y2 name     into the byte array name, sized for the block on
//                            the read page
//   PUT x y name PSET|PRESET|AND|OR|XOR|-   (- is XOR)
//   GET_HEX name             prints the array's bytes in hexadecimal
//   SET_HEX name bytes-in-hex   makes the array hold those bytes
// Arrays start one byte past an aligned address.
//
// A BASIC error prints "ERROR n" on standard output and the program goes on
// with the next line; a line it cannot read is named on standard error.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "files/byte_element.h"
#include "graphics/array_image.h"
#include "graphics/draw.h"
#include "graphics/pmap.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <algorithm>
#include <cctype>
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

// The byte arrays of GET and PUT by name, each one byte past the start of
// its storage so that it lies unaligned.
std::map<std::string, std::vector<uint8_t>> arrays;

byte_element array_element(const std::string &name)
{
    std::vector<uint8_t> &storage = arrays[name];
    if (storage.empty())
        storage.push_back(0);
    return {uint64_t(uintptr_t(storage.data() + 1)), int32_t(storage.size() - 1)};
}

void graphics_get(args &a)
{
    const image_slot *r = read_page.record;
    if (!a.given(4) || !r) {
        a.ok = false;
        return;
    }
    uint64_t w = uint64_t(std::abs(a.num(2) - a.num(0))) + 1;
    uint64_t h = uint64_t(std::abs(a.num(3) - a.num(1))) + 1;
    uint64_t size = 4 + h * array_image_row_bytes(r->bits_per_pixel, w);
    arrays[a.words[4]].assign(size_t(std::min<uint64_t>(size, 1u << 26)) + 1, 0);
    byte_element e = array_element(a.words[4]);
    rt_graphics_get(a.f(0), a.f(1), a.f(2), a.f(3), &e, 0, 0);
}

void graphics_put(args &a)
{
    static const std::map<std::string, uint32_t> actions = {
        {"PSET", PUT_PSET}, {"PRESET", PUT_PRESET}, {"AND", PUT_AND},
        {"OR", PUT_OR},     {"XOR", PUT_XOR},       {"-", PUT_XOR}};
    auto action = actions.find(a.given(2) && a.words.size() > 3 ? a.words[3] : "?");
    if (action == actions.end()) {
        a.ok = false;
        return;
    }
    byte_element e = array_element(a.words[2]);
    rt_graphics_put(a.f(0), a.f(1), &e, action->second, 0, 0);
}

void hex_get(args &a)
{
    if (!a.given(0)) {
        a.ok = false;
        return;
    }
    byte_element e = array_element(a.words[0]);
    const uint8_t *b = byte_element_bytes(&e);
    for (int32_t i = 0; i < e.length; i++)
        std::printf("%s%02X", i ? " " : "", b[i]);
    std::printf("\n");
}

void hex_set(args &a)
{
    std::string bytes;
    if (!a.given(0) || !hex_bytes(a.given(1) ? a.words[1] : "", &bytes)) {
        a.ok = false;
        return;
    }
    std::vector<uint8_t> &storage = arrays[a.words[0]];
    storage.assign(1, 0);
    storage.insert(storage.end(), bytes.begin(), bytes.end());
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
    {"GET", graphics_get},
    {"PUT", graphics_put},
    {"GET_HEX", hex_get},
    {"SET_HEX", hex_set},
    {"SHOW",
     [](args &) {
         page_dump();
         say("drawn\n", 0);
     }},
};

// A word a statement can take: "-", a number, a box kind or hexadecimal
// bytes, a name or an action.
bool word_readable(const std::string &w)
{
    if (w == "-" || w == "B" || w == "BF" || std::isalpha(uint8_t(w[0])) ||
        w.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
        return true;
    args probe{{w}};
    probe.num(0);
    return probe.ok;
}

// DRAW with the rest of the line as its command string.
void draw_run(const std::string &text)
{
    size_t start = text.find("DRAW") + 4;
    start += start < text.size() && text[start] == ' ';
    std::string commands = text.substr(std::min(start, text.size()));
    rt_draw(string_from_buffer(commands.data(), int32_t(commands.size())));
}

// Runs one line: DRAW, or a statement from the table. False for a line that
// cannot be read.
bool line_run(const std::string &text, const std::string &name, std::istringstream &in)
{
    if (name == "DRAW") {
        draw_run(text);
        return true;
    }
    args a;
    for (std::string word; in >> word;) {
        a.words.push_back(word);
        a.ok = a.ok && word_readable(word);
    }
    auto found = statements.find(name);
    if (found == statements.end() || !a.ok) {
        std::fprintf(stderr, "%s: %s\n", a.ok ? "unknown statement" : "unreadable argument",
                     text.c_str());
        return false;
    }
    found->second(a);
    if (!a.ok)
        std::fprintf(stderr, "unreadable argument: %s\n", text.c_str());
    return true;
}

void statement_run(const std::string &text)
{
    std::istringstream in(text);
    std::string name;
    if (!(in >> name))
        return;
    uint32_t mark = string_temp_count;
    if (!line_run(text, name, in))
        return;
    temp_strings_release(mark);
    if (uint32_t n = error_pending_take())
        std::printf("ERROR %u\n", n);
    std::fflush(stdout);
}

void script_run()
{
    static char buffer[65536];
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
