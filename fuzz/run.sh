#!/usr/bin/env bash
# Bounded fuzzing: each target first replays every input that once crashed it (fuzz/regressions/<target>/),
# then runs for a fixed time on a scratch copy of its committed corpus, so the repository is never written to.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]
set -euo pipefail

build=$(cd "$1" && pwd)
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zarvel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=0
passed_targets=0
failed_targets=0
for source in "$here"/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    binary="$build/fuzz/$name"
    [ -x "$binary" ] || { echo "missing fuzz target $binary" >&2; exit 1; }

    if compgen -G "$here/regressions/$name/*" >/dev/null; then
        echo "== $name: replaying $(ls "$here/regressions/$name" | wc -l) past crash inputs"
        "$binary" -runs=1 "$here"/regressions/"$name"/* || failed=1
    fi

    corpus="$scratch/$name"
    mkdir -p "$corpus" "$scratch/artifacts"
    cp -r "$here/corpus/$name/." "$corpus/" 2>/dev/null || true
    echo "== $name: fuzzing for ${seconds}s"
    if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$scratch/artifacts/$name-" "$corpus" 2>"$scratch/$name.log"; then
        failed=1
        failed_targets=$((failed_targets + 1))
        tail -n 60 "$scratch/$name.log" >&2
        mkdir -p "$build/fuzz-crashes"
        cp "$scratch"/artifacts/"$name"-* "$build/fuzz-crashes/" 2>/dev/null || true
        echo "$name crashed; the input is kept in $build/fuzz-crashes" >&2
    else
        passed_targets=$((passed_targets + 1))
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added)' "$scratch/$name.log" || true
    fi
done
echo "fuzz: $passed_targets passed, $failed_targets failed"
exit $failed
