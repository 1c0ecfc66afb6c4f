// Ring of one producer and one consumer. The indices count pushes and takes
// since the reset (64 bits, so they never wrap in practice); a slot is
// index % capacity. The consumer owns the read index; the one exception is a
// full ring, where the producer drops the oldest byte by advancing the read
// index itself. Both sides therefore move the read index only by
// compare-exchange: a take whose compare-exchange fails lost its byte to the
// producer and simply tries again. The slots are atomic bytes, so the byte the
// producer writes into a just-dropped slot never races a take that is reading
// it (that take's compare-exchange then fails and its value is discarded).
#include "display/scancode_queue.h"

#include <atomic>

namespace {

std::atomic<uint8_t> slots[SCANCODE_QUEUE_CAPACITY];
std::atomic<uint64_t> write_index{0};
std::atomic<uint64_t> read_index{0};

// Consumer side: the byte returned last.
std::atomic<uint8_t> last_taken{SCANCODE_QUEUE_FIRST_BYTE};
// Producer side: the byte pushed last, or -1 when none since the reset.
std::atomic<int32_t> last_pushed{-1};

} // namespace

void scancode_queue_reset() {
    write_index.store(0);
    read_index.store(0);
    last_taken.store(SCANCODE_QUEUE_FIRST_BYTE);
    last_pushed.store(-1);
}

void scancode_queue_push(uint8_t code) {
    if (last_pushed.load(std::memory_order_relaxed) == code) return;
    last_pushed.store(code, std::memory_order_relaxed);
    const uint64_t w = write_index.load(std::memory_order_relaxed);
    uint64_t r = read_index.load(std::memory_order_acquire);
    // Full: drop the oldest byte unless the consumer takes it first.
    while (w - r >= SCANCODE_QUEUE_CAPACITY) {
        if (read_index.compare_exchange_weak(r, r + 1, std::memory_order_acq_rel)) break;
    }
    slots[w % SCANCODE_QUEUE_CAPACITY].store(code, std::memory_order_relaxed);
    write_index.store(w + 1, std::memory_order_release);
}

uint8_t scancode_queue_take() {
    uint64_t r = read_index.load(std::memory_order_acquire);
    for (;;) {
        const uint64_t w = write_index.load(std::memory_order_acquire);
        if (r == w) return last_taken.load(std::memory_order_relaxed);
        const uint8_t code = slots[r % SCANCODE_QUEUE_CAPACITY].load(std::memory_order_relaxed);
        if (read_index.compare_exchange_weak(r, r + 1, std::memory_order_acq_rel)) {
            last_taken.store(code, std::memory_order_relaxed);
            return code;
        }
    }
}

void scancode_queue_clear() {
    uint64_t r = read_index.load(std::memory_order_acquire);
    for (;;) {
        const uint64_t w = write_index.load(std::memory_order_acquire);
        if (read_index.compare_exchange_weak(r, w, std::memory_order_acq_rel)) return;
    }
}
