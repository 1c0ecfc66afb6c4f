#include "core/rnd.h"

#include "core/errors.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

uint32_t rnd_state = rnd_start_value;

namespace {

constexpr uint32_t RND_MASK = 0xFFFFFF;
constexpr double RND_RANGE = 16'777'216.0;
const char *const RANDOMIZE_PROMPT = "Random-number seed (-32768 to 32767)? ";

randomize_prompt_fn prompt_hook = nullptr;

// RT_RANDOMIZE_STATE, once read: the state every RANDOMIZE sets, if any.
bool state_override_read = false;
std::optional<uint32_t> state_override;

// The variable's text as a 24-bit state: blanks around it are allowed, a
// leading 0x or 0X means hexadecimal; anything else, or a value above
// 0xFFFFFF, is no state.
std::optional<uint32_t> state_override_parse(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > RND_MASK)
        return std::nullopt;
    return uint32_t(value);
}

// The override, reading the variable on first use.
const std::optional<uint32_t> &state_override_get() {
    if (state_override_read) return state_override;
    state_override_read = true;
    state_override.reset();
    const char *text = std::getenv(RANDOMIZE_STATE_VARIABLE);
    if (text == nullptr || *text == '\0') return state_override;
    state_override = state_override_parse(text);
    if (!state_override)
        std::fprintf(stderr, "%s=\"%s\" is not a number from 0 to 0xFFFFFF; ignored\n",
                     RANDOMIZE_STATE_VARIABLE, text);
    return state_override;
}

// The low 16 bits of a seed: the upper 32 bits of its double, folded.
uint32_t seed_fold(double seed) {
    const uint32_t high = uint32_t(std::bit_cast<uint64_t>(seed) >> 32);
    return (high ^ (high >> 16)) & 0xFFFF;
}

} // namespace

void randomize_prompt_hook_set(randomize_prompt_fn fn) {
    prompt_hook = fn;
}

void rt_randomize(double seed, uint32_t flags) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    if (flags == (RANDOMIZE_SEED_GIVEN | RANDOMIZE_USING)) {
        rnd_state = (rnd_start_value & 0xFF) | seed_fold(seed) << 8;
    } else if (flags == RANDOMIZE_SEED_GIVEN) {
        rnd_state = (rnd_state & 0xFF) | seed_fold(seed) << 8;
    } else {
        const int32_t value = prompt_hook ? prompt_hook(RANDOMIZE_PROMPT) : 0;
        rnd_state = (rnd_state & 0xFF) | (uint32_t(value) & 0xFFFF) << 8;
    }
    if (const auto &forced = state_override_get()) rnd_state = *forced;
}

float rt_rnd(float n, bool given) {
    if (error_pending.load(std::memory_order_relaxed)) return 0.0f;
    if (!given) n = 1.0f;
    if (n < 0.0f) {
        const uint32_t bits = std::bit_cast<uint32_t>(n);
        rnd_state = (bits >> 24) + (bits & RND_MASK);
    }
    if (n != 0.0f) rnd_state = (rnd_state * 16'598'013u + 12'820'163u) & RND_MASK;
    return float(double(rnd_state) / RND_RANGE);
}

void rnd_reset() {
    rnd_state = rnd_start_value;
}

void randomize_state_override_reload() {
    state_override_read = false;
}
