#!/usr/bin/env bash
# Times our split and join, bare and through the real window, against GNU split and cat on the same file in
# one run; measures how long the window's event loop went without a turn, and peak memory on big sparse
# files; sweeps the file size for a chart. On a loop-mounted XFS image (root only) it also measures the used
# space each split and join adds, where ours share the source's blocks. Prints the median ratios against the
# targets and writes BUILD/bench/results.md and BUILD/bench/throughput.png.
#
# Usage: bench/run.sh [BUILD_DIR]
# Knobs (environment): BENCH_SIZE_MIB (1024), BENCH_ROUNDS (7), BENCH_BUSY_ROUNDS (2), BENCH_DISK_ROUNDS (3),
#                      BENCH_BIG_GIB (4), BENCH_CHART_SIZES ("64 256 1024 4096"), BENCH_CHART_ROUNDS (3),
#                      BENCH_XFS_ROUNDS (3; 0 skips the XFS image), BENCH_SLOW_ROUNDS (2),
#                      BENCH_STICK_ROUNDS (3; 0 skips the stick model), BENCH_STICK_MB (120),
#                      BENCH_GUI=0 (the engine alone),
#                      BENCH_PROFILE=1 (also count the system calls), BENCH_LOOKUP_ROUNDS (5),
#                      BENCH_WINDOWS_BUILD (build-windows beside BUILD_DIR, made by `make windows`),
#                      BENCH_WINDOWS_ROUNDS (3; 0 skips the engine under Wine), BENCH_WINDOWS_MIB (256).
# Exit status: 0 when every run of ours succeeded and wrote the right bytes (a missed target is reported,
# not failed: this is a measurement); 1 otherwise; 2 when the benchmark itself can't run.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-build}")
out="$build/bench"
engine="$out/engine_bench"
gui="$out/gui_bench"

piece=1447035
default_piece=$piece
size_mib=${BENCH_SIZE_MIB:-1024}
rounds=${BENCH_ROUNDS:-7}
busy_rounds=${BENCH_BUSY_ROUNDS:-2}
disk_rounds=${BENCH_DISK_ROUNDS:-3}
xfs_rounds=${BENCH_XFS_ROUNDS:-3}
big_gib=${BENCH_BIG_GIB:-4}
chart_sizes=${BENCH_CHART_SIZES:-64 256 1024 4096}
chart_rounds=${BENCH_CHART_ROUNDS:-3}
with_gui=${BENCH_GUI:-1}
slow_rounds=${BENCH_SLOW_ROUNDS:-2}
# The slow device: the tests' preloaded library holds regular files' reads and writes to 4 MB/s and every
# flush to 3 s, as a USB stick might. A few MiB are enough to see the window through the copy and the flush.
slowio="$build/tests/libzarvel_slowio.so"
# The USB stick's model: the tests' FUSE passthrough at 24 MB/s, as in the measurements that asked for
# write-behind; 120 MB split into 2 pieces and joined.
stickfs="$build/tests/zarvel_stickfs"
stick_mb=${BENCH_STICK_MB:-120}
stick_rounds=${BENCH_STICK_ROUNDS:-3}
slow_env=()
slow_mib=4
slow_piece=2097152
# A 4 GiB file in 1447035-byte pieces would pass the 1000-piece limit; the memory figure doesn't depend on
# the piece size, so the big sparse files go in 64 MiB pieces.
big_piece=67108864
# On XFS, whole-MiB pieces fall on the block edges, so every block can be shared.
xfs_piece=67108864
xvfb=(xvfb-run -a -s "-screen 0 1024x768x24")

samples="$out/samples.tsv" # place op who round seconds status gap_ms rss_kib allocations paints actions
#                          (round 0: warm-up)
checks="$out/checks.tsv"   # place what status
memory="$out/memory.tsv"   # case op who kib seconds status
sweep="$out/sweep.tsv"     # size_mib piece op who round seconds status
space="$out/space.tsv"     # place op who round added_kib
stick="$out/stick.tsv"     # op round full_s end_s stop_s status (op cp: the reference, its time in end_s)
lookups="$out/lookups.tsv" # round names missing seconds status (a 3-piece join)
windows="$out/windows.tsv" # op who round seconds status (the engine under Wine against plain_copy.exe)

die() {
    echo "bench: $*" >&2
    exit 2
}

