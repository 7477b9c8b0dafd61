#!/usr/bin/env bash
# clang-tidy and cppcheck over src/, both with no findings allowed. Needs the
# compile databases of the linux and windows builds (scripts/test.sh makes them).
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
mingw_cxx=/usr/lib/gcc/x86_64-w64-mingw32/12-posix/include/c++

portable=$(jq -r '.[].file' build/linux/compile_commands.json 2>/dev/null | grep '/src/.*\.cpp$' | sort -u)
windows=$(jq -r '.[].file' build/windows/compile_commands.json 2>/dev/null | grep '/src/.*\.cpp$' | sort -u |
          grep -vxF -f <(printf '%s\n' $portable))
echo "== clang-tidy (native build): $(echo $portable | wc -w) files"
clang-tidy --quiet -p build/linux $portable 2>/dev/null || status=1
echo "== clang-tidy (Windows build): $(echo $windows | wc -w) files"
clang-tidy --quiet -p build/windows --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-isystem$mingw_cxx --extra-arg=-isystem$mingw_cxx/x86_64-w64-mingw32 $windows 2>/dev/null || status=1

# The name-list operations and the fatal report take their text by value,
# as their callers hand over a copy.
echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability \
  --suppress=passedByValue:src/names/name_list.cpp --suppress=passedByValue:src/plugin/fatal_error.cpp \
  --std=c++20 --inline-suppr -I src -D_WIN32 src/ || status=1

[ $status -eq 0 ] && echo "static checks: no findings"
exit $status
