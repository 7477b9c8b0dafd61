#!/bin/sh
# Varnel_NameCheck.exe as list authors run it under Windows (here Wine): lists
# and folders dropped on its icon (paths with blanks and non-ASCII letters),
# output to a file or a pipe as UTF-8 bytes, output to a console of its own
# (in a pseudo-terminal) with the names shown and the window held until
# Enter; its version resource and its imports.
# Usage: namecheck-program-test.sh WINE_RUN EXE SAMPLE_LISTS_FOLDER MINGW_TRIPLE VERSION
set -u
wine=$1
exe=$2
samples=$3
triple=$4
version=$5
work=$(mktemp -d /tmp/varnel-namecheck.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "$1"; status=1; }

# The sample lists' folder: every list good.
"$wine" "$exe" "$samples" > "$work/samples.txt" 2>&1
got=$?
[ $got -eq 0 ] || fail "sample lists: status $got, expected 0"
grep -q "FemaleNames.txt: .* lines" "$work/samples.txt" || fail "sample lists: no verdict on FemaleNames.txt"
grep -q "every command shows a name as its line reads" "$work/samples.txt" || fail "sample lists: not found good"
grep -q 'Press Enter' "$work/samples.txt" && fail "redirected output: the program waited for Enter"

# A dropped list in a folder with blanks and non-ASCII letters; redirected:
# UTF-8 bytes, the path as written (one backslash between parts).
dir="$work/Mods für Zoë/名前"
mkdir -p "$dir"
printf 'Zoë\r\nJörg\r\n\r\n' > "$dir/FemaleNames.txt"
"$wine" "$exe" "$dir/FemaleNames.txt" > "$work/dropped.txt" 2>&1
got=$?
[ $got -eq 1 ] || fail "broken list: status $got, expected 1"
grep -q "Mods für Zoë/名前/FemaleNames.txt: 3 lines, 2 names" "$work/dropped.txt" || fail "dropped path not shown as written"
grep -q '\\\\' "$work/dropped.txt" && fail "a backslash shown doubled"
grep -q "of commands fail" "$work/dropped.txt" || fail "broken list: no failing commands named"

# Several lists and the folder at once.
printf 'Dov\r\n' > "$dir/MaleNames.txt"
"$wine" "$exe" "$dir" "$samples/MaleNames.txt" > "$work/several.txt" 2>&1
[ "$(grep -c ': [0-9]* lines\?, ' "$work/several.txt")" = 3 ] || fail "several lists: not three verdicts"

# --sample 5: five names of the list, one per line.
"$wine" "$exe" --sample 5 "$samples/FemaleNames.txt" > "$work/sample.txt" 2>&1
got=$?
[ $got -eq 0 ] || fail "--sample: status $got"
[ "$(wc -l < "$work/sample.txt")" = 5 ] || fail "--sample 5: not five lines"
while IFS= read -r name; do
  name=$(printf '%s' "$name" | tr -d '\r')
  grep -qxF -- "$name" "$samples/FemaleNames.txt" || fail "--sample gave '$name', not a name of the list"
done < "$work/sample.txt"

# Its own console (a drop from Explorer): names shown, then it waits for Enter.
( sleep 6; printf '\r' ) | timeout 90 script -qec "'$wine' '$exe' '$dir/FemaleNames.txt'" /dev/null > "$work/console.txt" 2>&1
shown=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/console.txt" | tr -d '\r ')
printf '%s' "$shown" | grep -q "3lines,2names" || fail "console: no verdict shown"
printf '%s' "$shown" | grep -q "Zoë" || fail "console: the name Zoë not shown"
printf '%s' "$shown" | grep -q "PressEntertoclosethiswindow." || fail "console: did not wait for Enter"

# The version resource, from the one version.
"$triple-windres" -i "$exe" -O rc > "$work/resource.rc" 2>/dev/null || fail "no resource in $exe"
numbers=$(echo "$version" | sed 's/\./, /g')
grep -q "FILEVERSION $numbers\$" "$work/resource.rc" || fail "file version is not $version"
grep -q "\"FileVersion\", \"$version\"" "$work/resource.rc" || fail "file version text is not $version"
grep -q "Varnel_NameCheck.exe" "$work/resource.rc" || fail "resource does not name Varnel_NameCheck.exe"

# Nothing that reaches into threads or other processes.
imports=$("$triple-objdump" -p "$exe" | sed -n 's/^[[:space:]]*[0-9a-f]\{5,\}[[:space:]]\{1,\}[0-9]\{1,\}[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p')
for function in $imports; do
  case $function in
    GetThreadContext|SetThreadContext|SuspendThread|ResumeThread|OpenProcess|OpenThread|ReadProcessMemory|\
    WriteProcessMemory|CreateRemoteThread*|VirtualAllocEx|DuplicateHandle)
      fail "imports $function" ;;
  esac
done
echo "checker: $(wc -c < "$exe") bytes, $(echo "$imports" | wc -l) imports"

[ $status -eq 0 ] || for f in "$work"/*.txt; do echo "--- $f"; cut -c 1-300 "$f" | head -n 40; done
exit $status
