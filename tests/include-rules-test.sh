#!/bin/sh
# Every #include in src/, sim/ and tools/ is one the may-include table of
# docs/ARCHITECTURE.md allows: the table is read from the document itself, so
# the two cannot drift apart. A file may include its own folder's headers,
# the standard library, and what its row lists, each named from the
# repository's root; "Windows" allows the Windows headers. Anything else (src/ reaching into sim/, names/ into game/, the
# simulated game into its host) fails.
# Usage: include-rules-test.sh SOURCE_DIR
set -u
root=$1
doc=$root/docs/ARCHITECTURE.md
status=0
rows=$(sed -n 's/^| `\(src\/[a-z]*\/\|sim\/[a-z]*\/\{0,1\}\|tools\/\)` |.*| \([^|]*\) |$/\1|\2/p' "$doc")
[ "$(printf '%s\n' "$rows" | grep -c .)" -ge 10 ] || { echo "no may-include table in $doc"; exit 1; }
checked=0

# allowed ROW_FOLDER FILE INCLUDE: true when the row allows FILE to include it.
# Every include names its header from the repository's root.
allowed() {
  folder=$1
  own=$(dirname "$2")/
  include=$3
  listed=$(printf '%s\n' "$rows" | sed -n "s#^$folder|##p")
  case $include in
    windows.h|winver.h) case $listed in *Windows*) return 0 ;; *) return 1 ;; esac ;;
  esac
  case $include in "$own"*/*) ;; "$own"*) return 0 ;; esac
  for token in $(printf '%s\n' "$listed" | grep -o '`[^`]*`' | tr -d '`'); do
    case $token in
      */) case $include in "$token"*) return 0 ;; esac ;;
      *) [ "$include" = "$token" ] && return 0 ;;
    esac
  done
  return 1
}

for folder in $(printf '%s\n' "$rows" | cut -d'|' -f1); do
  depth=
  [ "$folder" = sim/ ] && depth="-maxdepth 1"  # its rooms have rows of their own
  # shellcheck disable=SC2086
  for file in $(cd "$root" && find "$folder" $depth -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sort); do
    for include in $(sed -n 's/^#include "\([^"]*\)".*/\1/p; s/^#include <\(windows\.h\|winver\.h\)>.*/\1/p' \
                     "$root/$file"); do
      checked=$((checked + 1))
      if ! allowed "$folder" "$file" "$include"; then
        echo "$file includes $include, which docs/ARCHITECTURE.md does not allow $folder"
        status=1
      fi
    done
  done
done
echo "$checked includes checked against the may-include table"
[ "$checked" -ge 50 ] || { echo "expected the includes of src/, sim/ and tools/"; status=1; }
exit $status
