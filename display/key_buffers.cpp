// The key-hit ring, the emulated BIOS keyboard buffer, INKEY$ and the clearing
// of key buffers.
//
// Key-hit ring: one producer (the main thread) and one consumer (the program
// thread). The indices count entries since the reset (64 bits: they never
// wrap); a slot is index % KEY_HIT_RING_SLOTS. The consumer moves the read
// index; when the ring is full the producer drops the oldest entry by moving
// it too, so both move it only by compare-exchange, and a take whose
// compare-exchange fails lost its entry and tries again. The ring keeps one
// slot spare, so the producer never writes the slot a take is reading.
//
// BIOS buffer: head (0040:001A) is the consumer's, tail (0040:001C) the
// producer's; a full buffer drops the new key, so neither side moves the
// other's index. The bytes live in the emulated DOS memory and are accessed
// atomically from both threads.
#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/keyboard.h"
#include "display/keyboard_internal.h"
#include "display/scancode_queue.h"
#include "platform/clock.h"

#include <atomic>

namespace
{

std::atomic<uint64_t> ring_slots[KEY_HIT_RING_SLOTS];
std::atomic<uint64_t> ring_write{0};
std::atomic<uint64_t> ring_read{0};
constexpr uint64_t RING_HOLDS = KEY_HIT_RING_SLOTS - 1;

constexpr uint32_t BIOS_HEAD = 0x41A;
constexpr uint32_t BIOS_TAIL = 0x41C;
constexpr uint32_t BIOS_AREA = 0x400;
constexpr uint8_t BUFFER_FIRST = 30; // offsets of the entries in segment 0x40
constexpr uint8_t BUFFER_END = 62;   // one past the last entry

std::atomic_ref<uint8_t> bios_byte(uint32_t address)
{
    return std::atomic_ref<uint8_t>(emulated_dos_memory[address]);
}

// The entry an index names; an index outside the buffer (a program may POKE
// one) names the first entry.
uint8_t buffer_slot(uint8_t i)
{
    return i < BUFFER_FIRST || i >= BUFFER_END ? BUFFER_FIRST : i;
}

// The index after i, wrapping from the last entry to the first.
uint8_t buffer_next(uint8_t i)
{
    const uint8_t next = uint8_t(buffer_slot(i) + 2);
    return next >= BUFFER_END ? BUFFER_FIRST : next;
}

bool error_is_pending()
{
    return error_pending.load(std::memory_order_relaxed) != 0;
}

void bios_buffer_empty()
{
    if (!emulated_dos_memory)
        return;
    bios_byte(BIOS_HEAD).store(bios_byte(BIOS_TAIL).load(std::memory_order_acquire),
                               std::memory_order_release);
}

} // namespace

void key_hit_ring_push(int32_t code, bool keypad)
{
    const uint64_t entry = uint64_t(uint32_t(code)) | uint64_t(keypad ? 1 : 0) << 32;
    const uint64_t w = ring_write.load(std::memory_order_relaxed);
    uint64_t r = ring_read.load(std::memory_order_acquire);
    while (w - r >= RING_HOLDS) {
        if (ring_read.compare_exchange_weak(r, r + 1, std::memory_order_acq_rel))
            break;
    }
    ring_slots[w % KEY_HIT_RING_SLOTS].store(entry, std::memory_order_relaxed);
    ring_write.store(w + 1, std::memory_order_release);
    clock_wake(&program_wake);
}

int32_t key_hit_next()
{
    uint64_t r = ring_read.load(std::memory_order_acquire);
    for (;;) {
        if (r == ring_write.load(std::memory_order_acquire))
            return 0;
        const uint64_t entry = ring_slots[r % KEY_HIT_RING_SLOTS].load(std::memory_order_relaxed);
        if (ring_read.compare_exchange_weak(r, r + 1, std::memory_order_acq_rel))
            return int32_t(uint32_t(entry));
    }
}

void key_hit_ring_empty()
{
    uint64_t r = ring_read.load(std::memory_order_acquire);
    for (;;) {
        const uint64_t w = ring_write.load(std::memory_order_acquire);
        if (ring_read.compare_exchange_weak(r, w, std::memory_order_acq_rel))
            return;
    }
}

void bios_buffer_put(uint8_t character, uint8_t scan)
{
    if (!emulated_dos_memory)
        return;
    const uint8_t tail = bios_byte(BIOS_TAIL).load(std::memory_order_relaxed);
    const uint8_t next = buffer_next(tail);
    if (next == bios_byte(BIOS_HEAD).load(std::memory_order_acquire))
        return;
    const uint32_t at = BIOS_AREA + buffer_slot(tail);
    bios_byte(at).store(character, std::memory_order_relaxed);
    bios_byte(at + 1).store(scan, std::memory_order_relaxed);
    bios_byte(BIOS_TAIL).store(next, std::memory_order_release);
}

string_descriptor *rt_inkey_str()
{
    if (error_is_pending() || !emulated_dos_memory)
        return string_new(0, true);
    clock_sleep_ms(0);
    const uint8_t head = bios_byte(BIOS_HEAD).load(std::memory_order_relaxed);
    if (head == bios_byte(BIOS_TAIL).load(std::memory_order_acquire))
        return string_new(0, true);
    const uint32_t at = BIOS_AREA + buffer_slot(head);
    const uint8_t character = bios_byte(at).load(std::memory_order_relaxed);
    const uint8_t scan = bios_byte(at + 1).load(std::memory_order_relaxed);
    bios_byte(BIOS_HEAD).store(buffer_next(head), std::memory_order_release);
    const bool extended = character == 0 && scan != 0;
    string_descriptor *s = string_new(extended ? 2 : 1, true);
    if (!s || !s->chr)
        return s;
    s->chr[0] = character;
    if (extended)
        s->chr[1] = scan;
    return s;
}

void key_buffers_clear(int32_t n, uint32_t given_mask)
{
    if (error_is_pending())
        return;
    const bool given = given_mask & 1;
    if (given && (n < 1 || n > 3)) {
        error_raise(5);
        return;
    }
    if (!given || n == 1)
        bios_buffer_empty();
    if (!given || n == 2)
        key_hit_ring_empty();
    if (!given || n == 3)
        scancode_queue_clear();
}

void key_buffers_reset()
{
    ring_write.store(0);
    ring_read.store(0);
    if (!emulated_dos_memory)
        return;
    bios_byte(BIOS_HEAD).store(BUFFER_FIRST);
    bios_byte(BIOS_HEAD + 1).store(0);
    bios_byte(BIOS_TAIL).store(BUFFER_FIRST);
    bios_byte(BIOS_TAIL + 1).store(0);
}
