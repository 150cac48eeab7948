#!/usr/bin/env bash
# The Wine session of the tests: scripts/wine-session.sh, with drives for the disk search linked to
# folders under build/test-drives. Scenarios fill and empty D: to G: themselves; A: and B: exist but are
# never offered; H: holds links that form cycles; I: a folder that cannot be read; S: a payload too big
# for a full disk; T: a tree of 20,000 directories; M: names a folder that does not exist; Z: stays the
# host's root.
# Usage: tests/session.sh command [args...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
drives="$top/build/test-drives"
chmod -R u+rwx "$drives" 2>/dev/null || true
find "$drives" -mindepth 1 -maxdepth 1 ! -name t -exec rm -rf {} + 2>/dev/null || true
mkdir -p "$drives"/{a,b,d,e,f,g,h/loop/vm,outside/vm,i/a/locked/vm,i/a/open,i/b}
touch "$drives/h/loop/vm/java.exe" "$drives/outside/vm/java.exe" "$drives/i/a/locked/java.exe" \
  "$drives/i/a/locked/vm/java.exe" "$drives/i/a/open/java.exe" "$drives/i/b/java.exe"
ln -s ../.. "$drives/h/loop/vm/up"
ln -s .. "$drives/h/loop/back"
ln -s "$drives/h" "$drives/h/root"
ln -s "$drives/outside/vm" "$drives/h/elsewhere"
chmod 000 "$drives/i/a/locked"
mkdir -p "$drives/s/setup/installerFiles" # a payload whose ostrel.jar outgrows a full disk
for f in accessibility.properties tamrix-1_1.jar tamrix-1_2.jar tamrix-1_4.jar JavaOstrel.dll WindowsOstrel.dll \
  JAWTOstrel.dll; do printf 'payload:%s' "$f" >"$drives/s/setup/installerFiles/$f"; done
head -c 2097152 /dev/zero >"$drives/s/setup/installerFiles/ostrel.jar"
if [ ! -f "$drives/t/.complete" ]; then # ten below each directory, named as folders often are
  rm -rf "$drives/t"
  awk -v root="$drives/t" 'BEGIN { path[0] = root; print root
    for (i = 1; i <= 20000; i++) print (path[i] = path[int((i - 1) / 10)] "/Folder " sprintf("%05d", i)) }' |
    xargs -d '\n' mkdir
  touch "$drives/t/.complete"
fi

link='dev="$WINEPREFIX/dosdevices"; for l in a b d e f g h i s t; do ln -sfn "$0/$l" "$dev/$l:"; done
  ln -sfn "$0/missing" "$dev/m:"; exec "$@"'
session=("$top/scripts/wine-session.sh" bash -c "$link" "$drives" "$@")
# As root, permission bits hold only once the capabilities that override them are dropped.
without=(setpriv --bounding-set -dac_override,-dac_read_search --inh-caps -dac_override,-dac_read_search)
if [ "$(id -u)" = 0 ] && "${without[@]}" true 2>/dev/null; then
  session=("${without[@]}" "${session[@]}")
fi
exec "${session[@]}"
