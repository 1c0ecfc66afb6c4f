// The GOSUB return stack of the compiled program.
//
// Each GOSUB site has its own return-point number (1 to the program's highest).
// GOSUB pushes the number and jumps to the subroutine; RETURN pops it and
// jumps to that return point. The stack starts with room for 16,384 numbers
// and doubles when full. Program thread only.
#pragma once

#include <cstdint>

constexpr uint32_t GOSUB_STACK_START_CAPACITY = 16384;

extern uint32_t *gosub_stack;
extern uint32_t gosub_count;
extern uint32_t gosub_capacity;

// Allocates the stack with its starting capacity, empty (again for tests).
// Failure is the critical error 256.
void gosub_stack_init();

// GOSUB: stores the return point and grows the stack when it has become full.
void gosub_push(uint32_t return_point);

// RETURN: takes the top number into *point. False with error 3 (RETURN without
// GOSUB) when the stack is empty or the number is above
// highest_return_point; the number is taken off the stack either way.
bool gosub_pop(uint32_t highest_return_point, uint32_t *point);

// Doubles the stack. The critical error 256 (Out of stack space) when the
// capacity, read as signed, is negative or the memory cannot be had; the
// stack is then left as it was.
void gosub_stack_grow();
