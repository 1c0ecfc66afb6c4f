#include "platform/wildcard.h"

#include <vector>

namespace
{

constexpr size_t WORD_STATES = 64;
constexpr size_t STACK_STATES = 256;

unsigned char fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// ---- Wide patterns: one byte per state ----------------------------------

// Adds the states reachable without consuming a character: past a '*', and
// past a '?' where the name has ended or goes on with '.'. Ascending order
// carries a state through a whole run of such characters in one pass.
void bytes_close(std::string_view p, uint8_t *states, bool question_may_skip)
{
    for (size_t i = 0; i < p.size(); ++i)
        if (states[i] && (p[i] == '*' || (p[i] == '?' && question_may_skip)))
            states[i + 1] = 1;
}

// One character of the name: from every live state, on to the next state
// when the pattern character takes c, and stay on a '*'. False when no state
// survives.
bool bytes_step(std::string_view p, const uint8_t *from, uint8_t *to, unsigned char c)
{
    bool alive = false;
    to[0] = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        to[i + 1] = 0;
        if (!from[i])
            continue;
        auto pc = static_cast<unsigned char>(p[i]);
        if (pc == '*') {
            to[i] = 1;
            alive = true;
        } else if (pc == '?' || fold(pc) == fold(c)) {
            to[i + 1] = 1;
            alive = true;
        }
    }
    return alive;
}

bool bytes_match(std::string_view p, std::string_view name)
{
    uint8_t stack_a[STACK_STATES], stack_b[STACK_STATES];
    std::vector<uint8_t> heap;
    uint8_t *a = stack_a, *b = stack_b;
    if (p.size() + 1 > STACK_STATES) {
        heap.assign(2 * (p.size() + 1), 0);
        a = heap.data();
        b = a + p.size() + 1;
    }
    for (size_t i = 0; i <= p.size(); ++i)
        a[i] = i == 0;
    for (char c : name) {
        bytes_close(p, a, c == '.');
        if (!bytes_step(p, a, b, static_cast<unsigned char>(c)))
            return false;
        std::swap(a, b);
    }
    bytes_close(p, a, true);
    return a[p.size()] != 0;
}

// ---- Narrow patterns: one bit per state --------------------------------

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

void wildcard_pattern::automaton::build(std::string_view pattern)
{
    for (char c : pattern)
        if (c != '*' || text.empty() || text.back() != '*')
            text += c;
    wide = text.size() >= WORD_STATES;
    if (wide)
        return;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint64_t bit = uint64_t(1) << i;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '*') {
            star |= bit;
        } else if (c == '?') {
            question |= bit;
        } else {
            literal[c] |= bit;
            if (fold(c) != c)
                literal[fold(c)] |= bit;
            else if (c >= 'a' && c <= 'z')
                literal[c - ('a' - 'A')] |= bit;
        }
    }
}

bool wildcard_pattern::automaton::run(std::string_view name) const
{
    if (wide)
        return bytes_match(text, name);
    uint64_t states = 1;
    const uint64_t skipping = star | question;
    for (char c : name) {
        states = bits_close(states, c == '.' ? skipping : star);
        const uint64_t takes = question | literal[static_cast<unsigned char>(c)];
        states = ((states & takes) << 1) | (states & star);
        if (states == 0)
            return false;
    }
    states = bits_close(states, skipping);
    return (states >> text.size()) & 1;
}

wildcard_pattern::wildcard_pattern(std::string_view pattern)
{
    const size_t n = pattern.size();
    extension_optional_ = n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*';
    no_extension_ = n >= 2 && pattern[n - 1] == '.' && pattern[n - 2] != '.';
    if (no_extension_)
        pattern.remove_suffix(1);
    whole_.build(pattern);
    if (extension_optional_)
        without_extension_.build(pattern.substr(0, n - 2));
}

bool wildcard_pattern::matches(std::string_view name) const
{
    if (no_extension_ && name.find('.') != std::string_view::npos)
        return false;
    return whole_.run(name) || (extension_optional_ && without_extension_.run(name));
}

bool wildcard_match(std::string_view pattern, std::string_view name)
{
    return wildcard_pattern(pattern).matches(name);
}

bool wildcard_has_wild(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}
