#!/usr/bin/env bash
# Fails when a test named in docs/RELIABILITY.md no longer exists, so the table can't outlive its proof.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=0
while IFS= read -r cell; do
    file=${cell%%: *}
    name=${cell#*: }
    case "$file" in
    test_*.cpp)
        suite=${name%%.*} test=${name#*.}
        grep -qE "^TEST\(${suite}, ${test}\)" "tests/engine/$file" || { echo "missing: $cell" >&2; missing=1; } ;;
    tst_*.cpp)
        slot=${name%%(*} row=${name#*(\"} row=${row%\")}
        grep -qF "void ${slot}()" "tests/gui/$file" && grep -qF "newRow(\"$row\")" "tests/gui/$file" ||
            { echo "missing: $cell" >&2; missing=1; } ;;
    fuzz)
        [ -f "fuzz/$name.cpp" ] || { echo "missing: $cell" >&2; missing=1; } ;;
    esac
done < <(grep -E '^\|' docs/RELIABILITY.md | awk -F'|' '{print $(NF-1)}' | sed 's/^ *//; s/ *$//' |
    grep -E '^(test_[a-z_]+\.cpp|tst_[a-z]+\.cpp|fuzz): ')
[ $missing -eq 0 ] && echo "every test named in docs/RELIABILITY.md exists"
exit $missing
