#include "core/x86.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using bytes = std::vector<uint8_t>;

constexpr uint32_t CODE = 0x10100; // 1000:0100
constexpr uint32_t DATA_START = 0x20000, DATA_END = 0x70000;
// The registers every table case starts with.
constexpr x86_register_file START_REGISTERS{0x11223344, 0x200,  0x55667788, 0x99AABBCC, 0x10,
                                            0x20,       0x300,  0x400,      0x1000,     0x4000,
                                            0x2000,     0x3000, 0x5000,     0x6000,     0x100};

struct X86 : testing::Test {
    void SetUp() override
    {
        error_pending_take();
        dos_memory_startup();
    }
    void TearDown() override { error_pending_take(); }
};

// Assembles 16-bit nasm source (';' between instructions).
bytes assemble(const std::string &source)
{
    const std::string dir = test_temp_dir("x86_asm_");
    const std::string src = dir + "/a.asm", out = dir + "/a.bin";
    std::string text = "bits 16\n" + source;
    for (char &c : text)
        c = c == ';' ? '\n' : c;
    file_write_all(src, text + "\n");
    const std::string command = "nasm -f bin -o '" + out + "' '" + src + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "nasm failed on: " << source;
    const std::string code = file_read_all(out);
    std::remove(src.c_str());
    std::remove(out.c_str());
    std::remove(dir.c_str());
    return bytes(code.begin(), code.end());
}

// The table's starting machine, with code at 1000:0100 followed by RETF.
void machine_prepare(const bytes &code)
{
    for (uint32_t a = DATA_START; a < DATA_END; a++)
        emulated_dos_memory[a] = uint8_t(a ^ a >> 8 ^ a >> 16);
    std::copy(code.begin(), code.end(), emulated_dos_memory + CODE);
    emulated_dos_memory[CODE + code.size()] = 0xCB;
    x86_registers = START_REGISTERS;
}

void changed_register(std::string &out, const char *name, uint32_t now, uint32_t before, int digits)
{
    char text[32];
    if (now != before) {
        std::snprintf(text, sizeof text, " %s=%0*X", name, digits, now);
        out += text;
    }
}

// What changed, as the table writes it: registers, then bytes by address.
std::string changes(const x86_register_file &r, const bytes &before)
{
    std::string out;
    const x86_register_file &b = START_REGISTERS;
    const struct {
        const char *name;
        uint32_t now, was;
        int digits;
    } regs[] = {{"eax", r.eax, b.eax, 8}, {"ebx", r.ebx, b.ebx, 8}, {"ecx", r.ecx, b.ecx, 8},
                {"edx", r.edx, b.edx, 8}, {"esi", r.esi, b.esi, 8}, {"edi", r.edi, b.edi, 8},
                {"ebp", r.ebp, b.ebp, 8}, {"esp", r.esp, b.esp, 8}, {"cs", r.cs, b.cs, 4},
                {"ss", r.ss, b.ss, 4},    {"ds", r.ds, b.ds, 4},    {"es", r.es, b.es, 4},
                {"fs", r.fs, b.fs, 4},    {"gs", r.gs, b.gs, 4}};
    for (const auto &x : regs)
        changed_register(out, x.name, x.now, x.was, x.digits);
    for (uint32_t a = 0; a < DOS_MEMORY_SIZE; a++) {
        if (emulated_dos_memory[a] == before[a])
            continue;
        char text[32];
        std::snprintf(text, sizeof text, " %X:%02X", a, emulated_dos_memory[a]);
        out += text;
    }
    return out.empty() ? out : out.substr(1);
}

std::string trim(const std::string &s)
{
    const size_t first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

TEST_F(X86, InstructionTableMatchesTheIndependentEmulator)
{
    std::ifstream table(RT_TEST_PROGRAM_SOURCE_DIR "/../core/data/x86_cases.txt");
    ASSERT_TRUE(table.good());
    std::string line;
    int cases = 0;
    while (std::getline(table, line)) {
        const size_t bar1 = line.find('|'), bar2 = line.rfind('|');
        if (line.empty() || line[0] == '#' || bar1 == bar2)
            continue;
        SCOPED_TRACE(line.substr(0, bar1));
        const bytes code = assemble(line.substr(bar1 + 1, bar2 - bar1 - 1));
        machine_prepare(code);
        const bytes before(emulated_dos_memory, emulated_dos_memory + DOS_MEMORY_SIZE);
        const x86_result r = x86_run(100);
        EXPECT_EQ(r.stop, x86_stop::far_return) << int(r.opcode);
        EXPECT_EQ(changes(x86_registers, before), trim(line.substr(bar2 + 1)));
        cases++;
    }
    EXPECT_GE(cases, 60);
}

} // namespace

