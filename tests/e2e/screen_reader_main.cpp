// Reads a text screen back from a screenshot: every cell is matched against
// the built-in glyph table and its colours against the text palette.
//
//   screen_reader [options] IMAGE.ppm
//     --font 8|14|16       the screen's font (cell height); default 8
//     --origin X,Y         top-left pixel of the text screen; default 0,0
//     --scale SX,SY        image pixels per screen pixel (a stretched
//                          screen); each screen pixel is read at its centre
//     --size COLSxROWS     cells to read; default as many as the image holds
//     --palette N=RRGGBB,...  palette entries that differ from the default
//                          text colours (N 0-15)
//     --pixel X,Y          prints one pixel's colour RRGGBB instead
//
// Output: ROWS lines of text (UTF-8, code page 437), a line "--", then ROWS
// lines of colours with two characters a cell, the foreground and the
// background palette index as a hex digit: '.' when the cell shows no pixel
// of that colour (a blank cell has no foreground), '?' for a colour outside
// the palette. A cell that fits no glyph reads as U+FFFD with colours "??";
// the text cursor makes its cell such a cell, so hide it.
//
// A cell of two colours may fit a glyph either way round (a shade and its
// inverse shade): the reading whose background equals the background of the
// cell before it in the row wins, else the one with fewer foreground pixels.
// A cell of one colour reads as a blank of that background.
#include "screen/data/screen_data.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace
{

struct image {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0xRRGGBB
    uint32_t at(int32_t x, int32_t y) const
    {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
};

struct options {
    int32_t font = 8;
    int32_t origin_x = 0, origin_y = 0;
    double scale_x = 1.0, scale_y = 1.0;
    int32_t columns = 0, rows = 0;
    uint32_t palette[16];
    bool pixel = false;
    int32_t pixel_x = 0, pixel_y = 0;
    const char *file = nullptr;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "screen_reader: %s\n", message.c_str());
    std::exit(2);
}

// Skips blanks and # comments of a PPM header, then reads a number.
int32_t header_number(const std::string &data, size_t &at)
{
    for (;;) {
        while (at < data.size() && std::isspace(uint8_t(data[at])))
            ++at;
        if (at < data.size() && data[at] == '#') {
            while (at < data.size() && data[at] != '\n')
                ++at;
            continue;
        }
        break;
    }
    size_t start = at;
    while (at < data.size() && std::isdigit(uint8_t(data[at])))
        ++at;
    if (start == at)
        fail("bad PPM header");
    return std::atoi(data.substr(start, at - start).c_str());
}

image ppm_read(const char *file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        fail(std::string("cannot open ") + file);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.compare(0, 2, "P6") != 0)
        fail("not a binary PPM (P6)");
    size_t at = 2;
    image img;
    img.width = header_number(data, at);
    img.height = header_number(data, at);
    if (header_number(data, at) != 255)
        fail("PPM with a maximum other than 255");
    ++at;
    const size_t n = size_t(img.width) * size_t(img.height);
    if (data.size() < at + n * 3)
        fail("PPM cut short");
    img.pixels.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const auto *p = reinterpret_cast<const uint8_t *>(data.data() + at + i * 3);
        img.pixels[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    return img;
}

// One glyph's rows as bytes (bit 7 the leftmost pixel).
std::string glyph_rows(int32_t font, int32_t code)
{
    if (font == 8)
        return std::string(reinterpret_cast<const char *>(stored_glyphs_8x8) + code * 8, 8);
    const char *rows = reinterpret_cast<const char *>(stored_glyphs_8x16) + code * 16;
    return font == 14 ? std::string(rows + 1, 14) : std::string(rows, 16);
}

// Glyph rows to code; of codes sharing a picture a printable one wins, then
// the lowest.
std::map<std::string, int32_t> glyph_map(int32_t font)
{
    std::map<std::string, int32_t> map;
    for (int32_t code = 255; code >= 0; --code) {
        const std::string rows = glyph_rows(font, code);
        auto found = map.find(rows);
        const bool printable = code >= 32 && code <= 126;
        if (found == map.end() || printable || !(found->second >= 32 && found->second <= 126))
            map[rows] = code;
    }
    return map;
}

void utf8_put(std::string &out, uint32_t u)
{
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

char palette_digit(const options &o, int64_t colour)
{
    if (colour < 0)
        return '.';
    for (int32_t i = 0; i < 16; ++i)
        if (o.palette[i] == uint32_t(colour))
            return "0123456789ABCDEF"[i];
    return '?';
}

// The image pixel that shows a pixel of the screen.
struct sampler {
    const image &img;
    const options &o;
    uint32_t at(int32_t x, int32_t y) const
    {
        return img.at(o.origin_x + int32_t((x + 0.5) * o.scale_x),
                      o.origin_y + int32_t((y + 0.5) * o.scale_y));
    }
};

struct cell_reading {
    int32_t code;       // -1 unknown
    int64_t fore, back; // colours, -1 none
};

// The cell's pixels set where they have `colour`, as glyph rows.
std::string mask_of(const sampler &img, int32_t x0, int32_t y0, int32_t height, uint32_t colour)
{
    std::string rows(size_t(height), '\0');
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < 8; ++x)
            if (img.at(x0 + x, y0 + y) == colour)
                rows[size_t(y)] = char(uint8_t(rows[size_t(y)]) | (0x80 >> x));
    return rows;
}

int32_t bits_set(const std::string &rows)
{
    int32_t n = 0;
    for (char c : rows)
        n += __builtin_popcount(uint8_t(c));
    return n;
}

cell_reading cell_read(const sampler &img, const std::map<std::string, int32_t> &glyphs, int32_t x0,
                       int32_t y0, int32_t height, int64_t back_before)
{
    std::vector<uint32_t> colours;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const uint32_t c = img.at(x0 + x, y0 + y);
            if (colours.size() < 3 && std::find(colours.begin(), colours.end(), c) == colours.end())
                colours.push_back(c);
        }
    if (colours.size() == 1)
        return {32, -1, colours[0]};
    if (colours.size() > 2)
        return {-1, -1, -1};
    const std::string mask_a = mask_of(img, x0, y0, height, colours[0]);
    const std::string mask_b = mask_of(img, x0, y0, height, colours[1]);
    const auto a = glyphs.find(mask_a), b = glyphs.find(mask_b);
    const cell_reading as_a{a == glyphs.end() ? -1 : a->second, colours[0], colours[1]};
    const cell_reading as_b{b == glyphs.end() ? -1 : b->second, colours[1], colours[0]};
    if (as_a.code < 0 || as_b.code < 0)
        return as_a.code >= 0 ? as_a : as_b.code >= 0 ? as_b : cell_reading{-1, -1, -1};
    if (as_a.back == back_before)
        return as_a;
    if (as_b.back == back_before)
        return as_b;
    return bits_set(mask_a) <= bits_set(mask_b) ? as_a : as_b;
}

