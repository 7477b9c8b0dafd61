#!/bin/sh
# The release zip installs as it stands: its root is the game's Data folder.
# The checker's zip holds exactly the program, its read-me and the licence.
# Usage: package-test.sh ZIP NAMECHECK_ZIP
set -u
zip=$1
namecheck_zip=$2
listing=$(unzip -Z1 "$zip") || { echo "cannot read $zip"; exit 1; }
expected='SFSE/Plugins/FemaleNames.txt
SFSE/Plugins/MaleNames.txt
SFSE/Plugins/Varnel.dll
SFSE/Plugins/Varnel_License.txt
SFSE/Plugins/Varnel_NameLists_Source.md
SFSE/Plugins/Varnel_ReadMe.txt'
if [ "$(printf '%s\n' "$listing" | LC_ALL=C sort)" != "$expected" ]; then
  printf 'the zip holds:\n%s\nexpected:\n%s\n' "$listing" "$expected"
  exit 1
fi
work=$(mktemp -d /tmp/varnel-package-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
grep -q "Starfield.exe" "$work/SFSE/Plugins/Varnel_ReadMe.txt" || { echo "read-me lacks the install folder"; exit 1; }
grep -q "@" "$work/SFSE/Plugins/Varnel_ReadMe.txt" && { echo "read-me has an unfilled @VALUE@"; exit 1; }
grep -q "^MIT License" "$work/SFSE/Plugins/Varnel_License.txt" || { echo "licence missing"; exit 1; }
grep -q "CC0" "$work/SFSE/Plugins/Varnel_NameLists_Source.md" || { echo "name lists' licence note missing"; exit 1; }
[ "$(wc -l < "$work/SFSE/Plugins/FemaleNames.txt")" -ge 200 ] || { echo "female list too short"; exit 1; }
[ "$(wc -l < "$work/SFSE/Plugins/MaleNames.txt")" -ge 200 ] || { echo "male list too short"; exit 1; }

checker=$(unzip -Z1 "$namecheck_zip") || { echo "cannot read $namecheck_zip"; exit 1; }
expected='Varnel_License.txt
Varnel_NameCheck.exe
Varnel_NameCheck_ReadMe.txt'
if [ "$(printf '%s\n' "$checker" | LC_ALL=C sort)" != "$expected" ]; then
  printf 'the checker zip holds:\n%s\nexpected:\n%s\n' "$checker" "$expected"
  exit 1
fi
unzip -q "$namecheck_zip" -d "$work/checker"
grep -q "@" "$work/checker/Varnel_NameCheck_ReadMe.txt" && { echo "checker read-me has an unfilled @VALUE@"; exit 1; }
grep -q -- "--sample" "$work/checker/Varnel_NameCheck_ReadMe.txt" || { echo "checker read-me lacks --sample"; exit 1; }
echo "zip layout ok: $(echo $listing); checker zip: $(echo $checker)"
