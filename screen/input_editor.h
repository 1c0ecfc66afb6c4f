// INPUT and LINE INPUT from the keyboard: a line editor on the write page.
//
// The compiled statement fills the target table (entries 1 to count) and
// calls rt_input. The editor echoes typed characters at the cursor and never
// lets the line become invalid for its targets: a key that would make a field
// invalid is shown and at once taken back by redrawing the line from a
// snapshot of the page made at entry. Every valid line is stored into the
// targets at once, so when Enter is pressed (or the program is ended while
// the editor waits) the targets hold the values of the last valid line.
//
// Keys come from INKEY$ (the emulated BIOS keyboard buffer), polled every
// 10 ms; on a console page from standard input. Extended keys are ignored;
// Backspace drops the last character, Tab types blanks up to the next
// multiple of 8, Enter ends the input. A line holds at most 255 characters.
//
// Fields: a comma ends a field (not in LINE INPUT, not inside a quoted
// field). A field that begins with a double quote runs to the next double
// quote, after which only a comma may follow. Strings take their field as it
// is (without the quotes); numbers must be in the target's own form and
// range while they are typed (see input_fields.cpp).
//
// Program thread only. Returns at once while an error is pending; nothing
// typed raises an error.
#pragma once

#include <cstdint>

// Bits of a target's type word beside the size in bits (0-8) and the numeric
// flags of core/number_scan.h (NUMERIC_TYPE_FLOAT, NUMERIC_TYPE_UNSIGNED).
constexpr uint32_t INPUT_TYPE_STRING = 0x40000000;
// Checked like any target, never stored.
constexpr uint32_t INPUT_TYPE_NO_STORE = 0x01000000;
// On the first target, beside INPUT_TYPE_STRING: LINE INPUT (the whole line
// is the one field).
constexpr uint32_t INPUT_TYPE_LINE = 0x200;
// Size of the longest real (stored as a long double).
constexpr uint32_t INPUT_REAL_LONGEST_BITS = 256;

// One target: the variable (a string_descriptor for strings; an integer,
// float, double or long double of the size given) and its type word.
struct input_target {
    void *variable;
    uint32_t type_word;
};

// Sets entry `index` (1-based) of the target table, growing it as needed.
void input_target_set(int32_t index, void *variable, uint32_t type_word);

// INPUT / LINE INPUT with the first `count` table entries; newline 1 ends
// with a new line (INPUT without a trailing semicolon). A count outside the
// filled table or a type word no target can have raises error 5.
void rt_input(int32_t count, int32_t newline);

// The maximum length of a line.
constexpr int32_t INPUT_LINE_MAX = 255;

// Whether a field is an &H or &O number: 0 not (or not a valid one); 1 a
// valid &H form or an incomplete start ("", "&", "&H"); 2 a valid &O form.
// At most 16 hex digits, or 22 octal digits of which a 22nd-place first digit
// must be 0 or 1. The value goes to input_hex_oct_value.
int32_t input_check_hex_oct(const uint8_t *field, int32_t length);
extern uint64_t input_hex_oct_value;

// RANDOMIZE without a seed: prints the prompt and reads a 16-bit integer with
// the editor; returns it.
int32_t randomize_seed_input(const char *prompt);

// Installs randomize_seed_input as RANDOMIZE's prompt hook (start-up).
void input_editor_install();