namespace
{

// Code at DEF SEG 1000h, offset 0.
void code_place(const bytes &code, uint32_t linear = 0x10000)
{
    std::copy(code.begin(), code.end(), emulated_dos_memory + linear);
    rt_def_seg(0x1000, 1);
}

TEST_F(X86, CallAbsoluteRunsTheCodeAndReturns)
{
    code_place({0xB8, 0x34, 0x12, 0xCB}); // MOV AX,1234h; RETF
    x86_registers.ebx = 0xDEAD;
    rt_call_absolute(0, 0);
    EXPECT_EQ(x86_registers.eax, 0x1234u);
    EXPECT_EQ(x86_registers.ebx, 0u); // the registers start cleared
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(X86, CallAbsolutePushesTheArgumentsAndAFarReturnAddress)
{
    // MOV BP,SP; MOV AX,[BP+4]; MOV BX,[BP+6]; MOV CX,[BP]; MOV DX,DS; RETF
    code_place({0x89, 0xE5, 0x8B, 0x46, 0x04, 0x8B, 0x5E, 0x06, 0x8B, 0x4E, 0x00, 0x8C, 0xDA, 0xCB},
               0x10020);
    x86_call_arguments[0] = 0x1111;
    x86_call_arguments[1] = 0x2222;
    rt_call_absolute(2, 0x20);
    EXPECT_EQ(x86_registers.eax, 0x2222u);
    EXPECT_EQ(x86_registers.ebx, 0x1111u);
    EXPECT_EQ(x86_registers.ecx, 0xFFFFu);
    EXPECT_EQ(x86_registers.edx, 0x50u);
    EXPECT_EQ(x86_registers.esp, 0xFFF8u);
    EXPECT_EQ(x86_registers.cs, 0x1000u);
    EXPECT_EQ(x86_registers.ss, 0xFFFFu);
    rt_call_absolute(int32_t(X86_CALL_ARGUMENTS_MAX) + 1, 0);
    EXPECT_EQ(error_pending_take(), 5u);
    rt_call_absolute(-1, 0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(X86, InstructionPointerAndOffsetsWrapAtSixtyFourKilobytes)
{
    x86_registers = x86_register_file{};
    x86_registers.cs = 0xFFFF;
    x86_registers.ip = 0xFFFE;
    x86_registers.ss = 0x4000;
    x86_registers.ds = 0x2000;
    x86_registers.ebx = 0xFFFF;
    x86_registers.esi = 2;
    x86_registers.edi = 0x12345;
    // FFFF:FFFE MOV AL,7 ; FFFF:0000 MOV CX,[BX+SI] ; a32 MOV DX,[EDI] ; RETF
    const bytes tail = {0xB0, 0x07}, head = {0x8B, 0x08, 0x67, 0x8B, 0x17, 0xCB};
    std::copy(tail.begin(), tail.end(), emulated_dos_memory + 0xFFFF0 + 0xFFFE);
    std::copy(head.begin(), head.end(), emulated_dos_memory + 0xFFFF0);
    emulated_dos_memory[0x20001] = 0x34; // DS:0001, where FFFFh + 2 wraps to
    emulated_dos_memory[0x20002] = 0x12;
    emulated_dos_memory[0x22345] = 0x78; // DS:2345 from EDI 12345h
    emulated_dos_memory[0x22346] = 0x56;
    EXPECT_EQ(x86_run(10).stop, x86_stop::far_return);
    EXPECT_EQ(x86_registers.eax & 0xFF, 7u);
    EXPECT_EQ(x86_registers.ecx, 0x1234u);
    EXPECT_EQ(x86_registers.edx, 0x5678u);
}

TEST_F(X86, ImmediatesAcrossTheSegmentEndAndInterruptsThatDoNothing)
{
    x86_registers = x86_register_file{};
    x86_registers.cs = 0xFFFF;
    x86_registers.ip = 0xFFFF;
    emulated_dos_memory[0xFFFF0 + 0xFFFF] = 0xB8; // MOV AX, then 5678h at FFFF:0000
    const bytes head = {0x78, 0x56, 0xCD, 0x21, 0xCA, 0x04, 0x00};
    std::copy(head.begin(), head.end(), emulated_dos_memory + 0xFFFF0);
    EXPECT_EQ(x86_run(10).stop, x86_stop::far_return);
    EXPECT_EQ(x86_registers.eax, 0x5678u);
}

TEST_F(X86, StepLimitAndPrefixLimit)
{
    // 13 operand-size prefixes and MOV EAX,EAX: 15 bytes, accepted.
    bytes code = {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66,
                  0x66, 0x66, 0x66, 0x66, 0x66, 0x89, 0xC0};
    machine_prepare(code);
    EXPECT_EQ(x86_run(10).stop, x86_stop::far_return);
    machine_prepare(bytes(64, 0x88)); // MOV r/m8,r8 forms all the way round
    std::fill(emulated_dos_memory + CODE, emulated_dos_memory + CODE + 0x10000 - 0x100, 0x88);
    EXPECT_EQ(x86_run(1000).stop, x86_stop::step_limit);
}

struct unknown_case {
    bytes code;
    const char *digits;
};

const unknown_case unknown_cases[] = {
    {{0x90}, "90"},                   // NOP
    {{0x0F, 0x05}, "05"},             // 0Fh forms name their second byte
    {{0xFF, 0xC0}, "FF"},             // INC r/m: FF only pushes
    {{0x8F, 0xC8}, "8F"},             // 8F /1
    {{0xC6, 0xC8, 0x01}, "C6"},       // C6 /1
    {{0xC7, 0xD0, 0x01, 0x00}, "C7"}, // C7 /2
    {{0x8C, 0xF0}, "8C"},             // no segment register 6
    {{0x8E, 0xF8}, "8E"},             // no segment register 7
    {{0x8E, 0xC8}, "8E"},             // MOV CS, AX
    {{0xF3, 0xA4}, "F3"},             // REP MOVSB
};

TEST_F(X86, UnknownOpcodesStopWithTheirByte)
{
    for (const unknown_case &c : unknown_cases) {
        machine_prepare(c.code);
        const x86_result r = x86_run(10);
        EXPECT_EQ(r.stop, x86_stop::unknown_opcode) << c.digits;
        char text[20];
        x86_unknown_opcode_text(r.opcode, text);
        EXPECT_EQ(std::string(text), std::string("Unknown Opcode (") + c.digits + ")");
    }
}

// Runs code that must be refused as over-long: the stop names its first
// byte, and no register and no byte of memory has changed.
void over_long_refused(const bytes &code)
{
    machine_prepare(code);
    const bytes before(emulated_dos_memory, emulated_dos_memory + DOS_MEMORY_SIZE);
    const x86_result r = x86_run(10);
    EXPECT_EQ(r.stop, x86_stop::unknown_opcode);
    EXPECT_EQ(r.opcode, code[0]);
    EXPECT_EQ(changes(x86_registers, before), "");
}

// MOV dword [GS:100h],0DEADBEEFh: 18 bytes
const bytes over_long_move = {0x66, 0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x67, 0xC7,
                              0x05, 0x00, 0x01, 0x00, 0x00, 0xEF, 0xBE, 0xAD, 0xDE};

TEST_F(X86, OverLongInstructionsChangeNothingAndNameTheirFirstByte)
{
    const bytes cases[] = {
        over_long_move,
        // POP dword [GS:ESP+100h]: 16 bytes
        {0x66, 0x66, 0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x67, 0x8F, 0x84, 0x24, 0x00, 0x01, 0x00,
         0x00},
        // 14 operand-size prefixes and MOV EAX,EAX: 16 bytes
        {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x89,
         0xC0},
        bytes(15, 0x26), // prefixes alone
    };
    for (const bytes &code : cases) {
        SCOPED_TRACE(code.size());
        over_long_refused(code);
    }
}

// One instruction of every form the interpreter runs: each ModR/M shape,
// SIB and displacement, and each immediate.
const bytes instruction_forms[] = {
    {0x88, 0x07},                                           // MOV [BX],AL
    {0x8A, 0x46, 0x05},                                     // MOV AL,[BP+5]
    {0x89, 0x87, 0x34, 0x12},                               // MOV [BX+1234h],AX
    {0x8B, 0x06, 0x34, 0x12},                               // MOV AX,[1234h]
    {0x67, 0x88, 0x04, 0x24},                               // MOV [ESP],AL
    {0x67, 0x8A, 0x44, 0x24, 0x08},                         // MOV AL,[ESP+8]
    {0x67, 0x8B, 0x84, 0x24, 0x78, 0x56, 0x34, 0x12},       // MOV AX,[ESP+12345678h]
    {0x67, 0x89, 0x04, 0x25, 0x00, 0x10, 0x00, 0x00},       // MOV [1000h],AX by SIB, no base
    {0x67, 0x8B, 0x05, 0x00, 0x10, 0x00, 0x00},             // MOV AX,[dword 1000h]
    {0x67, 0x8B, 0x43, 0x04},                               // MOV AX,[EBX+4]
    {0x8C, 0xD8},                                           // MOV AX,DS
    {0x8E, 0x06, 0x00, 0x10},                               // MOV ES,[1000h]
    {0xA1, 0x00, 0x10},                                     // MOV AX,[1000h]
    {0x67, 0xA3, 0x00, 0x10, 0x00, 0x00},                   // MOV [dword 1000h],AX
    {0xB0, 0x01},                                           // MOV AL,1
    {0x66, 0xB8, 0x01, 0x02, 0x03, 0x04},                   // MOV EAX,4030201h
    {0xC6, 0x46, 0x05, 0x77},                               // MOV byte [BP+5],77h
    {0xC7, 0x06, 0x00, 0x10, 0x34, 0x12},                   // MOV word [1000h],1234h
    {0x66, 0x67, 0xC7, 0x84, 0x24, 0, 1, 0, 0, 1, 2, 3, 4}, // the longest form
    {0x50},                                                 // PUSH AX
    {0x68, 0x34, 0x12},                                     // PUSH 1234h
    {0x6A, 0x80},                                           // PUSH -80h
    {0x06},                                                 // PUSH ES
    {0x0F, 0xA0},                                           // PUSH FS
    {0x8F, 0x06, 0x00, 0x10},                               // POP word [1000h]
    {0x67, 0x8F, 0x44, 0x24, 0x04},                         // POP word [ESP+4]
    {0xFF, 0x36, 0x00, 0x10},                               // PUSH word [1000h]
    {0xCD, 0x21},                                           // INT 21h
    {0xCA, 0x04, 0x00},                                     // RETF 4
    {0xCB},                                                 // RETF
};

TEST_F(X86, EveryFormIsMeasuredAgainstTheFifteenByteLimit)
{
    for (const bytes &form : instruction_forms) {
        SCOPED_TRACE(testing::PrintToString(form));
        for (const size_t length : {15u, 16u}) {
            bytes code(length - form.size(), 0x3E); // DS prefixes: the length alone grows
            code.insert(code.end(), form.begin(), form.end());
            if (length == 16) {
                over_long_refused(code);
                continue;
            }
            machine_prepare(code);
            EXPECT_EQ(x86_run(10).stop, x86_stop::far_return);
        }
    }
}

using X86Death = X86;

TEST_F(X86Death, UnknownOpcodeShowsTheBoxAndExitsWith86)
{
    const unknown_case over_long{over_long_move, "66"};
    for (const unknown_case &c :
         {unknown_cases[0], unknown_cases[1], unknown_cases[8], over_long}) {
        code_place(c.code);
        EXPECT_EXIT(rt_call_absolute(0, 0), testing::ExitedWithCode(86),
                    std::string("X86 Error[^\n]*\n?.*Unknown Opcode \\(") + c.digits + "\\)");
    }
}

TEST_F(X86Death, ZeroByteEndsTheProcessWithTheByteAtAddressZero)
{
    emulated_dos_memory[0] = 42;
    code_place({0xB8, 0x05, 0x00, 0x00}); // MOV AX,5 then a zero byte
    EXPECT_EXIT(rt_call_absolute(0, 0), testing::ExitedWithCode(42), "");
}

TEST_F(X86, CallInterruptCopiesTheRegisterBlocks)
{
    uint16_t in[10] = {0, 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0x7777, 0x8888, 0x9999};
    uint16_t out[10] = {};
    out[7] = 0xABCD;
    rt_call_interrupt(0x21, in, 16, out, 16);
    EXPECT_EQ(std::vector<uint16_t>(out, out + 8),
              std::vector<uint16_t>({0, 0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666, 0xABCD}));
    rt_call_interrupt(0x33, in, 16, out, 16);
    EXPECT_EQ(out[0], 0xFFFF);
    EXPECT_EQ(out[1], 2);
    rt_call_interruptx(0x10, in, 20, out, 20);
    EXPECT_EQ(out[8], 0x8888);
    EXPECT_EQ(out[9], 0x9999);
    EXPECT_EQ(x86_registers.ds, 0x8888);
    out[0] = 0x4242;
    const struct {
        bool x;
        int64_t in_size, out_size;
    } small[] = {{false, 16, 14}, {false, 14, 16}, {true, 20, 16}, {true, 18, 20}};
    for (const auto &s : small) {
        (s.x ? rt_call_interruptx : rt_call_interrupt)(0x33, in, s.in_size, out, s.out_size);
        EXPECT_EQ(error_pending_take(), 5u);
    }
    EXPECT_EQ(out[0], 0x4242);
}

} // namespace
