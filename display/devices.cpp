// The input device table and its event queues.
//
// A queue is a ring of entries addressed by 64-bit indices that never wrap:
// base is the index of entry 0, end one past the newest. The main thread
// appends at end; when the ring is full it first drops the oldest entry by
// moving base. The program thread moves base when it takes an event. Both
// move base only by compare-exchange. Entry words are atomics, so a slot that
// the producer overwrites while the program thread copies it is no data race:
// the copy is then thrown away because base moved. The producer moves base
// before it overwrites a slot and stores each word with release; the program
// thread loads each word with acquire, so a copy that saw any new word then
// sees the moved base.
#include "display/devices.h"

#include "core/errors.h"
#include "core/small_ops.h"
#include "core/strings.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

struct device_queue {
    uint32_t capacity = 0;
    uint32_t words = 0; // 64-bit words per entry
    std::unique_ptr<std::atomic<uint64_t>[]> slots;
    std::atomic<uint64_t> base{0};
    std::atomic<uint64_t> end{0};
    std::vector<uint8_t> newest;   // main thread: the live state
    std::vector<uint8_t> previous; // program thread: copy of entry 0
    std::vector<uint8_t> current;  // program thread: copy of entry 1
};

struct device_record {
    int32_t used;
    int32_t type;
    const char *descriptor;
    int32_t buttons, axes, wheels;
    int32_t event_size;
    uint8_t latched[256]; // controllers: pressed since the last STRIG look
    const char *name;
    device_queue *queue;
};

device_record device_table[DEVICE_TABLE_RECORDS];
device_queue device_queues[2];
int32_t devices_used = 0;
int32_t current_device = -1;
std::atomic<uint64_t> device_event_counter{0};

constexpr uint32_t ENTRY_WORD_BYTES = 8;

int32_t event_number_offset(const device_record &d)
{
    return d.event_size - 8;
}
int32_t axis_offset(const device_record &d, int32_t a)
{
    return d.buttons + 4 * a;
}
int32_t wheel_offset(const device_record &d, int32_t w)
{
    return d.buttons + 4 * (d.axes + w);
}

float float_at(const std::vector<uint8_t> &entry, int32_t offset)
{
    float v;
    std::memcpy(&v, entry.data() + offset, sizeof v);
    return v;
}

uint64_t event_number_of(const device_record &d, const std::vector<uint8_t> &entry)
{
    uint64_t v;
    std::memcpy(&v, entry.data() + event_number_offset(d), sizeof v);
    return v;
}

std::atomic<uint64_t> *slot_words(const device_queue &q, uint64_t index)
{
    return &q.slots[(index % q.capacity) * q.words];
}

void entry_write(device_queue &q, uint64_t index, const std::vector<uint8_t> &bytes)
{
    std::atomic<uint64_t> *words = slot_words(q, index);
    for (uint32_t w = 0; w < q.words; w++) {
        uint64_t v;
        std::memcpy(&v, bytes.data() + w * ENTRY_WORD_BYTES, sizeof v);
        words[w].store(v, std::memory_order_release);
    }
}

void entry_read(const device_queue &q, uint64_t index, std::vector<uint8_t> &bytes)
{
    const std::atomic<uint64_t> *words = slot_words(q, index);
    for (uint32_t w = 0; w < q.words; w++) {
        const uint64_t v = words[w].load(std::memory_order_acquire);
        std::memcpy(bytes.data() + w * ENTRY_WORD_BYTES, &v, sizeof v);
    }
}

// Main thread: appends the live state as a new event.
void event_append(device_record &d)
{
    device_queue &q = *d.queue;
    const uint64_t number = device_event_counter.fetch_add(1, std::memory_order_relaxed);
    std::memcpy(q.newest.data() + event_number_offset(d), &number, sizeof number);
    const uint64_t e = q.end.load(std::memory_order_relaxed);
    uint64_t b = q.base.load(std::memory_order_acquire);
    while (e - b >= q.capacity) {
        if (q.base.compare_exchange_weak(b, b + 1, std::memory_order_acq_rel))
            break;
    }
    entry_write(q, e, q.newest);
    q.end.store(e + 1, std::memory_order_release);
}

