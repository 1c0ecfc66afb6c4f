// File-name wildcards as the directory search reads them, ASCII letter case
// ignored:
// - '?' matches one character other than '.'; a run of '?' may also end
//   early where the name goes on with '.' or has ended, so "a?.txt" matches
//   "a.txt" and "???" matches "ab", but "???" never matches "a.b";
// - a '.' right before '?' or '*' matches a '.' or the end of the name, so
//   "a.?" matches "a" and "*.*" matches every name;
// - a lone '*' right before a '.' matches any run that does not take the
//   name's last '.', so "*.?" matches "a.b.c" but not "a.bc"; any other '*'
//   (a run of them included) matches any run;
// - the dots ending a pattern are dropped and it then matches only names
//   without a '.': "abc." matches "abc", "*." every name without an
//   extension. A pattern of dots alone ("." or "..") matches itself;
// - every other character matches itself.
// Matching simulates the pattern as a set of states, one step per character
// of the name: time grows with pattern length times name length, never
// exponentially, whatever a program passes. Patterns of up to 63 characters
// keep their states in the bits of one word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A name or pattern without the dots that end it. Such dots name nothing:
// "abc." names "abc", and only a name without a '.' (no_extension). A text
// of dots alone is kept whole.
struct wildcard_name {
    std::string_view text;
    bool no_extension;
};
wildcard_name wildcard_final_dots_dropped(std::string_view text);

// A pattern prepared once for matching many names (a directory listing).
class wildcard_pattern
{
  public:
    explicit wildcard_pattern(std::string_view pattern);
    bool matches(std::string_view name) const;

  private:
    // What the character at one position of the prepared pattern takes.
    enum class piece : uint8_t {
        literal,         // its own byte, letter case ignored
        not_dot,         // '?': a byte but '.', or nothing at a '.' or the end
        any_run,         // '*'
        run_to_last_dot, // '*' before '.': a run without the name's last '.'
        dot_or_end,      // '.' before '?' or '*': a '.', or nothing at the end
    };

    bool run_bits(std::string_view name) const;
    bool run_bytes(std::string_view name) const;
    void close_bytes(uint8_t *states, bool dot, bool end) const;
    bool step_bytes(const uint8_t *from, uint8_t *to, unsigned char c, bool at_last_dot) const;

    std::vector<piece> pieces_;
    std::string folded_; // a literal's byte, lower case, per position
    bool no_extension_ = false;
    bool wide_ = false; // too long for the bits of one word
    uint64_t run_ = 0, run_to_last_dot_ = 0, not_dot_ = 0, dot_or_end_ = 0;
    uint64_t literal_[256] = {}; // positions whose character takes the byte
};

bool wildcard_match(std::string_view pattern, std::string_view name);

// True when the text holds '*' or '?'.
bool wildcard_has_wild(std::string_view text);
