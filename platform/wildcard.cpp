#include "platform/wildcard.h"

#include <cstring>

namespace
{

constexpr size_t WORD_STATES = 64;
constexpr size_t STACK_STATES = 256;

unsigned char fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Adds the states reachable without consuming a character: past each state
// whose position is passable. Repeats until a whole run of passable positions
// is crossed.
uint64_t bits_close(uint64_t states, uint64_t passable)
{
    for (;;) {
        uint64_t more = states | ((states & passable) << 1);
        if (more == states)
            return states;
        states = more;
    }
}

} // namespace

wildcard_name wildcard_final_dots_dropped(std::string_view text)
{
    const size_t kept = text.find_last_not_of('.');
    if (kept == std::string_view::npos || kept + 1 == text.size())
        return {text, false};
    return {text.substr(0, kept + 1), true};
}

wildcard_pattern::wildcard_pattern(std::string_view pattern)
{
    const wildcard_name wanted = wildcard_final_dots_dropped(pattern);
    no_extension_ = wanted.no_extension;
    const std::string_view p = wanted.text;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const char next = i + 1 < p.size() ? p[i + 1] : '\0';
        piece kind = piece::literal;
        if (c == '*' && i > 0 && p[i - 1] == '*')
            continue; // a run of '*' is its first, a plain '*'
        if (c == '*')
            kind = next == '.' ? piece::run_to_last_dot : piece::any_run;
        else if (c == '?')
            kind = piece::not_dot;
        else if (c == '.' && (next == '?' || next == '*'))
            kind = piece::dot_or_end;
        pieces_.push_back(kind);
        folded_ += char(kind == piece::literal ? fold(c) : c);
    }
    wide_ = pieces_.size() >= WORD_STATES;
    if (wide_)
        return;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        const uint64_t bit = uint64_t(1) << i;
        const auto c = static_cast<unsigned char>(folded_[i]);
        switch (pieces_[i]) {
        case piece::run_to_last_dot:
            run_to_last_dot_ |= bit;
            [[fallthrough]];
        case piece::any_run:
            run_ |= bit;
            break;
        case piece::not_dot:
            not_dot_ |= bit;
            break;
        case piece::dot_or_end:
            dot_or_end_ |= bit;
            literal_[uint8_t('.')] |= bit;
            break;
        case piece::literal:
            literal_[c] |= bit;
            if (c >= 'a' && c <= 'z')
                literal_[c - ('a' - 'A')] |= bit;
            break;
        }
    }
}

// One word of states: bit i set while position i of the pattern is reached.
bool wildcard_pattern::run_bits(std::string_view name) const
{
    const size_t last_dot = run_to_last_dot_ ? name.rfind('.') : std::string_view::npos;
    uint64_t states = 1;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool dot = c == '.';
        states = bits_close(states, dot ? run_ | not_dot_ : run_);
        const uint64_t takes = literal_[c] | (dot ? 0 : not_dot_);
        const uint64_t stays = i == last_dot ? run_ & ~run_to_last_dot_ : run_;
        states = ((states & takes) << 1) | (states & stays);
        if (states == 0)
            return false;
    }
    states = bits_close(states, run_ | not_dot_ | dot_or_end_);
    return (states >> pieces_.size()) & 1;
}

// Adds, with a byte per state, the states reachable without consuming a
// character where the name goes on with a '.' (dot) or has ended (end).
// Ascending order carries a state through a whole passable run.
void wildcard_pattern::close_bytes(uint8_t *states, bool dot, bool end) const
{
    for (size_t i = 0; i < pieces_.size(); ++i) {
        const piece k = pieces_[i];
        if (states[i] && (k == piece::any_run || k == piece::run_to_last_dot ||
                          (k == piece::not_dot && (dot || end)) || (k == piece::dot_or_end && end)))
            states[i + 1] = 1;
    }
}

// One character of the name, a byte per state: from every live state on to
// the next when its piece takes c, and staying on a '*'. False when no state
// survives.
bool wildcard_pattern::step_bytes(const uint8_t *from, uint8_t *to, unsigned char c,
                                  bool at_last_dot) const
{
    std::memset(to, 0, pieces_.size() + 1);
    bool alive = false;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        if (!from[i])
            continue;
        bool advances = false, stays = false;
        switch (pieces_[i]) {
        case piece::literal:
            advances = static_cast<unsigned char>(folded_[i]) == fold(c);
            break;
        case piece::not_dot:
            advances = c != '.';
            break;
        case piece::dot_or_end:
            advances = c == '.';
            break;
        case piece::run_to_last_dot:
            stays = !at_last_dot;
            break;
        case piece::any_run:
            stays = true;
            break;
        }
        to[i + 1] |= advances;
        to[i] |= stays;
        alive = alive || advances || stays;
    }
    return alive;
}

// The same automaton as run_bits with a byte per state, for long patterns.
bool wildcard_pattern::run_bytes(std::string_view name) const
{
    const size_t n = pieces_.size();
    uint8_t stack_a[STACK_STATES], stack_b[STACK_STATES];
    std::string heap;
    auto *from = stack_a, *to = stack_b;
    if (n + 1 > STACK_STATES) {
        heap.assign(2 * (n + 1), '\0');
        from = reinterpret_cast<uint8_t *>(heap.data());
        to = from + n + 1;
    }
    std::memset(from, 0, n + 1);
    from[0] = 1;
    const size_t last_dot = name.rfind('.');
    for (size_t j = 0; j < name.size(); ++j) {
        const auto c = static_cast<unsigned char>(name[j]);
        close_bytes(from, c == '.', false);
        if (!step_bytes(from, to, c, j == last_dot))
            return false;
        std::swap(from, to);
    }
    close_bytes(from, false, true);
    return from[n] != 0;
}

bool wildcard_pattern::matches(std::string_view name) const
{
    if (no_extension_ && name.find('.') != std::string_view::npos)
        return false;
    return wide_ ? run_bytes(name) : run_bits(name);
}

bool wildcard_match(std::string_view pattern, std::string_view name)
{
    return wildcard_pattern(pattern).matches(name);
}

bool wildcard_has_wild(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}
