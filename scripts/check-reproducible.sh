#!/usr/bin/env bash
# Builds the release twice from the same sources in two different folders and
# checks that the DLL, the checker and both zips come out byte for byte the same.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/varnel-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
for copy in first second-with-a-longer-name; do
  mkdir -p "$work/$copy"
  tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$work/$copy"
  (cd "$work/$copy" && bash scripts/package.sh >/dev/null)
done
status=0
for file in bin/Varnel.dll bin/Varnel_NameCheck.exe $(cat "$work/first/build/windows/release-zips.txt"); do
  a=$(sha256sum < "$work/first/build/windows/$file")
  b=$(sha256sum < "$work/second-with-a-longer-name/build/windows/$file")
  if [ "$a" = "$b" ]; then echo "reproducible: $file ${a%% *}"; else echo "DIFFERS: $file"; status=1; fi
done
exit $status
