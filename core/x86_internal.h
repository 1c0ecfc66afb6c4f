// What the interpreter's files share: the decoding state, the one accessor
// of emulated memory, register views, fetching and the stack.
//
// Every linear address the interpreter forms is a segment base (at most
// 0xFFFF0) plus a 16-bit offset, so an access of up to 4 bytes always lies
// inside the emulated memory.
#pragma once

#include "core/dos_memory.h"
#include "core/x86.h"

#include <bit>
#include <cstring>

static_assert(0xFFFF0u + 0xFFFFu + 4 <= DOS_MEMORY_SIZE);
static_assert(std::endian::native == std::endian::little);

// Segment registers in the processor's encoding order.
constexpr unsigned X86_ES = 0, X86_CS = 1, X86_SS = 2, X86_DS = 3, X86_FS = 4, X86_GS = 5;
constexpr unsigned X86_SEGMENTS = 6;
// General registers in encoding order.
constexpr unsigned X86_AX = 0, X86_CX = 1, X86_DX = 2, X86_BX = 3, X86_SP = 4, X86_BP = 5,
                   X86_SI = 6, X86_DI = 7;
constexpr uint32_t X86_MAX_INSTRUCTION_BYTES = 15;
// The longest form after the prefixes: opcode, ModR/M, SIB, a 32-bit
// displacement and a 32-bit immediate (C7 under 66h and 67h).
constexpr uint32_t X86_LONGEST_UNPREFIXED_BYTES = 11;
// The bytes copied from CS:IP before an instruction is decoded: at most 14
// prefixes, the opcode and 10 bytes of operands fit.
constexpr uint32_t X86_CODE_WINDOW = 32;

struct x86_machine {
    uint32_t gpr[8];                     // the general registers, in encoding order
    uint32_t segment_base[X86_SEGMENTS]; // linear: segment * 16
    uint16_t ip;                         // wraps at 64 KB
    uint16_t instruction_ip;             // where the current instruction began
    uint32_t code_used;                  // bytes of it decoded so far
    uint8_t code[X86_CODE_WINDOW];       // its bytes, from instruction_ip on
    uint32_t data_base;                  // DS, or the segment prefix's
    uint32_t stack_base;                 // SS, or the segment prefix's
    bool operand32;
    bool address32;
    bool esp_based; // the last memory operand was based on ESP
};
extern x86_machine x86_cpu;

// A ModR/M operand: a register number or a linear address.
struct x86_operand {
    bool memory;
    uint32_t where;
};
struct x86_modrm {
    unsigned reg; // the reg field
    x86_operand rm;
};

// Reads the ModR/M byte and what follows it (SIB, displacement). Filled in
// place rather than returned: a returned mixed-width record is rebuilt through
// the stack, which stalls the processor on every instruction.
void x86_modrm_decode(x86_modrm &m);

// The length of the instruction in the code window, prefixes included, once
// the prefixes and the opcode op have been fetched: what follows op is
// measured but not fetched. Unknown opcodes count only up to op itself.
uint32_t x86_instruction_length(uint32_t op);

// Loads a segment register and its base.
void x86_segment_load(unsigned segment, uint16_t value);
uint16_t x86_segment_value(unsigned segment);

// The interpreter works on its own copy of the general registers (an array
// by encoding number): x86_machine_load takes them, the segment bases and the
// instruction pointer from x86_registers; x86_machine_store writes the
// general registers back.
void x86_machine_load();
void x86_machine_store();

constexpr uint32_t X86_SHARED_START = 0x400; // the BIOS data area
constexpr uint32_t X86_SHARED_END = 0x500;

// True when an access touches the BIOS data area, which other threads write.
inline bool x86_shared(uint32_t linear, unsigned bytes)
{
    return linear < X86_SHARED_END && linear + bytes > X86_SHARED_START;
}

