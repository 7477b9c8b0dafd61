#!/usr/bin/env bash
# The plugin as the game runs it, without the game: builds the real DLL and
# runs it in the simulated game console under Wine. scripts/demo.sh --help
# tells the options; a mistake in them is told (status 2) before anything
# is installed or built.
set -euo pipefail

usage="usage: scripts/demo.sh [--interactive] [--names FOLDER] [--plugins FOLDER] [--runtime A.B.C] [--sfse VERSION]"
help() {
  cat <<TEXT
$usage

Builds the plugin and runs it in a simulated Starfield under Wine: the script
extender starts the plugins (its log and, when one fails, its boxes), then a
short scripted console session runs.

  --interactive     type console lines yourself: list, prid <FormID>,
                    SetRandomName female|male, help, quit
  --names FOLDER    take FemaleNames.txt and MaleNames.txt from FOLDER
                    (default: data/)
  --plugins FOLDER  put every DLL of FOLDER beside Varnel.dll, to see how the
                    script extender treats them (order, handles, refusals, boxes)
  --runtime A.B.C   play a game of another version, as its players see it
                    (1.15.222: the game updated past SFSE, whose loader stops)
  --sfse VERSION    install another release of SFSE: 0.2.17 (the default, for
                    1.15.216) or 0.2.18 (for 1.15.222)
  -h, --help        show this and stop
TEXT
}
usage_error() {
  echo "demo: $1" >&2
  echo "$usage" >&2
  exit 2
}
# plain_runtime A.B.C: three plain numbers, A and B at most 255, C at most 4095.
plain_runtime() {
  [[ $1 =~ ^(0|[1-9][0-9]{0,2})\.(0|[1-9][0-9]{0,2})\.(0|[1-9][0-9]{0,3})$ ]] &&
    [ "${BASH_REMATCH[1]}" -le 255 ] && [ "${BASH_REMATCH[2]}" -le 255 ] && [ "${BASH_REMATCH[3]}" -le 4095 ]
}

# Folders are taken from where the command was run.
args=()
while [ $# -gt 0 ]; do
  option=$1
  shift
  case $option in
    -h|--help) help; exit 0 ;;
    --interactive) args+=("$option"); continue ;;
    --names|--plugins|--runtime|--sfse) ;;
    *) usage_error "unknown argument '$(printf '%.40s' "$option")'" ;;
  esac
  kind="a folder"
  [ "$option" = --runtime ] && kind="a game version A.B.C"
  [ "$option" = --sfse ] && kind="an SFSE release"
  [ $# -gt 0 ] || usage_error "$option needs $kind"
  value=$1
  shift
  [ -n "$value" ] || usage_error "$option needs $kind, not an empty value"
  case $value in -h|--*) usage_error "$option needs $kind, not the option '$value'" ;; esac
  if [ "$option" = --runtime ]; then
    plain_runtime "$value" || usage_error "--runtime takes a game version as A.B.C, plain numbers, A and B from 0 to 255 and C from 0 to 4095 (for instance 1.15.222), not '$value'"
    args+=("$option" "$value")
  elif [ "$option" = --sfse ]; then
    case $value in 0.2.17|0.2.18) ;; *) usage_error "--sfse takes a release whose source the simulation follows, 0.2.17 or 0.2.18, not '$value'" ;; esac
    args+=("$option" "$value")
  else
    [ -d "$value" ] || usage_error "$option: there is no folder '$value'"
    args+=("$option" "$(realpath -- "$value")")
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
