#!/usr/bin/env bash
# Installs the Debian packages that building, testing or benchmarking needs, only when one is missing.
# Usage: tools/install-deps.sh [build|test|bench|fuzz|package]...
set -euo pipefail

build_pkgs=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core)
test_pkgs=(libgtest-dev xvfb xauth x11-utils xdotool imagemagick coreutils g++-mingw-w64-x86-64-posix
    xfsprogs desktop-file-utils appstream dpkg-dev file)
package_pkgs=(dpkg-dev file)
bench_pkgs=(gnuplot-nox time)
fuzz_pkgs=(clang-14 libclang-rt-14-dev)

wanted=("${build_pkgs[@]}")
for set in "$@"; do
    case "$set" in
    build) ;;
    test) wanted+=("${test_pkgs[@]}") ;;
    bench) wanted+=("${test_pkgs[@]}" "${bench_pkgs[@]}") ;;
    fuzz) wanted+=("${fuzz_pkgs[@]}") ;;
    package) wanted+=("${package_pkgs[@]}") ;;
    *) echo "unknown package set: $set" >&2; exit 2 ;;
    esac
done

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
