#!/bin/sh
# The demo, driven through its input and output: the host's start-up and the
# scripted session, an interactive session typed as players type, another
# game version, and the scratch game folder gone after every run.
# Usage: demo-test.sh WINE_RUN DEMO_EXE PLUGIN_VERSION
set -u
wine=$1
demo=$2
version=$3
work=$(mktemp -d /tmp/varnel-demo-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0

expect() {  # expect OUTPUT_FILE TEXT
  if ! grep -qF -- "$2" "$1"; then echo "missing from $1: $2"; status=1; fi
}
refuse() {  # refuse OUTPUT_FILE TEXT
  if grep -qF -- "$2" "$1"; then echo "unexpected in $1: $2"; status=1; fi
}
# The scratch game folders the demo leaves in Wine's temporary folder.
prefix=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$(dirname "$wine")/wine-env.sh")
leftovers() { find "$prefix/drive_c" -maxdepth 6 -name 'varnel-demo-game-*' 2>/dev/null | wc -l; }
before=$(leftovers)

mkdir -p "$work/names"
printf 'Solo\n' > "$work/names/MaleNames.txt"
printf 'Una\r\n' > "$work/names/FemaleNames.txt"
long=$(printf '%0300d' 0)
many=$(printf 'x %.0s' $(seq 1 257))
umlauts=$(printf 'ü%.0s' $(seq 1 60))

cd "$work"
"$wine" "$demo" --names names > scripted.txt 2>&1 || { echo "scripted session failed"; status=1; }
# SFSE's loader first, on the game folder as Steam and SFSE's archive leave it.
expect scripted.txt '\Documents\My Games\Starfield\SFSE\Logs\sfse_loader.txt:'
expect scripted.txt '| SFSE loader: initialize (version = 0.2.17 01010010 '
expect scripted.txt '| productVersionStr = 1.15.216.0'
expect scripted.txt '| steam exe'
expect scripted.txt '\sfse_1_15_216.dll'
expect scripted.txt '| launching'
expect scripted.txt '\Documents\My Games\Starfield\SFSE\Logs\sfse.txt:'
expect scripted.txt '| SFSE runtime: initialize (version = 0.2.17 010F0D80 '
expect scripted.txt '| checking plugin Varnel.dll'
expect scripted.txt '| init complete'
expect scripted.txt '| loading plugin "Varnel - SFSE Plugin by Dorrik"'
encoded=$(echo "$version" | awk -F. '{ printf "%02X%02X%03X%X", $1, $2, $3, $4 }')
expect scripted.txt "| plugin Varnel.dll (00000001 Varnel - SFSE Plugin by Dorrik $encoded) loaded correctly (handle 1)"
refuse scripted.txt 'message box'
expect scripted.txt 'TogglePathLine is now SetRandomName'
expect scripted.txt '> SetRandomName female'
expect scripted.txt "script call, run on the game's console line executor: CGF \"Varnel.RenameRefFromCachedData\" 0001A2B3"
expect scripted.txt 'name before: Settler, after: Una'
expect scripted.txt 'name before: Una, after: Solo'
expect scripted.txt 'console: Error: command parameter is not supported. Aborting function call.'
# The logs as the player opens them afterwards.
expect scripted.txt '\Documents\My Games\Starfield\SFSE\Logs\sfse.txt, written by this start:'
expect scripted.txt 'lines are the host'"'"'s lines shown above'
expect scripted.txt '\Documents\My Games\Starfield\SFSE\Logs\Varnel.log, written by this start:'
expect scripted.txt 'SetRandomName installed in place of TogglePathLine: console command entry'
expect scripted.txt 'SetRandomName: 0001A2B3 is now "Una", line 1 of 1 drawn from'
expect scripted.txt 'SetRandomName failed: "Error: command parameter is not supported. Aborting function call."; type code 75; reference 0001A2B3; argument "Female"'
refuse scripted.txt 'GAME CRASH'
[ "$(tr -dc '\r' < scripted.txt | wc -c)" = 0 ] || { echo "redirected output holds CR"; status=1; }

printf '%s\n' list 'PRID 2c4d5' 'setrandomname male' 'SetRandomName' 'SetRandomName ""' 'SetRandomName "male "' \
  'SetRandomName female male' 'prid' 'prid 1A2B3zz' 'prid 123456789' 'prid 99' 'prid 3E1F0' 'SetRandomName male' \
  'prid 45A6B' 'SetRandomName male' "SetRandomName $long" "SetRandomName $many" 'SetRandomName "male' bogus \
  'ünknown' 'prid é' "$umlauts" 'Quit' 'SetRandomName male' |
  "$wine" "$demo" --interactive --names names > interactive.txt 2>&1 || { echo "interactive session failed"; status=1; }
expect interactive.txt '0002C4D5  Miner  (actor)'
expect interactive.txt '0003E1F0  Supply Crate  (container, not an actor)'
expect interactive.txt '00045A6B  Statue  (actor with no extra data)'
expect interactive.txt 'selected 0002C4D5 (Miner)'
expect interactive.txt "script call, run on the game's console line executor: CGF \"Varnel.RenameRefFromCachedData\" 0002C4D5"
expect interactive.txt 'name before: Miner, after: Solo'
expect interactive.txt 'console: Error: no name was specified. Aborting function call.'
expect interactive.txt "console: Error: std::vector 'Parameters' is empty. Aborting function call."
expect interactive.txt 'console: Error: command parameter is not supported. Aborting function call.'
expect interactive.txt "console: Error: size of std::vector 'Parameters' > 1. Aborting function call."
expect interactive.txt 'usage: prid <FormID>'
expect interactive.txt "'1A2B3zz' is not a FormID"
expect interactive.txt "'123456789' is not a FormID"
expect interactive.txt 'no reference with FormID 00000099'
expect interactive.txt 'console: Error: selected reference is not an Actor or Object Reference. Aborting function call.'
expect interactive.txt 'console: Error: the specified actor [00045A6B] has no attached extra data which is unsupported.Aborting function call.'
expect interactive.txt 'the console cannot pass this line: argument 1 is 300 bytes long'
expect interactive.txt 'the console cannot pass this line: 257 arguments'
expect interactive.txt 'cannot read this line: a double quote is not closed'
expect interactive.txt "unknown command 'bogus'"
# Piped lines are shown after the prompt, one per line, as typing shows them.
expect interactive.txt "] bogus
   unknown command 'bogus'"
expect interactive.txt "unknown command 'ünknown'"
expect interactive.txt "'é' is not a FormID"
expect interactive.txt "unknown command '$(printf 'ü%.0s' $(seq 1 40))... (60 characters)'"
if [ "$(grep -c 'script call, run on' interactive.txt)" != 1 ]; then
  echo "expected exactly one script call before quit"; status=1
fi

# End of input ends the session at once.
: | timeout 60 "$wine" "$demo" --interactive --names names > eof.txt 2>&1 || { echo "end of input: no clean end"; status=1; }

mkdir -p empty
"$wine" "$demo" --names empty > missing.txt 2>&1
expect missing.txt "console: Error: name database file couldn't be found in ./Data/SFSE/Plugins. Aborting function call."
expect missing.txt "console: Error: int 'NameCount' is out of range. Aborting function call."

# One player's later starts, after a start that went well: the game updated
# past the installed SFSE, whose loader stops before the game; then SFSE's
# release for that game, which refuses the plugin. Neither start touches
# Varnel.log.
player=player-demo-$$
mkdir -p "$prefix/drive_c/users/$player/Documents"
as_player() { USER=$player "$(dirname "$wine")/wine-run.sh" "$demo" "$@"; }
as_player --names names > first.txt 2>&1 || { echo "first start failed"; status=1; }
as_player --names names --runtime 1.15.222 > updated.txt 2>&1 || { echo "updated game failed"; status=1; }
expect updated.txt '| productVersionStr = 1.15.222.0'
expect updated.txt 'its message box "SFSE Loader" (OK):'
expect updated.txt '# Couldn'"'"'t find SFSE DLL ('
expect updated.txt '\sfse_1_15_222.dll).'
expect updated.txt '# You have game version 1.15.222 installed. The loader is not lying to you.'
expect updated.txt '== The game does not start'
expect updated.txt 'sfse.txt, left by an earlier start:'
expect updated.txt 'Varnel.log, left by an earlier start:'
refuse updated.txt 'starts the plugins'
refuse updated.txt 'Console session'
as_player --names names --runtime 1.15.222 --sfse 0.2.18 > other.txt 2>&1 || { echo "other runtime failed"; status=1; }
rm -rf "${prefix:?}/drive_c/users/$player"
expect other.txt '| SFSE runtime: initialize (version = 0.2.18 010F0DE0 '
expect other.txt 'disabled, incompatible with current version of the game 0 (handle 0)'
expect other.txt 'its message box "SFSE Plugin Loader (0.2.18)"'
expect other.txt "# Varnel.dll v$version: disabled, incompatible with current version of the game"
expect other.txt 'console: Script command "SetRandomName" not found.'
expect other.txt 'sfse.txt, written by this start:'
expect other.txt 'Varnel.log, left by an earlier start:'
refuse other.txt 'script call, run on'

# A plugin author's DLLs beside it: folder order, the real box, and the
# crash a plugin that fails after registering a listener causes.
bin=$(dirname "$demo")
mkdir -p mine
cp "$bin/test_plugin_refusing.dll" mine/alpha.dll
"$wine" "$demo" --names names --plugins mine > plugins.txt 2>&1 || { echo "--plugins failed"; status=1; }
expect plugins.txt "| plugin alpha.dll (00000001 Test plugin 01020030) reported as incompatible during load 0 (handle 1)"
expect plugins.txt "its message box \"SFSE Plugin Loader (0.2.17)\" (Yes / No; the demo answers No):"
expect plugins.txt "# alpha.dll v1.2.3.0: reported as incompatible during load"
expect plugins.txt "# Exit game? (yes highly suggested)"
expect plugins.txt "loaded correctly (handle 2)"
expect plugins.txt 'name before: Settler, after: Una'
cp "$bin/test_plugin_registers_then_refuses.dll" mine/Beta.dll
"$wine" "$demo" --names names --plugins mine > crash.txt 2>&1 || { echo "--plugins with a crash failed"; status=1; }
expect crash.txt "!! the simulation: GAME CRASH: message 0 calls into Beta.dll, which the host unloaded"
refuse crash.txt "| GAME CRASH"
refuse crash.txt "Console session"
# A plugin that ends the game's process in its load: sfse.txt as the disk
# holds it then, empty.
mkdir -p ending
cp "$bin/test_plugin_ends_game.dll" ending/Zz_Ends.dll
"$wine" "$demo" --names names --plugins ending > ending.txt 2>&1 || { echo "--plugins ending the game failed"; status=1; }
expect ending.txt "!! the simulation: GAME ENDED: a plugin called TerminateProcess (exit code 3)"
expect ending.txt "sfse.txt, written by this start: empty"
expect ending.txt "Varnel.log, written by this start:"
refuse ending.txt "Console session"

# Option mistakes, one table: each is a usage error (status 2) that names
# what was typed, from the program and from scripts/demo.sh, where it comes
# before anything is installed or built. Rows: expected text, then arguments.
script=$(cd "$(dirname "$0")/.." && pwd)/scripts/demo.sh
usage="usage: scripts/demo.sh [--interactive] [--names FOLDER] [--plugins FOLDER] [--runtime A.B.C] [--sfse VERSION]"
row=0
usage_error() {  # usage_error TEXT ARGUMENTS...
  text=$1
  shift
  row=$((row + 1))
  "$wine" "$demo" "$@" > "usage$row.txt" 2>&1
  [ $? -eq 2 ] || { echo "program: not a usage error: $(echo "$*" | cut -c 1-100)"; status=1; }
  timeout 60 bash "$script" "$@" > "script$row.txt" 2>&1
  [ $? -eq 2 ] || { echo "demo.sh: not a usage error: $(echo "$*" | cut -c 1-100)"; status=1; }
  for out in "usage$row.txt" "script$row.txt"; do
    expect "$out" "$text"
    expect "$out" "$usage"
    refuse "$out" "Built build/windows"
  done
}
usage_error "--runtime takes a game version as A.B.C, plain numbers" --runtime 1.15
usage_error "A and B from 0 to 255 and C from 0 to 4095 (for instance 1.15.222), not '1.256.0'" --runtime 1.256.0
usage_error "not '01.15.216'" --runtime 01.15.216
usage_error "--runtime needs a game version A.B.C" --names names --runtime
usage_error "--sfse takes a release whose source the simulation follows, 0.2.17 or 0.2.18, not '0.2.19'" --sfse 0.2.19
usage_error "--sfse needs an SFSE release" --sfse
usage_error "--names needs a folder" --interactive --names
usage_error "--names needs a folder, not an empty value" --names ''
usage_error "--names: there is no folder '/nonexistent'" --names /nonexistent
usage_error "--names needs a folder, not the option '--interactive'" --names --interactive
usage_error "--plugins: there is no folder 'nowhere'" --plugins nowhere
usage_error "unknown argument '--bogus'" --bogus
for help in --help -h; do
  "$wine" "$demo" "$help" > help.txt 2>&1 || { echo "program $help: not status 0"; status=1; }
  expect help.txt "$usage"
  bash "$script" "$help" > help.txt 2>&1 || { echo "demo.sh $help: not status 0"; status=1; }
  expect help.txt "$usage"
  expect help.txt "--plugins FOLDER  put every DLL of FOLDER beside Varnel.dll"
done
# (a Windows command line holds at most 32767 characters)
long_argument=$(head -c 20000 /dev/zero | tr '\0' x)
"$wine" "$demo" "$long_argument" > huge.txt 2>&1
expect huge.txt "unknown argument 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx... (20000 characters)'"
[ "$(wc -c < huge.txt)" -lt 1000 ] || { echo "a long argument was echoed whole"; status=1; }

# The console does not echo a long unknown word whole either.
huge=$(head -c 2000000 /dev/zero | tr '\0' x)
printf '%s\nquit\n' "$huge" | "$wine" "$demo" --interactive --names names > word.txt 2>&1
expect word.txt "unknown command 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx... (2000000 characters)'"
[ "$(wc -c < word.txt)" -lt 20000 ] || { echo "a two-million-character word was echoed whole"; status=1; }

# A lists folder named in another script reaches the game as named.
mkdir -p "名前 Ünïcode"
printf 'Zoë\n' > "名前 Ünïcode/FemaleNames.txt"
printf 'Jörg\n' > "名前 Ünïcode/MaleNames.txt"
"$wine" "$demo" --names "名前 Ünïcode" > unicode.txt 2>&1 || { echo "non-ASCII names folder failed"; status=1; }
expect unicode.txt 'name before: Settler, after: Zoë'
expect unicode.txt 'name before: Zoë, after: Jörg'
refuse unicode.txt 'does not exist'

# A list saved as UTF-16: its name reaches the terminal as UTF-8 on one line,
# the bytes that are not UTF-8 escaped; no raw CR, no byte-order mark.
mkdir -p utf16
printf '\377\376U\000n\000a\000' > utf16/FemaleNames.txt  # one line: always drawn
printf 'So\rlo\n' > utf16/MaleNames.txt  # a lone CR stays in the name
printf '%s\n' 'prid 1A2B3' 'SetRandomName female' list 'SetRandomName male' quit |
  "$wine" "$demo" --interactive --names utf16 > utf16.txt 2>&1 || { echo "UTF-16 list failed"; status=1; }
expect utf16.txt 'name before: Settler, after: \xFF\xFEU'
expect utf16.txt '0001A2B3  \xFF\xFEU  (actor)'
expect utf16.txt 'after: So\x0Dlo'
[ "$(tr -dc '\r' < utf16.txt | wc -c)" = 0 ] || { echo "a name sent a CR to the terminal"; status=1; }
LC_ALL=C grep -q "$(printf '\377')" utf16.txt && { echo "a UTF-16 name sent raw bytes to the terminal"; status=1; }

[ "$(leftovers)" = "$before" ] || { echo "a scratch game folder was left behind"; status=1; }

[ $status -eq 0 ] || for f in *.txt; do echo "--- $f"; cut -c 1-300 "$f" | head -n 60; done
exit $status
