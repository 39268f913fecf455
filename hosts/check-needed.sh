#!/usr/bin/env bash
# check-needed.sh <program> <library>...: the program's ELF DT_NEEDED entries of the Qelta libraries are
# exactly these libraries in this order (the order the dynamic loader searches them).
set -euo pipefail
program=$1
shift
expected=$(printf 'lib%s.so\n' "$@")
actual=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(libqelta[a-z]*\.so\)[.0-9]*\]/\1/p')
if [ "$actual" != "$expected" ]; then
  echo "check-needed: $program needs, in this order:" >&2
  echo "$actual" >&2
  echo "instead of:" >&2
  echo "$expected" >&2
  exit 1
fi
