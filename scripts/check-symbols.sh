#!/usr/bin/env bash
# One definition per name across the installed libraries: lists every vtable, typeinfo and internal-namespace
# symbol (qelta::detail, qelta::<library>_detail) that two or more of the libraries define, weak ones
# included, and fails when there is any. Two libraries that define such a name differently make the
# dynamic loader pick one of them for both, whichever it meets first.
# Classes declared in the installed headers are left out: an inline or template class of a public header
# is rightly emitted by every library that uses it.
#
# usage: scripts/check-symbols.sh [prefix]   (default build/stage, as `cmake --install build --prefix`)
set -euo pipefail
prefix=${1:-build/stage}
[ -d "$prefix" ] || { echo "check-symbols: no installed tree at $prefix" >&2; exit 2; }
mapfile -t libs < <(find "$prefix" -name 'libqelta*.so' | sort)
[ "${#libs[@]}" -gt 0 ] || { echo "check-symbols: no libqelta*.so under $prefix" >&2; exit 2; }
headers=$(find "$prefix" -path '*/include/qelta/*.h')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Classes defined (not only declared ahead) in the installed headers, the exception classes of
# QELTA_DECLARE_EXCEPTION among them.
# shellcheck disable=SC2086
{
  cat $headers | tr '\n' ' ' |
    grep -oE '\b(class|struct|union)( +\[\[[^]]*\]\])? +[A-Za-z_][A-Za-z0-9_]*( +final)? *(:[^;{}()]*)?\{' |
    sed -E 's/^(class|struct|union)( +\[\[[^]]*\]\])? +([A-Za-z_][A-Za-z0-9_]*).*/\3/'
  cat $headers | sed -nE 's/^ *QELTA_DECLARE_EXCEPTION\( *([A-Za-z_][A-Za-z0-9_]*) *,.*/\1/p'
} | sort -u >"$work/public"

# mangled <TAB> demangled <TAB> library, for every defined dynamic symbol.
for so in "${libs[@]}"; do
  name=$(basename "$so" .so)
  nm -D --defined-only "$so" | awk '{print $NF}' >"$work/mangled"
  c++filt <"$work/mangled" >"$work/demangled"
  paste "$work/mangled" "$work/demangled" | sed "s/\$/\t$name/"
done >"$work/all"

awk -F'\t' -v public="$work/public" '
  BEGIN { while ((getline c < public) > 0) pub[c] = 1 }
  { libs[$1] = libs[$1] " " $3; count[$1]++; text[$1] = $2 }
  # True when every qelta entity the symbol names is a class of the installed headers.
  function excused(d,   rest, m, parts, n, i, entity) {
    rest = d
    while (match(rest, /qelta::([A-Za-z_][A-Za-z0-9_]*::)*[A-Za-z_~][A-Za-z0-9_]*/)) {
      m = substr(rest, RSTART + 7, RLENGTH - 7)
      rest = substr(rest, RSTART + RLENGTH)
      n = split(m, parts, "::")
      entity = ""
      for (i = 1; i <= n; i++)
        if (parts[i] !~ /^(detail|[a-z]+_detail|[a-z]+_impl)$/) { entity = parts[i]; break }
      if (entity == "" || !(entity in pub)) return 0
    }
    return 1
  }
  END {
    for (s in count) {
      if (count[s] < 2) continue
      d = text[s]
      internal = d ~ /qelta::(detail|[a-z]+_detail)::/
      classdata = d ~ /^(vtable|typeinfo|typeinfo name|VTT|construction vtable) for / && d ~ /qelta::/
      if (!internal && !classdata) continue
      if (excused(d)) continue
      printf "%s\t%s\n", d, libs[s]
    }
  }' "$work/all" | sort -u >"$work/report"

if [ -s "$work/report" ]; then
  echo "check-symbols: $(wc -l <"$work/report") symbols are defined by more than one library:" >&2
  awk -F'\t' '{printf "  %s  [%s ]\n", $1, $2}' "$work/report" >&2
  exit 1
fi
echo "check-symbols: no vtable, typeinfo or internal symbol is defined by two libraries (${#libs[@]} libraries)"
