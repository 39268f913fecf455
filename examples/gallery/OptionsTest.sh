#!/usr/bin/env bash
# The gallery's options: --help prints the usage and ends with 0, an unknown option is refused with one
# line and a non-zero exit; neither writes anything (no folder named after the option).
# Usage: OptionsTest.sh <gallery>. Works in a fresh folder under TMPDIR, removed on success.
set -euo pipefail
gallery=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/qelta-options.XXXXXX")
cd "$work"
fail() { echo "$*" >&2; ls -A "$work" >&2; exit 1; }

status=0
"$gallery" --help >help.out 2>help.err || status=$?
[[ $status -eq 0 ]] || fail "gallery --help ended with $status"
grep -q '^usage: gallery' help.out || fail "gallery --help printed no usage: $(cat help.out)"
[[ ! -s help.err ]] || fail "gallery --help wrote to stderr: $(cat help.err)"

status=0
"$gallery" --no-such-option >other.out 2>other.err || status=$?
[[ $status -ne 0 ]] || fail "gallery --no-such-option ended with 0"
[[ $(wc -l <other.err) -eq 1 ]] || fail "gallery --no-such-option said: $(cat other.err)"
grep -q 'no-such-option' other.err || fail "the refusal does not name the option: $(cat other.err)"
[[ ! -s other.out ]] || fail "gallery --no-such-option printed: $(cat other.out)"

rm -f help.out help.err other.out other.err
[[ -z $(ls -A) ]] || fail "the gallery wrote files for an option"
cd / && rm -rf "$work"
echo "--help prints the usage, an unknown option is refused, nothing is written"
