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
# Each import against its row of the list (| DLL | function | 95 | 98 | NT 4.0 | why |), and the other way.
echo "$headers" | sed -n '/Import Tables/,$p' |
  awk '/DLL Name:/ { dll = tolower($3) } /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ { print dll, $3 }' |
  awk -F'|' -v list="$2" '
    FILENAME == list { if (NF < 8 || $3 ~ /Function|---/) next
      for (i = 2; i <= 7; i++) gsub(/^ +| +$/, "", $i)
      key = tolower($2) " " $3; row[key] = $4 " " $5 " " $6; why[key] = $7; next }
    { n++; seen[$0] = 1
      if (!($0 in row)) { print "imports " $0 ", which the list does not name"; bad = 1; next }
      split(row[$0], s, " ")
      if (s[1] !~ /^(yes|stub|redist)$/ || s[2] !~ /^(yes|stub)$/ || s[3] !~ /^(yes|stub)$/) {
        print "imports " $0 ", which Windows 95, 98 or NT 4.0 does not export: " row[$0]; bad = 1 }
      if (row[$0] ~ /stub/ && why[$0] == "") { print "imports the stub " $0 " without a reason"; bad = 1 }
      if (s[1] == "redist" && $0 !~ /^msvcrt/) { print $0 ": only msvcrt.dll may need installing"; bad = 1 } }
    END { for (k in row) if (!(k in seen)) { print "the list names " k ", which is not imported"; bad = 1 }
      if (!n) { print "no import table read"; bad = 1 }
      if (bad) exit 1; print n " imports, each exported by Windows 95, 98 and NT 4.0" }' "$2" - || exit 1
echo "installer.exe: a 32-bit GUI program of $size bytes that imports system DLLs only"
