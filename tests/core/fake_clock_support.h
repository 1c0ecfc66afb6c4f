// A fake millisecond clock for tests, installed through the clock seam.
//
// In stepping mode every sleep advances the fake time by its length and
// returns at once, so a wait runs instantly and deterministically; an optional
// callback sees each sleep. In polling mode sleeps really sleep (briefly) and
// leave the time alone, so that a running thread can poll while the test moves
// the time by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

enum class fake_clock_mode { stepping, polling };

void fake_clock_install(int64_t start_ms, fake_clock_mode mode);
void fake_clock_remove();
void fake_clock_advance(int64_t ms);
int64_t fake_clock_now();

// Stepping mode only (single-threaded): the lengths of the sleeps made since
// install, and a callback run after each sleep (null to remove).
const std::vector<uint32_t> &fake_clock_sleeps();
void fake_clock_on_sleep(std::function<void(uint32_t ms)> callback);
