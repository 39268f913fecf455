#!/usr/bin/env bash
# The live gallery on an Xvfb display: the screenshot of a page's window equals the headless gallery's
# picture of that page, pixel for pixel.
# Usage: LiveScreenshotTest.sh <gallery> <page.png>
# Works in a fresh folder under TMPDIR (the build tree may belong to another user), removed on success.
set -euo pipefail
gallery=$1 page=$2

if [[ "${QELTA_INSIDE_XVFB:-}" != 1 ]]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/qelta-live.XXXXXX")
  "$gallery" "$work/headless" >/dev/null
  status=0
  QELTA_INSIDE_XVFB=1 QELTA_LIVE_WORK=$work xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@" || status=$?
  [[ $status -eq 0 ]] && rm -rf "$work"
  exit $status
fi
work=$QELTA_LIVE_WORK

"$gallery" --live --page "$page" >"$work/live.log" 2>"$work/live.err" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT
# The window is up once the gallery names the page; it may be mapped and drawn a moment later, so the
# screenshot is taken again until it matches or the tries run out.
for _ in $(seq 1 200); do
  grep -q "^live: $page" "$work/live.log" && break
  kill -0 "$pid" 2>/dev/null || { echo "the live gallery ended early:" >&2; cat "$work/live.log" "$work/live.err" >&2; exit 1; }
  sleep 0.05
done
read -r x y w h < <(sed -n "s/^live: $page at \([0-9-]*\),\([0-9-]*\) size \([0-9]*\)x\([0-9]*\)$/\1 \2 \3 \4/p" "$work/live.log")
[[ -n "${h:-}" ]] || { echo "the live gallery did not show $page" >&2; cat "$work/live.log" >&2; exit 1; }
differing=unknown
for _ in $(seq 1 50); do
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot.png"
  differing=$(compare -metric AE "$work/shot.png" "$work/headless/$page" null: 2>&1 || true)
  [[ "$differing" == 0 ]] && { echo "live $page equals the headless picture"; exit 0; }
  sleep 0.1
done
echo "the window of $page differs from the headless picture in $differing pixels ($work/shot.png)" >&2
exit 1
