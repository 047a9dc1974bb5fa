#!/usr/bin/env bash
# Builds the release twice, with `make package` in two fresh clones of the last commit in two temporary folders
# (two different paths, two first builds), and fails unless every artifact has the same SHA-256 in both. Changes
# not yet committed are not in the clones.
# Usage: tools/reproducible.sh [JOBS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for clone in first second-clone; do
    git clone -q "$repo" "$work/$clone"
    echo "== make package in $work/$clone"
    # Never signed: a signature is made anew each time.
    if ! make -C "$work/$clone" package JOBS="${1:-2}" SIGN_KEY= SIGN_CERT= >"$work/$clone.log" 2>&1; then
        tail -n 40 "$work/$clone.log"
        exit 1
    fi
    (cd "$work/$clone/build-package/package" && sha256sum -- * | tee "$work/$clone.sums")
done
if diff "$work/first.sums" "$work/second-clone.sums"; then
    echo "reproducible: both clones built the same bytes"
else
    echo "FAIL: the clones' artifacts differ (diffoscope shows where)" >&2
    exit 1
fi
