// The function-key label bar: KEY ON, KEY OFF, KEY LIST and KEY n, text.
//
// The labels of F1-F12 are shown on the last row of screen page 0 while the
// bar is on. Keys 1-10 are F1-F10, F11 and F12 are key numbers 30 and 31;
// numbers 15-29 are user keys defined by a shift-flag byte and a scan code.
// KEY n stores a user key in the key-trap table (core/traps.h) and publishes
// each label there as a read-only string whose characters this module keeps,
// for the key-down handler to type as a soft-key string.
// SCREEN and CLS ask for a redraw (key_bar_redraw), which ends at once while
// the bar is off.
#pragma once

#include <cstdint>

struct string_descriptor;

extern uint32_t key_bar_on;     // 1 while the bar is shown
extern uint32_t key_bar_redraw; // set by SCREEN and CLS before key_bar_draw
// Set while the bar draws its labels: no code acts as a control character.
extern uint32_t key_bar_drawing;

constexpr int32_t KEY_LABEL_MAX = 15;

// Draws or erases the bar when its state or a redraw request says so.
void key_bar_draw();
void rt_key_on();
void rt_key_off();
// Prints the twelve labels, one line each, through key_list_print.
void rt_key_list();
// KEY n, text: a label (n 1-10, 30, 31) or a user key (n 15-29).
void rt_key_define(int32_t n, const string_descriptor *text);

// PRINT of one string for KEY LIST, installed by the text output engine.
// While it is unset KEY LIST prints nothing.
extern void (*key_list_print)(const uint8_t *text, int32_t length, bool newline);

// Clears the labels and the bar state (start-up, tests).
void key_bar_reset();
