#!/usr/bin/env bash
# A whole round trip through the real window, as a new user does it: type the file's path, start the
# split, dismiss the success box, switch to the join tab, type the first piece's path, start the join,
# dismiss its box, and the file is back byte for byte.
# Usage: test_roundtrip.sh /path/to/zarvel   (set ZARVEL_E2E_SHOTS to a folder to keep screenshots)
set -euo pipefail

source "$(dirname "$0")/e2e_common.sh"

shot() {
    if [ -n "${ZARVEL_E2E_SHOTS:-}" ]; then
        mkdir -p "$ZARVEL_E2E_SHOTS"
        import -window root "$ZARVEL_E2E_SHOTS/$1.png"
    fi
}
winx=$X
winy=$Y

# Places inside the window, in pixels from its top-left corner.
split_path_box=(100 49)
join_tab=(170 16)
join_path_box=(150 91)
start_button=(30 129)

click_at() {
    xdotool mousemove --sync $((winx + $1)) $((winy + $2)) click 1
}

# Bare Xvfb has no window manager: give the window the keyboard ourselves before typing into it.
type_into() {
    local x=$1 y=$2 text=$3
    xdotool windowfocus --sync "$window"
    click_at "$x" "$y"
    xdotool type --delay 5 -- "$text"
}

# Waits for the outcome box with this exact title, and closes it with Return as a keyboard user would.
dismiss_box() {
    local title=$1 box
    box=$(timeout 60 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n1) ||
        fail "no box titled '$title'"
    sleep 0.3
    shot "box-$title"
    xdotool windowfocus --sync "$box"
    xdotool key --clearmodifiers Return
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "box '$title' did not close on Return"
}

source="$work/holiday movie.avi"
head -c $((4 * 1447035 - 1000)) /dev/urandom >"$source"
cp "$source" "$work/original"

type_into "${split_path_box[@]}" "$source"
click_at "${start_button[@]}"
dismiss_box 'Kamiyaabi!'

for n in 001 002 003 004; do
    [ -f "$source.$n" ] || fail "piece $n missing after the split"
done
[ ! -e "$source.005" ] || fail "a fifth piece was written"
[ "$(stat -c %s "$source.001")" -eq 1447035 ] || fail "first piece is not 1.38 MB (1447035 bytes)"

# The join will not overwrite the whole file, so it goes before the pieces come back together.
rm "$source"

click_at "${join_tab[@]}"
type_into "${join_path_box[@]}" "$source.001"
click_at "${start_button[@]}"
dismiss_box 'Kamyaabi'

cmp "$work/original" "$source" || fail "the joined file differs from the original"
kill -0 "$pid" 2>/dev/null || fail "the program ended during the round trip"
echo "ok: split into 4 pieces and joined back byte for byte"
