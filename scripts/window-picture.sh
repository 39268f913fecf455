#!/usr/bin/env bash
# The README's picture of the window quick start (examples/quickstart/window.png), made by the program
# itself (`window picture.png`) on an Xvfb display.
#   window-picture.sh <window program> <picture>           writes the picture (make window-picture)
#   window-picture.sh --check <window program> <picture>   fails when a fresh picture differs from it
# The check allows a level of antialiasing in the text (as the golden pictures do), nothing more.
set -euo pipefail
check=0
if [[ ${1:-} == --check ]]; then check=1; shift; fi
program=$1 picture=$2
if ! command -v xvfb-run >/dev/null; then
  echo "window-picture: xvfb-run is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/qelta-window.XXXXXX")
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 "$program" "$work/fresh.png"
if [[ $check == 0 ]]; then
  cp "$work/fresh.png" "$picture"
  echo "window-picture: $picture made by $program"
  exit 0
fi
differing=$(compare -metric AE -fuzz 10% "$work/fresh.png" "$picture" null: 2>&1 || true)
if [[ "$differing" != 0 ]]; then
  echo "window-picture: $picture differs from what the window quick start shows now ($differing pixels);" \
       "make window-picture makes it afresh" >&2
  exit 1
fi
echo "window-picture: $picture is what the window quick start shows"
