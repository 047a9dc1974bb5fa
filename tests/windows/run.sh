#!/usr/bin/env bash
# Cross-builds the engine and its portable tests, and the Windows face's resources with theirs, for Windows and
# runs them under Wine, headless.
# Usage: tests/windows/run.sh BUILD_FOLDER [JOBS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "$1")
jobs=${2:-2}

wine=$(command -v wine64 || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
[ -n "$wine" ] || missing+=(wine64)
if [ ${#missing[@]} -gt 0 ]; then
    echo "windows tests: missing ${missing[*]}" >&2
    exit 1
fi

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
tests=(test_piece_names test_split test_join test_resources)
cmake --build "$build" -j"$jobs" --target "${tests[@]}"

# A prefix of our own, made without a display: CI has none, and Wine must not wait for one.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
fi

failed=0
for test in "${tests[@]}"; do
    echo "== $test.exe under Wine"
    if ! "$wine" "$build/$test.exe" --gtest_brief=1; then
        echo "FAIL: $test.exe"
        failed=$((failed + 1))
    fi
done
echo "windows tests: $((${#tests[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
