#!/usr/bin/env bash
# The installed package, tried as a user would (run by `make consumer-check` after `make build`):
#  - install build/ into build/stage;
#  - examples/consumer: find_package(qelta COMPONENTS num plot) without a C++ standard setting, the host,
#    the README's quick-start programs and every installed header compiled alone as <qelta/X.h>;
#  - every program runs without LD_LIBRARY_PATH (the installed libraries carry their own run path);
#  - a request for a missing component fails and names it;
#  - the quick-start programs once more with `pkg-config --cflags --libs qelta`.
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
mkdir -p build/consumer-pc
for program in matrix scale form; do
  # shellcheck disable=SC2046
  g++ -o "build/consumer-pc/$program" "examples/quickstart/$program.cpp" $(pkg-config --cflags --libs qelta) \
      -Wl,-rpath,"$(pkg-config --variable=libdir qelta)"
done
(cd build/consumer-pc && ./matrix && ./scale && ./form)
bash scripts/check-symbols.sh "$stage"
echo "consumer-check: installed package, quick start and pkg-config all work"
