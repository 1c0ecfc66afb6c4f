#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed number of inputs from
# a fixed seed, starting from its seed inputs in corpus/NAME/. Any crash,
# hang or sanitizer report makes the script fail.
#
#   tests/fuzz/run_fuzz.sh                       # the short runs of ./check
#   FUZZ_RUNS=1000000 tests/fuzz/run_fuzz.sh paint   # one long run of paint_fuzz
#
# Arguments name targets without the _fuzz suffix; none means every target.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build-fuzz"
runs="${FUZZ_RUNS:-20000}"

names=("$@")
if [[ ${#names[@]} -eq 0 ]]; then
  for src in "$here"/*_fuzz.cpp; do
    n=$(basename "$src" .cpp)
    names+=("${n%_fuzz}")
  done
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DRT_SANITIZE=address -DRT_FUZZ=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null
targets=()
for n in "${names[@]}"; do targets+=("${n}_fuzz"); done
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

for n in "${names[@]}"; do
  # libFuzzer adds what it finds to its first corpus folder: give it a copy.
  corpus="$build/corpus/$n"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if [[ -d "$here/corpus/$n" ]]; then cp -r "$here/corpus/$n"/. "$corpus"/; fi
  log="$build/$n.log"
  echo "-- ${n}_fuzz: $runs inputs"
  "$build/tests/fuzz/${n}_fuzz" -runs="$runs" -seed=1 -max_len=4096 -timeout=10 -print_final_stats=1 \
    "$corpus" 2>"$log" || { tail -60 "$log"; exit 1; }
  tail -3 "$log"
done
