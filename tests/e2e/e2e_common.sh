# Shared start of the end-to-end scripts: run on a virtual screen of our own, start the real program, wait
# for its window and read its place. Sourced by the test_*.sh scripts with the program's path in $1.

program=$(realpath "$1")

if [ -z "${ZARVEL_E2E_INNER:-}" ]; then
    export ZARVEL_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$program"
fi

work=$(mktemp -d)
"$program" &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

title=$("$(dirname "${BASH_SOURCE[0]}")/../../tools/window-title.sh" --pattern) || fail "no title in app/"
window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$title\$" | head -n1)
[ -n "$window" ] || fail "main window did not appear"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
