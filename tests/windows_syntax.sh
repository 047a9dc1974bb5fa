#!/usr/bin/env bash
# Keeps the Windows build of the window possible: every source of ui/ and main.cpp is compiled for Windows with a
# cross compiler, syntax only (there is no Windows Qt here to link against). The engine is not checked here: it is
# cross-built and its tests run under Wine (tests/windows/run.sh).
# Usage: windows_syntax.sh COMPILER REPO QT_INCLUDE_DIRS (colon-separated)
set -euo pipefail
compiler=$1 repo=$2
IFS=: read -r -a qt_dirs <<<"$3"
includes=(-I"$repo")
for dir in "${qt_dirs[@]}"; do includes+=(-I"$dir"); done

failed=0
checked=0
for source in "$repo"/ui/*/*.cpp "$repo"/main.cpp; do
    if ! "$compiler" -std=c++20 -fsyntax-only -Wall "${includes[@]}" "$source"; then
        echo "FAIL: $source"
        failed=$((failed + 1))
    fi
    checked=$((checked + 1))
done
echo "windows syntax: $((checked - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
