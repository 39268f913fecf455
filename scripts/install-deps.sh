#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the gallery need. Quiet and quick when all is there.
set -euo pipefail

# One package per line, so parallel additions merge cleanly.
packages=(
  cmake
  make
  g++
  clang  # the clang suite and the fuzz build (make test-clang, make fuzz)
  libclang-rt-14-dev  # clang's libFuzzer and sanitizer runtimes (make fuzz)
  pkg-config
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libfreetype-dev
  libfontconfig-dev
  libpng-dev
  libjpeg62-turbo-dev
  liblapack-dev
  libopenblas-dev
  libgsl-dev
  zlib1g-dev
  libssl-dev
  libgsl-dev
  libpcre2-dev
  fonts-dejavu-core
  fonts-dejavu-extra
  fonts-lyx  # extra fonts (lower-case TeX family names): the suites must not depend on the installed fonts
  python3
  doxygen  # the API reference (make docs)
  python3-mpmath  # 50-digit arithmetic of the generator of the reference quantiles (numerics/tools)
  libgeographiclib-dev
  libproj-dev
  libcairo2-dev
  libeigen3-dev
  libsqlite3-dev  # benchmark anchor of the geographic database
  libfftw3-dev  # reference of the Fourier transform tests and benchmark
  libnanoflann-dev  # anchor of the nearest-neighbour benchmark
  libqhull-dev  # benchmark anchor of the convex hull
  libxml2-dev  # independent reader in the report list tests
  python3-rdkit  # reference of the chemistry tests (structure files, rings)
  rdkit-data  # the NCI sample molecules of the chemistry tests and benchmark
  python3-openbabel  # reference of the chemistry tests (written mol files)
  librdkit-dev  # benchmark anchor of the chemistry readers and ring perception
  libboost-dev  # headers that the RDKit headers of the chemistry benchmark include
  libsdl2-dev  # forms as desktop windows (Application->UseWindowBackend(), gallery --live)
  xvfb  # a display for the window tests and the live gallery's screenshot
  xauth  # xvfb-run needs it
  x11-apps  # xwd
  imagemagick  # import and compare for the live gallery's screenshot test
  libxtst-dev  # the window tests' second X client clicks outside the program through XTest
  libx11-dev  # the window backend hears that the X server went away (Xlib's handler of a lost connection)
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo_cmd=(sudo)
else
  echo "install-deps: missing packages; run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
