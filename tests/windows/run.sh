#!/usr/bin/env bash
# Cross-builds the engine, the app library and their portable tests, the Windows face (build-windows/zarvel.exe)
# and its tests, and runs them under Wine: the console tests headless, the window's on a virtual screen of their own.
# Usage: tests/windows/run.sh BUILD_FOLDER [JOBS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "$1")
jobs=${2:-2}

wine=$(command -v wine64 || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
command -v xvfb-run >/dev/null || missing+=(xvfb)
command -v xdotool >/dev/null || missing+=(xdotool)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
[ -n "$wine" ] || missing+=(wine64)
if [ ${#missing[@]} -gt 0 ]; then
    echo "windows tests: missing ${missing[*]}" >&2
    exit 1
fi

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
read -r -a app_tests <"$build/app-tests.txt"
tests=(test_piece_names test_split test_join test_windows_paths test_crash test_shared_blocks "${app_tests[@]}" test_resources)
# Everything at once: naming the targets would build them one after another, each on one core.
cmake --build "$build" -j"$jobs"

# A prefix of our own, made without a display: CI has none, and Wine must not wait for one.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init >/dev/null 2>&1
fi
# The window test's windows are left unmanaged: with no window manager, Wine waits 2 s for one at every window that
# closes, and the test closes dozens. It reads only what Wine itself keeps (focus, messages, pixels); the end to
# end run keeps managed windows, as a user meets them.
if ! grep -qF 'test_frmmain.exe\\X11 Driver' "$WINEPREFIX/user.reg"; then
    "$wine" reg add 'HKCU\Software\Wine\AppDefaults\test_frmmain.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
"$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true

# A share for the UNC rows: \\zarvel\c\... is drive C, as Wine maps \\server\share to dosdevices/unc/server/share.
mkdir -p "$WINEPREFIX/dosdevices/unc/zarvel"
ln -sfn ../../../drive_c "$WINEPREFIX/dosdevices/unc/zarvel/c"

# zarvel.exe is a portable tool: under 1 MiB, not packed, and needing nothing but Windows' own DLLs (the C++
# runtime and the thread library linked in). A std::filesystem::path alone would take it well past the size.
check_exe() {
    local exe=$1 size dlls other
    size=$(stat -c %s "$exe")
    if [ "$size" -ge 1048576 ]; then
        echo "FAIL: $exe is $size bytes, 1 MiB or more" >&2
        return 1
    fi
    if x86_64-w64-mingw32-objdump -h "$exe" | grep -qiE ' (UPX[0-9]|\.aspack|\.packed|MPRESS)'; then
        echo "FAIL: $exe is packed" >&2
        return 1
    fi
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    other=$(grep -vxE '(kernel32|user32|gdi32|comdlg32|comctl32|shell32|ole32|oleaut32|oleacc|advapi32|uxtheme|dwmapi|shcore|shlwapi|version|msvcrt|ntdll)\.dll' <<<"$dlls" || true)
    if [ -n "$other" ]; then
        echo "FAIL: $exe imports DLLs that are not Windows' own: $other" >&2
        return 1
    fi
}
check_exe "$build/zarvel.exe"

# Runs a program under Wine once more only when Wine itself lost its server ("wine client error"), which
# happens here now and then on a loaded machine; a test's own failure is never run again.
under_wine() {
    local log
    log=$(mktemp)
    if "$@" 2>&1 | tee "$log"; then
        rm -f "$log"
        return 0
    fi
    if grep -q '^wine client error' "$log"; then
        rm -f "$log"
        echo "(Wine lost its server: once more)"
        "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
        "$@"
        return
    fi
    rm -f "$log"
    return 1
}

failed=0
for test in "${tests[@]}"; do
    echo "== $test.exe under Wine"
    if ! under_wine "$wine" "$build/$test.exe" --gtest_brief=1; then
        echo "FAIL: $test.exe"
        failed=$((failed + 1))
    fi
done
# Wine's own processes from the headless runs must be gone before a display is given: a desktop process
# started without one would serve the windows too.
"$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
echo "== test_frmmain.exe under Wine"
if ! under_wine xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$build/test_frmmain.exe" --gtest_brief=1; then
    echo "FAIL: test_frmmain.exe"
    failed=$((failed + 1))
fi
"$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
echo "== zarvel.exe end to end under Wine"
if ! "$here/e2e.sh" "$wine" "$build/zarvel.exe"; then
    echo "FAIL: zarvel.exe end to end"
    failed=$((failed + 1))
fi
echo "zarvel.exe: $(stat -c %s "$build/zarvel.exe") bytes"
echo "windows tests: $((${#tests[@]} + 2 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