[ -x "$engine" ] || die "$engine is missing; build the zarvel_benches target first"
command -v split >/dev/null || die "GNU split is missing (coreutils)"
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package time)"
[ -x /usr/bin/python3 ] || die "/usr/bin/python3 is missing"
if [ "$with_gui" = 1 ]; then
    [ -x "$gui" ] || die "$gui is missing; build the zarvel_benches target first"
    command -v xvfb-run >/dev/null || die "xvfb-run is missing (Debian package xvfb)"
fi

shm_root=""
disk_root=""
xfs_mount=""
stick_mount=""
cleanup() {
    [ -n "$xfs_mount" ] && umount "$xfs_mount"
    [ -n "$stick_mount" ] && fusermount3 -u -z "$stick_mount"
    [ -n "$shm_root" ] && rm -rf "$shm_root"
    [ -n "$disk_root" ] && rm -rf "$disk_root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$out"
printf 'place\top\twho\tround\tseconds\tstatus\tgap_ms\trss_kib\tallocations\tpaints\tactions\n' >"$samples"
printf 'place\twhat\tstatus\n' >"$checks"
printf 'case\top\twho\tkib\tseconds\tstatus\n' >"$memory"
printf 'size_mib\tpiece\top\twho\tround\tseconds\tstatus\n' >"$sweep"
printf 'place\top\twho\tround\tadded_kib\n' >"$space"
printf 'op\tround\tfull_s\tend_s\tstop_s\tstatus\n' >"$stick"

free_bytes() { df --output=avail -B1 "$1" | tail -n 1 | tr -d ' '; }
used_kib() { df --output=used -B1024 "$1" | tail -n 1 | tr -d ' '; }

now_us() { echo "${EPOCHREALTIME/[.,]/}"; }
seconds_since() { awk -v d=$(($(now_us) - $1)) 'BEGIN { printf "%.6f", d / 1e6 }'; }

# record PLACE OP WHO ROUND SECONDS STATUS [GAP RSS ALLOCATIONS PAINTS ACTIONS]
record() {
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5" "$6" "${7:--}" "${8:--}" \
        "${9:--}" "${10:--}" "${11:--}" >>"$samples"
}

# timed PLACE OP WHO ROUND COMMAND...: runs the command once and records its wall time.
timed() {
    local place=$1 op=$2 who=$3 round=$4
    shift 4
    local start status=ok
    # Microseconds from bash's own clock, so that no process is started around the timed command.
    start=$(now_us)
    "$@" >>"$out/commands.log" 2>&1 || status=failed
    record "$place" "$op" "$who" "$round" "$(seconds_since "$start")" "$status"
    [ "$status" = ok ]
}

# gui_line PLATFORM ARGS...: one run of gui_bench; prints its figures line (empty when it failed to report).
gui_line() {
    local platform=$1 line
    shift
    if [ "$platform" = xvfb ]; then
        line=$("${xvfb[@]}" "$gui" "$@" 2>>"$out/commands.log")
    else
        line=$(env QT_QPA_PLATFORM=offscreen "${slow_env[@]}" "$gui" "$@" 2>>"$out/commands.log")
    fi
    echo "gui_bench $platform $*: $line" >>"$out/commands.log"
    echo "$line"
}

# field LINE KEY: the value of KEY=value in a gui_bench line.
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }

# gui_timed PLACE OP WHO ROUND PLATFORM ARGS...: the window's own click-to-box time and its other figures.
# Qt's start-up is not counted: it is paid once when the program opens, not per file.
gui_timed() {
    local place=$1 op=$2 who=$3 round=$4 platform=$5 line status
    shift 5
    line=$(gui_line "$platform" "$@")
    status=$(field "$line" result)
    [ "$status" = ok ] || status=failed
    record "$place" "$op" "$who" "$round" "$(field "$line" seconds)" "$status" "$(field "$line" longest_gap_ms)" \
        "$(field "$line" peak_rss_kib)" "$(field "$line" allocations)" "$(field "$line" progress_paints)" \
        "$(field "$line" actions)"
    [ "$status" = ok ]
}

check() {
    printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$checks"
    [ "$3" = ok ] || echo "  check failed: $1 $2" >&2
}

# check_cmd PLACE WHAT COMMAND...: records whether the command succeeds.
check_cmd() {
    local place=$1 what=$2
    shift 2
    if "$@"; then check "$place" "$what" ok; else check "$place" "$what" failed; fi
}

# The reference join, as a user would type it; the glob takes every three-digit piece in order.
cat_join() {
    local stem=$1 output=$2
    cat "$stem".[0-9][0-9][0-9] >"$output" && sync "$output"
}

