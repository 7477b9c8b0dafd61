#!/bin/sh
# The demo, driven through its input and output: the scripted session and an
# interactive one with a name list of one name.
# Usage: demo-test.sh WINE_RUN DEMO_EXE
set -u
wine=$1
demo=$2
work=$(mktemp -d /tmp/varnel-demo-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0

expect() {  # expect OUTPUT_FILE TEXT
  if ! grep -qF -- "$2" "$1"; then echo "missing from the output: $2"; status=1; fi
}

mkdir -p "$work/names"
printf 'Solo\n' > "$work/names/MaleNames.txt"
printf 'Una\r\n' > "$work/names/FemaleNames.txt"

cd "$work"
"$wine" "$demo" --names names > scripted.txt 2>&1 || { echo "scripted session failed"; status=1; }
expect scripted.txt 'SFSEPlugin_Load returned true'
expect scripted.txt 'TogglePathLine is now SetRandomName'
expect scripted.txt '> SetRandomName female'
expect scripted.txt "script call, run on the game's console line executor: CGF \"Varnel.RenameRefFromCachedData\" 0001A2B3"
expect scripted.txt 'name before: Settler, after: Una'
expect scripted.txt 'name before: Una, after: Solo'
expect scripted.txt 'console: Error: command parameter is not supported. Aborting function call.'

printf 'list\nprid 2C4D5\nSetRandomName male\nSetRandomName\nprid 99\nSetRandomName female male\nbogus\nquit\nSetRandomName male\n' |
  "$wine" "$demo" --interactive --names names > interactive.txt 2>&1 || { echo "interactive session failed"; status=1; }
expect interactive.txt '0002C4D5  Miner'
expect interactive.txt 'selected 0002C4D5 (Miner)'
expect interactive.txt "script call, run on the game's console line executor: CGF \"Varnel.RenameRefFromCachedData\" 0002C4D5"
expect interactive.txt 'name before: Miner, after: Solo'
expect interactive.txt 'console: Error: no name was specified. Aborting function call.'
expect interactive.txt 'no reference with FormID 99'
expect interactive.txt "console: Error: size of std::vector 'Parameters' > 1. Aborting function call."
expect interactive.txt "unknown command 'bogus'"
if [ "$(grep -c 'script call, run on' interactive.txt)" != 1 ]; then
  echo "expected exactly one script call before quit"; status=1
fi

mkdir -p empty
"$wine" "$demo" --names empty > missing.txt 2>&1
expect missing.txt "console: Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call."
expect missing.txt "console: Error: int 'NameCount' is out of range. Aborting function call."

[ $status -eq 0 ] || { echo "--- scripted"; cat scripted.txt; echo "--- interactive"; cat interactive.txt; }
exit $status