// Program thread: drops entry 0 when events are pending and copies the new
// entries 0 and 1. False when no event was pending.
bool queue_advance(device_queue &q)
{
    std::vector<uint8_t> previous(q.previous.size()), current(q.current.size());
    uint64_t b = q.base.load(std::memory_order_acquire);
    for (;;) {
        if (q.end.load(std::memory_order_acquire) - b <= 2)
            return false;
        entry_read(q, b + 1, previous);
        entry_read(q, b + 2, current);
        if (q.base.compare_exchange_weak(b, b + 1, std::memory_order_acq_rel)) {
            q.previous.swap(previous);
            q.current.swap(current);
            return true;
        }
    }
}

// Program thread: copies entry `at` (0-based) into out; false when the
// producer dropped it meanwhile.
bool entry_copy(const device_queue &q, uint64_t b, uint64_t at, std::vector<uint8_t> &out)
{
    entry_read(q, b + at, out);
    return q.base.load(std::memory_order_acquire) == b;
}

// Program thread: copies entries 0 and 1 without moving the queue.
void queue_refresh(device_queue &q)
{
    for (;;) {
        const uint64_t b = q.base.load(std::memory_order_acquire);
        if (entry_copy(q, b, 0, q.previous) && entry_copy(q, b, 1, q.current))
            return;
    }
}

// Program thread: the event number of the oldest pending event, or false when
// none is pending.
bool pending_event_number(const device_record &d, uint64_t *number)
{
    const device_queue &q = *d.queue;
    std::vector<uint8_t> entry(q.current.size());
    for (;;) {
        const uint64_t b = q.base.load(std::memory_order_acquire);
        if (q.end.load(std::memory_order_acquire) - b <= 2)
            return false;
        if (entry_copy(q, b, 2, entry)) {
            *number = event_number_of(d, entry);
            return true;
        }
    }
}

// Program thread: the live state (the newest entry).
void newest_copy(const device_queue &q, std::vector<uint8_t> &out)
{
    for (;;) {
        const uint64_t e = q.end.load(std::memory_order_acquire);
        entry_read(q, e - 1, out);
        if (q.base.load(std::memory_order_acquire) < e)
            return;
    }
}

void device_add(int32_t number, device_queue &q, int32_t type, const char *descriptor,
                const char *name, int32_t buttons, int32_t axes, int32_t wheels, uint32_t capacity)
{
    device_record &d = device_table[number];
    d = device_record{};
    d.used = 1;
    d.type = type;
    d.descriptor = descriptor;
    d.name = name;
    d.buttons = buttons;
    d.axes = axes;
    d.wheels = wheels;
    d.event_size = buttons + 4 * axes + 4 * wheels + 8;
    q.capacity = capacity;
    q.words = (uint32_t(d.event_size) + ENTRY_WORD_BYTES - 1) / ENTRY_WORD_BYTES;
    q.slots = std::make_unique<std::atomic<uint64_t>[]>(size_t(capacity) * q.words);
    for (size_t i = 0; i < size_t(capacity) * q.words; i++)
        q.slots[i].store(0, std::memory_order_relaxed);
    q.base.store(0);
    q.end.store(2);
    q.newest.assign(q.words * ENTRY_WORD_BYTES, 0);
    q.previous.assign(q.words * ENTRY_WORD_BYTES, 0);
    q.current.assign(q.words * ENTRY_WORD_BYTES, 0);
    d.queue = &q;
}

device_record *device_at(int32_t n)
{
    return n >= 1 && n <= devices_used ? &device_table[n] : nullptr;
}

