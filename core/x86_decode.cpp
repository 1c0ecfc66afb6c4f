// The interpreter's machine state, the decoding of ModR/M operands and the
// length of an instruction.
#include "core/x86_internal.h"

#include <array>

x86_register_file x86_registers{};
x86_machine x86_cpu{};

namespace
{

constexpr uint32_t x86_register_file::*GENERAL_MEMBERS[8] = {
    &x86_register_file::eax, &x86_register_file::ecx, &x86_register_file::edx,
    &x86_register_file::ebx, &x86_register_file::esp, &x86_register_file::ebp,
    &x86_register_file::esi, &x86_register_file::edi};
constexpr uint16_t x86_register_file::*SEGMENT_MEMBERS[X86_SEGMENTS] = {
    &x86_register_file::es, &x86_register_file::cs, &x86_register_file::ss,
    &x86_register_file::ds, &x86_register_file::fs, &x86_register_file::gs};

// The 16-bit forms by r/m: base and index register (-1 none), and whether
// the form is based on BP (and so on the stack segment).
struct form16 {
    int8_t base, index;
    bool stack;
};
constexpr form16 FORMS16[8] = {
    {X86_BX, X86_SI, false}, {X86_BX, X86_DI, false}, {X86_BP, X86_SI, true},
    {X86_BP, X86_DI, true},  {X86_SI, -1, false},     {X86_DI, -1, false},
    {X86_BP, -1, true},      {X86_BX, -1, false},
};

// The displacement that mod adds: none, a sign-extended byte, or a word of
// the address size.
uint32_t displacement(unsigned mod, unsigned wide_bytes)
{
    if (mod == 1)
        return uint32_t(int32_t(int8_t(x86_fetch(1))));
    return mod == 2 ? x86_fetch(wide_bytes) : 0;
}

uint32_t linear_of(uint32_t offset, bool stack)
{
    return (stack ? x86_cpu.stack_base : x86_cpu.data_base) + (offset & 0xFFFF);
}

uint32_t address16(unsigned mod, unsigned rm)
{
    const form16 &f = FORMS16[rm];
    if (mod == 0 && rm == 6)
        return linear_of(x86_fetch(2), false);
    uint32_t offset = x86_register_read(unsigned(f.base), 2);
    if (f.index >= 0)
        offset += x86_register_read(unsigned(f.index), 2);
    return linear_of(offset + displacement(mod, 2), f.stack);
}

// The SIB byte: index x scale (index 4: none) plus the base register, or a
// 32-bit displacement in place of the base when the base is 5 and mod is 0.
uint32_t sib_offset(unsigned mod, bool &stack)
{
    const uint32_t sib = x86_fetch(1);
    const unsigned index = (sib >> 3) & 7, base = sib & 7;
    uint32_t offset = index == X86_SP ? 0 : x86_register_read(index, 4) << (sib >> 6);
    if (base == X86_BP && mod == 0) {
        stack = false;
        return offset + x86_fetch(4);
    }
    stack = base == X86_SP || base == X86_BP;
    x86_cpu.esp_based = base == X86_SP;
    return offset + x86_register_read(base, 4);
}

uint32_t address32(unsigned mod, unsigned rm)
{
    bool stack = false;
    uint32_t offset;
    if (rm == X86_SP) {
        offset = sib_offset(mod, stack);
    } else if (rm == X86_BP && mod == 0) {
        offset = x86_fetch(4);
    } else {
        offset = x86_register_read(rm, 4);
        stack = rm == X86_BP;
    }
    return linear_of(offset + displacement(mod, 4), stack);
}

// What follows each opcode the interpreter knows: a ModR/M operand and an
// immediate of 1 or 2 bytes, of the operand size or of the address size (the
// offset of A0-A3), or nothing (0). The second byte of the 0Fh forms counts
// as a 1-byte immediate. Unknown opcodes take nothing: they are never run.
constexpr uint8_t IMMEDIATE_1 = 1, IMMEDIATE_2 = 2, IMMEDIATE_OPERAND = 3, IMMEDIATE_ADDRESS = 4,
                  FOLLOWS_MODRM = 8;
constexpr std::array<uint8_t, 256> FOLLOWS = [] {
    std::array<uint8_t, 256> f{};
    for (unsigned op : {0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8E, 0x8F, 0xFF})
        f[op] = FOLLOWS_MODRM;
    f[0xC6] = FOLLOWS_MODRM | IMMEDIATE_1;
    f[0xC7] = FOLLOWS_MODRM | IMMEDIATE_OPERAND;
    for (unsigned op = 0xA0; op <= 0xA3; op++)
        f[op] = IMMEDIATE_ADDRESS;
    for (unsigned op = 0xB0; op <= 0xBF; op++)
        f[op] = op >= 0xB8 ? IMMEDIATE_OPERAND : IMMEDIATE_1;
    f[0x68] = IMMEDIATE_OPERAND;
    f[0x6A] = f[0x0F] = f[0xCD] = IMMEDIATE_1;
    f[0xCA] = IMMEDIATE_2;
    return f;
}();

// The bytes of a ModR/M operand from the ModR/M byte p[0] on: SIB and
// displacement included.
uint32_t modrm_length(const uint8_t *p)
{
    const unsigned mod = p[0] >> 6, rm = p[0] & 7;
    if (mod == 3)
        return 1;
    if (!x86_cpu.address32)
        return mod == 1 ? 2 : (mod == 2 || rm == 6) ? 3 : 1;
    uint32_t n = mod == 1 ? 2 : mod == 2 ? 5 : 1;
    if (rm == X86_SP)
        n += (mod == 0 && (p[1] & 7) == X86_BP) ? 5 : 1;
    else if (mod == 0 && rm == X86_BP)
        n += 4;
    return n;
}

} // namespace

