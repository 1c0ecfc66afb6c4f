// Memory blocks over the pixels of an image or screen page.
#include "core/errors.h"
#include "core/mem_blocks.h"
#include "core/memory.h"
#include "screen/image_slots.h"
#include "screen/images.h"

namespace
{

// The lock id of the block a failed mem_block_of_image returns; the record
// it names never carries that id, so the block is freed, not uninitialised.
constexpr uint64_t DEAD_LOCK_ID = 0x3FFFFFFD;
mem_lock dead_lock{0, MEM_LOCK_RAW, nullptr};

mem_block dead_block()
{
    return mem_block{0, 0, DEAD_LOCK_ID, &dead_lock, 0, 0, -1};
}

// The image's lock, made when it has none that is still alive.
mem_lock *image_lock(image_slot *r)
{
    if (r->mem_lock && r->mem_lock_serial && r->mem_lock->id == r->mem_lock_serial)
        return r->mem_lock;
    mem_lock *lock = mem_lock_new();
    if (!lock)
        return nullptr;
    lock->kind = MEM_LOCK_IMAGE;
    r->mem_lock = lock;
    r->mem_lock_serial = lock->id;
    return lock;
}

} // namespace

mem_block mem_block_of_image(int32_t handle, uint32_t given_mask)
{
    if (error_pending.load())
        return dead_block();
    const uint32_t slot = image_handle_slot(handle, (given_mask & 1) != 0);
    image_slot *r = slot ? image_slot_get(slot) : nullptr;
    mem_lock *lock = r ? image_lock(r) : nullptr;
    if (!lock)
        return dead_block();
    const uint64_t size = uint64_t(r->width) * r->height * r->bytes_per_pixel;
    return mem_block{reinterpret_cast<uintptr_t>(r->pixels),
                     size,
                     lock->id,
                     lock,
                     MEM_BLOCK_TYPE_IMAGE + r->bytes_per_pixel,
                     r->bytes_per_pixel,
                     -int32_t(slot)};
}
