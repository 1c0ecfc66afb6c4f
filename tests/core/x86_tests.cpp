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
    char dir[] = "/tmp/x86_asm_XXXXXX";
    if (!mkdtemp(dir))
        return {};
    const std::string src = std::string(dir) + "/a.asm", out = std::string(dir) + "/a.bin";
    std::string text = "bits 16\n" + source;
    for (char &c : text)
        c = c == ';' ? '\n' : c;
    file_write_all(src, text + "\n");
    const std::string command = "nasm -f bin -o " + out + " " + src;
    EXPECT_EQ(std::system(command.c_str()), 0) << "nasm failed on: " << source;
    const std::string code = file_read_all(out);
    std::remove(src.c_str());
    std::remove(out.c_str());
    std::remove(dir);
    return bytes(code.begin(), code.end());
}

// The table's starting machine, with code at 1000:0100 followed by RETF.
void machine_prepare(const bytes &code)
{
    for (uint32_t a = DATA_START; a < DATA_END; a++)
        emulated_dos_memory[a] = uint8_t(a ^ a >> 8 ^ a >> 16);
    std::copy(code.begin(), code.end(), emulated_dos_memory + CODE);
    emulated_dos_memory[CODE + code.size()] = 0xCB;
    x86_registers = x86_register_file{0x11223344, 0x200, 0x55667788, 0x99AABBCC, 0x10, 0x20,
                                      0x300, 0x400, 0x1000, 0x4000, 0x2000, 0x3000, 0x5000,
                                      0x6000, 0x100};
}

void changed_register(std::string &out, const char *name, uint32_t now, uint32_t before,
                      int digits)
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
    const x86_register_file b{0x11223344, 0x200, 0x55667788, 0x99AABBCC, 0x10, 0x20,
                              0x300, 0x400, 0x1000, 0x4000, 0x2000, 0x3000, 0x5000,
                              0x6000, 0x100};
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
