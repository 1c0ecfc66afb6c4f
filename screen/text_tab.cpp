// TAB(n) and SPC(n): the blanks that PRINT, LPRINT and PRINT # print to
// reach a column or to skip columns.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "core/strings.h"
#include "screen/image_slots.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t ARGUMENT_MIN = -32768;
constexpr int32_t ARGUMENT_MAX = 32767;
// The BASIC error of an argument outside that range.
constexpr uint32_t ARGUMENT_ERROR = 7;

// Where a line stands. Positions count in steps of `unit`: one column, or
// on a page with a proportional font one pixel, with a unit the width of a
// space.
struct line_position {
    int64_t columns; // units on a line; 0 for a file line, which has no end
    int64_t x;       // steps from the line's start to the cursor
    int64_t unit;    // steps of one unit
    bool crlf;       // a new line is CR LF (files) or CR
};

// A temporary of an optional line end followed by `count` blanks.
string_descriptor *blanks_make(bool new_line, bool crlf, int64_t count)
{
    int32_t head = new_line ? (crlf ? 2 : 1) : 0;
    string_descriptor *s = string_new(head + int32_t(count), true);
    if (new_line)
        s->chr[0] = 13;
    if (new_line && crlf)
        s->chr[1] = 10;
    std::memset(s->chr + head, ' ', size_t(count));
    return s;
}

// The position on a page. A pending wrap counts as column 1 of the next
// line, where PRINT will put the next character. Only the write page can
// carry a proportional font (the printer page has font 16).
line_position page_position(const image_slot *r)
{
    text_layout lay = text_layout_of(r);
    int64_t x = r->pending_wrap ? 0 : r->cursor_col - 1;
    if (!lay.proportional)
        return {std::max(lay.columns, 1), x, 1, false};
    int64_t unit = std::max(font_char_width(' '), 1);
    return {std::max<int64_t>(lay.columns / unit, 1), x, unit, false};
}

bool argument_bad(int32_t n)
{
    if (n >= ARGUMENT_MIN && n <= ARGUMENT_MAX)
        return false;
    error_raise(ARGUMENT_ERROR);
    return true;
}

string_descriptor *tab_at(const line_position &at, int32_t n)
{
    int64_t column = n;
    if (at.columns && column > at.columns)
        column %= at.columns;
    column = std::max<int64_t>(column, 1);
    int64_t target = (column - 1) * at.unit;
    if (at.x <= target)
        return blanks_make(false, at.crlf, (target - at.x + at.unit - 1) / at.unit);
    return blanks_make(true, at.crlf, column - 1);
}

string_descriptor *spc_at(const line_position &at, int32_t n)
{
    int64_t count = std::max(n, 0);
    if (!at.columns)
        return blanks_make(false, at.crlf, count);
    count %= at.columns;
    int64_t room = at.columns - at.x / at.unit;
    if (count > room)
        return blanks_make(true, at.crlf, count - room);
    return blanks_make(false, at.crlf, count);
}

// TAB or SPC measured on the printer page.
string_descriptor *on_printer_page(int32_t n, string_descriptor *(*make)(const line_position &,
                                                                         int32_t))
{
    if (error_pending || argument_bad(n))
        return string_new(0, true);
    image_slot *page = printer_page_acquire();
    if (!page)
        return string_new(0, true);
    line_position at = page_position(page);
    printer_page_release();
    return make(at, n);
}

} // namespace

string_descriptor *rt_tab(int32_t n)
{
    if (error_pending || argument_bad(n) || !write_page.record)
        return string_new(0, true);
    return tab_at(page_position(write_page.record), n);
}

string_descriptor *rt_spc(int32_t n)
{
    if (error_pending || argument_bad(n) || !write_page.record)
        return string_new(0, true);
    return spc_at(page_position(write_page.record), n);
}

string_descriptor *rt_tab_lprint(int32_t n) { return on_printer_page(n, tab_at); }
string_descriptor *rt_spc_lprint(int32_t n) { return on_printer_page(n, spc_at); }

string_descriptor *rt_tab_file(int32_t n, int64_t file_column)
{
    if (error_pending || argument_bad(n))
        return string_new(0, true);
    return tab_at({0, std::max<int64_t>(file_column, 1) - 1, 1, true}, n);
}

string_descriptor *rt_spc_file(int32_t n)
{
    if (error_pending || argument_bad(n))
        return string_new(0, true);
    return spc_at({0, 0, 1, true}, n);
}
