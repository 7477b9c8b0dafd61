#!/usr/bin/env bash
# Builds the two downloads: the plugin's zip, which mod managers install as it
# stands, and the list authors' checker zip, which is not installed.
#   scripts/package.sh
# Prints each zip's path and SHA-256, and the DLL's, as paths from where the
# command was run, so that `sha256sum -c` checks the printed lines there. Two
# builds of the same commit give the same bytes, so a download can be checked
# against a published hash.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
build=build/windows

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target release_zip namecheck_zip >/dev/null
files=()
while read -r zip; do
  files+=("$(realpath --relative-to="$here" "$build/$zip")")
done < "$build/release-zips.txt"
files+=("$(realpath --relative-to="$here" "$build/bin/Varnel.dll")")
printf '%s\n' "${files[@]:0:${#files[@]}-1}"
(cd "$here" && sha256sum "${files[@]}")
