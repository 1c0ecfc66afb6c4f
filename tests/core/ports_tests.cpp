#include "core/ports.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/fake_clock_support.h"
#include "display/scancode_queue.h"
#include "support/gives_raising.h"

#include <gtest/gtest.h>

namespace {

uint32_t palette[256];
uint32_t *test_palette() {
    return palette;
}
uint32_t *no_palette() {
    return nullptr;
}

class Ports : public ::testing::Test {
  protected:
    void SetUp() override {
        ports_reset();
        scancode_queue_reset();
        error_pending_take();
        control_words_reset();
        for (uint32_t &entry : palette)
            entry = 0xFF000000;
        ports_palette_hook_set(test_palette);
    }
    void TearDown() override {
        ports_palette_hook_set(nullptr);
        fake_clock_remove();
        error_pending_take();
        control_words_reset();
    }
};

TEST_F(Ports, PaletteWritesWhiteAndReadsItBack) {
    rt_out(0x3C8, 1);
    for (int i = 0; i < 3; ++i)
        rt_out(0x3C9, 63);
    EXPECT_EQ(palette[1], 0xFFFFFFFFu);

    // The write index moves on after blue; components are red, green, blue.
    rt_out(0x3C9, 32);
    rt_out(0x3C9, 0);
    rt_out(0x3C9, 1);
    EXPECT_EQ(palette[2], 0xFF820004u);

    rt_out(0x3C7, 1);
    std::vector<int32_t> read;
    for (int i = 0; i < 6; ++i)
        read.push_back(rt_inp(0x3C9));
    EXPECT_EQ(read, (std::vector<int32_t>{63, 63, 63, 32, 0, 1}));
    EXPECT_EQ(unhandled_port, 0u);

    rt_out(0x3C8, 255); // the index wraps after the last entry
    for (int i = 0; i < 4; ++i)
        rt_out(0x3C9, 63);
    EXPECT_EQ(palette[255], 0xFFFFFFFFu);
    EXPECT_EQ(palette[0], 0xFFFF0000u);
}

TEST_F(Ports, PalettePortsDoNothingWithoutAPalette) {
    ports_palette_hook_set(no_palette);
    rt_out(0x3C8, 0);
    rt_out(0x3C9, 63);
    EXPECT_EQ(rt_inp(0x3C9), 0);
    ports_palette_hook_set(test_palette);
    EXPECT_EQ(palette[0], 0xFF000000u);
}

TEST_F(Ports, RetraceLatchIsClearedByTheRead) {
    EXPECT_EQ(rt_inp(0x3DA), 0);
    retrace_latch = 1;
    EXPECT_EQ(rt_inp(0x3DA), 8);
    EXPECT_EQ(rt_inp(0x3DA), 0);
    retrace_active = 1;
    EXPECT_EQ(rt_inp(0x3DA), 8);
    EXPECT_EQ(rt_inp(0x3DA), 8);
}

TEST_F(Ports, KeyboardPortTakesQueuedScanCodes) {
    EXPECT_EQ(rt_inp(0x60), 0x81); // before any key
    scancode_queue_push(0x11);
    scancode_queue_push(0x91);
    EXPECT_EQ(rt_inp(0x60), 0x11);
    EXPECT_EQ(rt_inp(0x60), 0x91);
    EXPECT_EQ(rt_inp(0x60), 0x91);          // empty: the last byte again
    EXPECT_EQ(rt_inp(0x60 - 65'536), 0x91); // ports are taken modulo 65,536
}

TEST_F(Ports, OtherPortsAreUnhandledAndRangesChecked) {
    EXPECT_EQ(rt_inp(0x378), 0);
    EXPECT_EQ(unhandled_port, 1u);
    rt_out(0x3C8, 0);
    EXPECT_EQ(unhandled_port, 0u);
    rt_out(0x61, 3);
    EXPECT_EQ(unhandled_port, 1u);

    EXPECT_TRUE(gives_raising(rt_inp(65'536), 0, 6));
    EXPECT_TRUE(gives_raising(rt_inp(-65'537), 0, 6));
    rt_wait(0x3DA, 65'536, 0, false);
    EXPECT_EQ(error_pending_take(), 6u);
    rt_wait(0x3DA, 8, -32'769, true);
    EXPECT_EQ(error_pending_take(), 6u);
}

TEST_F(Ports, WaitPollsUntilTheMaskedValueIsSet) {
    fake_clock_install(1'000, fake_clock_mode::stepping);
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 5) retrace_active = 1;
    });
    rt_wait(0x3DA, 8, 0, false);
    EXPECT_EQ(fake_clock_sleeps().size(), 5u);

    // With the xor-mask the wait is for bit 3 to clear.
    fake_clock_on_sleep([](uint32_t) {
        if (fake_clock_sleeps().size() == 8) retrace_active = 0;
    });
    rt_wait(0x3DA, 8, 8, true);
    EXPECT_EQ(fake_clock_sleeps().size(), 8u);

    rt_wait(0x378, 1, 0, false); // not emulated: returns at once
    fake_clock_on_sleep([](uint32_t) { exit_acknowledged = 1; });
    rt_wait(0x3C9, 0, 0, false); // never true: ends with the process
    EXPECT_EQ(fake_clock_sleeps().size(), 9u);
}

} // namespace
