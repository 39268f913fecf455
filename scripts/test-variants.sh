#!/usr/bin/env bash
# Runs the built suite once more the way a user's desktop differs from CI: another user with its own HOME and
# TMPDIR, a far time zone (Pacific/Chatham, +12:45/+13:45), a UTF-8 locale, and the extra fonts install-deps.sh
# brings (fonts-lyx: lower-case TeX family names). Usage: scripts/test-variants.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
jobs=${JOBS:-$(nproc)}
user=qelta-test

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/tmp" "$build/Testing/Temporary"
variant=(env -i PATH="$PATH" HOME="$scratch/home" TMPDIR="$scratch/tmp" TZ=Pacific/Chatham LC_ALL=C.UTF-8)
suite=(ctest --test-dir "$build" --output-on-failure -j "$jobs")

if [[ $(id -u) -ne 0 ]]; then
  echo "test-variants: as $(id -un), TZ=Pacific/Chatham, LC_ALL=C.UTF-8"
  exec "${variant[@]}" "${suite[@]}"
fi

# As root: run as an unprivileged user made for the purpose, which must be able to reach the tree.
id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
if ! runuser -u "$user" -- test -x "$build"; then
  if [[ -n "${CI:-}" ]]; then
    # A CI machine's checkout may sit under a private home: let others pass through (not read) its folders.
    d=$build
    while [[ "$d" != / ]]; do chmod o+x "$d"; d=$(dirname "$d"); done
  else
    echo "test-variants: $user cannot reach $build; move the checkout or run with CI=1 to open its folders" >&2
    exit 1
  fi
fi
chown -R "$user" "$scratch" "$build/Testing"
echo "test-variants: as $user, TZ=Pacific/Chatham, LC_ALL=C.UTF-8"
status=0
runuser -u "$user" -- "${variant[@]}" "${suite[@]}" || status=$?
chown -R root "$build/Testing"
exit $status
