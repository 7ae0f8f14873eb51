#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Makes docs/screenshot.png, the README's picture of the dialog: builds the
# vendrill-screenshot tool, which enters a worked example into the real
# dialog and draws it without a display.
#   scripts/screenshot.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
output=${1:-$root/docs/screenshot.png}

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target vendrill-screenshot -j "$(nproc)"
mkdir -p "$(dirname "$output")"
# Run in a scratch folder: the tool writes no error log, but nothing it does
# should land in the source tree.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && QT_QPA_PLATFORM=offscreen "$build/app/vendrill-screenshot" "$output")
echo "Wrote $output"
