#!/usr/bin/env bash
# Builds the release zip that mod managers install as it stands.
#   scripts/package.sh [BUILD_DIR]   (default build/windows)
# Prints the zip's path and the SHA-256 of the zip and the DLL. Two builds of
# the same commit give the same bytes, so a download can be checked against a
# published hash.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}

bash scripts/setup.sh
if [ "$build" = build/windows ]; then
  cmake --preset windows >/dev/null
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target release_zip >/dev/null
zip=$build/release/Varnel-2.6.0.zip
echo "$zip"
sha256sum "$zip" "$build/bin/Varnel.dll"