# The reference split on the disk, as a user who wants the pieces safe would type it: ours returns only once
# every piece and their folder are on the disk.
split_sync() {
    local src=$1
    split -b "$piece" -a 3 --numeric-suffixes=1 "$src" "$src." && sync "$src".[0-9][0-9][0-9] "$(dirname "$src")"
}

remove_pieces() { find "$1" -maxdepth 1 -name "$2.*" -delete; }

# Settles the disk between commands so that one command's write-back is not paid by the next one.
settle() { [ "$1" != tmpfs ] && sync; }

# On the XFS image, the used space a command adds, as df shows it once everything has reached the image.
used_before=0
space_before() { [ "$1" = xfs ] && sync && used_before=$(used_kib "$2"); }
space_after() {
    [ "$1" = xfs ] || return 0
    sync
    printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$(($(used_kib "$5") - used_before))" >>"$space"
}

piece_of() { if [ "$1" = xfs ]; then echo "$xfs_piece"; else echo "$default_piece"; fi; }

# same_pieces DIR_A DIR_B NAME: the same piece names and lengths in both folders, and the same bytes end to
# end (cut at the same places, since the lengths agree).
same_pieces() {
    local a=$1 b=$2 name=$3
    [ "$(cd "$a" && stat -c '%n %s' "$name".[0-9]* 2>/dev/null)" = \
        "$(cd "$b" && stat -c '%n %s' "$name".[0-9]* 2>/dev/null)" ] || return 1
    cat "$a/$name".[0-9][0-9][0-9] | cmp -s - <(cat "$b/$name".[0-9][0-9][0-9])
}

# rotated ROUND ITEM...: the items, rotated by the round number, so that every command takes every place
# in the order over the rounds and none always runs right after the same other one.
rotated() {
    local round=$1
    shift
    local items=("$@") n=$# i
    for ((i = 0; i < n; i++)); do echo "${items[(i + round) % n]}"; done
}

contenders() {
    echo engine
    echo ref
    [ "$1" = tmpfs ] && [ "$with_gui" = 1 ] && echo gui-offscreen && echo gui-xvfb
    # Where ours takes milliseconds, the price of merely starting a process is part of every figure.
    [ "$1" = xfs ] && echo start
    return 0
}

run_split() {
    local place=$1 who=$2 round=$3 dir=$4 src=$4/src/data.bin
    case "$who" in
    engine) timed "$place" split engine "$round" "$engine" split "$src" "$piece" ;;
    ref)
        if [ "$place" = disk ]; then
            timed "$place" split ref "$round" split_sync "$src"
        else
            timed "$place" split ref "$round" split -b "$piece" -a 3 --numeric-suffixes=1 "$src" "$src."
        fi
        ;;
    start) timed "$place" split start "$round" /bin/true ;;
    gui-*) gui_timed "$place" split "$who" "$round" "${who#gui-}" split "$src" "$piece" ;;
    esac
}

run_join() {
    local place=$1 who=$2 round=$3 dir=$4
    case "$who" in
    engine) timed "$place" join engine "$round" "$engine" join "$dir/join/data.bin.001" ;;
    ref) timed "$place" join ref "$round" cat_join "$dir/join/data.bin" "$dir/join/out.bin" ;;
    start) timed "$place" join start "$round" /bin/true ;;
    gui-*) gui_timed "$place" join "$who" "$round" "${who#gui-}" join "$dir/join/data.bin.001" ;;
    esac
}

# One round of split: every contender on a clean folder, in an order that turns from round to round.
split_round() {
    local place=$1 round=$2 dir=$3 who
    for who in $(rotated "$round" $(contenders "$place")); do
        remove_pieces "$dir/src" data.bin
        settle "$place"
        space_before "$place" "$dir"
        run_split "$place" "$who" "$round" "$dir"
        space_after "$place" split "$who" "$round" "$dir"
        if ((round == 0)) && [ "$who" != ref ] && [ "$who" != start ]; then
            check_cmd "$place" "$who split's pieces" same_pieces "$dir/src" "$dir/join" data.bin
        fi
    done
    remove_pieces "$dir/src" data.bin
}

join_round() {
    local place=$1 round=$2 dir=$3 who output
    for who in $(rotated "$round" $(contenders "$place")); do
        rm -f "$dir/join/data.bin" "$dir/join/out.bin"
        settle "$place"
        space_before "$place" "$dir"
        run_join "$place" "$who" "$round" "$dir"
        space_after "$place" join "$who" "$round" "$dir"
        if ((round == 0)) && [ "$who" != start ]; then
            output="$dir/join/data.bin"
            [ "$who" = ref ] && output="$dir/join/out.bin"
            check_cmd "$place" "$who join's output" cmp -s "$output" "$dir/src/data.bin"
        fi
    done
    rm -f "$dir/join/data.bin" "$dir/join/out.bin"
}

