#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs what is missing, builds, and starts Vendrill.  With no display it
# runs the command-line tool on a built-in example instead.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/scripts/setup.sh"
build=${BUILD_DIR:-$root/build}

if [[ -x "$build/app/vendrill" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  exec "$build/app/vendrill"
fi
if [[ -x "$build/app/vendrill" ]]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty), so the dialog cannot open."
fi
if [[ -x "$build/cli/vendrill-cli" ]]; then
  echo "Running vendrill-cli on the moments of the uniform distribution on [0, 1]"
  echo "(7 moments, bounded type, x = 0.5):"
  echo "  vendrill-cli --method classic --type bounded --lower 0 --upper 1 --position 0.5 -- 1 0.5 0.333333333333333 0.25 0.2 0.166666666666667 0.142857142857143"
  exec "$build/cli/vendrill-cli" --method classic --type bounded --lower 0 --upper 1 \
    --position 0.5 -- \
    1 0.5 0.333333333333333 0.25 0.2 0.166666666666667 0.142857142857143
fi
echo "Built in $build:"
find "$build" -maxdepth 2 -name '*.a' -o -maxdepth 2 -type f -executable -name 'vendrill*' | sed 's|^|  |'
