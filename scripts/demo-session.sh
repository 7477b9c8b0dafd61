#!/usr/bin/env bash
# Runs the demo program under Wine as a Linux program behaves: in a terminal,
# lines are read here (the terminal's own editing, and Ctrl+D ends the
# session); Ctrl+C ends it with status 130; the scratch game folder is
# removed however the session ends, a closed terminal (SIGHUP) and SIGTERM
# included. scripts/demo.sh builds, then runs this.
# Usage: demo-session.sh WINE_RUN DEMO_EXE [demo options]
set -uo pipefail
wine=$1
demo=$2
shift 2

work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-demo.XXXXXX") || exit 1
child=
reader=
writer=
stop() {  # stop STATUS: ends what runs, then leaves (the EXIT trap removes the folder)
  trap '' INT TERM HUP
  [ -n "$reader" ] && kill "$reader" 2>/dev/null
  [ -n "$child" ] && kill "$child" 2>/dev/null
  [ -n "$writer" ] && kill "$writer" 2>/dev/null
  wait 2>/dev/null
  exit "$1"
}
trap 'rm -rf "$work"' EXIT
trap 'stop 130' INT
trap 'stop 143' TERM
trap 'stop 129' HUP

# Wine's own first-run messages (creating or updating its prefix) stay out
# of the demo's output.
"$wine" wineboot --init </dev/null >/dev/null 2>&1

exec 3<&0
if [ -t 0 ]; then
  # The terminal is Linux's on both sides: lines are read here, and the
  # program's UTF-8 output is written here as it comes (so Wine's console,
  # with its code page and its line ends, is never in between).
  mkfifo "$work/input" "$work/output"
  cat <&3 >"$work/input" &
  reader=$!
  cat <"$work/output" &
  writer=$!
  # The terminal shows each line as it is typed.
  "$wine" "$demo" --game-folder "$work/game" --typed-input "$@" <"$work/input" >"$work/output" 2>&1 &
else
  "$wine" "$demo" --game-folder "$work/game" "$@" <&3 &
fi
child=$!
wait "$child"
status=$?
child=
[ -n "$reader" ] && kill "$reader" 2>/dev/null
[ -n "$writer" ] && wait "$writer"
exit $status
