#!/usr/bin/env bash
# Starts the real program on a virtual screen and checks what a user sees there: the silver ground,
# the frame of the progress bar drawn at start, and the split tab lying over the join tab.
# Usage: test_window.sh /path/to/zarvel
set -euo pipefail

source "$(dirname "$0")/e2e_common.sh"
sleep 0.5
[ "$WIDTH" -eq 289 ] && [ "$HEIGHT" -eq 148 ] || { echo "window is ${WIDTH}x${HEIGHT}, not 289x148"; exit 1; }

import -window root "$work/screen.png"

# Colour of one pixel of the window, as six hex digits.
pixel() {
    convert "$work/screen.png" -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'a-f' 'A-F'
}

failures=0
expect() {
    local what=$1 x=$2 y=$3 want=$4 got
    got=$(pixel "$x" "$y")
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what at ($x,$y): $got, expected $want"
        failures=$((failures + 1))
    else
        echo "ok: $what"
    fi
}

# The window is centred on the 1024 x 768 screen.
[ "$X" -eq $(((1024 - 289) / 2)) ] || [ "$X" -eq $(((1024 - 289 + 1) / 2)) ] || {
    echo "FAIL: window not centred (x $X)"
    failures=$((failures + 1))
}

expect "silver ground left of the progress box" 65 140 C0C0C0
expect "silver inside the empty bar" $((73 + 60)) $((123 + 7)) C0C0C0
expect "progress frame, left side" $((73 + 30)) $((123 + 7)) 000000
expect "progress frame, right side" $((73 + 184)) $((123 + 7)) 000000
expect "progress frame, top" $((73 + 100)) $((123 + 2)) 000000
expect "split tab over the join tab's green edge" 222 15 FFFFFF
expect "join tab's green bottom edge" 200 30 009600
expect "split panel over the join panel's top border" 150 32 C0C0C0

exit $((failures > 0))
