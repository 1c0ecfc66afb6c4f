// The frame ring: three software frames that carry the display page's
// contents from the thread that builds them (the runtime loop thread, or the
// program thread in manual display) to the main thread that draws them.
//
// A slot's state word is the only hand-over: 1 free, 2 being built, 3 ready,
// 4 shown. Every change of it is a compare-exchange, so the two sides never
// both think they own a slot:
//   builder:  1 -> 2, 3 -> 2 (take back an unshown frame when none is free),
//             2 -> 3 (publish, release: the pixels are written before), 2 -> 1
//   display:  3 -> 4 (take, acquire: the pixels are visible after), 3 -> 1 and
//             4 -> 1 (older frames once a newer one is shown)
// A slot in state 2 belongs to the builder alone and one in state 4 to the
// display alone: a half-built frame is never shown and a shown frame is never
// written. Pixels, width and height are touched only by the slot's owner; the
// order stamp is atomic because either side compares the orders of slots it
// does not own.
//
// Order of calls: frame_ring_reset at start-up (before any thread builds or
// draws), then frame_slot_take / frame_slot_publish / frame_slot_give_back on
// the builder's side and frame_ring_take_newest on the main thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int32_t FRAME_SLOT_FREE = 1;
constexpr int32_t FRAME_SLOT_BUILDING = 2;
constexpr int32_t FRAME_SLOT_READY = 3;
constexpr int32_t FRAME_SLOT_SHOWN = 4;
constexpr int FRAME_SLOT_COUNT = 3;

struct frame_slot {
    std::atomic<int32_t> state{FRAME_SLOT_FREE};
    std::atomic<uint64_t> order{0}; // frame order stamp taken when building began
    uint32_t *pixels = nullptr;     // width x height words 0xAARRGGBB, top row first
    int32_t width = 0;
    int32_t height = 0;
    size_t capacity_bytes = 0; // grows, never shrinks
};

extern frame_slot frame_ring[FRAME_SLOT_COUNT];
// The stamp the next frame taken for building receives; a hardware command
// queued now carries it and is drawn with that frame.
extern std::atomic<uint64_t> frame_order_counter;
// Order of the last frame published or found unchanged.
extern std::atomic<uint64_t> last_built_frame_order;

// Start-up state: every slot free with no pixels, the counter at 1.
void frame_ring_reset();

// Builder side. Takes a slot for building: any free slot (the highest index
// wins), else the oldest ready one. Stamps it with the counter, which then
// grows. Null when every slot is shown or being built. `held_order` receives
// the order of the unshown frame the slot held (its pixels are still that
// frame's), or 0 when the slot was free.
frame_slot *frame_slot_take(uint64_t *held_order);
// Makes room for width x height pixels and sets the size. False when the
// memory cannot be had (the slot keeps its old buffer).
bool frame_slot_size(frame_slot *slot, int32_t width, int32_t height);
// Ready for display: the pixels must be complete.
void frame_slot_publish(frame_slot *slot);
// Back to free without showing it.
void frame_slot_give_back(frame_slot *slot);
// The slot in state 3 or 4 with the highest order other than `except`, or null.
const frame_slot *frame_ring_newest_done(const frame_slot *except);

// Display side (main thread): whether a ready frame newer than `order` waits.
bool frame_ring_newer_ready(uint64_t order);
// Display side (main thread): the newest ready frame newer than the one shown
// becomes the shown frame and older ready or shown frames are freed. Returns
// the shown slot (the previous one when nothing newer is ready), or null when
// nothing has ever been ready.
frame_slot *frame_ring_take_newest();