# A restless user in the middle of every run: the window is moved, repainted, its tabs switched and the About
# window opened; each run must still end with the success box and the right bytes.
busy_rounds() {
    local dir=$1 n=$2 round platform
    for ((round = 1; round <= n; round++)); do
        for platform in offscreen xvfb; do
            remove_pieces "$dir/src" data.bin
            gui_timed tmpfs split "busy-$platform" "$round" "$platform" split "$dir/src/data.bin" "$piece" \
                --responsive
            check_cmd tmpfs "busy-$platform split's pieces" same_pieces "$dir/src" "$dir/join" data.bin
            remove_pieces "$dir/src" data.bin
            rm -f "$dir/join/data.bin"
            gui_timed tmpfs join "busy-$platform" "$round" "$platform" join "$dir/join/data.bin.001" --responsive
            check_cmd tmpfs "busy-$platform join's output" cmp -s "$dir/join/data.bin" "$dir/src/data.bin"
            rm -f "$dir/join/data.bin"
        done
        echo "  busy round $round of $n done"
    done
}

# run_place PLACE DIR ROUNDS SOURCE: lays out DIR/src (the source) and DIR/join (GNU split's pieces, which
# every join reads and every split is compared against), then interleaves the rounds. Round 0 is not
# counted: the first writes into a fresh folder pay for the pages the kernel hands out, and it checks bytes.
run_place() {
    local place=$1 dir=$2 n=$3 source=$4 round
    # Every split and check below takes this place's piece size.
    local piece
    piece=$(piece_of "$place")
    mkdir -p "$dir/src" "$dir/join"
    cp "$source" "$dir/src/data.bin"
    split -b "$piece" -a 3 --numeric-suffixes=1 "$dir/src/data.bin" "$dir/join/data.bin." ||
        die "GNU split could not lay out the pieces in $dir"
    settle "$place"
    echo "== $place: ${size_mib} MiB in $piece-byte pieces in $dir, $n rounds of: $(contenders "$place" | tr '\n' ' ')"
    for ((round = 0; round <= n; round++)); do
        split_round "$place" "$round" "$dir"
        join_round "$place" "$round" "$dir"
        ((round == 0)) && echo "  warm-up round done" || echo "  round $round of $n done"
    done
    if [ "$place" = tmpfs ] && [ "$with_gui" = 1 ] && ((busy_rounds > 0)); then
        busy_rounds "$dir" "$busy_rounds"
    fi
    rm -rf "$dir"
}

# xfs_place ROOT ROUNDS SOURCE: the split and join rounds on a fresh XFS image (blocks can be shared) mounted
# through a loop device under ROOT; skipped with the reason where that can't be done.
xfs_place() {
    local root=$1 n=$2 source=$3 image=$1/xfs.img
    if [ "$(id -u)" -ne 0 ] || ! command -v mkfs.xfs >/dev/null; then
        echo "== XFS rounds skipped: they need root and mkfs.xfs (Debian package xfsprogs)"
        return
    fi
    if [ "$(free_bytes "$root")" -le $((size * 5)) ]; then
        echo "== $root lacks $((size * 5 / 1048576)) MiB for an XFS image: the XFS rounds are skipped"
        return
    fi
    truncate -s $((size * 4 + 1073741824)) "$image" && mkfs.xfs -q -m reflink=1 "$image" &&
        mkdir -p "$root/xfs" && mount -o loop "$image" "$root/xfs" || {
        echo "== XFS rounds skipped: this machine refuses to make or mount an XFS image on a loop device"
        rm -f "$image"
        return
    }
    xfs_mount=$root/xfs
    run_place xfs "$root/xfs/run" "$n" "$source"
    umount "$xfs_mount" && xfs_mount=""
    rm -f "$image"
}

