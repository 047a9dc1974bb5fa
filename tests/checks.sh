# Sourced by the shell tests: `check WHAT COMMAND...` runs the command and prints "ok: WHAT", or "FAIL: WHAT" with
# what the command printed, counting the failures in $failures. Needs $work, a folder of the caller's.
failures=0
check() {
    local what=$1
    shift
    if "$@" >"$work/out" 2>&1; then echo "ok: $what" && return; fi
    echo "FAIL: $what" && cat "$work/out" && failures=$((failures + 1))
}
