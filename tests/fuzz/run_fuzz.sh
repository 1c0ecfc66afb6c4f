#!/usr/bin/env bash
# Builds the number-reader fuzz target with clang (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs it for a fixed
# number of inputs from a fixed seed, starting from the seed inputs in
# corpus/. Any crash or sanitizer report makes the script fail.
#
#   tests/fuzz/run_fuzz.sh            # the short run the test command makes
#   FUZZ_RUNS=1000000 tests/fuzz/run_fuzz.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build-fuzz"
runs="${FUZZ_RUNS:-30000}"

# The runtime library, built by clang with coverage instrumentation and the
# sanitizers; only its target is built.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRT_SANITIZE=address \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target runtime -j "$(nproc)"

clang++ -std=c++20 -g -O1 -ffp-contract=off -I "$root" \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  "$here/val_data_fuzz.cpp" "$build/libruntime.a" -lX11 -lpthread -o "$build/val_data_fuzz"

# libFuzzer adds what it finds to its first corpus folder: give it a copy.
corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$here"/corpus/* "$corpus"/
"$build/val_data_fuzz" -runs="$runs" -seed=1 -max_len=4096 -timeout=10 -print_final_stats=1 \
  "$corpus" 2>"$build/fuzz.log" || { tail -60 "$build/fuzz.log"; exit 1; }
tail -3 "$build/fuzz.log"
