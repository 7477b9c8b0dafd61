#!/bin/sh
# The release zip installs as it stands: its root is the game's Data folder.
# Usage: package-test.sh ZIP
set -u
zip=$1
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
echo "zip layout ok: $(echo $listing)"
