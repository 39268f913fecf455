#!/usr/bin/env bash
# check-needed.sh [--present] <program> <library>...: the program's ELF DT_NEEDED entries of the Qelta
# libraries are these libraries in this order (the order in which the dynamic loader searches them).
# With --present, only those the linker kept (it drops a library the program does not call) count.
set -euo pipefail
present=false
if [ "$1" = --present ]; then
  present=true
  shift
fi
program=$1
shift
actual=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(libqelta[a-z]*\.so\)[.0-9]*\]/\1/p')
expected=
for library in "$@"; do
  if ! $present || grep -qx "lib$library.so" <<<"$actual"; then expected+="lib$library.so"$'\n'; fi
done
if [ "$actual" != "${expected%$'\n'}" ]; then
  echo "check-needed: $program needs, in this order:" >&2
  echo "$actual" >&2
  echo "instead of:" >&2
  echo "${expected%$'\n'}" >&2
  exit 1
fi
