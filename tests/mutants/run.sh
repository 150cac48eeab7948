#!/usr/bin/env bash
# `make mutants`: each fault of faults.txt in turn, in a copy of the sources: rebuild, run the suite up to its
# first failure, caught or survived (a fault that does not build is caught).   Usage: run.sh [NUMBER...]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work="$top/build/mutants"
mkdir -p "$work/tree"
find "$work/tree" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} + # the sources being worked on stay
(cd "$top" && git ls-files -co --exclude-standard -z | tar --null -T - --ignore-failed-read -cf - 2>/dev/null) |
  tar -xmf - -C "$work/tree" # new times: nothing an aborted run built is taken for up to date
cd "$work/tree"
suite() {
  make -s all >"$work/last.log" 2>&1 && ctest --preset host --stop-on-failure --timeout 300 >>"$work/last.log" 2>&1 &&
    { OSTREL_PREFIX="$work/prefix" timeout 1800 tests/session.sh \
      ctest --preset "$(scripts/test-arch.sh)" --stop-on-failure --timeout 300 >>"$work/last.log" 2>&1 ||
      { [ $? = 124 ] && echo "the suite timed out" >>"$work/last.log"; false; }; }
}
suite || { tail -n 30 "$work/last.log"; echo "the suite fails on the unchanged sources" >&2; exit 2; }
caught=0 survived=0 timedout=0 n=0
while IFS= read -r line; do
  [[ -z "$line" || "$line" == '#'* ]] && continue
  IFS=$'\x1f' read -r file old new meaning <<<"${line//$'\t'/$'\x1f'}" # a tab is white space to read
  n=$((n + 1))
  [[ $# -gt 0 && " $* " != *" $n "* ]] && continue
  cp "$file" "$work/original"
  start=$(date +%s)
  OLD="$old" NEW="$new" perl -0777 -i -pe '(my $old = $ENV{OLD}) =~ s/^\s+|\s+$//g;
    my $re = join "\\s+", map { quotemeta } split /\s+/, $old;
    my $count = () = /$re/g; die "$ARGV: the text of fault '"$n"' is found $count times\n" unless $count == 1;
    s/$re/$ENV{NEW}/' "$file"
  if suite; then
    verdict="SURVIVED" survived=$((survived + 1))
  elif grep -aqE '\*\*\*Timeout|^the suite timed out' "$work/last.log"; then
    # A test that ran out of time proves nothing of the fault: counted apart, not as caught.
    verdict="TIMED OUT" timedout=$((timedout + 1))
  else
    verdict="CAUGHT   ($(grep -a -oE '#[0-9]+: [a-z_]+|FAILED  \] [^ ,]+|\] Error [0-9]+' "$work/last.log" | tail -n2 | tr '\n' ' '))"
    caught=$((caught + 1))
  fi
  cp "$work/original" "$file"
  printf '%3d %s %s: %s [%ds]\n' "$n" "$verdict" "$file" "$meaning" $(($(date +%s) - start))
done <"$top/tests/mutants/faults.txt"
make -s all >/dev/null 2>&1 || true
echo "faults: $((caught + survived + timedout)) applied, $caught caught, $survived survived, $timedout timed out"
