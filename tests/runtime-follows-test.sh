#!/bin/sh
# The game runtime is written once on the plugin's side (VARNEL_GAME_RUNTIME
# in CMakeLists.txt): configured with another one, the version record, the
# players' read-me and the tests that check them all follow it.
# Usage: runtime-follows-test.sh SOURCE_DIR
set -u
source=$1
work=$(mktemp -d /tmp/varnel-runtime.XXXXXX)
trap 'rm -rf "$work"' EXIT
runtime=1.16.4
cmake -S "$source" -B "$work" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Release \
  -DVARNEL_GAME_RUNTIME=$runtime > "$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build "$work" --target version_record_test players_readme_test > "$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log"; exit 1; }
status=0
"$work/bin/version_record_test" > "$work/record.log" 2>&1 || { cat "$work/record.log"; status=1; }
"$work/bin/players_readme_test" > "$work/readme.log" 2>&1 || { cat "$work/readme.log"; status=1; }
grep -q "^#define VARNEL_GAME_RUNTIME_TEXT \"$runtime\"" "$work/generated/src/plugin/plugin_version.h" ||
  { echo "the generated header does not carry $runtime"; status=1; }
readme=$work/generated/Varnel_ReadMe.txt
grep -q "runtime $runtime" "$readme" || { echo "the read-me does not name runtime $runtime"; status=1; }
default=$(sed -n 's/^    set(VARNEL_GAME_RUNTIME \(.*\))$/\1/p' "$source/CMakeLists.txt")
[ -n "$default" ] || { echo "no VARNEL_GAME_RUNTIME default found in CMakeLists.txt"; status=1; }
grep -qF "$default" "$readme" && { echo "the read-me still names $default"; status=1; }
# The record's test checks the runtime it was built with: a record that
# kept the default would have failed it.
grep -q "\[  PASSED  \] 1 test" "$work/record.log" || { echo "the record test did not run"; status=1; }
[ $status -eq 0 ] && echo "record, read-me and tests follow VARNEL_GAME_RUNTIME=$runtime"
exit $status
