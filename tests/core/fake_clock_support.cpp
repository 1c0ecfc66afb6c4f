#include "core/fake_clock_support.h"

#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<int64_t> fake_now_ms{0};
std::vector<uint32_t> sleep_log;
std::function<void(uint32_t)> sleep_callback;

int64_t fake_now() {
    return fake_now_ms.load();
}

void stepping_sleep(uint32_t ms) {
    fake_now_ms.fetch_add(ms);
    sleep_log.push_back(ms);
    if (sleep_callback) sleep_callback(ms);
}

void polling_sleep(uint32_t ms) {
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

const clock_seam stepping_seam{fake_now, stepping_sleep};
const clock_seam polling_seam{fake_now, polling_sleep};

} // namespace

void fake_clock_install(int64_t start_ms, fake_clock_mode mode) {
    fake_now_ms.store(start_ms);
    sleep_log.clear();
    sleep_callback = nullptr;
    clock_seam_set(mode == fake_clock_mode::stepping ? &stepping_seam : &polling_seam);
}

void fake_clock_remove() {
    clock_seam_set(nullptr);
    sleep_callback = nullptr;
}

void fake_clock_advance(int64_t ms) {
    fake_now_ms.fetch_add(ms);
}
int64_t fake_clock_now() {
    return fake_now_ms.load();
}
const std::vector<uint32_t> &fake_clock_sleeps() {
    return sleep_log;
}
void fake_clock_on_sleep(std::function<void(uint32_t ms)> callback) {
    sleep_callback = std::move(callback);
}
