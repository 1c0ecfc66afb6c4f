#include "display_support.h"

namespace
{

class frame_ring_slots : public display_test
{
};

void states_set(int32_t a, int32_t b, int32_t c)
{
    const int32_t states[3] = {a, b, c};
    for (int i = 0; i < 3; i++)
        frame_ring[i].state = states[i];
}

void orders_set(uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t orders[3] = {a, b, c};
    for (int i = 0; i < 3; i++)
        frame_ring[i].order = orders[i];
}

TEST_F(frame_ring_slots, the_builder_takes_a_free_slot_first_else_the_oldest_ready_one)
{
    uint64_t held = 99;
    EXPECT_EQ(frame_slot_take(&held), &frame_ring[2]);
    EXPECT_EQ(held, 0u);
    EXPECT_EQ(frame_ring[2].state.load(), FRAME_SLOT_BUILDING);
    EXPECT_EQ(frame_ring[2].order.load(), 1u);
    EXPECT_EQ(frame_order_counter.load(), 2u);

    states_set(FRAME_SLOT_READY, FRAME_SLOT_READY, FRAME_SLOT_SHOWN);
    orders_set(7, 5, 6);
    EXPECT_EQ(frame_slot_take(&held), &frame_ring[1]);
    EXPECT_EQ(held, 5u);

    states_set(FRAME_SLOT_SHOWN, FRAME_SLOT_BUILDING, FRAME_SLOT_SHOWN);
    EXPECT_EQ(frame_slot_take(&held), nullptr);
}

TEST_F(frame_ring_slots, the_display_shows_the_newest_ready_frame_and_frees_older_ones)
{
    EXPECT_EQ(frame_ring_take_newest(), nullptr);
    states_set(FRAME_SLOT_READY, FRAME_SLOT_READY, FRAME_SLOT_SHOWN);
    orders_set(4, 5, 3);
    EXPECT_EQ(frame_ring_take_newest(), &frame_ring[1]);
    EXPECT_EQ(frame_ring[0].state.load(), FRAME_SLOT_FREE); // never seen
    EXPECT_EQ(frame_ring[1].state.load(), FRAME_SLOT_SHOWN);
    EXPECT_EQ(frame_ring[2].state.load(), FRAME_SLOT_FREE);
    // Nothing newer: the shown frame stays.
    EXPECT_EQ(frame_ring_take_newest(), &frame_ring[1]);
    // A ready frame older than the shown one is not shown.
    frame_ring[0].state = FRAME_SLOT_READY;
    frame_ring[0].order = 2;
    EXPECT_EQ(frame_ring_take_newest(), &frame_ring[1]);
    EXPECT_EQ(frame_ring[0].state.load(), FRAME_SLOT_READY);
}

TEST_F(frame_ring_slots, publishing_and_giving_back_only_change_a_slot_being_built)
{
    frame_slot *slot = frame_slot_take(nullptr);
    ASSERT_TRUE(frame_slot_size(slot, 4, 2));
    frame_slot_publish(slot);
    EXPECT_EQ(slot->state.load(), FRAME_SLOT_READY);
    frame_slot_give_back(slot); // no longer the builder's
    EXPECT_EQ(slot->state.load(), FRAME_SLOT_READY);
    slot->state = FRAME_SLOT_SHOWN;
    frame_slot_publish(slot);
    EXPECT_EQ(slot->state.load(), FRAME_SLOT_SHOWN);
}

} // namespace