# slow_device DIR ROUNDS: a split and a join through the window (offscreen) on the slow device; the figure that
# matters is the longest the event loop went without a turn.
slow_device() {
    local dir=$1 n=$2 round
    mkdir -p "$dir/src" "$dir/join"
    head -c "$((slow_mib * 1048576))" /dev/urandom >"$dir/src/data.bin" || die "can't write $slow_mib MiB in $dir"
    split -b "$slow_piece" -a 3 --numeric-suffixes=1 "$dir/src/data.bin" "$dir/join/data.bin."
    echo "== slow device (4 MB/s, 3 s flush): $slow_mib MiB, $n rounds through the window"
    slow_env=(LD_PRELOAD="$slowio" ZARVEL_SLOW_RATE=4000000 ZARVEL_SLOW_FSYNC_MS=3000)
    for ((round = 1; round <= n; round++)); do
        remove_pieces "$dir/src" data.bin
        gui_timed slow split gui-offscreen "$round" offscreen split "$dir/src/data.bin" "$slow_piece"
        check_cmd slow "gui-offscreen split's pieces" same_pieces "$dir/src" "$dir/join" data.bin
        rm -f "$dir/join/data.bin"
        gui_timed slow join gui-offscreen "$round" offscreen join "$dir/join/data.bin.001"
        check_cmd slow "gui-offscreen join's output" cmp -s "$dir/join/data.bin" "$dir/src/data.bin"
        echo "  slow round $round of $n done"
    done
    slow_env=()
    rm -rf "$dir"
}

# stick_run OP ROUND STOP_AT ARGS...: one run of ours on the stick model; records when the bar first showed
# 100 % and when the run ended, or, with STOP_AT a percentage instead of "-", how long the stop asked for at
# that percentage took (op OP-stop).
stick_run() {
    local op=$1 round=$2 stop=$3 line code=0 status=ok
    shift 3
    [ "$stop" = - ] || set -- "$@" "$stop"
    line=$("$engine" "$op" "$@" 2>>"$out/commands.log") || code=$?
    echo "engine_bench $op $*: $line" >>"$out/commands.log"
    if [ "$stop" = - ]; then
        [ "$code" -eq 0 ] || status=failed
    else
        [ "$code" -eq 4 ] || status=failed
        op=$op-stop
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$op" "$round" "$(field "$line" full_s)" "$(field "$line" end_s)" \
        "$(field "$line" stop_s)" "$status" >>"$stick"
}

# stick_device DIR ROUNDS: split into 2 pieces and join on the model of a USB stick (24 MB/s, writeback cache and
# a block device's writeback limits), against cp + sync of the same file on the same mount; then a stop asked
# for halfway through each. Skipped with the reason where FUSE is missing.
stick_device() {
    local dir=$1 n=$2 round mount bytes=$((stick_mb * 1000000)) start
    mount=$dir/mount
    mkdir -p "$dir/device/src" "$dir/device/join" "$mount"
    if [ ! -x "$stickfs" ]; then
        echo "== $stickfs is missing (libfuse3-dev, tests not built): the stick rounds are skipped"
        return
    elif [ ! -e /dev/fuse ] || ! "$stickfs" "$dir/device" "$mount" 24000000; then
        echo "== no FUSE mount here (/dev/fuse missing or refused): the stick rounds are skipped"
        return
    fi
    stick_mount=$mount
    head -c "$bytes" /dev/urandom >"$dir/device/src/data.bin" || die "can't write $stick_mb MB in $dir"
    split -b "$((bytes / 2))" -a 3 --numeric-suffixes=1 "$dir/device/src/data.bin" "$dir/device/join/data.bin."
    echo "== stick model (24 MB/s): $stick_mb MB, $n rounds"
    for ((round = 1; round <= n; round++)); do
        remove_pieces "$dir/device/src" data.bin
        stick_run split "$round" - "$mount/src/data.bin" "$((bytes / 2))"
        check_cmd stick "engine split's pieces" same_pieces "$dir/device/src" "$dir/device/join" data.bin
        remove_pieces "$dir/device/src" data.bin
        start=$(now_us)
        cp "$mount/src/data.bin" "$mount/copy.bin" && sync "$mount/copy.bin"
        printf 'cp\t%s\t-\t%s\t-\tok\n' "$round" "$(seconds_since "$start")" >>"$stick"
        rm -f "$mount/copy.bin"
        stick_run join "$round" - "$mount/join/data.bin.001"
        check_cmd stick "engine join's output" cmp -s "$dir/device/join/data.bin" "$dir/device/src/data.bin"
        rm -f "$dir/device/join/data.bin"
        stick_run split "$round" 50 "$mount/src/data.bin" "$((bytes / 2))"
        stick_run join "$round" 50 "$mount/join/data.bin.001"
        check_cmd stick "engine stops leave nothing" test "$(ls -A "$dir/device/src" "$dir/device/join" | wc -l)" -eq 6
        echo "  stick round $round of $n done"
    done
    fusermount3 -u "$mount" && stick_mount=""
    rm -rf "$dir"
}