// The device an optional argument names (default the current device), or null
// after raising error 5.
device_record *device_named(int32_t n, uint32_t given_mask)
{
    device_record *d = device_at((given_mask & 1) ? n : current_device);
    if (!d)
        error_raise(5);
    return d;
}

// The current device when index i (default 1) is within 1..count, else null
// after raising error 5.
device_record *current_with_index(int32_t i, uint32_t given_mask, int32_t device_record::*count,
                                  int32_t *index)
{
    device_record *d = device_at(current_device);
    *index = (given_mask & 1) ? i : 1;
    if (!d || *index < 1 || *index > d->*count) {
        error_raise(5);
        return nullptr;
    }
    return d;
}

device_record *mouse_device()
{
    device_record *d = device_at(DEVICE_MOUSE);
    return d && d->type == DEVICE_TYPE_MOUSE ? d : nullptr;
}

// The controller to use: the k-th (0-based) controller satisfying the test.
template <typename Test> device_record *controller_find(int32_t k, Test test)
{
    for (int32_t n = 1; n <= devices_used; n++) {
        device_record &d = device_table[n];
        if (d.type == DEVICE_TYPE_CONTROLLER && test(d) && k-- == 0)
            return &d;
    }
    return nullptr;
}

} // namespace

void devices_static_init()
{
    for (device_record &d : device_table)
        d = device_record{};
    devices_used = 0;
    current_device = -1;
    device_event_counter.store(0);
}

void devices_startup()
{
    device_add(DEVICE_KEYBOARD, device_queues[0], DEVICE_TYPE_KEYBOARD, "[KEYBOARD][BUTTON]",
               "Keyboard", 512, 0, 0, KEYBOARD_QUEUE_CAPACITY);
    device_add(DEVICE_MOUSE, device_queues[1], DEVICE_TYPE_MOUSE, "[MOUSE][BUTTON][AXIS][WHEEL]",
               "Mouse", 3, 2, 3, MOUSE_QUEUE_CAPACITY);
    devices_used = 2;
    current_device = -1;
    device_event_counter.store(0);
}

void device_keyboard_button_event(int32_t button, bool down)
{
    device_record *d = device_at(DEVICE_KEYBOARD);
    if (!d || d->type != DEVICE_TYPE_KEYBOARD || button < 0 || button >= d->buttons)
        return;
    uint8_t &state = d->queue->newest[size_t(button)];
    if (state == (down ? 1 : 0))
        return;
    state = down ? 1 : 0;
    event_append(*d);
}

void device_keyboard_release_all()
{
    device_record *d = device_at(DEVICE_KEYBOARD);
    if (!d || d->type != DEVICE_TYPE_KEYBOARD)
        return;
    for (int32_t button = 0; button < d->buttons; button++)
        device_keyboard_button_event(button, false);
}

void device_mouse_button_event(int32_t button, bool down)
{
    device_record *d = mouse_device();
    if (!d || button < 1 || button > d->buttons)
        return;
    d->queue->newest[size_t(button - 1)] = down ? 1 : 0;
    event_append(*d);
}

void device_mouse_axes_event(float x_axis, float y_axis)
{
    device_record *d = mouse_device();
    if (!d)
        return;
    std::memcpy(d->queue->newest.data() + axis_offset(*d, 0), &x_axis, sizeof x_axis);
    std::memcpy(d->queue->newest.data() + axis_offset(*d, 1), &y_axis, sizeof y_axis);
    event_append(*d);
}

int32_t device_count()
{
    return devices_used;
}

string_descriptor *device_name_str(int32_t n, uint32_t given_mask)
{
    device_record *d = device_named(n, given_mask);
    return string_from_cstr(d ? d->name : "");
}

