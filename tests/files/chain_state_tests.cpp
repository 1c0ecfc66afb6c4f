#include "chain_test_support.h"

#include "core/errors.h"
#include "files/chain_state.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"

#include <cmath>
#include <cstring>

namespace
{

using ChainState = chain_test;

constexpr chain_screen all_screens[] = {chain_screen::text, chain_screen::mode12,
                                        chain_screen::mode13, chain_screen::image32};

std::string le32(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; i++)
            out += char(uint32_t(w) >> (8 * i));
    return out;
}

int32_t word_at(const std::string &bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
        v |= uint32_t(uint8_t(bytes.at(at + i))) << (8 * i);
    return int32_t(v);
}

TEST_F(ChainState, RoundTripsCarryPagesPaletteAndShownPages)
{
    for (chain_screen which : all_screens) {
        SCOPED_TRACE(int(which));
        screen_startup();
        chain_screen_set_up(which);
        ASSERT_EQ(error_pending_take(), 0u);
        screen_snapshot sent = screen_snapshot_take();
        chain_stream_restore(chain_stream_save());
        EXPECT_EQ(error_pending_take(), 0u);
        EXPECT_TRUE(screen_snapshot_take() == sent);
        EXPECT_EQ(image_slot_get(page_table[0])->bytes_per_pixel == 4,
                  which == chain_screen::image32);
    }
}

// A ported program's text screen: 80 x 50, colours, a scroll region, the
// cursor placed. After the hand-over the next PRINT lands where it would have
// landed in the sender.
TEST_F(ChainState, ReceiverPrintsOnWhereTheSenderStopped)
{
    rt_width(0, 80, 50, 3);
    rt_color(14, 1, 0, 3);
    rt_cls(0, 0, 0);
    rt_view_print(2, 40, true);
    rt_locate(39, 70, 1, 0, 0, LOCATE_ROW | LOCATE_COLUMN | LOCATE_CURSOR);
    basic_text text("a line that wraps and scrolls the region");
    rt_print(text, PRINT_STAY);
    ASSERT_EQ(error_pending_take(), 0u);
    const std::string bytes = chain_stream_save();
    rt_print(text, PRINT_NEWLINE);
    const screen_snapshot sender = screen_snapshot_take();
    chain_stream_restore(bytes);
    rt_print(text, PRINT_NEWLINE);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_TRUE(screen_snapshot_take() == sender);
    EXPECT_EQ(write_page.record->view_print_bottom, 40);
}

