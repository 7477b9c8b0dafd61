#!/usr/bin/env bash
# Runs the static checks from a copy of this tree placed under a path that
# holds /src/ (as a clone in ~/src/... or /src/project has), to show that
# what they check does not depend on where the checkout lives.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/varnel-anywhere.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/src/project
mkdir -p "$copy"
tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$copy"
cd "$copy"
# The compile databases are all the checks need: configuring makes them.
cmake --preset linux >/dev/null
cmake --preset windows-clang >/dev/null
echo "checking from $copy"
bash scripts/static-checks.sh
