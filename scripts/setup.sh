#!/usr/bin/env bash
# Installs what the builds, the tests and the demo use, and nothing else.
# Idempotent: returns at once when every package is already present.
set -euo pipefail

packages=(
  g++ cmake ninja-build googletest libgtest-dev          # native build and tests
  clang-14 libclang-rt-14-dev clang-tidy cppcheck jq     # fuzzing, sanitizers, static checks
  g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine64  # Windows build
  zip unzip procps                                       # the zips; pgrep for the demo's terminal test
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
