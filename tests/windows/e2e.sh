#!/usr/bin/env bash
# zarvel.exe under Wine, driven like a user with xdotool on a virtual screen of our own: a device's name refused
# with the failure box and its line on standard error, then type a path, split,
# answer the box, switch to join and join, open and close About, exit. The joined bytes must be the original's
# and nothing else may be left in the folder. Prints the time from start to a visible window.
# Usage: e2e.sh WINE ZARVEL_EXE (WINEPREFIX set by the caller)
set -euo pipefail
wine=$1
exe=$(realpath "$2")

if [ -z "${ZARVEL_E2E_INNER:-}" ]; then
    export ZARVEL_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$wine" "$exe"
fi

repo=$(cd "$(dirname "$0")/../.." && pwd)
title_pattern=$("$repo/tools/window-title.sh" --pattern) || { echo "FAIL: no title in app/"; exit 1; }

work=$(mktemp -d)
errors=$(mktemp)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    rm -rf "$work" "$errors"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
windows_path() { echo "Z:${1//\//\\}"; }

# Waits for a visible window whose title is exactly $1 and prints its id.
window_named() {
    timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1
}
# Clicks the main window at (x, y) of its inside.
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
# Split: the path into txtSFName, 1 (MB) into txtSegSize, then the start picture.
start_split() {
    click 50 45
    xdotool key End shift+Home BackSpace
    xdotool type --delay 20 "$(windows_path "$1")"
    click 60 90
    xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
    xdotool type --delay 20 1
    click 30 129
}
answer_box() {
    local box
    box=$(window_named "$1") || fail "no box \"$1\""
    [ -n "$box" ] || fail "no box \"$1\""
    sleep 0.3
    xdotool key Return
    timeout 10 bash -c "while xdotool search --onlyvisible --name '^$1\$' >/dev/null; do sleep 0.1; done" ||
        fail "box \"$1\" stayed"
}

head -c 2500000 /dev/urandom >"$work/data.bin"
cp "$work/data.bin" "$work/original.keep"

start=$(date +%s%N)
"$wine" "$exe" 2>"$errors" &
pid=$!
main=$(window_named "$title_pattern") || fail "main window did not appear"
echo "zarvel.exe visible after $((($(date +%s%N) - start) / 1000000)) ms"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"

# A device's name: the usual box, the reason on standard error, nothing written.
start_split "$work/nul.txt"
answer_box 'Aik masla derpesh hai!'
grep -q "^zarvel: split refused: '.*nul.txt' is a device's name" "$errors" || fail "no line for the device: $(cat "$errors")"

# Split: the path into txtSFName, 1 (MB) into txtSegSize, then the start picture.
start_split "$work/data.bin"
answer_box 'Kamiyaabi!'
pieces=$(find "$work" -name 'data.bin?*' | sort)
[ "$(echo "$pieces" | wc -l)" -eq 3 ] || fail "split made: $pieces"

# Join: the join tab, the first piece's path into txtSegfname, the start picture.
rm "$work/data.bin"
click 188 16
click 50 89
xdotool type --delay 20 "$(windows_path "$(echo "$pieces" | head -n1)")"
click 30 129
answer_box 'Kamyaabi'
cmp "$work/data.bin" "$work/original.keep" || fail "the joined file differs"

# About opens over the window and OK (which has the focus) closes it.
click 28 9
window_named 'Zarvel Ke Bare Main' >/dev/null || fail "About did not open"
sleep 0.3
xdotool key Return
timeout 10 bash -c "while xdotool search --onlyvisible --name '^Zarvel Ke Bare Main\$' >/dev/null; do sleep 0.1; done" ||
    fail "About stayed open"

# The exit image ends the program.
click 9 9
timeout 20 bash -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || fail "zarvel.exe did not end"
pid=

left=$(cd "$work" && ls -A | sort | tr '\n' ' ')
expected=$(cd "$work" && { echo data.bin; echo original.keep; echo "$pieces" | xargs -n1 basename; } | sort | tr '\n' ' ')
[ "$left" = "$expected" ] || fail "left in the folder: $left"
echo "PASS: split, join, About and exit under Wine"

# The session ends during a run held at its first piece's flush: the program cleans up and ends by itself. Each
# launch gets a server of its own: without a window manager, Wine gives a second program of one server no
# foreground, and its keys would go nowhere.
session="$work/session"
mkdir -p "$session/files"
g++ -std=c++17 -O2 -shared -fPIC -o "$session/slowio.so" "$repo/tests/preload/slowio.cpp" -ldl
head -c 2500000 /dev/urandom >"$session/files/data.bin"
"$(dirname "$wine")/wineserver" -w
LD_PRELOAD="$session/slowio.so" ZARVEL_SLOW_FSYNC_MS=3000 "$wine" "$exe" &
pid=$!
main=$(window_named "$title_pattern") || fail "main window did not appear again"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
start_split "$session/files/data.bin"
timeout 20 bash -c "until ls -A '$session/files' | grep -q '^\.zarvel-.*\.tmp\$'; do sleep 0.05; done" ||
    fail "the run wrote no temporary piece"
"$wine" wineboot --end-session
timeout 30 bash -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || fail "zarvel.exe outlived the session"
pid=
[ "$(ls -A "$session/files")" = data.bin ] || fail "left after the session's end: $(ls -A "$session/files")"
echo "PASS: a session's end during a run leaves no temporary file"