# peak_of WHO OP FILE ARGS...: one run's peak resident memory in KiB and its seconds, or "0 0" on failure.
peak_of() {
    local who=$1 op=$2 line kib secs
    shift 2
    if [ "$who" = engine ]; then
        /usr/bin/time -f '%M %e' -o "$out/time.txt" "$engine" "$op" "$@" >>"$out/commands.log" 2>&1 || return 1
        read -r kib secs < <(grep -E '^[0-9]+ ' "$out/time.txt" | tail -n 1)
    else
        line=$(gui_line offscreen "$op" "$@")
        [ "$(field "$line" result)" = ok ] || return 1
        kib=$(field "$line" peak_rss_kib)
        secs=$(field "$line" seconds)
    fi
    echo "${kib:-0} ${secs:-0}"
}

# memory_case LABEL DIR BYTES WHO: peak resident memory of a split and a join of a sparse file of BYTES.
memory_case() {
    local label=$1 dir=$2 bytes=$3 who=$4 op figures status
    mkdir -p "$dir"
    truncate -s "$bytes" "$dir/data.bin"
    echo "== memory: $label sparse file, $who"
    for op in split join; do
        status=ok
        if [ "$op" = split ]; then
            figures=$(peak_of "$who" split "$dir/data.bin" "$big_piece") || status=failed
            # The join rebuilds the file under the source's name.
            rm -f "$dir/data.bin"
        else
            figures=$(peak_of "$who" join "$dir/data.bin.001") || status=failed
        fi
        read -r kib secs <<<"${figures:-0 0}"
        printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$op" "$who" "${kib:-0}" "${secs:-0}" "$status" >>"$memory"
    done
    truncate -s "$bytes" "$dir/zeros.ref"
    check_cmd memory "$label $who round trip" cmp -s "$dir/data.bin" "$dir/zeros.ref"
    rm -rf "$dir"
}

# sweep_size DIR MIB PIECE: our split and join through the window against GNU split and cat at one size.
# The source goes once the splits are done, so that no more than two copies of the file are ever held; our
# join is checked against the pieces it read.
sweep_size() {
    local dir=$1 mib=$2 size_piece=$3 round who start status
    mkdir -p "$dir/src" "$dir/join"
    head -c "$((mib * 1048576))" /dev/urandom >"$dir/src/data.bin" || die "can't write $mib MiB in $dir"
    for ((round = 0; round <= chart_rounds; round++)); do
        for who in $(rotated "$round" ref gui-offscreen); do
            remove_pieces "$dir/src" data.bin
            if [ "$who" = ref ]; then
                start=$(now_us)
                status=ok
                split -b "$size_piece" -a 3 --numeric-suffixes=1 "$dir/src/data.bin" "$dir/src/data.bin." || status=failed
                sweep_record "$mib" "$size_piece" split ref "$round" "$(seconds_since "$start")" "$status"
            else
                sweep_gui "$mib" "$size_piece" split "$round" split "$dir/src/data.bin" "$size_piece"
            fi
        done
    done
    # Both joins read GNU split's pieces.
    remove_pieces "$dir/src" data.bin
    split -b "$size_piece" -a 3 --numeric-suffixes=1 "$dir/src/data.bin" "$dir/src/data.bin." ||
        die "GNU split could not lay out the pieces in $dir"
    rm -f "$dir/src/data.bin"
    for ((round = 0; round <= chart_rounds; round++)); do
        for who in $(rotated "$round" ref gui-offscreen); do
            rm -f "$dir/src/data.bin" "$dir/join/out.bin"
            if [ "$who" = ref ]; then
                start=$(now_us)
                status=ok
                cat_join "$dir/src/data.bin" "$dir/join/out.bin" || status=failed
                sweep_record "$mib" "$size_piece" join ref "$round" "$(seconds_since "$start")" "$status"
            else
                sweep_gui "$mib" "$size_piece" join "$round" join "$dir/src/data.bin.001"
                ((round == 0)) && check_cmd sweep "$mib MiB join's output" \
                    cmp -s "$dir/src/data.bin" <(cat "$dir/src/data.bin".[0-9][0-9][0-9])
            fi
        done
    done
    rm -rf "$dir"
    echo "  $mib MiB done"
}