uint32_t x86_instruction_length(uint32_t op)
{
    const uint8_t follows = FOLLOWS[op];
    uint32_t n = x86_instruction_bytes();
    if (follows & FOLLOWS_MODRM)
        n += modrm_length(x86_cpu.code + n);
    switch (follows & ~FOLLOWS_MODRM) {
    case IMMEDIATE_1:
        return n + 1;
    case IMMEDIATE_2:
        return n + 2;
    case IMMEDIATE_OPERAND:
        return n + x86_operand_bytes();
    case IMMEDIATE_ADDRESS:
        return n + (x86_cpu.address32 ? 4 : 2);
    default:
        return n;
    }
}

void x86_modrm_decode(x86_modrm &m)
{
    const uint32_t byte = x86_fetch(1);
    const unsigned mod = byte >> 6, rm = byte & 7;
    x86_cpu.esp_based = false;
    m.reg = (byte >> 3) & 7;
    m.rm.memory = mod != 3;
    if (mod == 3)
        m.rm.where = rm;
    else
        m.rm.where = x86_cpu.address32 ? address32(mod, rm) : address16(mod, rm);
}

void x86_segment_load(unsigned segment, uint16_t value)
{
    x86_registers.*SEGMENT_MEMBERS[segment] = value;
    x86_cpu.segment_base[segment] = uint32_t(value) * 16;
}

uint16_t x86_segment_value(unsigned segment)
{
    return x86_registers.*SEGMENT_MEMBERS[segment];
}

void x86_machine_load()
{
    for (unsigned s = 0; s < X86_SEGMENTS; s++)
        x86_cpu.segment_base[s] = uint32_t(x86_registers.*SEGMENT_MEMBERS[s]) * 16;
    for (unsigned n = 0; n < 8; n++)
        x86_cpu.gpr[n] = x86_registers.*GENERAL_MEMBERS[n];
    x86_cpu.ip = x86_registers.ip;
}

void x86_machine_store()
{
    for (unsigned n = 0; n < 8; n++)
        x86_registers.*GENERAL_MEMBERS[n] = x86_cpu.gpr[n];
}
