#!/usr/bin/env bash
# Builds the release twice, with `make package` in two fresh clones of the last commit in two temporary folders
# (two different paths, two first builds), and fails unless both write the same SHA256SUMS. Changes not yet
# committed are not in the clones.
# Usage: tools/reproducible.sh [JOBS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The second from the first, so that both hold the same commit even if the repository moves on meanwhile.
git clone -q "$repo" "$work/first"
git clone -q "$work/first" "$work/second-clone"
for clone in first second-clone; do
    # Never signed: a signature is made anew each time.
    make -C "$work/$clone" package JOBS="${1:-2}" SIGN_KEY= SIGN_CERT= >"$work/$clone.log" 2>&1 ||
        { tail -n 40 "$work/$clone.log"; exit 1; }
    (cd "$work/$clone/build-package/package" && pwd && ls -l -- *.deb *.zip && cat SHA256SUMS)
done
diff "$work"/{first,second-clone}/build-package/package/SHA256SUMS && echo "reproducible: the clones built the same bytes"
