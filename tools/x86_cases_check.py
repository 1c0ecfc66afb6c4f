#!/usr/bin/python3
"""Runs the x86 interpreter's instruction table (tests/core/data/x86_cases.txt)
on an independent emulator (Debian's python3-unicorn) and compares what
changes with the table's last column; with --write it fills that column.

    /usr/bin/python3 tools/x86_cases_check.py [--write]
"""
import os
import subprocess
import sys
import tempfile

from unicorn import Uc, UC_ARCH_X86, UC_MODE_16
from unicorn import x86_const as X

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "..", "tests", "core", "data", "x86_cases.txt")

GENERAL = [("eax", X.UC_X86_REG_EAX, 0x11223344), ("ebx", X.UC_X86_REG_EBX, 0x200),
           ("ecx", X.UC_X86_REG_ECX, 0x55667788), ("edx", X.UC_X86_REG_EDX, 0x99AABBCC),
           ("esi", X.UC_X86_REG_ESI, 0x10), ("edi", X.UC_X86_REG_EDI, 0x20),
           ("ebp", X.UC_X86_REG_EBP, 0x300), ("esp", X.UC_X86_REG_ESP, 0x400)]
SEGMENTS = [("cs", X.UC_X86_REG_CS, 0x1000), ("ss", X.UC_X86_REG_SS, 0x4000),
            ("ds", X.UC_X86_REG_DS, 0x2000), ("es", X.UC_X86_REG_ES, 0x3000),
            ("fs", X.UC_X86_REG_FS, 0x5000), ("gs", X.UC_X86_REG_GS, 0x6000)]
CODE = 0x10100
DATA_START, DATA_END = 0x20000, 0x70000


def assemble(source):
    with tempfile.TemporaryDirectory() as d:
        src, out = os.path.join(d, "a.asm"), os.path.join(d, "a.bin")
        with open(src, "w") as f:
            f.write("bits 16\n" + "\n".join(s.strip() for s in source.split(";")) + "\n")
        subprocess.run(["nasm", "-f", "bin", "-o", out, src], check=True)
        return open(out, "rb").read()


def data_bytes():
    return bytes((a ^ (a >> 8) ^ (a >> 16)) & 0xFF for a in range(DATA_START, DATA_END))


def changes(source):
    code = assemble(source)
    uc = Uc(UC_ARCH_X86, UC_MODE_16)
    uc.mem_map(0, 0x110000)
    uc.mem_write(DATA_START, data_bytes())
    uc.mem_write(CODE, code + b"\xCB")
    for _, reg, value in GENERAL + SEGMENTS:
        uc.reg_write(reg, value)
    uc.emu_start(0x100, CODE + len(code))  # begin is CS:IP's offset in 16-bit mode
    found = []
    for name, reg, value in GENERAL:
        if uc.reg_read(reg) != value:
            found.append("%s=%08X" % (name, uc.reg_read(reg)))
    for name, reg, value in SEGMENTS:
        if uc.reg_read(reg) != value:
            found.append("%s=%04X" % (name, uc.reg_read(reg)))
    written = []
    before, after = data_bytes(), uc.mem_read(DATA_START, DATA_END - DATA_START)
    for i in range(len(before)):
        if before[i] != after[i]:
            written.append((DATA_START + i, after[i]))
    code_after = uc.mem_read(CODE - 0x100, 0x1000)
    expected_code = bytearray(0x1000)
    expected_code[0x100:0x100 + len(code) + 1] = code + b"\xCB"
    for i in range(0x1000):
        if code_after[i] != expected_code[i]:
            written.append((CODE - 0x100 + i, code_after[i]))
    found += ["%X:%02X" % w for w in sorted(written)]
    return " ".join(found)


def main():
    write = "--write" in sys.argv
    lines, failures = [], 0
    for line in open(TABLE):
        if line.startswith("#") or "|" not in line:
            lines.append(line)
            continue
        name, source, expected = (p.strip() for p in line.split("|"))
        got = changes(source)
        if not write and got != expected:
            print("MISMATCH %s\n  table:    %s\n  emulator: %s" % (name, expected, got))
            failures += 1
        lines.append("%s | %s | %s\n" % (name, source, got))
    if write:
        open(TABLE, "w").writelines(lines)
    print("%d cases, %d mismatches" % (sum(1 for l in lines if "|" in l and not l.startswith("#")), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
