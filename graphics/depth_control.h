// Depth buffer control: how 3-D textured triangles use the depth buffer of a
// hardware drawing target, and queued clears of that buffer.
//
// Targets: the hardware layer (handle 0), the second hardware layer (handle 1)
// and hardware images. A mode set now applies to the 3-D commands queued
// afterwards: each carries its destination's mode as it stood when queued
// (depth_mode_of), so commands queued earlier keep theirs. Program thread.
#pragma once

#include <cstdint>

// Depth modes as hgc_records carry them.
constexpr uint32_t DEPTH_OFF = 0;        // no depth test
constexpr uint32_t DEPTH_READ_WRITE = 1; // test and write; nearly transparent texels discarded
constexpr uint32_t DEPTH_READ_ONLY = 2;  // test without writes

// Modes of the two window layers (1 at start).
extern uint32_t screen_depth_mode;
extern uint32_t second_layer_depth_mode;

// option 1 read and write, 2 off, 3 read only, 4 queue a depth clear of the
// target; flags bit 0: handle given (else the hardware layer). Errors: 258 for
// a negative handle that names no live hardware image, 5 for a handle above 1
// or an option outside 1 to 4; nothing changes then. Returns at once while an
// error is pending.
void depth_buffer_control(int32_t option, int32_t handle, uint32_t flags);

// The command destination a target handle names: a live hardware image's
// list index for a negative handle, 0 (the hardware layer) for handle 0, -1
// (the second one) for handle 1. False after error 258 for a negative handle
// that names no live hardware image, or 5 for a handle above 1.
bool hardware_destination_resolve(int32_t handle, int32_t *destination);

// The mode of a command destination: a hardware image list index above 0,
// 0 the hardware layer, -1 the second one. An index naming no image gives 1.
uint32_t depth_mode_of(int32_t destination);

// Start-up values of both layer modes (tests).
void depth_modes_reset();
