#!/bin/sh
# installer.exe: a 32-bit GUI program for Windows 4.0 on, importing system DLLs only (it starts on its own),
# and only functions that the import list ($2) shows exported by Windows 95, 98 and NT 4.0.
headers=$(${OBJDUMP:-i686-w64-mingw32-objdump} -p "$1") || exit 1
echo "$headers" | grep -q 'file format pei-i386' || { echo "not a 32-bit program"; exit 1; }
echo "$headers" | grep -qE '^Subsystem[[:space:]]+00000002' || { echo "not a GUI program"; exit 1; }
for field in MajorSubsystemVersion MajorOSystemVersion; do
  echo "$headers" | grep -qE "^$field[[:space:]]+4\$" || { echo "$field: needs more than Windows 4.0"; exit 1; }
done
others=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' |
  grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll') && { echo "imports $others"; exit 1; }
# Downloaded with the bridge's files: 250 KB at most.
size=$(stat -c %s "$1") && [ "$size" -le 256000 ] || { echo "$size bytes, more than 250 KB"; exit 1; }
# Each import against its row of the list (| DLL | function | 95 | 98 | NT 4.0 | why |).
echo "$headers" | sed -n '/Import Tables/,$p' | awk -F'|' -v list="$2" '
  FILENAME == list { for (i = 2; i <= 7; i++) gsub(/^ +| +$/, "", $i)
    if (NF > 7 && $3 !~ /^(Function|-+)$/) { k = tolower($2) " " $3; row[k] = $4 " " $5 " " $6; why[k] = $7 }; next }
  /DLL Name:/ { dll = tolower($0); sub(/.*name: /, "", dll) }
  /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ { split($0, w, " "); k = dll " " w[3]; n++; seen[k] = 1
    ok = k ~ /^msvcrt/ ? "^(yes|stub|redist) (yes|stub) (yes|stub)$" : "^(yes|stub) (yes|stub) (yes|stub)$"
    if (!(k in row)) print bad = "imports " k ", which the list does not name"
    else if (row[k] !~ ok) print bad = "imports " k ", which Windows 95, 98 or NT 4.0 does not export: " row[k]
    else if (row[k] ~ /stub/ && why[k] == "") print bad = "imports the stub " k " without a reason" }
  END { for (k in row) if (!(k in seen)) print "(the list names " k ", which is no longer imported)"
    if (n == 0) print bad = "no imports read: the dump was not understood"
    if (bad) exit 1; print n " imports, each exported by Windows 95, 98 and NT 4.0" }' "$2" - || exit 1
echo "installer.exe: a 32-bit GUI program of $size bytes that imports system DLLs only"
