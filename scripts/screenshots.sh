#!/usr/bin/env bash
# `make screenshots`: pictures of every screen of the installer, taken from real runs under Xvfb, into
# docs/screens/. Run it again whenever the dialogs change.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/make-dist.sh" >/dev/null
work="$top/build/screens"
rm -rf "$work"
mkdir -p "$work/shots" "$work/d/java/jdk1.3.1/jre/lib/ext" "$top/docs/screens"
# A drive D: with one VM and enough folders that the search shows for a moment.
for i in $(seq 1 60); do for j in $(seq 1 40); do mkdir -p "$work/d/data/f$i/g$j"; done; done

OSTREL_USE_DISPLAY=0 "$top/scripts/wine-session.sh" --prefix "$work/prefix" bash -s "$top" "$work" <<'INNER'
set -euo pipefail
top=$1 work=$2
c="$WINEPREFIX/drive_c"
ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
user="$top/build/win32/tests/demo_user.exe"
export OSTREL_STANDIN="$top/build/win32/tests/standin_vm.exe"
mkdir -p "$c/OstrelDemo/setup"
cp -r "$top/build/dist/." "$c/OstrelDemo/setup/"
cp "$OSTREL_STANDIN" "$work/d/java/jdk1.3.1/bin/java.exe" 2>/dev/null || { mkdir -p "$work/d/java/jdk1.3.1/bin"; cp "$OSTREL_STANDIN" "$work/d/java/jdk1.3.1/bin/java.exe"; }
cp "$OSTREL_STANDIN" "$work/d/java/jdk1.3.1/bin/javaw.exe"
printf '*=7,700\r\n' >"$work/d/java/jdk1.3.1/bin/standin.cfg"
exe='C:\OstrelDemo\setup\installer.exe' dir='C:\OstrelDemo\setup'
shots() { mkdir -p "$work/shots/$1"; export OSTREL_SHOTS="$work/shots/$1"; }

# 1. Nothing in the common places: the disk search finds the VM on D:.
shots search
wine "$user" run "$exe" "$dir" 'C:\windows' search drives:D install-all | tr -d '\r'
# 2. The sample machine: VMs in the common places; the user cancels.
wine "$user" setup >/dev/null
path='C:\OstrelDemo\jdk1.1.8\bin;C:\windows'
shots common
wine "$user" run "$exe" "$dir" "$path" cancel | tr -d '\r'
# 3. The 9x family: a 1.1 VM needs autoexec.bat, and so a restart.
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
shots win98
wine "$user" run "$exe" "$dir" "$path" install:0 | tr -d '\r'
wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
# 4. A file that cannot be written: the installation says so.
touch "$c/OstrelDemo/jdk1.3.1/jre/lib/ext/ostrel.jar"
chmod a-w "$c/OstrelDemo/jdk1.3.1/jre/lib/ext/ostrel.jar"
wine attrib +r 'C:\OstrelDemo\jdk1.3.1\jre\lib\ext\ostrel.jar' >/dev/null 2>&1 || true
shots incomplete
wine "$user" run "$exe" "$dir" "$path" install-all | tr -d '\r'
INNER

# The pictures under names that say what they show.
pick() { # folder, caption pattern, picture name
  local f
  f=$(ls "$work/shots/$1"/*"$2"*.bmp 2>/dev/null | head -n 1)
  [ -n "$f" ] || { echo "no screen \"$2\" in run $1" >&2; return 1; }
  convert "$f" "$top/docs/screens/$3.png"
  echo "docs/screens/$3.png"
}
pick common Checking_Java_VMs verifying
pick common Available_Java_virtual_machines path-list
pick common Installation_Canceled canceled
pick search No_Java_VMs_found no-vms
pick search drives_selected drives
pick search Searching_for_Java_VMs searching
pick search Available_Java_virtual_machines vm-list
pick search Installation_Completed done
pick win98 You_must_reboot done-restart
pick incomplete Installation_Incomplete incomplete
