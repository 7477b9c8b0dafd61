#!/usr/bin/env bash
# Builds the release zip that mod managers install as it stands.
#   scripts/package.sh
# Prints the zip's path and the SHA-256 of the zip and the DLL. Two builds of
# the same commit give the same bytes, so a download can be checked against a
# published hash.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target release_zip >/dev/null
zip=$build/$(cat $build/release-zip.txt)
echo "$zip"
sha256sum "$zip" "$build/bin/Varnel.dll"
