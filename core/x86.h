// The real-mode x86 interpreter behind CALL ABSOLUTE and CALL INTERRUPT.
//
// Machine code in the emulated DOS memory (core/dos_memory.h) runs on a small
// interpreter of 16-bit real-mode x86: data moves, stack operations, INT and
// far returns; there are no flags, arithmetic, jumps or string instructions.
// Anything else is an unknown opcode: a message box captioned "X86 Error"
// and exit code 86. A zero byte where the next opcode would be ends the
// process with the byte at linear address 0 as its exit code. A RETF ends the
// routine and returns to the program.
//
// Decoding: prefixes 26h, 2Eh, 36h, 3Eh, 64h, 65h (segment: the last one
// wins), 66h (32-bit operands) and 67h (32-bit addressing) in any order and
// repeated, at most 15 bytes an instruction: a longer one is refused before
// any of it runs, as an unknown opcode that names the instruction's first
// byte (always a prefix). Effective offsets are cut to 16 bits before the
// segment base is added, as is the instruction pointer, so every access
// stays inside the emulated memory. Forms based on BP, EBP or ESP use SS,
// the others DS.
//
// Interrupt 33h serves the mouse (AX 0 reset, 1 show, 2 hide, 3 position
// and buttons); every other interrupt does nothing.
//
// Program thread only.
#pragma once

#include <cstdint>

// The register file, little-endian as the processor's: AL/AH are the low and
// second byte of EAX, and so on.
struct x86_register_file {
    uint32_t eax, ebx, ecx, edx, esi, edi, ebp, esp;
    uint16_t cs, ss, ds, es, fs, gs;
    uint16_t ip; // offset of the first instruction
};
extern x86_register_file x86_registers;

// Why an interpretation stopped.
enum class x86_stop {
    far_return,     // RETF: back to the caller
    zero_byte,      // a zero byte where the next opcode would be
    unknown_opcode, // x86_result::opcode names the byte, or over-long
    step_limit,     // the caller's instruction budget ran out
};
struct x86_result {
    x86_stop stop;
    uint8_t opcode; // the unknown byte (for 0Fh forms the second byte; for
                    // an instruction over 15 bytes its first byte)
};

// The words CALL ABSOLUTE pushes: the compiled program stores its argument
// words here, first argument first, before rt_call_absolute.
constexpr uint32_t X86_CALL_ARGUMENTS_MAX = 64;
extern uint16_t x86_call_arguments[X86_CALL_ARGUMENTS_MAX];

// CALL ABSOLUTE: clears the registers; CS the DEF SEG segment, IP offset,
// SS:SP FFFF:0000, DS 0x50; pushes the count argument words and the far
// return address FFFF:FFFF; runs the code. More than X86_CALL_ARGUMENTS_MAX
// words (or fewer than 0) is error 5. An unknown opcode or a zero byte ends
// the process as described above.
void rt_call_absolute(int32_t count, uint16_t offset);

// Runs the code at x86_registers' CS:IP until it stops; max_steps 0 means no
// limit. Does not end the process: the caller decides (tests and fuzzing run
// arbitrary code through it).
x86_result x86_run(uint64_t max_steps);

// The unknown-opcode box text: "Unknown Opcode (9A)".
void x86_unknown_opcode_text(uint8_t opcode, char text[20]);

// Serves interrupt number (33h: the mouse) on the registers of the running
// routine or of CALL INTERRUPT; called by INT and by CALL INTERRUPT(X).
void interrupt_dispatch(uint32_t number);

// CALL INTERRUPT: words 0-6 of the input block (AX BX CX DX BP SI DI) to the
// registers, the interrupt, and the registers back to words 0-6 of the output
// block; word 7 (flags) is neither read nor written. Blocks shorter than 16
// bytes are error 5 (the output block is checked first) and nothing runs.
void rt_call_interrupt(int32_t number, const void *in, int64_t in_size, void *out,
                       int64_t out_size);
// CALL INTERRUPTX: also words 8 and 9 (DS, ES); blocks of at least 20 bytes.
void rt_call_interruptx(int32_t number, const void *in, int64_t in_size, void *out,
                        int64_t out_size);