int32_t device_next_input(int32_t n, uint32_t given_mask)
{
    if (given_mask & 1) {
        device_record *d = device_at(n);
        if (!d) {
            error_raise(5);
            return 0;
        }
        current_device = n;
        if (queue_advance(*d->queue))
            return -1;
        queue_refresh(*d->queue);
        return 0;
    }
    int32_t chosen = 0;
    uint64_t oldest = 0;
    for (int32_t i = 1; i <= devices_used; i++) {
        uint64_t number;
        if (pending_event_number(device_table[i], &number) && (chosen == 0 || number < oldest)) {
            chosen = i;
            oldest = number;
        }
    }
    if (chosen == 0)
        return 0;
    current_device = chosen;
    queue_advance(*device_table[chosen].queue);
    return chosen;
}

int32_t device_button_state(int32_t b, uint32_t given_mask)
{
    int32_t i;
    device_record *d = current_with_index(b, given_mask, &device_record::buttons, &i);
    return d && d->queue->current[size_t(i - 1)] ? -1 : 0;
}

int32_t device_button_change(int32_t b, uint32_t given_mask)
{
    int32_t i;
    device_record *d = current_with_index(b, given_mask, &device_record::buttons, &i);
    if (!d)
        return 0;
    const bool now = d->queue->current[size_t(i - 1)], before = d->queue->previous[size_t(i - 1)];
    return now && !before ? -1 : !now && before ? 1 : 0;
}

double device_axis_value(int32_t a, uint32_t given_mask)
{
    int32_t i;
    device_record *d = current_with_index(a, given_mask, &device_record::axes, &i);
    return d ? float_at(d->queue->current, axis_offset(*d, i - 1)) : 0.0;
}

double device_wheel_value(int32_t w, uint32_t given_mask)
{
    int32_t i;
    device_record *d = current_with_index(w, given_mask, &device_record::wheels, &i);
    return d ? float_at(d->queue->current, wheel_offset(*d, i - 1)) : 0.0;
}

int32_t device_button_count(int32_t n, uint32_t given_mask)
{
    device_record *d = device_named(n, given_mask);
    return d ? d->buttons : 0;
}

int32_t device_axis_count(int32_t n, uint32_t given_mask)
{
    device_record *d = device_named(n, given_mask);
    return d ? d->axes : 0;
}

int32_t device_wheel_count(int32_t n, uint32_t given_mask)
{
    device_record *d = device_named(n, given_mask);
    return d ? d->wheels : 0;
}

int32_t rt_stick(int32_t n, int32_t pair, uint32_t given_mask)
{
    if (!(given_mask & 1))
        pair = 1;
    if (n < 0 || n > 65535 || pair < 1 || pair > 65535) {
        error_raise(5);
        return 0;
    }
    const int32_t axis = (pair - 1) * 2 + (n & 1);
    device_record *d =
        controller_find(n / 2, [axis](const device_record &r) { return r.axes > axis; });
    if (!d)
        return 128;
    std::vector<uint8_t> entry(d->queue->current.size());
    newest_copy(*d->queue, entry);
    double v = float_at(entry, axis_offset(*d, axis));
    if (std::fabs(v) <= 0.01)
        v = 0;
    const int32_t result = round_double_to_int32(v * 127) + 127;
    return result > 254 ? 254 : result < 1 ? 1 : result;
}

int32_t rt_strig(int32_t n, int32_t pair, uint32_t given_mask)
{
    if (n < 0 || n > 65535 || ((given_mask & 1) && (pair < 1 || pair > 65535))) {
        error_raise(5);
        return 0;
    }
    if (!(given_mask & 1)) {
        pair = (n & 2) ? 2 : 1;
        if (n & 2)
            n -= 2;
    }
    const int32_t button = n / 4 + 1;
    device_record *d =
        controller_find(pair - 1, [button](const device_record &r) { return r.buttons >= button; });
    if (!d)
        return 0;
    if (n & 1) {
        std::vector<uint8_t> entry(d->queue->current.size());
        newest_copy(*d->queue, entry);
        return entry[size_t(button - 1)] ? -1 : 0;
    }
    if (button > 256 || !d->latched[button - 1])
        return 0;
    d->latched[button - 1] = 0;
    return -1;
}
