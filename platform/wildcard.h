// File-name wildcards by the classic DOS rules.
//
// '*' matches any run of characters, '?' any one character, every other
// character itself with ASCII letter case ignored. On top of that:
// - '?' also matches no character where the name has ended or its next
//   character is '.', so "A?.TXT" matches "A.TXT";
// - a pattern ending in ".*" also matches the name without an extension, so
//   "*.*" matches every name;
// - a pattern ending in a single '.' after another character matches only
//   names without a '.', so "*." means "no extension".
// Matching simulates the pattern as a set of states, one step per character
// of the name: time grows with pattern length times name length, never
// exponentially, whatever a program passes.
#pragma once

#include <string_view>

bool wildcard_match(std::string_view pattern, std::string_view name);

// True when the text holds '*' or '?'.
bool wildcard_has_wild(std::string_view text);
