#!/bin/sh
# The demo as players run it from a terminal (through scripts/demo-session.sh,
# in a pseudo-terminal): Ctrl+D ends the session, Ctrl+C ends it with status
# 130, SIGTERM and SIGHUP end it too, and each time the scratch game folder
# is gone afterwards.
# Usage: demo-terminal-test.sh SESSION_SCRIPT WINE_RUN DEMO_EXE (needs script
# and pgrep, from Debian's essential packages and procps)
set -u
session=$1
wine=$2
demo=$3
work=$(mktemp -d /tmp/varnel-demo-terminal.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
mkdir -p "$work/names"
printf 'Una\n' > "$work/names/FemaleNames.txt"
printf 'Solo\n' > "$work/names/MaleNames.txt"

# The demo's scratch folders left in the folder a case ran in.
leftovers() { find "$1" -maxdepth 1 -name 'varnel-demo.*' | wc -l; }

# in_terminal CASE INPUT_COMMAND [NAMES]: runs an interactive session in a
# pseudo-terminal fed by INPUT_COMMAND's output, with the lists of NAMES
# (default: names); prints the session's status.
in_terminal() {
  mkdir -p "$work/$1"
  sh -c "$2" | TMPDIR="$work/$1" timeout 120 script -qec \
    "bash '$session' '$wine' '$demo' --interactive --names '$work/${3:-names}'" /dev/null > "$work/$1.out" 2>&1
  echo $?
}

# Wine draws the console with escape sequences; what is left is the text.
shown() { sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/$1.out" | tr -d ' \r'; }

got=$(in_terminal eof "printf 'list\n'; sleep 5; printf '\004'")
[ "$got" = 0 ] || { echo "Ctrl+D: status $got, expected 0"; status=1; }
shown eof | grep -q '00045A6BStatue' || { echo "Ctrl+D: the list typed before it was not run"; status=1; }
[ "$(leftovers "$work/eof")" = 0 ] || { echo "Ctrl+D: the scratch game folder stayed"; status=1; }

# Names and typed words in any script reach the terminal as UTF-8, each
# line ended by the terminal's own line end alone.
mkdir -p "$work/unicode"
printf 'Zoë\n' > "$work/unicode/FemaleNames.txt"
printf '美咲\n' > "$work/unicode/MaleNames.txt"
got=$(in_terminal utf8 "printf 'prid 1A2B3\nSetRandomName female\nSetRandomName male\nünknown\n'; sleep 5; printf '\004'" unicode)
[ "$got" = 0 ] || { echo "UTF-8: status $got, expected 0"; status=1; }
for text in "name before: Settler, after: Zoë" "name before: Zoë, after: 美咲" "unknown command 'ünknown' (type 'help')"; do
  grep -qF "$text" "$work/utf8.out" || { echo "UTF-8: not shown in the terminal: $text"; status=1; }
done
[ "$(grep -c "$(printf '\r\r')" "$work/utf8.out")" = 0 ] || { echo "UTF-8: lines end in CR CR LF"; status=1; }

got=$(in_terminal interrupt "sleep 5; printf '\003'")
[ "$got" = 130 ] || { echo "Ctrl+C: status $got, expected 130"; status=1; }
[ "$(leftovers "$work/interrupt")" = 0 ] || { echo "Ctrl+C: the scratch game folder stayed"; status=1; }

# A killed session (SIGTERM) and a closed terminal (SIGHUP).
for signal in TERM:143 HUP:129; do
  name=${signal%%:*}
  expected=${signal##*:}
  mkdir -p "$work/$name"
  mkfifo "$work/$name.in"
  sleep 60 > "$work/$name.in" &
  holder=$!
  TMPDIR="$work/$name" bash "$session" "$wine" "$demo" --interactive --names "$work/names" \
    < "$work/$name.in" > "$work/$name.out" 2>&1 &
  pid=$!
  tries=0
  until grep -q 'Console (type' "$work/$name.out" 2>/dev/null || [ $tries -ge 120 ]; do
    sleep 0.5
    tries=$((tries + 1))
  done
  [ "$(leftovers "$work/$name")" = 1 ] || { echo "SIG$name: no scratch game folder while running"; status=1; }
  kill -"$name" "$pid"
  wait "$pid"
  got=$?
  kill "$holder" 2>/dev/null
  [ "$got" = "$expected" ] || { echo "SIG$name: status $got, expected $expected"; status=1; }
  [ "$(leftovers "$work/$name")" = 0 ] || { echo "SIG$name: the scratch game folder stayed"; status=1; }
  sleep 1
  if pgrep -f "varnel_demo.*$work/names" >/dev/null; then
    echo "SIG$name: the demo program went on running"; status=1
    pkill -f "varnel_demo.*$work/names"
  fi
done

[ $status -eq 0 ] || for f in "$work"/*.out; do echo "--- $f"; cat -v "$f" | tail -c 2000; done
exit $status
