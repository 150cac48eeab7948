#!/usr/bin/env bash
# Builds the libFuzzer targets of the awt.properties and autoexec.bat editors with clang, AddressSanitizer
# and UBSan, and runs each one. The corpus grows in build/fuzz/corpus from run to run.
# Usage: scripts/fuzz.sh [seconds per target]   (default 60)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-60}"
out="$top/build/fuzz"
cxx=$(command -v clang++ || command -v clang++-14)
targets=(awt_properties autoexec)

mkdir -p "$out"
for name in "${targets[@]}"; do
  "$cxx" -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$top/src" "$top/tests/fuzz/fuzz_$name.cpp" "$top/src/install/line_rewrite.cpp" -o "$out/fuzz_$name"
done

for name in "${targets[@]}"; do
  corpus="$out/corpus/$name"
  mkdir -p "$corpus"
  log="$out/fuzz_$name.log"
  if ! (cd "$out" && "./fuzz_$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -dict="$top/tests/fuzz/$name.dict" "$corpus" >"$log" 2>&1); then
    tail -n 40 "$log" >&2
    echo "fuzz_$name: a property broke (log: $log; the input is in $out)" >&2
    exit 1
  fi
  echo "fuzz_$name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -n 1), corpus $(ls "$corpus" | wc -l) inputs"
done
