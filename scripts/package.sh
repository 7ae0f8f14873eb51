#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the Debian packages into dist/ (or DIST_DIR) and checks them with
# lintian.  The packages are made by CPack from the build folder (BUILD_DIR,
# default build/), which scripts/setup.sh configures and brings up to date
# first: after ./test.sh nothing is rebuilt.
#   scripts/package.sh [--no-lintian]
# Install the result with: sudo apt install ./dist/vendrill_*.deb
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
dist=${DIST_DIR:-$root/dist}

run_lintian=1
for arg in "$@"; do
  case $arg in
    --no-lintian) run_lintian=0 ;;
    -h | --help)
      sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "package.sh: unknown argument '$arg' (try --help)" >&2
      exit 2
      ;;
  esac
done

"$root/scripts/setup.sh"

# Sanitizer builds are for testing: their binaries must not be shipped.
if grep -q '^VENDRILL_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
  echo "package.sh: $build is a sanitizer build; package from a normal one (BUILD_DIR)" >&2
  exit 1
fi

staging="$build/_packages"
rm -rf "$staging"
mkdir -p "$staging"
if ! cpack --config "$build/CPackConfig.cmake" -B "$staging" >"$staging/cpack.log" 2>&1; then
  cat "$staging/cpack.log" >&2
  echo "package.sh: cpack failed" >&2
  exit 1
fi
shopt -s nullglob
debs=("$staging"/*.deb)
if ((${#debs[@]} == 0)); then
  echo "package.sh: CPack made no package" >&2
  exit 1
fi
mkdir -p "$dist"
rm -f "$dist"/*.deb
mv "${debs[@]}" "$dist"/
rm -rf "$staging"

echo "Packages in $dist:"
for deb in "$dist"/*.deb; do
  printf '  %s (%s bytes)\n' "$(basename "$deb")" "$(stat -c %s "$deb")"
done

if ((run_lintian)); then
  echo "=== lintian ==="
  # Errors and warnings fail; informational tags (I:) are shown.  Its
  # remark about running as root is dropped: it only reads the packages.
  report="$build/lintian.txt"
  status=0
  lintian --display-info --fail-on error,warning "$dist"/*.deb >"$report" 2>&1 || status=$?
  grep -v 'running with root privileges' "$report" || true
  if ((status != 0)); then
    echo "package.sh: lintian found errors or warnings (status $status)" >&2
    exit 1
  fi
  echo "lintian: no errors or warnings"
fi
