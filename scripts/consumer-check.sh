#!/usr/bin/env bash
# The installed package, tried as a user would (run by `make consumer-check` after `make build`):
#  - install build/ into build/stage;
#  - examples/consumer: find_package(qelta COMPONENTS num plot) without a C++ standard setting, the host,
#    the README's quick-start programs and every installed header compiled alone as <qelta/X.h>;
#  - every program runs without LD_LIBRARY_PATH (the installed libraries carry their own run path);
#  - a request for a missing component fails and names it;
#  - the README's pkg-config command, taken from the README, on the quick-start programs and the host
#    program (hosts/host.cpp), once in pkg-config's library order and once in the reverse order: each
#    program needs the libraries in that order (DT_NEEDED) and runs without LD_LIBRARY_PATH, the host
#    through every scenario (the numerics files with the map library loaded, the exits); the window
#    quick start without a display says why in one line of its own and ends with 1;
#  - the README's picture of the window quick start equals the one the program makes now (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-4}
stage=$PWD/build/stage
unset LD_LIBRARY_PATH

rm -rf "$stage" build/consumer build/consumer-missing build/consumer-pc
cmake --install build --prefix "$stage" >/dev/null
# shellcheck disable=SC2086
cmake -S examples/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$stage" ${CMAKE_FLAGS:-} >/dev/null
cmake --build build/consumer -j "$jobs"
./build/consumer/consumer
(cd build/consumer && ./quickstart_matrix && ./quickstart_scale && ./quickstart_form)
# The README's picture of the window quick start is what the program shows now.
bash scripts/window-picture.sh --check build/consumer/quickstart_window examples/quickstart/window.png

if cmake -S examples/consumer -B build/consumer-missing -DCMAKE_PREFIX_PATH="$stage" \
     -DQELTA_CONSUMER_COMPONENTS="num;nosuch" >build/consumer-missing.log 2>&1; then
  echo "consumer-check: a missing component was not reported" >&2
  exit 1
fi
grep -q 'no component "nosuch"' build/consumer-missing.log || {
  echo "consumer-check: the message does not name the missing component:" >&2
  cat build/consumer-missing.log >&2
  exit 1
}

PKG_CONFIG_PATH=$(dirname "$(find "$stage" -name qelta.pc)")
export PKG_CONFIG_PATH
readme_command=$(sed -n '/^g++ app\.cpp /{s/ *#.*//;p;q}' README.md)
pc_call='$(pkg-config --cflags --libs qelta)'
if [[ "$readme_command" != *"$pc_call"* ]]; then
  echo "consumer-check: the README shows no 'g++ app.cpp $pc_call' line" >&2
  exit 1
fi
# The reverse order: the same command with pkg-config's -l flags turned round.
pc_libs=() reversed=()
read -ra pc_libs <<<"$(pkg-config --libs qelta)"
for flag in "${pc_libs[@]}"; do
  if [[ $flag == -l* ]]; then reversed=("$flag" "${reversed[@]}"); else reversed+=("$flag"); fi
done
reverse_command=${readme_command/"$pc_call"/\$(pkg-config --cflags qelta) ${reversed[*]}}
mapfile -t pc_order < <(printf '%s\n' "${pc_libs[@]}" | sed -n 's/^-l//p')
mapfile -t reverse_order < <(printf '%s\n' "${reversed[@]}" | sed -n 's/^-l//p')

# build <order> <command> <program> <source>: the command run as a host developer would, on app.cpp.
build() {
  local dir=build/consumer-pc/$1/$3
  mkdir -p "$dir"
  cp "$4" "$dir/app.cpp"
  (cd "$dir" && bash -c "$2") || { echo "consumer-check: '$2' failed on $4" >&2; return 1; }
}
pids=()
for order in pc_order reverse_order; do
  command=$readme_command
  [[ $order == reverse_order ]] && command=$reverse_command
  for program in matrix scale form window; do
    build "$order" "$command" "$program" "examples/quickstart/$program.cpp" & pids+=($!)
  done
  build "$order" "$command" host hosts/host.cpp & pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done

# run_order <order> <libraries in link order>: what each program needs, and the programs run.
run_order() {
  local dir=build/consumer-pc/$1 program scenario message status=0
  shift
  for program in matrix scale form window; do
    bash hosts/check-needed.sh --present "$dir/$program/a.out" "$@"
  done
  bash hosts/check-needed.sh "$dir/host/a.out" "$@"
  for program in matrix scale form; do
    (cd "$dir/$program" && ./a.out) >/dev/null
  done
  for scenario in $("$dir/host/a.out" --list); do
    timeout 60 "$dir/host/a.out" "$scenario" || { echo "consumer-check: host $scenario failed" >&2; return 1; }
  done
  # Its one line (the display libraries SDL tries may add their own before it).
  message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$dir/window/a.out" 2>&1) || status=$?
  if [[ $status -ne 1 || $(grep -c '^window: ' <<<"$message") -ne 1 || $message == *terminate* ]]; then
    echo "consumer-check: without a display the window quick start ended with $status, saying:" >&2
    echo "$message" >&2
    return 1
  fi
}
run_order pc_order "${pc_order[@]}"
run_order reverse_order "${reverse_order[@]}"
bash scripts/check-symbols.sh "$stage"
echo "consumer-check: installed package, quick start, pkg-config in both orders and the host program all work"
