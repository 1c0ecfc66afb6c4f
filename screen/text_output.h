// Text output: PRINT, LOCATE, CLS, VIEW PRINT, TAB, SPC, SCREEN(), CSRLIN,
// POS, the printer page behind LPRINT and LPOS, and END's closing prompt.
//
// Everything prints on the write page and moves its text cursor. Rows and
// columns are 1-based: a text page has `width` columns and `height` rows; a
// graphics page has height / font height rows and width / font width columns;
// with a proportional font the column is the pixel x + 1 and a line is
// `width` pixels long. The scroll region (VIEW PRINT) is view_print_top to
// view_print_bottom; the page's last row normally lies outside it, so LOCATE
// may always reach it and PRINT scrolls only the region.
//
// A PRINT that fills the last column without ending its line leaves a pending
// wrap: the cursor stays on the last column and the next non-empty PRINT
// starts a new line first.
//
// Every operation returns at once while an error is pending; the ones that
// return a string return an empty temporary then. Program thread only, except
// printer_page_poll and printer_page_flush, which the runtime loop thread
// calls; the printer page is handed between the two threads through one
// ownership word.
#pragma once

#include <atomic>
#include <cstdint>

struct image_slot;
struct string_descriptor;

// ---- PRINT ------------------------------------------------------------------

// The newline argument of rt_print: PRINT_STAY for a trailing semicolon or
// comma, PRINT_NEWLINE to end the line.
constexpr int32_t PRINT_STAY = 0;
constexpr int32_t PRINT_NEWLINE = 1;

// PRINT of one string (a temporary is consumed).
void rt_print(string_descriptor *text, int32_t newline);
// The same for bytes the runtime prints itself.
void print_bytes(const uint8_t *text, int32_t length, bool newline);
// Called before each PRINT item: starts a new line when the item would not
// fit on the rest of the current one (and the cursor is not in column 1).
void print_make_fit(const string_descriptor *text);
// Draws one character at the cursor of the write page; the cursor stays.
void print_char(uint32_t character);
// Advance width in pixels of a character with the write page's font.
int32_t font_char_width(uint32_t character);
// Column 1 of the next row, scrolling the region when the row passes its end.
void print_newline();
// The comma of PRINT: on to the next 14-column print zone.
void rt_print_comma();
// Mode 2: PRINT draws codes 7-31 as glyphs; any other mode: they act.
void print_control_chars_set(int32_t mode);
extern uint32_t control_chars_as_glyphs;

// ---- Cursor, region, clearing -------------------------------------------------

// Bits of rt_locate's `passed`.
constexpr uint32_t LOCATE_ROW = 1;
constexpr uint32_t LOCATE_COLUMN = 2;
constexpr uint32_t LOCATE_CURSOR = 4;
constexpr uint32_t LOCATE_START = 8;
constexpr uint32_t LOCATE_STOP = 16;
// LOCATE row, column, cursor, start, stop. On the untouched start-up screen
// the first LOCATE to a row below the scroll region (up to 50) turns the
// screen into 80 x 50 once, keeping its text and colours.
void rt_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop,
               uint32_t passed);

// Bits of rt_cls's `passed`.
constexpr uint32_t CLS_METHOD = 1;
constexpr uint32_t CLS_COLOR = 2;
// CLS [method][, colour]: no method clears the scroll region and the last
// row (graphics: the VIEW area), 0 the whole page, 1 the graphics VIEW area,
// 2 the scroll region only.
void rt_cls(int32_t method, uint32_t colour, uint32_t passed);

// VIEW PRINT top TO bottom; without arguments the whole page.
void rt_view_print(int32_t top, int32_t bottom, bool given);

// SCREEN(row, column[, flag]) on the read page: the character code, or with
// a non-zero flag its attribute (graphics pages: the colour of the glyph).
int32_t rt_screen_function(int32_t row, int32_t column, int32_t flag);

// CSRLIN and POS(0): where the next character of PRINT goes on the write
// page, with a pending wrap counted as the start of the next row.
int32_t rt_csrlin();
int32_t rt_pos();

// ---- TAB and SPC ------------------------------------------------------------

// TAB(n) and SPC(n) as temporaries of blanks (a CR first when the target
// column lies behind the cursor or the blanks would not fit on the line).
// Arguments outside -32,768..32,767 give error 7 and an empty string.
string_descriptor *rt_tab(int32_t n);
string_descriptor *rt_spc(int32_t n);
// The same inside LPRINT, measured on the printer page.
string_descriptor *rt_tab_lprint(int32_t n);
string_descriptor *rt_spc_lprint(int32_t n);
// The same inside PRINT #: a file line has no end, and `file_column` is the
// file's own output column (1-based). TAB past the column starts a new line
// with CR LF.
string_descriptor *rt_tab_file(int32_t n, int64_t file_column);
string_descriptor *rt_spc_file(int32_t n);

// ---- Printer page -----------------------------------------------------------

// LPRINT of one string (a temporary is consumed): prints on a 640 x 960
// mode-13 page (made on first use: font 16, black on white, 60 rows) that
// stands for the printer's current sheet.
void printer_page_print(string_descriptor *text, int32_t newline);
// LPOS(n): the printer's column for n 0 to 3, else error 5 and 0.
int32_t rt_lpos(int32_t n);
// Runtime loop thread, once a pass: ejects (hands to the page-out hook and
// clears) a sheet with content when nothing was printed on it for 10 s.
void printer_page_poll();
// Runtime loop thread, on the way out: hands a sheet with content to the
// page-out hook.
void printer_page_flush();
// Where a finished sheet goes. There is no printer: it does nothing.
void printer_page_out(const image_slot *page);

extern uint32_t printer_mode;  // 1 while PRINT works on the printer page
extern int32_t printer_column; // LPOS; 1 at start
// The sheet's slot (0 before first use) and whether it holds unprinted text.
extern std::atomic<uint32_t> printer_page_slot;
extern std::atomic<uint32_t> printer_page_dirty;

// ---- END --------------------------------------------------------------------

// END's closing prompt: the display page becomes the write page, the scroll
// region shrinks to its last text row, and an empty line and then "Press any
// key to continue" are printed there.
void end_prompt_show();

// Puts the text-output globals and the printer page state back to their
// start values (start-up, tests). Frees nothing: the printer page's slot
// belongs to the image table, which screen_startup rebuilds.
void text_output_reset();
