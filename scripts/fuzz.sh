#!/usr/bin/env bash
# Builds the libFuzzer target of the awt.properties and autoexec.bat editors with clang, AddressSanitizer
# and UBSan, and runs it. The corpus grows in build/fuzz/corpus from run to run.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-60}"
out="$top/build/fuzz"
cxx=$(command -v clang++ || command -v clang++-14)
mkdir -p "$out/corpus"
"$cxx" -std=c++17 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$top/src" "$top/tests/fuzz_editors.cpp" \
  "$top/src/install/line_rewrite.cpp" "$top/src/install/classpath_text.cpp" "$top/src/shell/ascii_text.cpp" -o "$out/fuzz_editors"
if ! (cd "$out" && ./fuzz_editors -max_total_time="$seconds" -max_len=4096 -timeout=10 corpus >fuzz.log 2>&1); then
  tail -n 40 "$out/fuzz.log" >&2
  echo "fuzz_editors: a property broke (log: $out/fuzz.log; the input is in $out)" >&2
  exit 1
fi
echo "fuzz_editors: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$out/fuzz.log" | tail -n 1), corpus $(ls "$out/corpus" | wc -l) inputs"
