#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the Debian packages that scripts/package.sh put in dist/, for the
# most part without installing them: their control fields (dpkg-deb -f), their file lists, and
# the programs themselves, extracted with dpkg-deb -x into a temporary root:
# vendrill-cli runs every "$ vendrill-cli ..." example of README.md and must
# print what README shows; the Python module, when packaged, is imported from
# the extracted tree; its maintainer scripts byte-compile it on install and
# clean up on removal, which dpkg tries for real (where root may make a
# private mount namespace) over overlays of /usr and /var/lib/dpkg.
#   scripts/check_packages.sh [dist folder]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dist=${1:-${DIST_DIR:-$root/dist}}

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
field() { dpkg-deb -f "$1" "$2"; }

project_version=$(sed -n 's/^project(Vendrill VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[[ -n "$project_version" ]] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)

shopt -s nullglob
debs=("$dist"/vendrill_*.deb)
if ((${#debs[@]} != 1)); then
  echo "expected one vendrill_*.deb in $dist, found ${#debs[@]}: run scripts/package.sh" >&2
  exit 1
fi
deb=${debs[0]}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Control fields of the package <deb>: name, version from the project's,
# architecture of this machine, a real description.
check_control() {
  local deb=$1 name=$2 version synopsis
  [[ $(field "$deb" Package) == "$name" ]] || fail "$deb: Package is '$(field "$deb" Package)', not $name"
  version=$(field "$deb" Version)
  [[ $version =~ ^${project_version//./\\.}-[0-9A-Za-z.+~]+$ ]] ||
    fail "$name: Version '$version' is not the project version $project_version plus a Debian revision"
  [[ $(field "$deb" Architecture) == "$arch" ]] ||
    fail "$name: Architecture is '$(field "$deb" Architecture)', not $arch"
  # sed reads to the end: head would close the pipe early, and the writer's
  # SIGPIPE would fail the pipeline under pipefail now and then.
  synopsis=$(field "$deb" Description | sed -n 1p)
  if [[ -z "$synopsis" || "$synopsis" == *"built using CMake"* ]] ||
    (($(field "$deb" Description | wc -l) < 4)); then
    fail "$name: no real description (synopsis '$synopsis')"
  fi
}

# The package's files: none of a development package, the documents every
# Debian package carries, stripped programs.
check_contents() {
  local deb=$1 name=$2 unpacked=$3 listing path changelog
  listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
  if grep -E '\.(a|h|hh|hpp|pc|cmake)$|/usr/include/|/usr/lib/cmake/' <<<"$listing"; then
    fail "$name: static libraries, headers or build files (listed above) in the package"
  fi
  for path in "usr/share/doc/$name/copyright" "usr/share/doc/$name/changelog.Debian.gz"; do
    [[ -f "$unpacked/$path" ]] || fail "$name: /$path is missing"
  done
  grep -q '^License: Apache-2.0$' "$unpacked/usr/share/doc/$name/copyright" 2>/dev/null ||
    fail "$name: the copyright file does not name the licence Apache-2.0"
  changelog=$(zcat "$unpacked/usr/share/doc/$name/changelog.Debian.gz" 2>/dev/null | sed -n 1p)
  [[ "$changelog" == "$name ($(field "$deb" Version)) "* ]] ||
    fail "$name: the changelog starts '$changelog', not with the package's name and version"
  while IFS= read -r path; do
    if file -b "$path" | grep -q '^ELF' && ! file -b "$path" | grep -q ', stripped'; then
      fail "$name: ${path#"$unpacked"} is not stripped"
    fi
  done < <(find "$unpacked" -type f \( -path '*/bin/*' -o -name '*.so*' \))
}

echo "=== $(basename "$deb") ==="
unpacked="$tmp/root"
dpkg-deb -x "$deb" "$unpacked"
check_control "$deb" vendrill
check_contents "$deb" vendrill "$unpacked"
depends=$(field "$deb" Depends)
for lib in libc6 libstdc++6; do
  [[ ",$depends," == *", $lib "* || ",$depends," == *",$lib "* ]] ||
    fail "vendrill: Depends '$depends' lacks $lib (dpkg-shlibdeps did not run?)"
done
for path in usr/bin/vendrill-cli usr/share/man/man1/vendrill-cli.1.gz; do
  [[ -f "$unpacked/$path" ]] || fail "vendrill: /$path is missing"
done
if [[ -f "$unpacked/usr/bin/vendrill" ]]; then
  for path in usr/share/man/man1/vendrill.1.gz usr/share/applications/vendrill.desktop \
    usr/share/icons/hicolor/scalable/apps/vendrill.svg; do
    [[ -f "$unpacked/$path" ]] || fail "vendrill: /$path is missing"
  done
  [[ "$depends" == *libqt6widgets6* ]] || fail "vendrill: Depends '$depends' lacks libqt6widgets6"
  [[ $(field "$deb" Recommends) == *qt6-qpa-plugins* ]] ||
    fail "vendrill: Recommends '$(field "$deb" Recommends)' lacks qt6-qpa-plugins"
fi
echo "Version $(field "$deb" Version); Depends: $depends"

# README's examples, run by the extracted vendrill-cli in a scratch folder
# (the classic method may write error.log there) that holds the examples'
# data files under examples/.
cli="$unpacked/usr/bin/vendrill-cli"
examples="$tmp/examples"
awk '/^    \$ vendrill-cli / { if (n) print ""; sub(/^    \$ vendrill-cli /, ""); print "$ " $0; n++; on = 1; next }
     on && /^    / && !/^    \$ / { sub(/^    /, ""); print; next }
     { on = 0 }' "$root/README.md" >"$examples"
mkdir -p "$tmp/work/examples"
# The examples' data files, where the README's examples name them.
cp "$root"/examples/*.txt "$tmp/work/examples/"
count=0
run_example() {
  local arguments=$1 expected=$2 actual
  if [[ "$arguments" =~ [\'\"\\\|\<\>\;\&\$\`] ]]; then
    echo "skipped (shell syntax): vendrill-cli $arguments"
    return
  fi
  local -a args
  read -ra args <<<"$arguments"
  actual=$(cd "$tmp/work" && "$cli" "${args[@]}" 2>/dev/null) ||
    { fail "README example 'vendrill-cli $arguments' exited with status $?"; return; }
  if [[ "$actual" != "$expected" ]]; then
    fail "README example 'vendrill-cli $arguments' prints something else:"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/    /' >&2 || true
  fi
  count=$((count + 1))
}
arguments=""
expected=""
while IFS= read -r line || [[ -n "$line" ]]; do
  if [[ "$line" == '$ '* ]]; then
    arguments=${line#'$ '}
    expected=""
  elif [[ -z "$line" ]]; then
    [[ -n "$arguments" ]] && run_example "$arguments" "$expected"
    arguments=""
  else
    expected+="${expected:+$'\n'}$line"
  fi
done <"$examples"
[[ -n "$arguments" ]] && run_example "$arguments" "$expected"
((count > 0)) || fail "no '\$ vendrill-cli' example with its output found in README.md"
echo "README examples run by the packaged vendrill-cli: $count"

# The Python package, once it is built.
python_debs=("$dist"/python3-vendrill_*.deb)
if ((${#python_debs[@]})); then
  pydeb=${python_debs[0]}
  echo "=== $(basename "$pydeb") ==="
  pyroot="$tmp/python"
  dpkg-deb -x "$pydeb" "$pyroot"
  check_control "$pydeb" python3-vendrill
  check_contents "$pydeb" python3-vendrill "$pyroot"
  [[ $(field "$pydeb" Version) == $(field "$deb" Version) ]] ||
    fail "python3-vendrill: Version differs from vendrill's"
  pydepends=$(field "$pydeb" Depends)
  [[ "$pydepends" =~ (^|,\ )python3\ \( ]] ||
    fail "python3-vendrill: Depends '$pydepends' lacks a versioned python3"
  [[ "$pydepends" == *python3-numpy* ]] ||
    fail "python3-vendrill: Depends '$pydepends' lacks python3-numpy"
  site="$pyroot/usr/lib/python3/dist-packages"
  [[ -f "$site/vendrill/__init__.py" ]] ||
    fail "python3-vendrill: /usr/lib/python3/dist-packages/vendrill/__init__.py is missing"
  # The extracted module imports and computes what the packaged vendrill-cli
  # computes for README's sharp example.
  if ! location=$(cd "$tmp/work" && PYTHONPATH="$site" /usr/bin/python3 -c '
import json, subprocess, sys, vendrill, vendrill._core
request = ["--method", "sharp", "--type", "whole", "--position", "-0.3", "--format", "json",
           "--", "1", "0", "1", "0", "1"]
row = json.loads(subprocess.run([sys.argv[1], *request], capture_output=True, text=True,
                                check=True).stdout)
r = vendrill.bounds([1, 0, 1, 0, 1], -0.3)
assert (r.lower_bound, r.upper_bound, r.status) == (
    row["lower_bound"], row["upper_bound"], row["status"]), (r, row)
print(vendrill._core.__file__)' "$cli"); then
    fail "python3-vendrill: the extracted module does not import or computes other bounds"
  elif [[ "$location" != "$site/"* ]]; then
    fail "python3-vendrill: imported $location, not the extracted module"
  else
    echo "Imported from the package: ${location#"$pyroot"}"
  fi
  # Its maintainer scripts byte-compile the module on install and clean up on
  # removal.
  dpkg-deb -e "$pydeb" "$tmp/python-control"
  for script in postinst:py3compile prerm:py3clean; do
    file="$tmp/python-control/${script%%:*}"
    if [[ ! -x "$file" ]]; then
      fail "python3-vendrill: no executable ${script%%:*} script"
    elif ! sh -n "$file" || ! grep -Eq "^ +${script#*:} -p python3-vendrill$" "$file"; then
      fail "python3-vendrill: ${script%%:*} does not run '${script#*:} -p python3-vendrill'"
    fi
  done
  # Run for real where this machine allows it (root, mount namespaces,
  # overlayfs): installed and removed with dpkg in a private mount namespace
  # in which /usr and /var/lib/dpkg are overlays, so that the machine's own
  # files and package database are left untouched.
  if ((EUID == 0)) && command -v unshare >/dev/null &&
    unshare -m sh -c 'mount --make-rprivate / && mount -t tmpfs none /mnt' 2>/dev/null; then
    mkdir -p "$tmp"/overlay/{usr,usr-work,dpkg,dpkg-work}
    site_dir=/usr/lib/python3/dist-packages/vendrill
    if ! trial=$(unshare -m sh -ec '
      mount --make-rprivate /
      mount -t overlay none -o "lowerdir=/usr,upperdir=$1/usr,workdir=$1/usr-work" /usr
      mount -t overlay none -o "lowerdir=/var/lib/dpkg,upperdir=$1/dpkg,workdir=$1/dpkg-work" \
        /var/lib/dpkg
      dpkg --log=/dev/null -i "$2" >/dev/null
      echo "installed: $(find "$3" -name "*.pyc" | wc -l)"
      dpkg --log=/dev/null -r python3-vendrill >/dev/null
      echo "removed: $(find "$3" 2>/dev/null | wc -l)"' sh "$tmp/overlay" "$pydeb" "$site_dir" 2>&1)
    then
      fail "python3-vendrill: installing and removing it with dpkg failed: ${trial//$'\n'/, }"
    else
      trial=${trial//$'\n'/, }
      [[ "$trial" == *"installed: "[1-9]* ]] ||
        fail "python3-vendrill: installed, it has no byte-compiled files ($trial)"
      [[ "$trial" == *"removed: 0"* ]] ||
        fail "python3-vendrill: removed, it leaves files in $site_dir ($trial)"
      echo "Installed and removed with dpkg (in a private mount namespace): $trial"
    fi
  else
    echo "skipped: installing with dpkg (needs root, mount namespaces and overlayfs)"
  fi
  echo "Version $(field "$pydeb" Version); Depends: $pydepends"
fi

if ((failures)); then
  echo "check_packages.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "Packages in $dist: all checks passed"