// A 40 x 25 text screen with page 1 active: every word and block in order.
TEST_F(ChainState, TextStreamLayoutTagByTag)
{
    rt_width(0, 40, 25, 3);
    rt_screen(0, 0, 1, 1, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    const std::string s = chain_stream_save();
    ASSERT_EQ(s.substr(0, 28), le32({256, 0, 258, 40, 25, 259, 17}));
    size_t at = 28;
    for (int32_t page : {0, 2, 3, 4, 5, 6, 7, 1}) {
        SCOPED_TRACE(page);
        const image_slot &r = *image_slot_get(page_table[page]);
        ASSERT_EQ(s.substr(at, 8), le32({260, page}));
        EXPECT_EQ(s.compare(at + 8, 2000, reinterpret_cast<const char *>(r.pixels), 2000), 0);
        const std::string record = s.substr(at + 2008, 176);
        uint8_t expected[CHAIN_SLOT_RECORD_BYTES];
        chain_slot_encode(r, expected);
        EXPECT_EQ(record, std::string(reinterpret_cast<char *>(expected), 176));
        EXPECT_EQ(record.substr(20, 4), std::string("\x28\0\x19\0", 4)); // width, height
        for (size_t zero : {0, 8, 60, 64, 72}) // lock, lock id, flags, pixels, palette
            EXPECT_EQ(word_at(record, zero), 0) << zero;
        at += 2008 + 176;
    }
    ASSERT_EQ(s.substr(at, 16), le32({261, 1, 1, 262}));
    at += 16;
    for (int32_t i = 0; i < 256; i++, at += 4)
        ASSERT_EQ(uint32_t(word_at(s, at)), palette_entry_get(i, 0, true)) << i;
    EXPECT_EQ(s.substr(at), le32({511}));
}

// Every cut of a saved stream: the restore ends without an error and leaves
// every page usable. Inside large pixel blocks the cuts step by a prime.
TEST_F(ChainState, TruncationAtEveryOffsetEndsCleanly)
{
    for (chain_screen which : all_screens) {
        SCOPED_TRACE(int(which));
        screen_startup();
        chain_screen_set_up(which);
        const std::string s = chain_stream_save();
        size_t step = s.size() > 40000 ? 331 : 1;
        for (size_t cut = 0; cut < s.size(); cut += (cut % 4096 < 64 ? 1 : step)) {
            chain_stream_restore(s.substr(0, cut));
            ASSERT_EQ(error_pending_take(), 0u) << cut;
            ASSERT_TRUE(screen_pages_consistent()) << cut;
        }
    }
}

// A read that fails mid-stream raises its error and ends the restore there.
TEST_F(ChainState, ReadErrorMidStreamEndsTheRestore)
{
    chain_screen_set_up(chain_screen::text);
    const std::string s = chain_stream_save();
    for (int64_t at : std::initializer_list<int64_t>{
             0, 9, 30, 1000, 2200, 2204, int64_t(s.size()) - 1030, int64_t(s.size()) - 1}) {
        chain_stream_restore(s, at);
        EXPECT_EQ(error_pending_take(), 75u) << at;
        EXPECT_TRUE(screen_pages_consistent()) << at;
    }
}

// Headers that announce more than the file holds, or pages and sizes beyond
// the limits, end the restore before anything is made.
TEST_F(ChainState, HostileCountsEndBeforeAnythingIsMade)
{
    const std::string hostile[] = {
        le32({257, 32, 65535, 65535}) + std::string(64, 'x'),
        le32({257, 12, 0, 480}),
        le32({256, -int32_t(builtin_image_16_slot), 258, 80, 25}) + std::string(4000, 'x'),
        le32({256, 0, 258, 65535, 65535}) + std::string(64, 'x'),
        le32({260, CHAIN_PAGE_LIMIT}) + std::string(5000, 'x'),
        le32({260, -1}) + std::string(5000, 'x'),
        le32({260, 3}) + std::string(100, 'x'),
        le32({260, 0}) + std::string(4000, 'x') + le32({260, 0}),
        le32({261, 9, 0, 262}) + std::string(100, 'x'),
        le32({261, 60000, 60000, 511}),
    };
    for (const std::string &bytes : hostile) {
        chain_stream_restore(bytes);
        error_pending_take();
        EXPECT_TRUE(screen_pages_consistent());
        EXPECT_EQ(page_table_count, 8u);
        EXPECT_EQ(write_page.slot, page_table[0]);
    }
}

// The record block is taken only when it fits the page; the page always
// keeps its own memory, palette, lock and ownership.
TEST_F(ChainState, SlotRecordAcceptedOnlyWhenValid)
{
    image_slot &page = *image_slot_get(page_table[0]);
    page.cursor_row = 3;
    uint8_t good[CHAIN_SLOT_RECORD_BYTES];
    chain_slot_encode(page, good);
    const image_slot own = page;
    auto f32 = [](float v) {
        std::string b(4, '\0');
        std::memcpy(b.data(), &v, 4);
        return b;
    };
    struct change {
        size_t at;
        std::string bytes;
        bool accepted;
    } changes[] = {
        {0, std::string(16, '\xff'), true},    // a lock from elsewhere is ignored
        {56, le32({40}), true},                // a loaded font: the page keeps its own
        {60, std::string(20, '\xff'), true},   // flags and pointers are ignored
        {20, std::string("\x29\0", 2), false}, // another width
        {32, std::string("\x0c\0", 2), false}, // another mode
        {40, std::string("\x1a\0", 2), false}, // cursor row 26 of 25
        {38, std::string("\0\0", 2), false},   // cursor column 0
        {88, le32({-1}), false},               // clip outside the page
        {112, f32(NAN), false},                // a float that is not finite
        {44, le32({256}), false},              // a colour no palette has
        {84, std::string("\x07", 1), false},   // no such print mode
    };
    for (const change &c : changes) {
        SCOPED_TRACE(c.at);
        uint8_t block[CHAIN_SLOT_RECORD_BYTES];
        std::memcpy(block, good, sizeof block);
        std::memcpy(block + c.at, c.bytes.data(), c.bytes.size());
        page.cursor_row = 7;
        EXPECT_EQ(chain_slot_decode(block, &page), c.accepted);
        EXPECT_EQ(page.cursor_row, c.accepted ? 3 : 7);
        EXPECT_EQ(page.pixels, own.pixels);
        EXPECT_EQ(page.palette, own.palette);
        EXPECT_EQ(page.flags, own.flags);
        EXPECT_EQ(page.mem_lock, own.mem_lock);
        EXPECT_EQ(page.font, own.font);
    }
}

} // namespace
