#!/usr/bin/env bash
# `make demo`: the installer on a sample machine, in a throwaway Wine prefix.
# With a display (DISPLAY set), you click through it yourself; without one, a scripted user clicks
# through under Xvfb and every screen it saw is printed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/make-dist.sh" >/dev/null

prefix="$top/build/demo/prefix"
mode=run
if [ -n "${DISPLAY:-}" ] && [ "${CI:-}" != true ]; then
  mode=watch
  export OSTREL_USE_DISPLAY=1
fi

"$top/scripts/wine-session.sh" --prefix "$prefix" bash -s "$top" "$mode" <<'INNER'
set -euo pipefail
top=$1 mode=$2
c="$WINEPREFIX/drive_c"
user="$top/build/win32/tests/demo_user.exe"
export OSTREL_STANDIN="$top/build/win32/tests/standin_vm.exe"
path=$(wine "$user" setup | tr -d '\r')
cp -r "$top/build/dist/." "$c/OstrelDemo/setup/"
echo "Sample machine: VMs in C:\\OstrelDemo (one on PATH, two in the registry); installer in C:\\OstrelDemo\\setup"
[ "$mode" = watch ] && echo "Click through the installer on your display."
wine "$user" state "before the installer runs" | tr -d '\r'
wine "$user" "$mode" 'C:\OstrelDemo\setup\installer.exe' 'C:\OstrelDemo\setup' "$path" | tr -d '\r'
wine "$user" state "after the installer ran" | tr -d '\r'
INNER
