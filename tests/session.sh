#!/usr/bin/env bash
# scripts/wine-session.sh with drives linked to build/test-drives: scenarios fill D: to G:; A: and B: are never
# offered; H: holds links that form cycles; T: 20,000 folders; M: is missing; Z: stays the host's root.
# Usage: tests/session.sh command [args...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
drives="$top/build/test-drives"
find "$drives" -mindepth 1 -maxdepth 1 ! -name t -exec rm -rf {} + 2>/dev/null || true
mkdir -p "$drives"/{a,b,d,e,f,g,h/loop/vm,outside/vm}
touch "$drives/h/loop/vm/java.exe" "$drives/outside/vm/java.exe"
ln -s ../.. "$drives/h/loop/vm/up" && ln -s .. "$drives/h/loop/back"
ln -s "$drives/h" "$drives/h/root" && ln -s "$drives/outside/vm" "$drives/h/elsewhere"
if [ ! -f "$drives/t/.complete" ]; then # ten below each folder, named as folders often are
  rm -rf "$drives/t"
  awk -v root="$drives/t" 'BEGIN { path[0] = root; print root
    for (i = 1; i <= 20000; i++) print (path[i] = path[int((i - 1) / 10)] "/Folder " sprintf("%05d", i)) }' |
    xargs -d '\n' mkdir
  touch "$drives/t/.complete"
fi
link='for l in a b d e f g h t; do ln -sfn "$0/$l" "$WINEPREFIX/dosdevices/$l:"; done
  ln -sfn "$0/missing" "$WINEPREFIX/dosdevices/m:"; exec "$@"'
# OSTREL_PREFIX keeps a prefix from run to run (as `make mutants` does).
exec "$top/scripts/wine-session.sh" ${OSTREL_PREFIX:+--keep --prefix "$OSTREL_PREFIX"} bash -c "$link" "$drives" "$@"
