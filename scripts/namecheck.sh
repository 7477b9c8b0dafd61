#!/usr/bin/env bash
# The name-list checker on Linux: builds it when needed, then runs it with
# the arguments given (relative paths are taken from where you run this).
#   scripts/namecheck.sh data/
#   scripts/namecheck.sh --sample 5 data/FemaleNames.txt
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
if [ ! -f build/linux/build.ninja ]; then
  cmake --preset linux >/dev/null
fi
cmake --build --preset linux --target namecheck >/dev/null
cd "$here"
exec "$root/build/linux/bin/Varnel_NameCheck" "$@"