// The accessor of emulated memory: 1, 2 or 4 bytes, little-endian (the host
// is too, so the value's bytes are copied as they stand).
inline uint32_t x86_memory_read(uint32_t linear, unsigned bytes)
{
    const uint8_t *p = emulated_dos_memory + linear;
    uint32_t v = 0;
    if (x86_shared(linear, bytes)) {
        uint8_t b[4] = {0, 0, 0, 0};
        dos_memory_read(linear, b, bytes);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    if (bytes == 1)
        return *p;
    if (bytes == 2) {
        uint16_t w;
        std::memcpy(&w, p, 2);
        return w;
    }
    std::memcpy(&v, p, 4);
    return v;
}

inline void x86_memory_write(uint32_t linear, unsigned bytes, uint32_t value)
{
    uint8_t *p = emulated_dos_memory + linear;
    if (x86_shared(linear, bytes)) {
        const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
        dos_memory_write(linear, b, bytes);
    } else if (bytes == 1) {
        *p = uint8_t(value);
    } else if (bytes == 2) {
        const uint16_t w = uint16_t(value);
        std::memcpy(p, &w, 2);
    } else {
        std::memcpy(p, &value, 4);
    }
}

// Register number n of a width: 1 byte (AL CL DL BL AH CH DH BH), 2 or 4.
inline uint32_t x86_register_read(unsigned n, unsigned bytes)
{
    if (bytes == 1)
        return (x86_cpu.gpr[n & 3] >> ((n & 4) ? 8 : 0)) & 0xFF;
    const uint32_t v = x86_cpu.gpr[n];
    return bytes == 2 ? v & 0xFFFF : v;
}

inline void x86_register_write(unsigned n, unsigned bytes, uint32_t value)
{
    if (bytes == 1) {
        const unsigned shift = (n & 4) ? 8 : 0;
        uint32_t &r = x86_cpu.gpr[n & 3];
        r = (r & ~(0xFFu << shift)) | (value & 0xFF) << shift;
        return;
    }
    uint32_t &r = x86_cpu.gpr[n];
    r = bytes == 2 ? (r & 0xFFFF0000u) | (value & 0xFFFF) : value;
}

inline uint32_t x86_operand_read(x86_operand o, unsigned bytes)
{
    return o.memory ? x86_memory_read(o.where, bytes) : x86_register_read(o.where, bytes);
}

inline void x86_operand_write(x86_operand o, unsigned bytes, uint32_t value)
{
    if (o.memory)
        x86_memory_write(o.where, bytes, value);
    else
        x86_register_write(o.where, bytes, value);
}

// Copies the bytes from CS:IP into the code window for the next
// instruction; the offset wraps at 64 KB between bytes.
inline void x86_code_window_load()
{
    const uint32_t ip = x86_cpu.ip, base = x86_cpu.segment_base[X86_CS];
    x86_cpu.instruction_ip = uint16_t(ip);
    x86_cpu.code_used = 0;
    if (ip + X86_CODE_WINDOW <= 0x10000 && base + ip >= X86_SHARED_END) {
        std::memcpy(x86_cpu.code, emulated_dos_memory + base + ip, X86_CODE_WINDOW);
        return;
    }
    for (uint32_t i = 0; i < X86_CODE_WINDOW; i++)
        x86_cpu.code[i] = uint8_t(x86_memory_read(base + uint16_t(ip + i), 1));
}

// The next bytes of the instruction, little-endian.
inline uint32_t x86_fetch(unsigned bytes)
{
    const uint8_t *p = x86_cpu.code + x86_cpu.code_used;
    x86_cpu.code_used += bytes;
    if (bytes == 1)
        return p[0];
    if (bytes == 2)
        return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The bytes fetched for the current instruction so far.
inline uint32_t x86_instruction_bytes()
{
    return x86_cpu.code_used;
}

// 2, or 4 under the operand-size prefix.
inline unsigned x86_operand_bytes()
{
    return x86_cpu.operand32 ? 4 : 2;
}

// SP is lowered first (16-bit arithmetic); the value goes to SS:SP.
inline void x86_push(unsigned bytes, uint32_t value)
{
    const uint16_t sp = uint16_t(x86_cpu.gpr[X86_SP] - bytes);
    x86_register_write(X86_SP, 2, sp);
    x86_memory_write(x86_cpu.segment_base[X86_SS] + sp, bytes, value);
}

inline uint32_t x86_pop(unsigned bytes)
{
    const uint16_t sp = uint16_t(x86_cpu.gpr[X86_SP]);
    const uint32_t value = x86_memory_read(x86_cpu.segment_base[X86_SS] + sp, bytes);
    x86_register_write(X86_SP, 2, uint16_t(sp + bytes));
    return value;
}
