// The runtime's text is bytes, each the Latin-1 character of its value; X
// properties such as _NET_WM_NAME and UTF8_STRING selections want UTF-8, and
// X's input method types UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text's Latin-1 bytes as UTF-8.
std::string latin1_to_utf8(std::string_view text);

// A broken UTF-8 sequence, as utf8_next gives it.
constexpr uint32_t UTF8_BROKEN = 0xFFFFFFFF;

// The character of the UTF-8 sequence at `at` in `text` (at < size), and
// `at` moved past it; UTF8_BROKEN, and `at` moved one byte on, for a broken
// sequence (a stray or missing continuation byte, a cut-off end, a longer form
// than needed).
uint32_t utf8_next(std::string_view text, size_t &at);
