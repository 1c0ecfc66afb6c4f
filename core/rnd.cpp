#include "core/rnd.h"

#include "core/errors.h"

#include <bit>

uint32_t rnd_state = rnd_start_value;

namespace {

constexpr uint32_t RND_MASK = 0xFFFFFF;
constexpr double RND_RANGE = 16'777'216.0;
const char *const RANDOMIZE_PROMPT = "Random-number seed (-32768 to 32767)? ";

randomize_prompt_fn prompt_hook = nullptr;

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
