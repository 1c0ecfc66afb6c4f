#!/usr/bin/env bash
# Record files against an independent writer: Python's struct module writes a
# file of fixed-width records, which the runtime reads field by field (FIELD
# and record GET) and writes back (LSET and record PUT) byte-identical; and
# Python writes the length prefixes of strings of 0 to 65536 bytes, which must
# equal the file the runtime's PUT of those strings makes.
#
# Usage: records_test.sh RECORD_COPY
set -euo pipefail

program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - <<'PY'
import struct
# 40 records of 32 bytes: i32, f64, 12 characters, i16, 6 raw bytes.
layout = struct.Struct('<id12sh6s')
with open('in.dat', 'wb') as f, open('fields.expected', 'w') as e:
    for i in range(40):
        values = (i * 7919 - 100000, i / 3.0, ('name%d' % i).encode(),
                  -i, bytes((i * 37 + k) % 256 for k in range(6)))
        record = layout.pack(*values)
        f.write(record)
        offsets = [0, 4, 12, 24, 26, 32]
        for a, b in zip(offsets, offsets[1:]):
            e.write(record[a:b].hex() + '\n')

# The same strings record_copy writes, each with its prefix at the start of its
# record; PUT writes nothing else, so the gaps are the file system's zeros.
lengths = [0, 5, 32767, 32768, 40000, 65536]
size = max(lengths) + 8
out = bytearray()
for r, n in enumerate(lengths):
    if n < 32768:
        prefix = struct.pack('<H', n)
    else:
        prefix = struct.pack('<H', (n & 32767) | 32768) + struct.pack('<Q', n >> 15)[:6]
    text = bytes(ord('a') + i % 26 for i in range(n))
    out[len(out):] = bytes(r * size - len(out))
    out += prefix + text
open('strings.expected', 'wb').write(out)
PY

"$program" fields in.dat out.dat 32 4 8 12 2 6 >fields.actual
diff -u fields.expected fields.actual
cmp in.dat out.dat

"$program" strings strings.dat 0 5 32767 32768 40000 65536
cmp strings.expected strings.dat
echo "records: ok"
