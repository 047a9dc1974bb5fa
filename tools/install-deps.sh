#!/usr/bin/env bash
# Installs the Debian packages that building, testing or benchmarking needs, only when one is missing. On other
# systems it installs nothing: it names the tools it can't find, so that the build's own error is never the first
# sign of a missing package (see README, "Other systems").
# Usage: tools/install-deps.sh [build|test|bench|fuzz|package]...
set -euo pipefail

build_pkgs=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core)
# The window's texts are checked with each common default face, so the tests bring the two that Debian's
# DejaVu Sans does not.
test_pkgs=(libgtest-dev googletest xvfb xauth x11-utils xdotool imagemagick coreutils g++-mingw-w64-x86-64-posix
    wine64 xfsprogs desktop-file-utils appstream dpkg-dev file fonts-noto-core fonts-liberation2 libfuse3-dev fuse3
    dbus-daemon)
# The release's own checks read what it built: lintian, the signing tools, the zip's contents. googletest: the
# exe is built by the Windows tests' project.
package_pkgs=(dpkg-dev file g++-mingw-w64-x86-64-posix googletest binutils lintian osslsigncode openssl zip unzip git)
bench_pkgs=(gnuplot-nox time)
fuzz_pkgs=(clang-14 libclang-rt-14-dev)

# The commands each set stands for, checked by name where there is no Debian package database.
build_cmds=(cmake make c++)
test_cmds=(xvfb-run xdotool import x86_64-w64-mingw32-g++-posix wine64)
bench_cmds=(gnuplot)
fuzz_cmds=(clang++-14)

wanted=("${build_pkgs[@]}")
commands=("${build_cmds[@]}")
for set in "$@"; do
    case "$set" in
    build) ;;
    test) wanted+=("${test_pkgs[@]}") commands+=("${test_cmds[@]}") ;;
    bench) wanted+=("${test_pkgs[@]}" "${bench_pkgs[@]}") commands+=("${test_cmds[@]}" "${bench_cmds[@]}") ;;
    fuzz) wanted+=("${fuzz_pkgs[@]}") commands+=("${fuzz_cmds[@]}") ;;
    package) wanted+=("${package_pkgs[@]}") commands+=(dpkg-shlibdeps x86_64-w64-mingw32-g++-posix lintian osslsigncode zip) ;;
    *) echo "unknown package set: $set" >&2; exit 2 ;;
    esac
done

debian_like() {
    [ -r /etc/os-release ] || return 1
    # shellcheck disable=SC1091
    . /etc/os-release
    case " ${ID:-} ${ID_LIKE:-} " in *" debian "*) ;; *) return 1 ;; esac
    command -v dpkg-query >/dev/null && command -v apt-get >/dev/null
}

if ! debian_like; then
    missing=()
    for cmd in "${commands[@]}"; do
        [ "$cmd" = wine64 ] && [ -x /usr/lib/wine/wine64 ] && continue
        command -v "$cmd" >/dev/null || missing+=("$cmd")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Not a Debian-like system, so nothing is installed. Missing commands: ${missing[*]}" >&2
        echo "Install them (and Qt 6.4 or later with its Widgets and Test modules) with your system's packages;" >&2
        echo "the Debian names are: ${wanted[*]}" >&2
        exit 1
    fi
    echo "Not a Debian-like system: every needed command is there; Qt 6.4 or later is checked by CMake."
    exit 0
fi

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
