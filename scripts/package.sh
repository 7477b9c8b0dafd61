#!/usr/bin/env bash
# Builds the two downloads: the plugin's zip, which mod managers install as it
# stands, and the list authors' checker zip, which is not installed.
#   scripts/package.sh
# Prints each zip's path and SHA-256, and the DLL's. Two builds of the same
# commit give the same bytes, so a download can be checked against a
# published hash.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target release_zip namecheck_zip >/dev/null
while read -r zip; do
  echo "$build/$zip"
done < "$build/release-zips.txt"
(cd "$build" && sha256sum $(cat release-zips.txt) bin/Varnel.dll)
