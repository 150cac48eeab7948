#!/usr/bin/env bash
# Runs a Win32 program in a Wine prefix of its own whose drives are test folders, for the drive dialog
# and the drive search: z: (the host's root, which a search would walk) is removed, and a: to t: are
# linked to folders laid out here. The programs run from C:\ostrel, since the host's paths are out of
# reach without z:.
#
# Usage: drive_search_session.sh --work DIR --installer EXE --standin EXE --tester CLASS program [args...]
#
# Drives:  a: b:  present, but never offered (only C: on is)
#          c:     the prefix's own drive (C:\ostrel holds the programs)
#          d: to g: empty folders that the tests fill and empty themselves
#          h:     links that form cycles, and a link to a VM outside every drive
#          i:     a folder that cannot be read, among ordinary ones
#          m:     a drive whose folder does not exist: it cannot be made current
#          t:     a generated tree of 20,000 directories
# When run as root, permission bits only hold once the capabilities that override them are dropped: the
# whole session runs without them where that is allowed (else the test of the unreadable folder skips).
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
work="" installer="" standin="" tester=""
while [ $# -gt 0 ]; do
  case "$1" in
    --work) work="$2"; shift 2 ;;
    --installer) installer="$2"; shift 2 ;;
    --standin) standin="$2"; shift 2 ;;
    --tester) tester="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$work" ] && [ $# -ge 1 ] || { echo "usage: $0 --work DIR [--installer EXE] [--standin EXE] [--tester CLASS] program [args...]" >&2; exit 2; }
work=$(realpath -m "$work")
case "$work" in
  */*.wine) ;;
  *) echo "the work folder, which is removed with all it holds, must be named *.wine: $work" >&2; exit 2 ;;
esac
program=$(realpath "$1")
shift
for v in installer standin tester; do
  if [ -n "${!v}" ]; then printf -v "$v" '%s' "$(realpath "${!v}")"; fi
done

drives="$work/drives"
cleanup() {
  chmod -R u+rwx "$drives" 2>/dev/null || true
  rm -rf "$work"
}
cleanup
trap cleanup EXIT
mkdir -p "$drives"/{a,b,d,e,f,g,h,i,t}

# h: links that form cycles (to the root, and to a folder's own parent and grandparent), and a link to
# a VM in a folder that is no drive.
mkdir -p "$drives/h/loop/vm" "$drives/outside/linked-vm"
touch "$drives/h/loop/vm/java.exe" "$drives/outside/linked-vm/java.exe"
ln -s ../.. "$drives/h/loop/vm/up"
ln -s .. "$drives/h/loop/back"
ln -s "$drives/h" "$drives/h/root"
ln -s "$drives/outside/linked-vm" "$drives/h/elsewhere"

# i: "locked" (holding java.exe, and a VM below) cannot be read; ordinary folders beside it.
mkdir -p "$drives/i/a/locked/vm" "$drives/i/a/open" "$drives/i/b"
touch "$drives/i/a/locked/vm/java.exe" "$drives/i/a/locked/java.exe" "$drives/i/a/open/java.exe" \
  "$drives/i/b/java.exe"
chmod 000 "$drives/i/a/locked"

# t: 20,000 directories, ten below each, named as folders often are; no java.exe anywhere.
awk -v root="$drives/t" 'BEGIN {
  path[0] = root
  for (i = 1; i <= 20000; i++) {
    path[i] = path[int((i - 1) / 10)] "/Folder " sprintf("%05d", i)
    print path[i]
  }
}' | xargs -d '\n' mkdir

inner=$(cat <<'INNER'
set -euo pipefail
drives=$1 program=$2; shift 2
dev="$WINEPREFIX/dosdevices"
rm -f "$dev/z:"
for l in a b d e f g h i t; do ln -sfn "$drives/$l" "$dev/$l:"; done
ln -sfn "$drives/no-such-folder" "$dev/m:"
c="$WINEPREFIX/drive_c/ostrel"
mkdir -p "$c"
cp "$program" "$c/"
# The programs find these files through variables that hold Windows paths.
if [ -n "$OSTREL_INSTALLER" ]; then
  cp "$OSTREL_INSTALLER" "$c/installer.exe"; export OSTREL_INSTALLER='C:\ostrel\installer.exe'
fi
if [ -n "$OSTREL_STANDIN" ]; then
  cp "$OSTREL_STANDIN" "$c/standin_vm.exe"; export OSTREL_STANDIN='C:\ostrel\standin_vm.exe'
fi
if [ -n "$OSTREL_TESTER_CLASS" ]; then
  cp "$OSTREL_TESTER_CLASS" "$c/"; export OSTREL_TESTER_CLASS='C:\ostrel\OstrelTester.class'
fi
cd "$c"
wine "C:\\ostrel\\$(basename "$program")" "$@"
INNER
)

export OSTREL_INSTALLER="$installer" OSTREL_STANDIN="$standin" OSTREL_TESTER_CLASS="$tester"
session=("$top/scripts/wine-session.sh" --prefix "$work/prefix" bash -c "$inner" inner "$drives" "$program" "$@")
without=(setpriv --bounding-set -dac_override,-dac_read_search --inh-caps -dac_override,-dac_read_search)
if [ "$(id -u)" = 0 ] && "${without[@]}" true 2>/dev/null; then
  session=("${without[@]}" "${session[@]}")
fi
"${session[@]}"
