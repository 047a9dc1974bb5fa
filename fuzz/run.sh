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

# One target: its past crashes, then its bounded run. Its output is printed whole when it ends, and its verdict
# left in the scratch folder.
fuzz_one() {
    local name=$1 binary="$build/fuzz/$1" corpus="$scratch/$1" out="$scratch/$1.out"
    {
        if compgen -G "$here/regressions/$name/*" >/dev/null; then
            echo "== $name: replaying $(ls "$here/regressions/$name" | wc -l) past crash inputs"
            "$binary" -runs=1 "$here"/regressions/"$name"/* || echo failed >"$scratch/$name.verdict"
        fi
        mkdir -p "$corpus"
        cp -r "$here/corpus/$name/." "$corpus/" 2>/dev/null || true
        echo "== $name: fuzzing for ${seconds}s"
        if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
            -print_final_stats=1 -artifact_prefix="$scratch/artifacts/$name-" "$corpus" 2>"$scratch/$name.log"; then
            echo failed >"$scratch/$name.verdict"
            tail -n 60 "$scratch/$name.log"
            mkdir -p "$build/fuzz-crashes"
            cp "$scratch"/artifacts/"$name"-* "$build/fuzz-crashes/" 2>/dev/null || true
            echo "$name crashed; the input is kept in $build/fuzz-crashes"
        else
            grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added)' "$scratch/$name.log" || true
        fi
    } >"$out" 2>&1
    cat "$out"
}

# As many targets at once as there are cores: each keeps one busy for its whole time.
mkdir -p "$scratch/artifacts"
names=()
for source in "$here"/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    [ -x "$build/fuzz/$name" ] || { echo "missing fuzz target $build/fuzz/$name" >&2; exit 1; }
    names+=("$name")
done
for name in "${names[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
    fuzz_one "$name" &
done
wait
failed_targets=$(find "$scratch" -maxdepth 1 -name '*.verdict' | wc -l)
echo "fuzz: $((${#names[@]} - failed_targets)) passed, $failed_targets failed"
[ "$failed_targets" -eq 0 ]
