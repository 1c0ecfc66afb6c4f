// The interpreter's instruction loop: prefixes, the supported instructions
// and the stop conditions.
#include "core/x86_internal.h"

#include <array>

namespace
{

enum class outcome { next, far_return, unknown };

// What each byte is as a prefix: not one (0), a segment (PREFIX_SEGMENT plus
// the segment's number), operand size or address size.
constexpr uint8_t PREFIX_SEGMENT = 1, PREFIX_OPERAND = 16, PREFIX_ADDRESS = 17;
constexpr std::array<uint8_t, 256> PREFIX_KIND = [] {
    std::array<uint8_t, 256> kind{};
    kind[0x26] = PREFIX_SEGMENT + X86_ES;
    kind[0x2E] = PREFIX_SEGMENT + X86_CS;
    kind[0x36] = PREFIX_SEGMENT + X86_SS;
    kind[0x3E] = PREFIX_SEGMENT + X86_DS;
    kind[0x64] = PREFIX_SEGMENT + X86_FS;
    kind[0x65] = PREFIX_SEGMENT + X86_GS;
    kind[0x66] = PREFIX_OPERAND;
    kind[0x67] = PREFIX_ADDRESS;
    return kind;
}();

// Takes the prefixes in any order (the last segment prefix wins) and returns
// the opcode byte; false when prefixes alone fill the longest instruction.
bool prefixes_take(uint32_t &op)
{
    for (op = x86_fetch(1);; op = x86_fetch(1)) {
        const uint8_t kind = PREFIX_KIND[op];
        if (kind == 0)
            return true;
        if (kind == PREFIX_OPERAND)
            x86_cpu.operand32 = true;
        else if (kind == PREFIX_ADDRESS)
            x86_cpu.address32 = true;
        else
            x86_cpu.data_base = x86_cpu.stack_base = x86_cpu.segment_base[kind - PREFIX_SEGMENT];
        if (x86_instruction_bytes() >= X86_MAX_INSTRUCTION_BYTES)
            return false;
    }
}

// 88-8B: MOV between a register and r/m, either way, 8 bits or v.
outcome mov_rm(uint32_t op)
{
    const unsigned bytes = (op & 1) ? x86_operand_bytes() : 1;
    x86_modrm m;
    x86_modrm_decode(m);
    const x86_operand reg{false, m.reg};
    if (op & 2)
        x86_operand_write(reg, bytes, x86_operand_read(m.rm, bytes));
    else
        x86_operand_write(m.rm, bytes, x86_operand_read(reg, bytes));
    return outcome::next;
}

// 8C MOV r/m16, Sreg and 8E MOV Sreg, r/m16 (never CS).
outcome mov_segment(uint32_t op)
{
    x86_modrm m;
    x86_modrm_decode(m);
    if (m.reg >= X86_SEGMENTS || (op == 0x8E && m.reg == X86_CS))
        return outcome::unknown;
    if (op == 0x8C)
        x86_operand_write(m.rm, 2, x86_segment_value(m.reg));
    else
        x86_segment_load(m.reg, uint16_t(x86_operand_read(m.rm, 2)));
    return outcome::next;
}

// A0-A3: MOV AL/AXv and a memory offset from the instruction stream.
outcome mov_offset(uint32_t op)
{
    const unsigned bytes = (op & 1) ? x86_operand_bytes() : 1;
    const uint32_t offset = x86_fetch(x86_cpu.address32 ? 4 : 2);
    const x86_operand memory{true, x86_cpu.data_base + (offset & 0xFFFF)};
    const x86_operand accumulator{false, X86_AX};
    if (op & 2)
        x86_operand_write(memory, bytes, x86_operand_read(accumulator, bytes));
    else
        x86_operand_write(accumulator, bytes, x86_operand_read(memory, bytes));
    return outcome::next;
}

// B0-BF: MOV register, immediate.
outcome mov_register_immediate(uint32_t op)
{
    const unsigned bytes = op >= 0xB8 ? x86_operand_bytes() : 1;
    x86_register_write(op & 7, bytes, x86_fetch(bytes));
    return outcome::next;
}

// C6 /0 and C7 /0: MOV r/m, immediate.
outcome mov_rm_immediate(uint32_t op)
{
    const unsigned bytes = op == 0xC7 ? x86_operand_bytes() : 1;
    x86_modrm m;
    x86_modrm_decode(m);
    if (m.reg != 0)
        return outcome::unknown;
    x86_operand_write(m.rm, bytes, x86_fetch(bytes));
    return outcome::next;
}

// 50-5F: PUSH and POP of a register.
outcome push_pop_register(uint32_t op)
{
    const unsigned bytes = x86_operand_bytes();
    if (op < 0x58)
        x86_push(bytes, x86_register_read(op & 7, bytes));
    else
        x86_register_write(op & 7, bytes, x86_pop(bytes));
    return outcome::next;
}

// 68 PUSH immv; 6A PUSH imm8, sign-extended to the operand size.
outcome push_immediate(uint32_t op)
{
    const unsigned bytes = x86_operand_bytes();
    const uint32_t value = op == 0x68 ? x86_fetch(bytes) : uint32_t(int32_t(int8_t(x86_fetch(1))));
    x86_push(bytes, value);
    return outcome::next;
}

outcome push_segment(unsigned segment)
{
    x86_push(x86_operand_bytes(), x86_segment_value(segment));
    return outcome::next;
}

// POP of a segment register recomputes its base as MOV to it does.
outcome pop_segment(unsigned segment)
{
    x86_segment_load(segment, uint16_t(x86_pop(x86_operand_bytes())));
    return outcome::next;
}

// 8F /0: POP r/mv. A destination based on ESP sees ESP after the pop.
outcome pop_rm()
{
    const unsigned bytes = x86_operand_bytes();
    x86_modrm m;
    x86_modrm_decode(m);
    if (m.reg != 0)
        return outcome::unknown;
    const uint32_t value = x86_pop(bytes);
    if (m.rm.memory && x86_cpu.esp_based) {
        const uint32_t base = x86_cpu.stack_base;
        m.rm.where = base + uint16_t(m.rm.where - base + bytes);
    }
    x86_operand_write(m.rm, bytes, value);
    return outcome::next;
}

// FF /6: PUSH r/mv; the other forms of FF are not implemented.
outcome push_rm()
{
    const unsigned bytes = x86_operand_bytes();
    x86_modrm m;
    x86_modrm_decode(m);
    if (m.reg != 6)
        return outcome::unknown;
    x86_push(bytes, x86_operand_read(m.rm, bytes));
    return outcome::next;
}

// 0F A0/A8 PUSH FS/GS, 0F A1/A9 POP FS/GS; op becomes the second byte.
outcome two_byte(uint32_t &op)
{
    op = x86_fetch(1);
    switch (op) {
    case 0xA0:
        return push_segment(X86_FS);
    case 0xA8:
        return push_segment(X86_GS);
    case 0xA1:
        return pop_segment(X86_FS);
    case 0xA9:
        return pop_segment(X86_GS);
    default:
        return outcome::unknown;
    }
}

outcome interrupt()
{
    interrupt_dispatch(x86_fetch(1));
    return outcome::next;
}

outcome far_return(uint32_t op)
{
    if (op == 0xCA)
        x86_fetch(2); // the bytes to release: nothing is popped
    return outcome::far_return;
}

outcome execute(uint32_t &op)
{
    if (op >= 0x88 && op <= 0x8B)
        return mov_rm(op);
    if (op >= 0xA0 && op <= 0xA3)
        return mov_offset(op);
    if (op >= 0xB0 && op <= 0xBF)
        return mov_register_immediate(op);
    if (op >= 0x50 && op <= 0x5F)
        return push_pop_register(op);
    switch (op) {
    case 0x8C:
    case 0x8E:
        return mov_segment(op);
    case 0xC6:
    case 0xC7:
        return mov_rm_immediate(op);
    case 0x68:
    case 0x6A:
        return push_immediate(op);
    case 0x06:
    case 0x0E:
    case 0x16:
    case 0x1E:
        return push_segment(op >> 3);
    case 0x07:
    case 0x17:
    case 0x1F:
        return pop_segment(op >> 3);
    case 0x0F:
        return two_byte(op);
    case 0x8F:
        return pop_rm();
    case 0xFF:
        return push_rm();
    case 0xCD:
        return interrupt();
    case 0xCA:
    case 0xCB:
        return far_return(op);
    default:
        return outcome::unknown;
    }
}

// True when the instruction whose prefixes and opcode op have been fetched
// is longer than the processor allows. Only prefixes can make it so: with at
// most this many, even the longest form fits, and nothing is measured.
bool too_long(uint32_t op)
{
    constexpr uint32_t SAFE_BYTES = X86_MAX_INSTRUCTION_BYTES - X86_LONGEST_UNPREFIXED_BYTES + 1;
    return x86_instruction_bytes() > SAFE_BYTES &&
           x86_instruction_length(op) > X86_MAX_INSTRUCTION_BYTES;
}

// Runs one instruction; false with the reason when the routine stops. An
// instruction longer than 15 bytes is refused before any of it runs, its
// first byte named as the unknown one.
bool step(x86_result &stop)
{
    x86_cpu.operand32 = x86_cpu.address32 = false;
    x86_cpu.data_base = x86_cpu.segment_base[X86_DS];
    x86_cpu.stack_base = x86_cpu.segment_base[X86_SS];
    x86_code_window_load();
    uint32_t op = 0;
    if (!prefixes_take(op) || too_long(op)) {
        stop = x86_result{x86_stop::unknown_opcode, x86_cpu.code[0]};
        return false;
    }
    const outcome o = execute(op);
    x86_cpu.ip = uint16_t(x86_cpu.instruction_ip + x86_cpu.code_used);
    if (o == outcome::unknown)
        stop = x86_result{x86_stop::unknown_opcode, uint8_t(op)};
    else if (o == outcome::far_return)
        stop = x86_result{x86_stop::far_return, 0};
    return o == outcome::next;
}

} // namespace

x86_result x86_run(uint64_t max_steps)
{
    x86_machine_load();
    x86_result stop{x86_stop::step_limit, 0};
    for (uint64_t n = 0; max_steps == 0 || n < max_steps; n++) {
        if (!step(stop))
            break;
        if (x86_memory_read(x86_cpu.segment_base[X86_CS] + x86_cpu.ip, 1) == 0) {
            stop = x86_result{x86_stop::zero_byte, 0};
            break;
        }
    }
    x86_machine_store();
    return stop;
}
