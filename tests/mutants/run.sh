#!/usr/bin/env bash
# `make mutants`: applies each fault of faults.txt to a copy of the sources, one at a time, rebuilds what
# it touches, runs the suite (fastest tests first) until its first failing test, and says whether the
# suite caught the fault. A fault that does not build counts as caught.
# faults.txt: one fault per line, four fields separated by tabs: file, text to replace (blanks match
# any run of white space, so a text may span lines), replacement, what the fault means.
# Usage: tests/mutants/run.sh [NUMBER...]   (only those faults, counted from 1)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
list="$top/tests/mutants/faults.txt"
work="$top/build/mutants"
tree="$work/tree"
mkdir -p "$tree"
# A copy of the working tree, so that the sources being worked on are never touched.
find "$tree" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
(cd "$top" && git ls-files -co --exclude-standard -z | tar --null -T - --ignore-failed-read -cf - 2>/dev/null) |
  tar -xf - -C "$tree"
cd "$tree"
make -s all >"$work/build.log" 2>&1 || { tail -n 30 "$work/build.log"; echo "the unchanged sources do not build" >&2; exit 2; }

suite() {
  ctest --preset host --stop-on-failure --timeout 300 >"$work/last.log" 2>&1 &&
    OSTREL_PREFIX="$work/prefix" timeout 1800 tests/session.sh \
      ctest --preset win32 --stop-on-failure --timeout 300 >>"$work/last.log" 2>&1
}
suite || { tail -n 30 "$work/last.log"; echo "the suite fails on the unchanged sources" >&2; exit 2; }

caught=0 survived=0 stale=0 n=0
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  IFS=$'\x1f' read -r file old new meaning <<<"${line//$'\t'/$'\x1f'}" # a tab is white space to read
  n=$((n + 1))
  if [ $# -gt 0 ] && ! [[ " $* " == *" $n "* ]]; then continue; fi
  cp "$file" "$work/original"
  start=$(date +%s)
  if ! OLD="$old" NEW="$new" perl -0777 -i -pe '
        (my $old = $ENV{OLD}) =~ s/^\s+|\s+$//g;
        my $re = join "\\s+", map { quotemeta } split /\s+/, $old;
        my $count = () = /$re/g; die "found $count times\n" unless $count == 1;
        s/$re/$ENV{NEW}/' "$file" 2>"$work/apply.log"; then
    printf '%3d STALE     %s: %s (%s)\n' "$n" "$file" "$meaning" "$(cat "$work/apply.log")"
    stale=$((stale + 1))
    continue
  fi
  if ! make -s all >"$work/build.log" 2>&1; then
    verdict="CAUGHT    (does not build)"
  elif suite; then
    verdict="SURVIVED "
  else
    verdict="CAUGHT    ($(grep -m1 -E '\*\*\*[A-Z]' "$work/last.log" | sed -E 's/.*#[0-9]+: ([^ ]+) .*\*\*\*([A-Za-z]+).*/\1: \2/'))"
  fi
  cp "$work/original" "$file"
  case "$verdict" in SURVIVED*) survived=$((survived + 1)) ;; *) caught=$((caught + 1)) ;; esac
  printf '%3d %s %s: %s [%ds]\n' "$n" "$verdict" "$file" "$meaning" $(( $(date +%s) - start ))
done <"$list"
make -s all >/dev/null 2>&1 || true
echo "faults: $((caught + survived)) applied, $caught caught, $survived survived, $stale stale"
