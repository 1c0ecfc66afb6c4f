#!/usr/bin/env python3
"""Writes platform/case_fold_table.inc: the up-case table of an exFAT volume
as ranges, read by platform/case_fold.cpp.

The table is read out of a fresh image made by mkfs.exfat, so that names meet
on every disk exactly where they meet on an exFAT stick: two names are one
name when each of their characters up-cases alike. The table covers only the
Basic Multilingual Plane; every other character up-cases to itself.

A range is first, last, step (1 or 2) and the difference added to each of
its characters first, first + step, ... last to give its up-case value; the
characters between, for a step of 2, stay. Ranges are sorted and never
overlap.

Run from anywhere: python3 tools/make_case_fold.py
With --pairs it writes nothing and prints, one pair a line, every two
characters that the table or Unicode's one-character case mappings (lower,
upper, title, case fold) join, as "A B JOINED": A and B in hexadecimal, A
below B, and JOINED 1 where the table joins them, else 0.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "platform", "case_fold_table.inc")
UP_CASE_ENTRY = 0x82
END_OF_DIRECTORY = 0x00
LAST_CLUSTER = 0xFFFFFFF7  # and above: bad or end of chain


def checksum(data):
    total = 0
    for byte in data:
        total = (((total & 1) << 31) | (total >> 1)) + byte
        total &= 0xFFFFFFFF
    return total


class Volume:
    def __init__(self, image):
        self.image = image
        boot = image[:512]
        if boot[3:11] != b"EXFAT   ":
            raise ValueError("not an exFAT boot sector")
        fat_offset, _, heap_offset, cluster_count, self.root = struct.unpack_from("<IIIII", boot, 0x50)
        self.sector = 1 << boot[0x6C]
        self.cluster = self.sector << boot[0x6D]
        self.fat = fat_offset * self.sector
        self.heap = heap_offset * self.sector
        self.cluster_count = cluster_count

    def _next(self, cluster):
        (value,) = struct.unpack_from("<I", self.image, self.fat + 4 * cluster)
        return value

    def read(self, first, length=None):
        """The bytes of the chain from cluster first (length of them, or the
        whole chain); a chain the FAT leaves unrecorded lies in a row."""
        out = bytearray()
        cluster, seen = first, set()
        while length is None or len(out) < length:
            if not 2 <= cluster < self.cluster_count + 2 or cluster in seen:
                raise ValueError("cluster %d out of the heap or met twice" % cluster)
            seen.add(cluster)
            start = self.heap + (cluster - 2) * self.cluster
            out += self.image[start:start + self.cluster]
            following = self._next(cluster)
            if following == 0:
                following = cluster + 1
            elif following >= LAST_CLUSTER:
                break
            cluster = following
        if length is not None:
            if len(out) < length:
                raise ValueError("the chain from cluster %d is short" % first)
            del out[length:]
        return bytes(out)


def up_case_table(image):
    """The up-case value of every character of the plane, from an exFAT
    image: a list of 0x10000 values."""
    volume = Volume(image)
    root = volume.read(volume.root)
    for at in range(0, len(root), 32):
        kind = root[at]
        if kind == END_OF_DIRECTORY:
            break
        if kind != UP_CASE_ENTRY:
            continue
        (sum_wanted,) = struct.unpack_from("<I", root, at + 4)
        first, length = struct.unpack_from("<IQ", root, at + 20)
        data = volume.read(first, length)
        if checksum(data) != sum_wanted:
            raise ValueError("the up-case table's checksum does not match")
        return expanded(struct.unpack_from("<%dH" % (length // 2), data))
    raise ValueError("the root directory has no up-case table")


def expanded(words):
    """The table's compressed form undone: 0xFFFF then a count stands for that
    many characters that up-case to themselves."""
    table = []
    i = 0
    while i < len(words) and len(table) < 0x10000:
        if words[i] == 0xFFFF and i + 1 < len(words):
            table.extend(range(len(table), len(table) + words[i + 1]))
            i += 2
        else:
            table.append(words[i])
            i += 1
    del table[0x10000:]
    table.extend(range(len(table), 0x10000))
    return table


def mkfs_exfat():
    """mkfs.exfat's path: on PATH, else in /usr/sbin or /sbin, which a normal
    user's PATH on Debian lacks."""
    path = os.environ.get("PATH", os.defpath) + os.pathsep + "/usr/sbin:/sbin"
    found = shutil.which("mkfs.exfat", path=path)
    if not found:
        sys.exit("make_case_fold.py: mkfs.exfat not found (exfatprogs)")
    return found


def formatted_table():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "stick.img")
        with open(path, "wb") as image:
            image.truncate(8 << 20)
        subprocess.run([mkfs_exfat(), path], check=True, stdout=subprocess.DEVNULL)
        with open(path, "rb") as image:
            return up_case_table(image.read())


def ranges(table):
    found = []  # [first, last, step, delta]
    for cp in range(0x10000):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        delta = table[cp] - cp
        if delta == 0:
            continue
        if found:
            r = found[-1]
            if r[3] == delta and r[0] == r[1] and cp - r[1] in (1, 2):
                r[2] = cp - r[1]
                r[1] = cp
                continue
            if r[3] == delta and cp - r[1] == r[2]:
                r[1] = cp
                continue
        found.append([cp, cp, 1, delta])
    return found


def pairs(table):
    """Every two characters the table or Unicode's case mappings join, with
    whether the table joins them."""
    def up(cp):
        return table[cp] if cp < 0x10000 else cp

    joined = set()
    classes = {}
    for cp in range(0x10000):
        if not 0xD800 <= cp <= 0xDFFF:
            classes.setdefault(table[cp], []).append(cp)
    for members in classes.values():
        joined.update((a, b) for a in members for b in members if a < b)
    for cp in range(0x110000):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        c = chr(cp)
        for mapped in (c.lower(), c.upper(), c.title(), c.casefold()):
            if len(mapped) == 1 and mapped != c:
                joined.add(tuple(sorted((cp, ord(mapped)))))
    return [(a, b, int(up(a) == up(b))) for a, b in sorted(joined)]


def main():
    table = formatted_table()
    if sys.argv[1:] == ["--pairs"]:
        for a, b, same in pairs(table):
            print("%04X %04X %d" % (a, b, same))
        return
    rows = ranges(table)
    with open(OUT, "w") as out:
        out.write("// Generated by tools/make_case_fold.py from the up-case table of an image\n"
                  "// made by mkfs.exfat; do not edit.\n")
        out.write("// first, last, step, difference\n")
        for first, last, step, delta in rows:
            out.write("{0x%04X, 0x%04X, %d, %d},\n" % (first, last, step, delta))
    print("%d ranges written to %s" % (len(rows), os.path.relpath(OUT, ROOT)), file=sys.stderr)


if __name__ == "__main__":
    main()
