// CALL ABSOLUTE and CALL INTERRUPT(X): the statements over the interpreter.
#include "core/errors.h"
#include "core/x86_internal.h"
#include "platform/process_exit.h"

#include <cstdio>

uint16_t x86_call_arguments[X86_CALL_ARGUMENTS_MAX];

namespace
{

constexpr uint32_t ERROR_ILLEGAL_CALL = 5;
constexpr int EXIT_CODE_UNKNOWN_OPCODE = 86;
constexpr uint32_t BOX_SYSTEM_MODAL = 4096;
constexpr uint16_t CALL_STACK_SEGMENT = 0xFFFF;
constexpr uint16_t CALL_DATA_SEGMENT = 0x50;
constexpr uint32_t CALL_RETURN_ADDRESS = 0xFFFFFFFF;
// Block words: AX BX CX DX BP SI DI, flags, DS, ES.
constexpr unsigned BLOCK_REGISTERS[7] = {X86_AX, X86_BX, X86_CX, X86_DX, X86_BP, X86_SI, X86_DI};
constexpr int64_t BLOCK_BYTES = 16;
constexpr int64_t BLOCK_BYTES_X = 20;

// Ends the process as a stopped routine demands; returns after a RETF.
void stop_handle(const x86_result &r)
{
    if (r.stop == x86_stop::zero_byte)
        process_exit(emulated_dos_memory[0]);
    if (r.stop == x86_stop::unknown_opcode) {
        char text[20];
        x86_unknown_opcode_text(r.opcode, text);
        message_box(text, "X86 Error", BOX_SYSTEM_MODAL);
        process_exit(EXIT_CODE_UNKNOWN_OPCODE);
    }
}

uint16_t word_get(const void *block, unsigned index)
{
    const auto *b = static_cast<const uint8_t *>(block) + index * 2;
    return uint16_t(b[0] | b[1] << 8);
}

void word_put(void *block, unsigned index, uint16_t value)
{
    auto *b = static_cast<uint8_t *>(block) + index * 2;
    b[0] = uint8_t(value);
    b[1] = uint8_t(value >> 8);
}

// The shared body of CALL INTERRUPT and CALL INTERRUPTX.
void call_interrupt(int32_t number, const void *in, int64_t in_size, void *out, int64_t out_size,
                    bool segments)
{
    if (error_pending.load())
        return;
    const int64_t needed = segments ? BLOCK_BYTES_X : BLOCK_BYTES;
    if (!out || out_size < needed || !in || in_size < needed) {
        error_raise(ERROR_ILLEGAL_CALL);
        return;
    }
    x86_machine_load();
    for (unsigned i = 0; i < 7; i++)
        x86_register_write(BLOCK_REGISTERS[i], 2, word_get(in, i));
    if (segments) {
        x86_segment_load(X86_DS, word_get(in, 8));
        x86_segment_load(X86_ES, word_get(in, 9));
    }
    interrupt_dispatch(uint32_t(number) & 0xFF);
    x86_machine_store();
    for (unsigned i = 0; i < 7; i++)
        word_put(out, i, uint16_t(x86_register_read(BLOCK_REGISTERS[i], 2)));
    if (segments) {
        word_put(out, 8, x86_registers.ds);
        word_put(out, 9, x86_registers.es);
    }
}

} // namespace

void x86_unknown_opcode_text(uint8_t opcode, char text[20])
{
    std::snprintf(text, 20, "Unknown Opcode (%02X)", opcode);
}

void rt_call_absolute(int32_t count, uint16_t offset)
{
    if (error_pending.load())
        return;
    if (count < 0 || count > int32_t(X86_CALL_ARGUMENTS_MAX)) {
        error_raise(ERROR_ILLEGAL_CALL);
        return;
    }
    if (!emulated_dos_memory)
        dos_memory_reset();
    x86_registers = x86_register_file{};
    x86_registers.cs = uint16_t(peek_base / 16);
    x86_registers.ip = offset;
    x86_registers.ss = CALL_STACK_SEGMENT;
    x86_registers.ds = CALL_DATA_SEGMENT;
    x86_machine_load();
    for (int32_t i = 0; i < count; i++)
        x86_push(2, x86_call_arguments[i]);
    x86_push(4, CALL_RETURN_ADDRESS);
    x86_machine_store();
    stop_handle(x86_run(0));
}

void rt_call_interrupt(int32_t number, const void *in, int64_t in_size, void *out, int64_t out_size)
{
    call_interrupt(number, in, in_size, out, out_size, false);
}

void rt_call_interruptx(int32_t number, const void *in, int64_t in_size, void *out,
                        int64_t out_size)
{
    call_interrupt(number, in, in_size, out, out_size, true);
}
