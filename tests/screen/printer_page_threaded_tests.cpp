#include "text_support.h"

#include "platform/clock.h"
#include "screen/text_output.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

namespace {

std::atomic<int64_t> fake_now_ms{0};
int64_t fake_now() { return fake_now_ms.load(); }
void fake_sleep(uint32_t) { std::this_thread::yield(); }
const clock_seam fake_clock{fake_now, fake_sleep};

using printer_page_threads = text_test;

// The runtime loop ejects idle sheets while the program prints on them: each
// side touches the sheet only while it holds it, so neither sees the other's
// half-done work, and a sheet printed on after the last eject keeps its text.
TEST_F(printer_page_threads, ejecting_and_printing_take_turns)
{
    clock_seam_set(&fake_clock);
    std::atomic<bool> done{false};
    std::atomic<int> polls{0};
    std::thread loop([&] {
        while (!done.load()) {
            fake_now_ms += 2500;
            printer_page_poll();
            polls++;
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 3000; i++) {
        string_descriptor *line = temp_of("line " + std::to_string(i));
        printer_page_print(line, PRINT_NEWLINE);
    }
    while (polls.load() < 10)
        std::this_thread::yield();
    done = true;
    loop.join();
    EXPECT_EQ(error_pending_take(), 0u);

    fake_now_ms += 5000;
    printer_page_print(temp_of("kept"), PRINT_STAY);
    printer_page_poll();
    image_slot *sheet = image_slot_get(printer_page_slot.load());
    EXPECT_EQ(printer_page_dirty.load(), 1u);
    fake_now_ms += 10000;
    printer_page_poll();
    EXPECT_EQ(printer_page_dirty.load(), 0u);
    EXPECT_TRUE(std::all_of(sheet->pixels, sheet->pixels + 640 * 960,
                            [](uint8_t p) { return p == 15; }));
    clock_seam_set(nullptr);
}

} // namespace
