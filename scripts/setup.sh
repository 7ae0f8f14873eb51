#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the Debian packages that are missing, then configures and builds
# the project in BUILD_DIR (default: build).  Quick on a second run: nothing
# is reinstalled and the build is incremental.  The cmake arguments of the
# last configuration are kept in the build folder; a run with other arguments
# configures the folder afresh with them (a -D left out goes back to its
# default), so that what was asked for is what gets built.  A run without
# arguments keeps the folder's configuration as it is.
#   scripts/setup.sh [extra cmake arguments...]
#   scripts/setup.sh --packages-only      (installs, builds nothing)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done < "$root/scripts/packages.txt"

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [[ "${1:-}" == --packages-only ]]; then
  exit 0
fi

configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@")
arguments_file="$build_dir/setup-arguments"
wanted=$(printf '%s\n' "${configure[@]}")
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build_dir" "${configure[@]}"
elif (($#)) && [[ ! -f "$arguments_file" || "$(cat "$arguments_file")" != "$wanted" ]]; then
  echo "The cmake arguments changed: configuring $build_dir afresh"
  cmake --fresh -S "$root" -B "$build_dir" "${configure[@]}"
fi
# Without arguments the build folder keeps the configuration it has (so that
# scripts run after `./test.sh -D...` do not rebuild everything).
if (($#)) || [[ ! -f "$arguments_file" ]]; then
  printf '%s\n' "$wanted" > "$arguments_file"
fi
cmake --build "$build_dir" -j "$(nproc)"
