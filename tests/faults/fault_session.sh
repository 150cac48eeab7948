#!/usr/bin/env bash
# Runs a fault-test program with one more drive in the Wine prefix of the session (WINEPREFIX, as
# scripts/wine-session.sh sets it): q:, linked to a folder of its own that holds link cycles (a link to
# its parent and one to the drive's root) and a payload file of 2 MiB for the full-disk test. The fault
# tests search it; the drive and the folder go away at the end.
# Usage: fault_session.sh command [args...]
set -euo pipefail

[ -n "${WINEPREFIX:-}" ] || { echo "fault_session.sh: WINEPREFIX is not set; run inside scripts/wine-session.sh" >&2; exit 2; }
letter=q
link="$WINEPREFIX/dosdevices/$letter:"
pattern="ostrel-fault-drive."
# A drive left by a run that was killed is ours to replace; any other is not.
if [ -L "$link" ] || [ -e "$link" ]; then
  case "$(readlink "$link" 2>/dev/null || true)" in
    *"/$pattern"*) rm -f "$link" ;;
    *) echo "fault_session.sh: drive $letter: is in use in $WINEPREFIX" >&2; exit 2 ;;
  esac
fi

drive=$(mktemp -d "${TMPDIR:-/tmp}/${pattern}XXXXXX")
cleanup() {
  rm -f "$link"
  rm -rf "$drive"
}
trap cleanup EXIT

mkdir -p "$drive/cycle/inner"
ln -s .. "$drive/cycle/inner/up"
ln -s "$drive" "$drive/cycle/root"
ln -s "$drive" "$link"
# A start-up folder whose ostrel.jar is larger than what the full-disk test lets a process write.
mkdir -p "$drive/full-disk/installerFiles"
head -c $((2 * 1024 * 1024)) /dev/zero >"$drive/full-disk/installerFiles/ostrel.jar"

export OSTREL_FAULT_DRIVE="${letter^^}:"
"$@"
