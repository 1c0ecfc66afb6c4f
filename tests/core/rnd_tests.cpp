#include "core/rnd.h"

#include "core/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
        unsetenv(RANDOMIZE_STATE_VARIABLE);
        randomize_state_override_reload();
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

// Sets RT_RANDOMIZE_STATE for the next RANDOMIZE.
void override_set(const char *text) {
    setenv(RANDOMIZE_STATE_VARIABLE, text, 1);
    randomize_state_override_reload();
}

TEST_F(Rnd, StateVariableFixesEveryRandomize) {
    override_set("0x0D0400");
    rt_randomize(12345.67, RANDOMIZE_SEED_GIVEN);
    EXPECT_EQ(rnd_state, 0x0D0400u);
    const auto dealt = rnd_sequence(6);

    // Another seed, another form, a state moved on: the same numbers again.
    rt_randomize(-3, RANDOMIZE_SEED_GIVEN | RANDOMIZE_USING);
    EXPECT_EQ(rnd_sequence(6), dealt);
    randomize_prompt_hook_set(answer_prompt);
    prompt_answer = 999;
    rt_randomize(0, 0);
    EXPECT_EQ(last_prompt, "Random-number seed (-32768 to 32767)? ");
    EXPECT_EQ(rnd_sequence(6), dealt);

    // The variable is read once: changing it needs a reload.
    setenv(RANDOMIZE_STATE_VARIABLE, "7", 1);
    rt_randomize(1, RANDOMIZE_SEED_GIVEN);
    EXPECT_EQ(rnd_state, 0x0D0400u);
    randomize_state_override_reload();
    rt_randomize(1, RANDOMIZE_SEED_GIVEN);
    EXPECT_EQ(rnd_state, 7u);

    // While an error is pending RANDOMIZE does nothing at all.
    error_raise(5);
    rnd_state = 1;
    rt_randomize(1, RANDOMIZE_SEED_GIVEN);
    EXPECT_EQ(rnd_state, 1u);
}

TEST_F(Rnd, StateVariableForms) {
    const struct {
        const char *text;
        uint32_t state;
    } good[] = {{"0x0d0400", 0x0D0400}, {"0XFFFFFF", 0xFFFFFF}, {" 854016 ", 854016}, {"0", 0}};
    for (const auto &c : good) {
        override_set(c.text);
        rt_randomize(42, RANDOMIZE_SEED_GIVEN);
        EXPECT_EQ(rnd_state, c.state) << c.text;
    }

    // Text that is no 24-bit state leaves RANDOMIZE as it is without the
    // variable; so does an empty one.
    rt_randomize(42, RANDOMIZE_SEED_GIVEN);
    unsetenv(RANDOMIZE_STATE_VARIABLE);
    randomize_state_override_reload();
    rnd_state = 0x123456;
    rt_randomize(42, RANDOMIZE_SEED_GIVEN);
    const uint32_t plain = rnd_state;
    for (const char *bad : {"", "0x", "0x1000000", "16777216", "-1", "+5", "12ab", "0x0D 04",
                            "seven", "99999999999999999999999"}) {
        override_set(bad);
        rnd_state = 0x123456;
        rt_randomize(42, RANDOMIZE_SEED_GIVEN);
        EXPECT_EQ(rnd_state, plain) << '"' << bad << '"';
    }
}

} // namespace
