#!/usr/bin/env bash
# clang-tidy and cppcheck over everything we ship or run (src/, sim/, tools/,
# tests/), with no findings allowed. Needs the compile databases of the linux
# and windows-clang builds (scripts/test.sh makes them): the Windows sources
# are checked as clang compiles them for the MinGW target, with the headers
# its toolchain file names. Files are chosen by their path relative to the
# repository root, so the checkout may live anywhere.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd -P)
status=0
linted='(src|sim|tools|tests)/'

# The project's own sources of one build, relative to the root. Fuzz targets
# are built by clang's libFuzzer preset only and are checked there.
own_sources() {
  jq -r '.[].file' "build/$1/compile_commands.json" 2>/dev/null | while read -r file; do
    realpath -m --relative-to="$root" "$file"
  done | grep -E "^$linted.*\.cpp\$" | grep -v '^tests/fuzz/' | sort -u
}

# Headers are reported only when they are the project's own.
header_filter="^$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')/$linted"

portable=$(own_sources linux)
windows=$(own_sources windows-clang | grep -vxF -f <(printf '%s\n' $portable))
# The build of what ships (the DLL and the checker, win32 thread model) lives
# inside the Windows build.
release=$(own_sources windows-clang/shipped | grep -vxF -f <(printf '%s\n' $portable $windows))
if [ -z "$portable" ] || [ -z "$windows" ] || [ -z "$release" ]; then
  echo "static checks: no compile database (configure the linux and windows-clang presets first)"
  exit 1
fi
echo "== clang-tidy (native build): $(echo $portable | wc -w) files"
clang-tidy --quiet -p build/linux --header-filter="$header_filter" $portable 2>/dev/null || status=1
echo "== clang-tidy (Windows build): $(echo $windows | wc -w) files"
clang-tidy --quiet -p build/windows-clang --header-filter="$header_filter" $windows 2>/dev/null || status=1
echo "== clang-tidy (the release build): $(echo $release | wc -w) files"
clang-tidy --quiet -p build/windows-clang/shipped --header-filter="$header_filter" $release 2>/dev/null || status=1

# The name-list operations and the fatal report take their text by value,
# as their callers hand over a copy.
echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --library=googletest --library=windows \
  --suppress=passedByValue:src/names/name_list.cpp --suppress=passedByValue:src/plugin/fatal_error.cpp \
  --std=c++20 --inline-suppr -I . -I tests -D_WIN32 src/ sim/ tools/ tests/ || status=1

[ $status -eq 0 ] && echo "static checks: no findings"
exit $status
