#!/usr/bin/env bash
# Lays out a release zip from "place-in-zip=file" pairs. Fixed time stamps,
# modes and order, no extra fields: the same inputs always give the same
# bytes.
#   make-zip.sh ZIP PLACE=FILE...
set -euo pipefail
zip=$1
shift
stage=$(mktemp -d /tmp/varnel-zip.XXXXXX)
trap 'rm -rf "$stage"' EXIT
for entry in "$@"; do
  place=${entry%%=*}
  mkdir -p "$stage/$(dirname "$place")"
  cp "${entry#*=}" "$stage/$place"
done
mkdir -p "$(dirname "$zip")"
export TZ=UTC
find "$stage" -exec touch -d '2000-01-01 00:00:00' {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -type d -exec chmod 755 {} +
rm -f "$zip"
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -X -D -q -9 "$zip" -@)
