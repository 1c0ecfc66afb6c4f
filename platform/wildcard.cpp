#include "platform/wildcard.h"

#include <cstdint>
#include <vector>

namespace
{

constexpr size_t STACK_STATES = 256;

unsigned char fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Adds the states reachable without consuming a character: past a '*', and
// past a '?' where the name has ended or goes on with '.'. Ascending order
// carries a state through a whole run of such characters in one pass.
void states_close(std::string_view p, uint8_t *states, bool question_may_skip)
{
    for (size_t i = 0; i < p.size(); ++i)
        if (states[i] && (p[i] == '*' || (p[i] == '?' && question_may_skip)))
            states[i + 1] = 1;
}

// One character of the name: from every live state, on to the next state
// when the pattern character takes c, and stay on a '*'. False when no state
// survives.
bool states_step(std::string_view p, const uint8_t *from, uint8_t *to, unsigned char c)
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

// The plain rules with '?' skipping at the end and before '.'.
bool states_match(std::string_view p, std::string_view name)
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
    for (size_t k = 0; k < name.size(); ++k) {
        states_close(p, a, name[k] == '.');
        if (!states_step(p, a, b, static_cast<unsigned char>(name[k])))
            return false;
        std::swap(a, b);
    }
    states_close(p, a, true);
    return a[p.size()] != 0;
}

} // namespace

bool wildcard_match(std::string_view pattern, std::string_view name)
{
    const size_t n = pattern.size();
    if (n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*')
        return states_match(pattern, name) || states_match(pattern.substr(0, n - 2), name);
    if (n >= 2 && pattern[n - 1] == '.' && pattern[n - 2] != '.')
        return name.find('.') == std::string_view::npos &&
               states_match(pattern.substr(0, n - 1), name);
    return states_match(pattern, name);
}

bool wildcard_has_wild(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}
