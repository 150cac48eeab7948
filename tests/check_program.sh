#!/bin/sh
# installer.exe is a 32-bit GUI program that imports only Windows system DLLs, so it starts from its
# folder alone on any Windows from the 9x family on.
exe="$1"
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
headers=$("$objdump" -p "$exe") || exit 1
fail=0
echo "$headers" | grep -q 'file format pei-i386' || { echo "not a 32-bit program"; fail=1; }
echo "$headers" | grep -qE '^Subsystem[[:space:]]+00000002' || { echo "not a GUI program"; fail=1; }
echo "$headers" | grep -qE '^MajorSubsystemVersion[[:space:]]+4$' || { echo "subsystem version above 4.0"; fail=1; }
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
  case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll) echo "imports $dll" ;;
    *) echo "imports a DLL that is not part of Windows: $dll"; fail=1 ;;
  esac
done
[ $fail = 0 ] && echo "installer.exe: 32-bit GUI program, system DLLs only"
exit $fail
