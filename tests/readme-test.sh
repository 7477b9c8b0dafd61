#!/bin/sh
# Every console line and host reason that the README's troubleshooting tables
# list is one the code can print (the checker's verdicts, whose second column
# is an exit status, are held to the checker's table by namecheck_test): each piece of it between placeholders
# ([FormID], [FormID | name], (...), the type word "actor") stands in the
# plugin's sources or the simulated host's.
# The README's examples that carry the plugin's version show the version
# project(VERSION) sets.
# Usage: readme-test.sh SOURCE_DIR VERSION (a.b.c.d)
set -u
root=$1
version=$2
status=0
checked=0
section=$(sed -n '/^## Troubleshooting (players)/,/^## [^T]/p' "$root/README.md")
texts=$(printf '%s\n' "$section" | grep -v '^| `[^`]*` | [0-2] |' | sed -n 's/^| `\([^`]*\)` |.*/\1/p' | sed 's/\\|/|/g')
[ -n "$texts" ] || { echo "no troubleshooting tables in the README"; exit 1; }
printf '%s\n' "$texts" > /tmp/varnel-readme-texts.$$
while IFS= read -r text; do
  checked=$((checked + 1))
  pieces=$(printf '%s\n' "$text" | sed 's/ \[FormID | name\]/\n/g; s/ \[FormID\]/\n/g; s/ (\.\.\.)/\n/g; s/ actor/\n/g')
  printf '%s\n' "$pieces" > /tmp/varnel-readme-pieces.$$
  while IFS= read -r piece; do
    [ ${#piece} -ge 4 ] || continue
    if ! grep -rqF -- "$piece" "$root/src" "$root/sim/host"; then
      echo "the README lists a text the code never prints: $piece"
      status=1
    fi
  done < /tmp/varnel-readme-pieces.$$
done < /tmp/varnel-readme-texts.$$
rm -f /tmp/varnel-readme-texts.$$ /tmp/varnel-readme-pieces.$$
echo "$checked texts checked"

major=$(echo "$version" | cut -d. -f1)
minor=$(echo "$version" | cut -d. -f2)
build=$(echo "$version" | cut -d. -f3)
sub=$(echo "$version" | cut -d. -f4)
encoded=$(printf '%02X%02X%03X%X' "$major" "$minor" "$build" "$sub")
for example in "Varnel-$major.$minor.$build.zip" "Dorrik $encoded) loaded correctly" "Varnel.dll v$version:" \
    "Dorrik v$major.$minor\`"; do
  grep -qF -- "$example" "$root/README.md" || { echo "the README's examples do not show version $version: $example"; status=1; }
done
[ "$checked" -ge 20 ] || { echo "expected the console lines and the host reasons"; status=1; }
exit $status
