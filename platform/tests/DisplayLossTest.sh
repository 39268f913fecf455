#!/usr/bin/env bash
# A program whose X server ends under it (the server stopped, a remote session dropped) while it waits for
# the answer to a question ends too, at once, saying why in a line of its own. It used to spin for ever
# instead: at exit, closing its windows waited on the dead connection.
# Usage: DisplayLossTest.sh <probe>   (DisplayLossProbe.cpp; needs Xvfb)
set -euo pipefail
probe=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/qelta-display.XXXXXX")
xpid= ppid=
cleanup() { kill -9 $xpid $ppid 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "$*" >&2; echo "its stderr:" >&2; cat "$work/err" >&2 || true; exit 1; }
waitfor() {  # waitfor <seconds> <command...>: true once the command succeeds
  local tenths=$(($1 * 10)); shift
  for ((i = 0; i < tenths; ++i)); do "$@" && return 0; sleep 0.1; done
  return 1
}

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -fp built-ins 3>"$work/display" 2>/dev/null &
xpid=$!
waitfor 10 test -s "$work/display" || fail "Xvfb did not start"
DISPLAY=":$(cat "$work/display")" SDL_VIDEODRIVER=x11 PATH=/nonexistent ASAN_OPTIONS=detect_leaks=0 "$probe" >"$work/out" 2>"$work/err" &
ppid=$!
waitfor 20 grep -qs asking "$work/out" || fail "the probe never put its question"
sleep 1  # the question is up

kill "$xpid"
wait "$xpid" 2>/dev/null || true
xpid=
waitfor 10 eval '! kill -0 $ppid 2>/dev/null' || fail "the probe still runs 10 s after its X server ended"
status=0
wait "$ppid" || status=$?
ppid=
[[ $status -ne 0 ]] || fail "the probe ended with 0 after losing its display"
grep -q '^The connection to the X display was lost; the program ends\.$' "$work/err" ||
  fail "the probe did not say why it ended"
echo "the probe ended with $status right after its X server did, and said why"
