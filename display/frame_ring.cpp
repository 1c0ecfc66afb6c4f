#include "display/frame_ring.h"

#include <cstdlib>

frame_slot frame_ring[FRAME_SLOT_COUNT];
std::atomic<uint64_t> frame_order_counter{1};
std::atomic<uint64_t> last_built_frame_order{0};

namespace
{

bool state_change(frame_slot &slot, int32_t from, int32_t to)
{
    return slot.state.compare_exchange_strong(from, to, std::memory_order_acq_rel,
                                              std::memory_order_acquire);
}

bool state_is_done(int32_t state)
{
    return state == FRAME_SLOT_READY || state == FRAME_SLOT_SHOWN;
}

// The builder's choice: the oldest ready slot, overridden by any free slot
// (the highest index wins). Sets `state` to the state the slot was seen in.
frame_slot *slot_candidate(int32_t *state)
{
    frame_slot *chosen = nullptr;
    uint64_t oldest = UINT64_MAX;
    for (frame_slot &slot : frame_ring) {
        if (slot.state.load(std::memory_order_acquire) != FRAME_SLOT_READY)
            continue;
        uint64_t order = slot.order.load(std::memory_order_relaxed);
        if (order < oldest) {
            oldest = order;
            chosen = &slot;
            *state = FRAME_SLOT_READY;
        }
    }
    for (frame_slot &slot : frame_ring)
        if (slot.state.load(std::memory_order_acquire) == FRAME_SLOT_FREE) {
            chosen = &slot;
            *state = FRAME_SLOT_FREE;
        }
    return chosen;
}

// The display's choice: the ready slot with the highest order above `above`.
frame_slot *newest_ready_above(uint64_t above)
{
    frame_slot *chosen = nullptr;
    for (frame_slot &slot : frame_ring) {
        if (slot.state.load(std::memory_order_acquire) != FRAME_SLOT_READY)
            continue;
        uint64_t order = slot.order.load(std::memory_order_relaxed);
        if (order > above) {
            above = order;
            chosen = &slot;
        }
    }
    return chosen;
}

frame_slot *shown_slot()
{
    frame_slot *shown = nullptr;
    for (frame_slot &slot : frame_ring)
        if (slot.state.load(std::memory_order_acquire) == FRAME_SLOT_SHOWN)
            shown = &slot;
    return shown;
}

} // namespace

void frame_ring_reset()
{
    for (frame_slot &slot : frame_ring) {
        std::free(slot.pixels);
        slot.pixels = nullptr;
        slot.width = slot.height = 0;
        slot.capacity_bytes = 0;
        slot.order.store(0, std::memory_order_relaxed);
        slot.state.store(FRAME_SLOT_FREE, std::memory_order_release);
    }
    frame_order_counter.store(1);
    last_built_frame_order.store(0);
}

frame_slot *frame_slot_take(uint64_t *held_order)
{
    // A ready slot may be taken by the display between the choice and the
    // exchange; then choose again. A free slot can only be taken here.
    for (;;) {
        int32_t state = 0;
        frame_slot *slot = slot_candidate(&state);
        if (!slot)
            return nullptr;
        if (!state_change(*slot, state, FRAME_SLOT_BUILDING))
            continue;
        uint64_t held = slot->order.load(std::memory_order_relaxed);
        slot->order.store(frame_order_counter.fetch_add(1), std::memory_order_relaxed);
        if (held_order)
            *held_order = state == FRAME_SLOT_READY ? held : 0;
        return slot;
    }
}

bool frame_slot_size(frame_slot *slot, int32_t width, int32_t height)
{
    size_t bytes = size_t(width) * size_t(height) * 4;
    if (slot->capacity_bytes < bytes) {
        void *grown = std::realloc(slot->pixels, bytes);
        if (!grown)
            return false;
        slot->pixels = static_cast<uint32_t *>(grown);
        slot->capacity_bytes = bytes;
    }
    slot->width = width;
    slot->height = height;
    return true;
}

void frame_slot_publish(frame_slot *slot)
{
    state_change(*slot, FRAME_SLOT_BUILDING, FRAME_SLOT_READY);
}

void frame_slot_give_back(frame_slot *slot)
{
    state_change(*slot, FRAME_SLOT_BUILDING, FRAME_SLOT_FREE);
}

const frame_slot *frame_ring_newest_done(const frame_slot *except)
{
    const frame_slot *newest = nullptr;
    uint64_t highest = 0;
    for (const frame_slot &slot : frame_ring) {
        if (&slot == except || !state_is_done(slot.state.load(std::memory_order_acquire)))
            continue;
        uint64_t order = slot.order.load(std::memory_order_relaxed);
        if (!newest || order > highest) {
            highest = order;
            newest = &slot;
        }
    }
    return newest;
}

frame_slot *frame_ring_take_newest()
{
    frame_slot *shown = shown_slot();
    uint64_t shown_order = shown ? shown->order.load(std::memory_order_relaxed) : 0;
    frame_slot *chosen = nullptr;
    // The builder may take a ready slot back between the choice and the
    // exchange; then choose again.
    while ((chosen = newest_ready_above(shown_order)))
        if (state_change(*chosen, FRAME_SLOT_READY, FRAME_SLOT_SHOWN))
            break;
    if (!chosen)
        return shown;
    uint64_t chosen_order = chosen->order.load(std::memory_order_relaxed);
    for (frame_slot &slot : frame_ring) {
        if (&slot == chosen)
            continue;
        int32_t state = slot.state.load(std::memory_order_acquire);
        if (state_is_done(state) && slot.order.load(std::memory_order_relaxed) < chosen_order)
            state_change(slot, state, FRAME_SLOT_FREE);
    }
    return chosen;
}

bool frame_ring_newer_ready(uint64_t order)
{
    for (const frame_slot &slot : frame_ring)
        if (slot.state.load(std::memory_order_acquire) == FRAME_SLOT_READY &&
            slot.order.load(std::memory_order_relaxed) > order)
            return true;
    return false;
}