void screen_print(const image &img, const options &o)
{
    const int32_t height = o.font;
    const int32_t columns =
        o.columns ? o.columns : int32_t((img.width - o.origin_x) / (8 * o.scale_x));
    const int32_t rows =
        o.rows ? o.rows : int32_t((img.height - o.origin_y) / (height * o.scale_y));
    const sampler sample{img, o};
    if (o.origin_x < 0 || o.origin_y < 0 ||
        o.origin_x + int32_t((columns * 8 - 0.5) * o.scale_x) >= img.width ||
        o.origin_y + int32_t((rows * height - 0.5) * o.scale_y) >= img.height)
        fail("the screen does not fit the image");
    const std::map<std::string, int32_t> glyphs = glyph_map(o.font);
    std::string text, colours;
    for (int32_t row = 0; row < rows; ++row) {
        int64_t back_before = -1;
        for (int32_t col = 0; col < columns; ++col) {
            const cell_reading r =
                cell_read(sample, glyphs, col * 8, row * height, height, back_before);
            if (r.code < 0) {
                utf8_put(text, 0xFFFD);
                colours += "??";
                continue;
            }
            utf8_put(text, r.code == 0 ? 32 : stored_codepage_437[r.code]);
            colours += palette_digit(o, r.fore);
            colours += palette_digit(o, r.back);
            back_before = r.back;
        }
        text += '\n';
        colours += '\n';
    }
    std::fputs(text.c_str(), stdout);
    std::fputs("--\n", stdout);
    std::fputs(colours.c_str(), stdout);
}

bool pair_parse(const char *text, char separator, int32_t &a, int32_t &b)
{
    char *end = nullptr;
    a = int32_t(std::strtol(text, &end, 10));
    if (*end != separator)
        return false;
    b = int32_t(std::strtol(end + 1, &end, 10));
    return *end == '\0';
}

void palette_parse(const char *text, options &o)
{
    std::string list = text;
    size_t at = 0;
    while (at < list.size()) {
        size_t comma = list.find(',', at);
        const std::string item =
            list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        const size_t eq = item.find('=');
        const int32_t index = std::atoi(item.substr(0, eq).c_str());
        if (eq == std::string::npos || index < 0 || index > 15 || item.size() != eq + 7)
            fail("bad palette entry " + item);
        o.palette[index] = uint32_t(std::strtoul(item.substr(eq + 1).c_str(), nullptr, 16));
        at = comma == std::string::npos ? list.size() : comma + 1;
    }
}

options options_parse(int argc, char **argv)
{
    options o;
    for (int32_t i = 0; i < 16; ++i)
        o.palette[i] = stored_palette_256[i] & 0xFFFFFF;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--font" && has_value) {
            o.font = std::atoi(argv[++i]);
            if (o.font != 8 && o.font != 14 && o.font != 16)
                fail("font must be 8, 14 or 16");
        } else if (arg == "--origin" && has_value) {
            if (!pair_parse(argv[++i], ',', o.origin_x, o.origin_y))
                fail("bad --origin");
        } else if (arg == "--scale" && has_value) {
            char *end = nullptr;
            o.scale_x = std::strtod(argv[++i], &end);
            o.scale_y = *end == ',' ? std::strtod(end + 1, &end) : 0;
            if (*end != '\0' || !(o.scale_x > 0) || !(o.scale_y > 0))
                fail("bad --scale");
        } else if (arg == "--size" && has_value) {
            if (!pair_parse(argv[++i], 'x', o.columns, o.rows))
                fail("bad --size");
        } else if (arg == "--palette" && has_value) {
            palette_parse(argv[++i], o);
        } else if (arg == "--pixel" && has_value) {
            o.pixel = true;
            if (!pair_parse(argv[++i], ',', o.pixel_x, o.pixel_y))
                fail("bad --pixel");
        } else if (!o.file && arg[0] != '-') {
            o.file = argv[i];
        } else {
            fail("unknown argument " + arg);
        }
    }
    if (!o.file)
        fail("no image given");
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    const options o = options_parse(argc, argv);
    const image img = ppm_read(o.file);
    if (o.pixel) {
        if (o.pixel_x < 0 || o.pixel_y < 0 || o.pixel_x >= img.width || o.pixel_y >= img.height)
            fail("pixel outside the image");
        std::printf("%06X\n", img.at(o.pixel_x, o.pixel_y));
        return 0;
    }
    screen_print(img, o);
    return 0;
}
