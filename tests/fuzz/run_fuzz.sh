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

# The runtime library and the target, built by clang with coverage
# instrumentation and the sanitizers; only the target and what it needs.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRT_SANITIZE=address -DRT_FUZZ=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target val_data_fuzz -j "$(nproc)"

# libFuzzer adds what it finds to its first corpus folder: give it a copy.
corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$here"/corpus/* "$corpus"/
"$build/tests/fuzz/val_data_fuzz" -runs="$runs" -seed=1 -max_len=4096 -timeout=10 -print_final_stats=1 \
  "$corpus" 2>"$build/fuzz.log" || { tail -60 "$build/fuzz.log"; exit 1; }
tail -3 "$build/fuzz.log"
