#!/bin/sh
# installer.exe: a 32-bit GUI program for Windows 4.0 on, importing system DLLs only (it starts on its own).
headers=$(${OBJDUMP:-i686-w64-mingw32-objdump} -p "$1") || exit 1
echo "$headers" | grep -q 'file format pei-i386' || { echo "not a 32-bit program"; exit 1; }
echo "$headers" | grep -qE '^Subsystem[[:space:]]+00000002' || { echo "not a GUI program"; exit 1; }
echo "$headers" | grep -qE '^MajorSubsystemVersion[[:space:]]+4$' || { echo "needs more than Windows 4.0"; exit 1; }
others=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' |
  grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll') && { echo "imports $others"; exit 1; }
# Downloaded with the bridge's files: 250 KB at most.
size=$(stat -c %s "$1") && [ "$size" -le 256000 ] || { echo "$size bytes, more than 250 KB"; exit 1; }
echo "installer.exe: a 32-bit GUI program of $size bytes that imports system DLLs only"
