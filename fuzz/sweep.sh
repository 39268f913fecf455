#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build on a scratch copy of its corpus (the repository's corpus stays as
# it is) and prints per target the executions, the final coverage (cov: edges, ft: features) and what it found.
# Usage: fuzz/sweep.sh [build dir] [seconds per target] [targets at a time]
# Found inputs and logs stay in <build dir>/sweep/<target>/ (crash-*, leak-*, timeout-*, oom-*, log); the sweep
# fails when a target found one or ended without its final statistics (a sanitizer report outside an input).
# ASAN_OPTIONS and UBSAN_OPTIONS of the caller are added to the sweep's own.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-fuzz}")
seconds=${2:-60}
parallel=${3:-6}
out="$build/sweep"

shopt -s nullglob
targets=()
for exe in "$build"/fuzz/fuzz_*; do
  [[ -x "$exe" && -f "$exe" ]] && targets+=("$(basename "$exe")")
done
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "sweep: no fuzz targets in $build/fuzz (make fuzz builds them)" >&2
  exit 1
fi

rm -rf "$out"
mkdir -p "$out"

# One target: its corpus copied, the fuzzer run with coarse forms of the limits the readers promise to keep
# (one allocation of at most 64 MiB, 2 GiB in all, 20 seconds an input; libFuzzer has no bound that grows with
# the input, which the fixed-seed driver keeps: 100 bytes of heap per input byte plus 8 MiB).
# 0 seconds runs each seed once (-runs=0) and mutates nothing.
run_one() {
  local name=$1 dir="$out/$1" length=(-max_total_time="$seconds")
  [[ $seconds -eq 0 ]] && length=(-runs=0)
  mkdir -p "$dir/corpus" "$dir/tmp"
  cp -r "fuzz/corpus/${name#fuzz_}/." "$dir/corpus/" 2>/dev/null || true
  (cd "$dir" && TMPDIR="$dir/tmp" ASAN_OPTIONS="detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
    UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
    "$build/fuzz/$name" "${length[@]}" -rss_limit_mb=2048 -malloc_limit_mb=64 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$dir/" corpus >log 2>&1) || true
}
export -f run_one
export build out seconds
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run_one {}'

# The summary: the last status line of each log and the inputs the fuzzer kept as findings.
status=0
printf '%-28s %12s %8s %8s  %s\n' target executions cov ft found
for name in "${targets[@]}"; do
  log="$out/$name/log"
  runs=$(grep -oE '^stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || echo '?')
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || echo '?')
  ft=$(grep -oE 'ft: [0-9]+' <<<"$last" | grep -oE '[0-9]+' || echo '?')
  found=""
  for f in "$out/$name"/{crash,leak,timeout,oom}-*; do found+="$(basename "$f") "; done
  [[ "$runs" == '?' ]] && found+="no-final-stats(see-log) "
  [[ -n "$found" ]] && status=1
  printf '%-28s %12s %8s %8s  %s\n' "$name" "$runs" "$cov" "$ft" "${found:-nothing}"
done
echo "sweep: logs and findings in $out"
exit $status
