#!/usr/bin/env bash
# The plugin as the game runs it, without the game: builds the real DLL and
# runs it in the simulated game console under Wine.
#   scripts/demo.sh                         the host's start-up, then a short scripted session
#   scripts/demo.sh --interactive           type console lines yourself
#   scripts/demo.sh --names FOLDER ...      name lists from FOLDER (default: data/)
#   scripts/demo.sh --plugins FOLDER ...    every DLL of FOLDER beside Varnel.dll
#   scripts/demo.sh --runtime 1.15.222 ...  a game of another version, as its players see it
set -euo pipefail
# A FOLDER the user names is taken from where the command was run.
args=()
while [ $# -gt 0 ]; do
  if { [ "$1" = --names ] || [ "$1" = --plugins ]; } && [ $# -gt 1 ] && [ -n "$2" ]; then
    args+=("$1" "$(realpath -m -- "$2")")
    shift 2
  else
    args+=("$1")
    shift
  fi
done
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target varnel_demo release_zip >/dev/null
echo "Built build/windows/bin/Varnel.dll and the release zip build/windows/$(head -n 1 build/windows/release-zips.txt)"
echo "(install: unpack the zip into the game's Data folder, beside Starfield.exe)"
echo
exec bash scripts/demo-session.sh build/windows/wine-run.sh build/windows/bin/varnel_demo.exe ${args[@]+"${args[@]}"}
