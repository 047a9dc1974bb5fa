#!/usr/bin/env bash
# The release: the Debian package and the Windows zip in LINUX_BUILD/package/ with their SHA256SUMS, then
# packaging/check.sh on what was built. Each is built in a folder of its own, never in the tests' build/ or
# build-windows/: the package has the hardening flags that the bench must not see, and Qt's resource compiler keeps
# the times of a folder's first build. SOURCE_DATE_EPOCH (the last commit's time, unless given) stands for every
# time the artifacts carry, so the same commit gives the same bytes wherever it is built. zarvel.exe is signed
# when SIGN_KEY and SIGN_CERT (PEM files) are given.
# Usage: packaging/release.sh LINUX_BUILD WINDOWS_BUILD [JOBS]
set -euo pipefail
linux=$(realpath -m "$1")
windows=$(realpath -m "$2")
jobs=${3:-2}
sign_key=${SIGN_KEY:+$(realpath "$SIGN_KEY")}
sign_cert=${SIGN_CERT:+$(realpath "$SIGN_CERT")}
if { [ -n "$sign_key" ] && [ -z "$sign_cert" ]; } || { [ -z "$sign_key" ] && [ -n "$sign_cert" ]; }; then
    echo "release: signing needs both SIGN_KEY and SIGN_CERT" >&2
    exit 2
fi
# dpkg-buildflags maps the current folder to '.' in the file names the compiler writes.
cd "$(dirname "$0")/.."
repo=$PWD
version=$(sed -n 's/^#define ZARVEL_VERSION_TEXT "\([0-9.]*\)"/\1/p' app/Version.h)

# A source tree outside git takes the time of the changelog's latest entry.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/debian/changelog -S Timestamp)
fi
export SOURCE_DATE_EPOCH
# The steps that write the time (rcc, the exe's link) run again only when their inputs change, so a folder last
# built at another commit loses their outputs.
stamp="$linux/source-date-epoch"
if [ "$(cat "$stamp" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    [ ! -d "$linux" ] || find "$linux" -name 'qrc_*.cpp' -delete
    rm -f "$windows/zarvel.exe"
fi

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DZARVEL_BUILD_TESTS=OFF -DZARVEL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$linux" -j"$jobs"
echo "$SOURCE_DATE_EPOCH" >"$stamp"
out="$linux/package"
rm -rf "$out"
(cd "$linux" && cpack -G DEB)

# The zip's exe is the one the Windows tests build and run (tests/windows/), without the tests.
cmake -S tests/windows -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$repo/tests/windows/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$windows" -j"$jobs" --target zarvel
exe="$windows/zarvel.exe"
if [ -n "$sign_key" ]; then
    mkdir -p "$windows/signed"
    packaging/windows/sign.sh "$exe" "$windows/signed/zarvel.exe" "$sign_key" "$sign_cert"
    exe="$windows/signed/zarvel.exe"
fi
packaging/windows/zip.sh "$exe" "$version" "$out"

(cd "$out" && sha256sum -- *.deb *.zip >SHA256SUMS && cat SHA256SUMS)
packaging/check.sh "$out" "$windows/zarvel.exe"
