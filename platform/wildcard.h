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
// exponentially, whatever a program passes. Patterns of up to 63 characters
// keep their states in the bits of one word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A pattern prepared once for matching many names (a directory listing).
class wildcard_pattern
{
  public:
    explicit wildcard_pattern(std::string_view pattern);
    bool matches(std::string_view name) const;

  private:
    struct automaton {
        std::string text;  // the pattern with runs of '*' made one
        bool wide = false; // too long for the bits of one word
        uint64_t star = 0, question = 0;
        uint64_t literal[256] = {}; // positions whose character takes the byte
        void build(std::string_view pattern);
        bool run(std::string_view name) const;
    };
    automaton whole_;
    automaton without_extension_; // used when the pattern ends in ".*"
    bool extension_optional_ = false;
    bool no_extension_ = false;
};

bool wildcard_match(std::string_view pattern, std::string_view name);

// True when the text holds '*' or '?'.
bool wildcard_has_wild(std::string_view text);
