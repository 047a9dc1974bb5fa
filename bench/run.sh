#!/usr/bin/env bash
# Times our split and join against GNU split and cat on the same file in one run, then our peak memory on a
# big sparse file. Prints the median ratios against the targets and writes them to BUILD/bench/results.md.
#
# Usage: bench/run.sh [BUILD_DIR]
# Knobs (environment): BENCH_SIZE_MIB (1024), BENCH_ROUNDS (7), BENCH_DISK_ROUNDS (3), BENCH_BIG_GIB (4),
#                      BENCH_PROFILE=1 (also count the system calls of one split and one join).
# Exit status: 0 when every run of ours succeeded and wrote the right bytes (a missed target is reported,
# not failed: this is a measurement); 1 otherwise; 2 when the benchmark itself can't run.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-build}")
out="$build/bench"
engine="$out/engine_bench"

piece=1447035
size_mib=${BENCH_SIZE_MIB:-1024}
rounds=${BENCH_ROUNDS:-7}
disk_rounds=${BENCH_DISK_ROUNDS:-3}
big_gib=${BENCH_BIG_GIB:-4}
# A 4 GiB file in 1447035-byte pieces would pass the 1000-piece limit; the memory figure doesn't depend on
# the piece size, so the big file goes in 64 MiB pieces.
big_piece=67108864

samples="$out/samples.tsv" # place op who round seconds status (round 0: warm-up)
checks="$out/checks.tsv"   # place what status
memory="$out/memory.tsv"   # case op kib seconds status

die() {
    echo "bench: $*" >&2
    exit 2
}

[ -x "$engine" ] || die "$engine is missing; build the engine_bench target first"
command -v split >/dev/null || die "GNU split is missing (coreutils)"
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package time)"
[ -x /usr/bin/python3 ] || die "/usr/bin/python3 is missing"

