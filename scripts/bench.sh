#!/usr/bin/env bash
# Speed of the name pick against its floor, natively and under Wine, then the
# full soak of 100,000 commands through the real DLL.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in linux windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
echo "== native (g++ $(g++ -dumpversion), $(grep -m1 CMAKE_BUILD_TYPE build/linux/CMakeCache.txt | cut -d= -f2))"
build/linux/bin/names_bench "$@"
echo
echo "== Windows build under Wine (MinGW g++, Release)"
build/windows/wine-run.sh build/windows/bin/names_bench.exe "$@"
echo
echo "== soak: 100,000 commands through the real DLL under Wine"
(cd build/windows/bin && ../wine-run.sh varnel_soak.exe 100000)
