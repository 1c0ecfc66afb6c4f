#include "core/rnd.h"

#include "core/errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string last_prompt;
int32_t prompt_answer = 0;
int32_t answer_prompt(const char *prompt) {
    last_prompt = prompt;
    return prompt_answer;
}

std::vector<float> rnd_sequence(int n) {
    std::vector<float> values;
    for (int i = 0; i < n; ++i)
        values.push_back(rt_rnd(1, false));
    return values;
}

class Rnd : public ::testing::Test {
  protected:
    void SetUp() override {
        rnd_reset();
        error_pending_take();
        randomize_prompt_hook_set(nullptr);
    }
    void TearDown() override {
        randomize_prompt_hook_set(nullptr);
        error_pending_take();
    }
};

TEST_F(Rnd, FirstValueAfterStartAndZeroRepeats) {
    const float first = rt_rnd(0, false);
    EXPECT_EQ(first, 0.7055475115776062f);
    EXPECT_EQ(rt_rnd(0, true), first);
    EXPECT_EQ(rt_rnd(0, true), first);
    const float second = rt_rnd(1, true);
    EXPECT_NE(second, first);
    EXPECT_GE(second, 0.0f);
    EXPECT_LT(second, 1.0f);
}

TEST_F(Rnd, SeedIsRepeatableAndUsingStartsFromTheStartState) {
    rt_randomize(42, RANDOMIZE_SEED_GIVEN);
    const auto a = rnd_sequence(5);
    rnd_reset();
    rt_randomize(42, RANDOMIZE_SEED_GIVEN);
    EXPECT_EQ(rnd_sequence(5), a);

    // The seed replaces bits 8-23 only: the low byte the sequence left stays.
    rt_randomize(42, RANDOMIZE_SEED_GIVEN);
    EXPECT_NE(rnd_sequence(5), a);
    rnd_reset();
    rt_randomize(43, RANDOMIZE_SEED_GIVEN);
    EXPECT_NE(rnd_sequence(5), a);

    // USING ignores the state's low byte as the sequence left it.
    rt_randomize(7, RANDOMIZE_SEED_GIVEN | RANDOMIZE_USING);
    const auto b = rnd_sequence(5);
    rt_rnd(1, false);
    rt_randomize(7, RANDOMIZE_SEED_GIVEN | RANDOMIZE_USING);
    EXPECT_EQ(rnd_sequence(5), b);
}

TEST_F(Rnd, NegativeArgumentReseedsFromItsBits) {
    rnd_sequence(3);
    const float x = rt_rnd(-3, true);
    rnd_sequence(7);
    EXPECT_EQ(rt_rnd(-3, true), x);
    EXPECT_NE(rt_rnd(-4, true), x);
}

TEST_F(Rnd, RandomizeWithoutSeedAsksThroughTheHook) {
    rt_randomize(0, 0); // no hook: reads 0
    const auto zero_seeded = rnd_sequence(3);

    rnd_reset();
    randomize_prompt_hook_set(answer_prompt);
    prompt_answer = 0;
    rt_randomize(0, 0);
    EXPECT_EQ(last_prompt, "Random-number seed (-32768 to 32767)? ");
    EXPECT_EQ(rnd_sequence(3), zero_seeded);

    prompt_answer = -1; // only the low 16 bits count
    rt_randomize(0, 0);
    EXPECT_EQ(rnd_state >> 8, 0xFFFFu);
}

} // namespace
