#!/bin/sh
# The checker given a player's installation, end to end: the simulated game
# under Wine leaves its game folder and the logs of SFSE and the plugin for
# each case, as a player's machine holds them, and the checker, dropped the
# game folder (or its Plugins folder, or sfse.txt), names the cause and the
# action. Each case is a Windows user of its own, with its own Documents.
# Usage: doctor-test.sh WINE_RUN DEMO_EXE CHECKER_EXE TEST_PLUGINS_FOLDER
set -u
wine=$1
demo=$2
exe=$3
bin=$4
work=$(mktemp -d /tmp/varnel-doctor.XXXXXX)
prefix=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$(dirname "$wine")/wine-env.sh")
players=
trap 'rm -rf "$work"; for p in $players; do rm -rf "$prefix/drive_c/users/$p"; done' EXIT
status=0
fail() { echo "$1"; status=1; }
expect() {  # expect CASE TEXT
  grep -qF -- "$2" "$work/$1.txt" || fail "$1: missing: $2"
}

# play CASE DEMO_OPTION...: one game start and its scripted session, as the
# player of CASE; the game folder stays at $work/CASE.
play() {
  name=$1
  shift
  player=player-doctor-$$-$name
  players="$players $player"
  mkdir -p "$prefix/drive_c/users/$player/Documents"
  (cd "$work" && USER=$player "$wine" "$demo" --game-folder "$name" --keep-game-folder "$@") > "$work/$name.demo.txt" 2>&1 ||
    fail "$name: the demo failed"
}

# check CASE STATUS [ARGUMENT]: the checker on the game folder (or ARGUMENT)
# as the player of CASE.
check() {
  name=$1
  want=$2
  target=${3:-$work/$1}
  USER=player-doctor-$$-$name "$wine" "$exe" "$target" > "$work/$name.txt" 2>&1
  got=$?
  [ "$got" = "$want" ] || fail "$name: status $got, expected $want"
  [ "$(head -n 1 "$work/$name.txt")" ] || fail "$name: no verdict"
}

mkdir -p "$work/lists" "$work/male-only" "$work/given-failing" "$work/given-stopping" "$work/given-taking"
printf 'Anna\r\nBeth\r\n' > "$work/lists/FemaleNames.txt"
printf 'Carl\r\nDov\r\n' > "$work/lists/MaleNames.txt"
cp "$work/lists/MaleNames.txt" "$work/male-only/"
cp "$bin/test_plugin_preload_fails.dll" "$work/given-failing/alpha.dll"
cp "$bin/test_plugin_faulting.dll" "$work/given-failing/beta.dll"
cp "$bin/test_plugin_takes_command.dll" "$work/given-taking/alpha.dll"
# A DLL without an export table: its directory entry (the PE header's
# offset at 0x3C, then 4 + 20 + 112 bytes) zeroed.
cp "$bin/test_plugin_refusing.dll" "$work/given-stopping/Helper.dll"
pe=$(od -An -tu4 -j60 -N4 "$work/given-stopping/Helper.dll" | tr -d ' ')
printf '\000\000\000\000\000\000\000\000' | dd of="$work/given-stopping/Helper.dll" bs=1 seek=$((pe + 136)) conv=notrunc 2>/dev/null

play well --names "$work/lists"
check well 0
expect well "Nothing stands in the way of SetRandomName."
expect well "Varnel - SFSE Plugin by Dorrik, version "
expect well "Varnel.dll loaded correctly"
expect well "SetRandomName installed in place of TogglePathLine"
# The Plugins folder and sfse.txt itself lead to the same installation.
check well 0 "$work/well/Data/SFSE/Plugins"
logs="$prefix/drive_c/users/player-doctor-$$-well/Documents/My Games/Starfield/SFSE/Logs"
check well 0 "$logs/sfse.txt"
expect well "FemaleNames.txt: 2 lines, 2 names"

# Another release of SFSE for another game version refuses the plugin; the
# game's own version decides first.
play runtime --names "$work/lists" --runtime 1.15.222 --sfse 0.2.18
check runtime 1
expect runtime "The game is 1.15.222; Varnel.dll 2.6.0.0 is built for 1.15.216 only, whatever the logs say."
expect runtime "line 7: Varnel.dll disabled, incompatible with current version of the game 0"
expect runtime "the game is 1.15.222; Varnel.dll is built for 1.15.216"

# The game updated past SFSE: a start that went well, then the game at
# another version, where the loader stops before the game starts; sfse.txt
# is the first start's.
play updated --names "$work/lists"
play updated --names "$work/lists" --runtime 1.15.222
check updated 1
expect updated "The game is 1.15.222; Varnel.dll 2.6.0.0 is built for 1.15.216 only"
expect updated "sfse_1_15_222.dll (the host DLL for this game version) is not there; there is sfse_1_15_216.dll"
expect updated "and stopped: \"Couldn't find SFSE DLL ("
expect updated "from an earlier start than the loader's last run"

# A plugin ends the game in its load: SFSE never wrote its log out.
mkdir -p "$work/given-ending"
cp "$bin/test_plugin_ends_game.dll" "$work/given-ending/zz_ends.dll"
play ending --names "$work/lists" --plugins "$work/given-ending"
check ending 1
expect ending "sfse.txt is empty: the game ended while SFSE was loading plugins"
expect ending "loaded at "

play failing --names "$work/lists" --plugins "$work/given-failing"
check failing 1
expect failing "SFSE refused Varnel.dll's listener: plugins before it failed in SFSE's loading (alpha.dll, beta.dll)"
expect failing "To do: Update or remove alpha.dll, beta.dll, then start the game again."
expect failing "It lists: alpha.dll v1.2.3.0: reported as incompatible during load; beta.dll v1.2.3.0: disabled, fatal error occurred while loading plugin; Varnel.dll v2.6.0.0: reported as incompatible during load"
expect failing "The script extender refused the listener"

play stopping --names "$work/lists" --plugins "$work/given-stopping"
check stopping 1
expect stopping "Helper.dll stopped SFSE's scan before it reached Varnel.dll."
expect stopping "To do: Remove Helper.dll from Data\\SFSE\\Plugins"

play missing --names "$work/male-only"
check missing 1
expect missing "FemaleNames.txt: not found"
expect missing "(missing); NameCount"

play taking --names "$work/lists" --plugins "$work/given-taking"
check taking 1
expect taking "SetRandomName did not take over TogglePathLine: another plugin took or renamed that console command."
expect taking "SetRandomName not installed: no \"TogglePathLine\" among the "

# The same facts as JSON.
USER=player-doctor-$$-runtime "$wine" "$exe" --json "$work/runtime" > "$work/runtime.json" 2>&1
grep -qF '{"verdict": "game-version-other", "status": 1, ' "$work/runtime.json" || fail "JSON: no verdict"
grep -qF '"about": "sfse.txt", "text": "the game is 1.15.222' "$work/runtime.json" || fail "JSON: no runtime fact"

[ $status -eq 0 ] || for f in "$work"/*.txt; do echo "--- $f"; head -n 40 "$f"; done
exit $status
