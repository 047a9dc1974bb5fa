#!/usr/bin/env bash
# Runs the engine tests of a build folder once more as a user without privileges, the way a developer runs them:
# cases that root passes through (permissions, a disk of its own) must hold there too. As root it runs them as the
# system user zarveltest (made when absent; `nobody` where no user can be made); anyone else already ran them as
# themselves, so there is nothing to add.
# Usage: tools/unprivileged-tests.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")

if [ "$(id -u)" -ne 0 ]; then
    echo "unprivileged engine tests: already ran as $(id -un) with the others"
    exit 0
fi

user=zarveltest
if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null || user=nobody
fi

# Each test program once: the extra ctest entries that run a program again under a preloaded library are left out.
mapfile -t tests < <(ctest --test-dir "$build" -N -L engine | sed -n 's/^ *Test *#[0-9]*: //p' |
    while read -r name; do [ -x "$build/tests/$name" ] && echo "$name"; done)
[ ${#tests[@]} -gt 0 ] || { echo "no engine tests in $build" >&2; exit 1; }

# The build folder may sit where that user can't reach it: the binaries run from a copy of their own.
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
mkdir "$copy/tmp"
for test in "${tests[@]}"; do cp "$build/tests/$test" "$copy/"; done
chmod 755 "$copy"
chown "$user" "$copy/tmp"

# Two at a time, as ctest runs them: most of their time is spent waiting on files. Each one's output is shown whole
# once it ends.
run_one() {
    local status=0
    (cd "$copy/tmp" && runuser -u "$user" -- env TMPDIR="$copy/tmp" HOME="$copy/tmp" "$copy/$1" --gtest_brief=1) \
        >"$copy/$1.log" 2>&1 || status=$?
    echo "== $1 as $user"
    cat "$copy/$1.log"
    [ "$status" -eq 0 ] || echo "FAIL: $1 as $user"
}
export -f run_one
export copy user
printf '%s\n' "${tests[@]}" | xargs -P "${JOBS:-2}" -I{} bash -c 'run_one "$1"' _ {} | tee "$copy/all.log"
failed=$(grep -c '^FAIL: ' "$copy/all.log" || true)
echo "unprivileged engine tests: $((${#tests[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