sweep_record() { printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$sweep"; }

sweep_gui() {
    local mib=$1 size_piece=$2 op=$3 round=$4 line status
    shift 4
    line=$(gui_line offscreen "$@")
    status=$(field "$line" result)
    [ "$status" = ok ] || status=failed
    sweep_record "$mib" "$size_piece" "$op" gui-offscreen "$round" "$(field "$line" seconds)" "$status"
}

# The piece size of the chart: the default, or at big sizes the smallest whole MiB that stays under the
# 1000-piece limit.
sweep_piece() {
    local mib=$1 p
    if ((mib * 1048576 / piece < 999)); then
        echo "$piece"
        return
    fi
    p=$(((mib + 998) / 999))
    echo $((p * 1048576))
}

# A join of 3 pieces: the names it asks the file system about (strace, where it is installed), how many of them
# are missing, and its time without strace. On a network share each name is a round trip.
join_lookups() {
    local dir=$1 rounds=$2 round start status names missing
    printf 'round\tnames\tmissing\tseconds\tstatus\n' >"$lookups"
    mkdir -p "$dir" && head -c 3000000 /dev/urandom >"$dir/f.bin" || return
    cp "$dir/f.bin" "$dir/f.keep"
    "$engine" split "$dir/f.bin" 1048576 >>"$out/commands.log" 2>&1 && rm "$dir/f.bin" || return
    echo "== the lookups of a 3-piece join: $rounds rounds"
    for round in $(seq 1 "$rounds"); do
        status=ok
        start=$(now_us)
        "$engine" join "$dir/f.bin.001" >>"$out/commands.log" 2>&1 || status=failed
        local seconds
        seconds=$(seconds_since "$start")
        cmp -s "$dir/f.bin" "$dir/f.keep" || status=failed
        rm -f "$dir/f.bin"
        names=- missing=-
        if command -v strace >/dev/null; then
            strace -f -o "$dir/trace" -e trace=stat,lstat,newfstatat,statx "$engine" join "$dir/f.bin.001" \
                >>"$out/commands.log" 2>&1 || status=failed
            rm -f "$dir/f.bin"
            names=$(grep -cE '(\(|, )"[^"]' "$dir/trace")
            missing=$(grep -E '(\(|, )"[^"]' "$dir/trace" | grep -c ENOENT)
        fi
        printf '%s\t%s\t%s\t%s\t%s\n' "$round" "$names" "$missing" "$seconds" "$status" >>"$lookups"
    done
    rm -rf "$dir"
}

# The engine under Wine against a plain ReadFile/WriteFile copy of the same bytes (plain_copy.exe), both
# cross-built with the same flags by `make windows`: a ratio that moves says the engine's speed on Windows moved.
# Both sides are whole Wine processes, so Wine's start-up is in both.
windows_engine() {
    local dir=$1 rounds=$2 winbuild wine mib round src
    winbuild=$(realpath -m "${BENCH_WINDOWS_BUILD:-$(dirname "$build")/build-windows}")
    mib=${BENCH_WINDOWS_MIB:-256}
    wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
    if [ ! -x "$wine" ] || [ ! -f "$winbuild/CMakeCache.txt" ] || [ ! -f "$winbuild/wine-prefix/system.reg" ]; then
        echo "== no Windows build with a Wine prefix in $winbuild (make windows): the Wine rounds are skipped"
        return
    fi
    cmake --build "$winbuild" -j2 --target engine_bench plain_copy >>"$out/commands.log" 2>&1 || {
        echo "== engine_bench.exe or plain_copy.exe did not build: the Wine rounds are skipped"
        return
    }
    export WINEPREFIX="$winbuild/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # One server for every round, so that none of them pays for starting it.
    "$(dirname "$wine")/wineserver" -p 2>/dev/null || true
    printf 'op\twho\tround\tseconds\tstatus\n' >"$windows"
    mkdir -p "$dir" && head -c $((mib * 1048576)) /dev/urandom >"$dir/src.bin" || return
    echo "== the engine under Wine: $rounds rounds of $mib MiB, against plain_copy.exe"
    win() { echo "Z:${1//\//\\}"; }
    for round in $(seq 0 "$rounds"); do
        src=$(win "$dir/src.bin")
        timed_windows split ours "$round" "$wine" "$winbuild/engine_bench.exe" split "$src" $((mib * 262144))
        timed_windows split copy "$round" "$wine" "$winbuild/plain_copy.exe" "$src" "$(win "$dir/copy.bin")"
        rm -f "$dir/copy.bin"
        mv "$dir/src.bin" "$dir/kept.bin"
        timed_windows join ours "$round" "$wine" "$winbuild/engine_bench.exe" join "$(win "$dir/src.bin.001")"
        cmp -s "$dir/src.bin" "$dir/kept.bin" || record_windows join ours "$round" 0 failed
        timed_windows join copy "$round" "$wine" "$winbuild/plain_copy.exe" "$(win "$dir/kept.bin")" \
            "$(win "$dir/copy.bin")"
        rm -f "$dir/copy.bin" "$dir/src.bin" "$dir"/src.bin.0*
        mv "$dir/kept.bin" "$dir/src.bin"
    done
    rm -rf "$dir"
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
}

record_windows() { printf '%s\t%s\t%s\t%s\t%s\n' "$@" >>"$windows"; }

# timed_windows OP WHO ROUND COMMAND...
timed_windows() {
    local op=$1 who=$2 round=$3 start status=ok
    shift 3
    start=$(now_us)
    "$@" >>"$out/commands.log" 2>&1 || status=failed
    record_windows "$op" "$who" "$round" "$(seconds_since "$start")" "$status"
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
if ((disk_rounds > 0)) && [ "$(free_bytes "$disk_root")" -gt $((size * 6)) ]; then
    run_place disk "$disk_root/run" "$disk_rounds" "$source_dir/source.bin"
elif ((disk_rounds > 0)); then
    echo "== $disk_root lacks $((size * 6 / 1048576)) MiB: the disk rounds are skipped"
fi
if ((xfs_rounds > 0)); then
    xfs_place "$disk_root" "$xfs_rounds" "$source_dir/source.bin"
fi
if [ "$with_gui" = 1 ] && ((slow_rounds > 0)); then
    if [ -f "$slowio" ]; then
        slow_device "$source_dir/slow" "$slow_rounds"
    else
        echo "== $slowio is missing (tests not built): the slow-device rounds are skipped"
    fi
fi
((stick_rounds > 0)) && stick_device "$source_dir/stick" "$stick_rounds"
[ "${BENCH_PROFILE:-0}" = 1 ] && profile "$source_dir/profile" "$source_dir/source.bin"
rm -f "$source_dir/source.bin"
join_lookups "$source_dir/lookups" "${BENCH_LOOKUP_ROUNDS:-5}"
((${BENCH_WINDOWS_ROUNDS:-3} > 0)) && windows_engine "$source_dir/windows" "${BENCH_WINDOWS_ROUNDS:-3}"

# The memory cases: the engine alone on the big file; the window on a small and the big file, whose peaks
# must be the same, since nothing the window holds may grow with the file.
memory_root=""
if [ -n "$shm_root" ] && [ "$(free_bytes /dev/shm)" -gt $((big * 2 + size)) ]; then
    memory_root=$shm_root
elif [ "$(free_bytes "$disk_root")" -gt $((big * 2 + size)) ]; then
    memory_root=$disk_root
else
    echo "== no room for two ${big_gib} GiB files: the memory figures are skipped"
fi
if [ -n "$memory_root" ]; then
    memory_case "${big_gib} GiB" "$memory_root/big" "$big" engine
    if [ "$with_gui" = 1 ]; then
        memory_case "256 MiB" "$memory_root/small" 268435456 gui-offscreen
        memory_case "${big_gib} GiB" "$memory_root/big" "$big" gui-offscreen
    fi
fi

if [ "$with_gui" = 1 ] && [ -n "$shm_root" ]; then
    echo "== throughput against file size: $chart_rounds rounds at each of $chart_sizes MiB"
    for mib in $chart_sizes; do
        if [ "$(free_bytes /dev/shm)" -gt $((mib * 1048576 * 2 + 268435456)) ]; then
            sweep_size "$shm_root/sweep" "$mib" "$(sweep_piece "$mib")"
        else
            echo "  /dev/shm lacks room for two copies of $mib MiB: skipped"
        fi
    done
fi

/usr/bin/python3 "$here/summarize.py" --out "$out" --size-mib "$size_mib" --piece "$piece" \
    --rounds "$rounds" --disk-rounds "$disk_rounds" --xfs-rounds "$xfs_rounds" --xfs-piece "$xfs_piece" \
    --busy-rounds "$busy_rounds" --chart-rounds "$chart_rounds" \
    --slow-mib "$slow_mib" --stick-mb "$stick_mb"
status=$?
if [ -s "$out/sweep.dat" ]; then
    if command -v gnuplot >/dev/null; then
        gnuplot -e "datafile='$out/sweep.dat'; outfile='$out/throughput.png'" "$here/chart.gp" &&
            echo "(chart written to $out/throughput.png)"
    else
        echo "(gnuplot is missing: no chart; install gnuplot-nox)"
    fi
fi
exit $status