shm_root=""
disk_root=""
cleanup() {
    [ -n "$shm_root" ] && rm -rf "$shm_root"
    [ -n "$disk_root" ] && rm -rf "$disk_root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$out"
printf 'place\top\twho\tround\tseconds\tstatus\n' >"$samples"
printf 'place\twhat\tstatus\n' >"$checks"
printf 'case\top\tkib\tseconds\tstatus\n' >"$memory"

free_bytes() { df --output=avail -B1 "$1" | tail -n 1 | tr -d ' '; }


# timed PLACE OP WHO ROUND COMMAND...: runs the command once and appends its wall time to the samples.
timed() {
    local place=$1 op=$2 who=$3 round=$4
    shift 4
    local start end status=ok
    # Microseconds from bash's own clock, so that no process is started around the timed command.
    start=${EPOCHREALTIME/[.,]/}
    "$@" >>"$out/commands.log" 2>&1 || status=failed
    end=${EPOCHREALTIME/[.,]/}
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$place" "$op" "$who" "$round" \
        "$(awk -v d=$((end - start)) 'BEGIN { printf "%.6f", d / 1e6 }')" "$status" >>"$samples"
    [ "$status" = ok ]
}

check() {
    printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$checks"
    [ "$3" = ok ] || echo "  check failed: $1 $2" >&2
}

# The reference join, as a user would type it; the glob takes every three-digit piece in order.
cat_join() {
    local stem=$1 output=$2
    cat "$stem".[0-9][0-9][0-9] >"$output" && sync "$output"
}

remove_pieces() { find "$1" -maxdepth 1 -name "$2.*" -delete; }

# Settles the disk between commands so that one command's write-back is not paid by the next one.
settle() { [ "$1" = disk ] && sync; }

# same_pieces DIR_A DIR_B NAME: the same piece names in both folders, byte for byte.
same_pieces() {
    local a=$1 b=$2 name=$3 f
    [ "$(cd "$a" && ls -1 "$name".* 2>/dev/null | sort)" = "$(cd "$b" && ls -1 "$name".* 2>/dev/null | sort)" ] || return 1
    for f in "$a/$name".*; do
        cmp -s "$f" "$b/${f##*/}" || return 1
    done
}

split_ours() { timed "$1" split ours "$2" "$engine" split "$3/src/data.bin" "$piece"; }
split_ref() { timed "$1" split ref "$2" split -b "$piece" -a 3 --numeric-suffixes=1 "$3/src/data.bin" "$3/src/data.bin."; }
join_ours() { timed "$1" join ours "$2" "$engine" join "$3/join/data.bin.001"; }
join_ref() { timed "$1" join ref "$2" cat_join "$3/join/data.bin" "$3/join/out.bin"; }

# One round of split: both commands on a clean folder, in an order that alternates between rounds.
split_round() {
    local place=$1 round=$2 dir=$3 who
    local order=(ours ref)
    ((round % 2 == 0)) && order=(ref ours)
    for who in "${order[@]}"; do
        remove_pieces "$dir/src" data.bin
        settle "$place"
        if [ "$who" = ours ]; then
            split_ours "$place" "$round" "$dir"
            if ((round == 0)); then
                if same_pieces "$dir/src" "$dir/join" data.bin; then check "$place" "our split's pieces" ok; else check "$place" "our split's pieces" failed; fi
            fi
        else
            split_ref "$place" "$round" "$dir"
        fi
    done
    remove_pieces "$dir/src" data.bin
}

join_round() {
    local place=$1 round=$2 dir=$3 who
    local order=(ours ref)
    ((round % 2 == 0)) && order=(ref ours)
    for who in "${order[@]}"; do
        rm -f "$dir/join/data.bin" "$dir/join/out.bin"
        settle "$place"
        if [ "$who" = ours ]; then
            join_ours "$place" "$round" "$dir"
            if ((round == 0)); then
                if cmp -s "$dir/join/data.bin" "$dir/src/data.bin"; then check "$place" "our join's output" ok; else check "$place" "our join's output" failed; fi
            fi
        else
            join_ref "$place" "$round" "$dir"
            if ((round == 0)); then
                if cmp -s "$dir/join/out.bin" "$dir/src/data.bin"; then check "$place" "cat's output" ok; else check "$place" "cat's output" failed; fi
            fi
        fi
    done
    rm -f "$dir/join/data.bin" "$dir/join/out.bin"
}

# run_place PLACE DIR ROUNDS SOURCE: lays out DIR/src (the source) and DIR/join (GNU split's pieces, which
# both joins read and our split is compared against), then interleaves the rounds. Round 0 is not counted:
# the first writes into a fresh folder pay for the pages the kernel hands out, and it checks the bytes.
run_place() {
    local place=$1 dir=$2 n=$3 source=$4 round
    mkdir -p "$dir/src" "$dir/join"
    cp "$source" "$dir/src/data.bin"
    split -b "$piece" -a 3 --numeric-suffixes=1 "$dir/src/data.bin" "$dir/join/data.bin." ||
        die "GNU split could not lay out the pieces in $dir"
    settle "$place"
    echo "== $place: ${size_mib} MiB in $dir, $n rounds"
    for ((round = 0; round <= n; round++)); do
        split_round "$place" "$round" "$dir"
        join_round "$place" "$round" "$dir"
        ((round == 0)) && echo "  warm-up round done" || echo "  round $round of $n done"
    done
    rm -rf "$dir"
}

# memory_case LABEL DIR BYTES: peak resident memory of our split and join of a sparse file of BYTES.
memory_case() {
    local label=$1 dir=$2 bytes=$3 m status op kib secs
    mkdir -p "$dir"
    truncate -s "$bytes" "$dir/data.bin"
    echo "== memory: $label sparse file in $dir"
    for op in split join; do
        status=ok
        if [ "$op" = split ]; then
            /usr/bin/time -f '%M %e' -o "$dir/time.txt" "$engine" split "$dir/data.bin" "$big_piece" \
                >>"$out/commands.log" 2>&1 || status=failed
            # The join rebuilds the file under the source's name.
            rm -f "$dir/data.bin"
        else
            /usr/bin/time -f '%M %e' -o "$dir/time.txt" "$engine" join "$dir/data.bin.001" \
                >>"$out/commands.log" 2>&1 || status=failed
        fi
        read -r kib secs < <(grep -E '^[0-9]+ ' "$dir/time.txt" | tail -n 1)
        printf '%s\t%s\t%s\t%s\t%s\n' "$label" "$op" "${kib:-0}" "${secs:-0}" "$status" >>"$memory"
    done
    truncate -s "$bytes" "$dir/zeros.ref"
    if cmp -s "$dir/data.bin" "$dir/zeros.ref"; then m=ok; else m=failed; fi
    check memory "$label round trip" "$m"
    rm -rf "$dir"
}

# Where the time goes: the system calls of one split and one join, for the engine's owner.
profile() {
    local dir=$1 source=$2
    command -v strace >/dev/null || {
        echo "  (strace is not installed; no profile)"
        return
    }
    mkdir -p "$dir/src" "$dir/join"
    cp "$source" "$dir/src/data.bin"
    split -b "$piece" -a 3 --numeric-suffixes=1 "$source" "$dir/join/data.bin."
    strace -f -c -o "$out/strace-split.txt" "$engine" split "$dir/src/data.bin" "$piece" >/dev/null 2>&1
    strace -f -c -o "$out/strace-join.txt" "$engine" join "$dir/join/data.bin.001" >/dev/null 2>&1
    echo "== system calls of one split ($out/strace-split.txt) and one join ($out/strace-join.txt)"
    head -n 12 "$out/strace-split.txt"
    head -n 12 "$out/strace-join.txt"
    rm -rf "$dir"
}

: >"$out/commands.log"
size=$((size_mib * 1048576))
big=$((big_gib * 1073741824))
disk_root=$(mktemp -d "$out/work.XXXXXX") || die "can't make a folder under $out"

if [ "$(free_bytes /dev/shm)" -gt $((size * 6)) ]; then
    shm_root=$(mktemp -d /dev/shm/zarvel-bench.XXXXXX) || die "can't make a folder in /dev/shm"
    source_dir=$shm_root
else
    echo "== /dev/shm lacks $((size * 6 / 1048576)) MiB: the tmpfs rounds are skipped"
    source_dir=$disk_root
fi

echo "== making ${size_mib} MiB of random bytes"
head -c "$size" /dev/urandom >"$source_dir/source.bin" || die "can't write the source file"

[ -n "$shm_root" ] && run_place tmpfs "$shm_root/run" "$rounds" "$source_dir/source.bin"
if [ "$(free_bytes "$disk_root")" -gt $((size * 6)) ]; then
    run_place disk "$disk_root/run" "$disk_rounds" "$source_dir/source.bin"
else
    echo "== $disk_root lacks $((size * 6 / 1048576)) MiB: the disk rounds are skipped"
fi
[ "${BENCH_PROFILE:-0}" = 1 ] && profile "$source_dir/profile" "$source_dir/source.bin"
rm -f "$source_dir/source.bin"

if [ -n "$shm_root" ] && [ "$(free_bytes /dev/shm)" -gt $((big * 2 + size)) ]; then
    memory_case "${big_gib} GiB" "$shm_root/big" "$big"
elif [ "$(free_bytes "$disk_root")" -gt $((big * 2 + size)) ]; then
    memory_case "${big_gib} GiB" "$disk_root/big" "$big"
else
    echo "== no room for two ${big_gib} GiB files: the memory figures are skipped"
fi

/usr/bin/python3 "$here/summarize.py" --out "$out" --size-mib "$size_mib" --piece "$piece" \
    --rounds "$rounds" --disk-rounds "$disk_rounds"
