#!/usr/bin/env bash
# Leaves the folder that ships at build/dist.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dist="$top/build/dist"
rm -rf "$dist"
mkdir -p "$dist"
cp "$top/build/win32/src/installer.exe" "$dist/"
cp "$top/build/win32/tester/OstrelTester.class" "$dist/"
cp -r "$top/build/win32/installerFiles" "$dist/"
echo "build/dist:"
(cd "$dist" && find . -type f | sort | sed 's|^\./|  |')
