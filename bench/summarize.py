#!/usr/bin/python3
"""Turns the samples written by bench/run.sh into the printed verdicts, BUILD/bench/results.md and the chart's
data file BUILD/bench/sweep.dat.

Exit status 1 when a run of ours failed or wrote wrong bytes, else 0: a missed target is news, not a failure.
"""

import argparse
import csv
import datetime
import platform
import statistics
import sys
from pathlib import Path

# (place, op, who) -> the most ours may take as a multiple of the reference's time in the same round.
# A row without a target is measured for the record only.
TARGETS = {
    # The window adds only a thread and a timer to the engine's work: it must keep the same pace as the tools.
    ("tmpfs", "split", "engine"): 1.0,
    ("tmpfs", "join", "engine"): 1.0,
    ("tmpfs", "split", "gui-offscreen"): 1.0,
    ("tmpfs", "join", "gui-offscreen"): 1.0,
    ("tmpfs", "split", "gui-xvfb"): 1.0,
    ("tmpfs", "join", "gui-xvfb"): 1.0,
    # Where blocks are shared the split costs metadata only, while GNU split writes every byte.
    ("xfs", "split", "engine"): 0.1,
    ("disk", "split", "engine"): 1.0,
    ("disk", "join", "engine"): 1.0,
}
REFERENCE = {"split": "GNU split", "join": "cat + sync"}
WHO = {
    "engine": "engine alone",
    "gui-offscreen": "window, offscreen",
    "gui-xvfb": "window, Xvfb",
    "busy-offscreen": "window, offscreen, busy user",
    "busy-xvfb": "window, Xvfb, busy user",
    "start": "a process that does nothing (/bin/true)",
}
# The longest the window may go without a turn of its event loop, per run (median over the runs).
GAP_LIMIT_MS = 50.0
# The same on a device slowed to 4 MB/s with a 3 s flush: the copy and the flush run beside the event loop.
SLOW_GAP_LIMIT_MS = 20.0
# Peak resident memory per process, and how much more the window may hold for the big file than the small.
MEMORY_LIMIT_MB = {"engine": 20.0, "gui-offscreen": 80.0}
GROWTH_LIMIT_MB = 4.0
# The used space ours may add on XFS per split or join: less than one piece.
SPACE_LIMIT_MIB = 64.0


# On the stick model: the bar may show 100 % for at most this share of the run, and the run may take this much
# longer than cp + sync of the same file.
STICK_SHARE_LIMIT = 0.05
STICK_RATIO_LIMIT = 1.15


def read_tsv(path):
    if not path.exists():
        return []
    with path.open(newline="") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def number(text):
    try:
        return float(text)
    except (TypeError, ValueError):
        return None


def median(xs):
    xs = [x for x in xs if x is not None]
    return statistics.median(xs) if xs else None


def in_order(rows, key):
    seen = []
    for r in rows:
        if r[key] not in seen:
            seen.append(r[key])
    return seen


def ok_seconds(row):
    return number(row["seconds"]) if row["status"] == "ok" else None


def paired_ratios(rows, who):
    """Ours over the reference, round by round: pairing the commands of one round cancels most of the
    machine's drift over the run."""
    by_round = {}
    for r in rows:
        by_round.setdefault(r["round"], {})[r["who"]] = r
    ratios = []
    for pair in by_round.values():
        if who in pair and "ref" in pair:
            ours, ref = ok_seconds(pair[who]), ok_seconds(pair["ref"])
            if ours is not None and ref:
                ratios.append(ours / ref)
    return ratios


def summarize_times(samples, place, op, who):
    rows = [s for s in samples if s["place"] == place and s["op"] == op]
    counted = [s for s in rows if s["round"] != "0"]
    # A failure in the warm-up round counts too: it is the same command on the same file.
    mine = [s for s in rows if s["who"] == who]
    return {
        "place": place,
        "op": op,
        "who": who,
        "ours": median(ok_seconds(s) for s in counted if s["who"] == who),
        "ref": median(ok_seconds(s) for s in counted if s["who"] == "ref"),
        "ratio": median(paired_ratios(counted, who)),
        "failed": sum(1 for s in mine if s["status"] != "ok"),
        "runs": len(mine),
    }


def failed_checks_of(checks, place, who, op):
    return [c for c in checks if c["place"] == place and c["what"].startswith(f"{who} {op}")
            and c["status"] != "ok"]


def rate(seconds, mib):
    return f"{mib / seconds:.0f}" if seconds else "-"


def seconds_text(value):
    return f"{value:.3f}" if value is not None else "-"


def time_table(samples, checks, size_mib):
    lines = [
        "| where | operation | ours | ours (s) | ours (MiB/s) | reference | reference (s) | reference (MiB/s) "
        "| ratio ours/ref | target | verdict |",
        "|---|---|---|---:|---:|---|---:|---:|---:|---|---|",
    ]
    rows = []
    for place in in_order(samples, "place"):
        if place == "slow":
            continue
        for op in ("split", "join"):
            whos = [w for w in in_order([s for s in samples if s["place"] == place], "who")
                    if w != "ref" and not w.startswith("busy-")]
            for who in whos:
                row = summarize_times(samples, place, op, who)
                if not row["runs"]:
                    continue
                rows.append(row)
                bad = failed_checks_of(checks, place, who, op)
                target = TARGETS.get((place, op, who))
                if row["failed"] or bad:
                    result = f"FAIL ({row['failed']} of {row['runs']} runs failed)" if row["failed"] else \
                        "FAIL (wrong bytes)"
                elif row["ratio"] is None:
                    result = "n/a"
                elif target is None:
                    result = "record"
                else:
                    result = "PASS" if row["ratio"] <= target else "MISS"
                ratio = f"{row['ratio']:.2f}x" if row["ratio"] is not None else "-"
                target_text = f"<= {target:.1f}x" if target is not None else "(record)"
                lines.append(f"| {place} | {op} | {WHO.get(who, who)} | {seconds_text(row['ours'])} "
                             f"| {rate(row['ours'], size_mib)} | {REFERENCE[op]} | {seconds_text(row['ref'])} "
                             f"| {rate(row['ref'], size_mib)} | {ratio} | {target_text} | {result} |")
    return lines, rows


def window_table(samples, checks, size_mib):
    """What the user feels of the window during the tmpfs runs: the event loop's longest absence, the
    progress box's paints, the heap allocations and the peak memory."""
    lines = [
        "| operation | window | runs | median (s) | longest gap, median (ms) | longest gap, worst (ms) "
        "| progress paints | allocations per MiB | peak resident (MB) | user actions | gap target | verdict |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---|---|",
    ]
    bad_runs = 0
    for op in ("split", "join"):
        for who in WHO:
            if who == "engine":
                continue
            rows = [s for s in samples if s["place"] == "tmpfs" and s["op"] == op and s["who"] == who
                    and s["round"] != "0"]
            if not rows:
                continue
            failed = sum(1 for s in rows if s["status"] != "ok")
            bad = failed_checks_of(checks, "tmpfs", who, op)
            bad_runs += failed + len(bad)
            ok = [s for s in rows if s["status"] == "ok"]
            gaps = [number(s["gap_ms"]) for s in ok]
            gap_median = median(gaps)
            worst = max((g for g in gaps if g is not None), default=None)
            allocs = median(number(s["allocations"]) for s in ok)
            rss = median(number(s["rss_kib"]) for s in ok)
            if failed or bad:
                result = "FAIL (run failed)" if failed else "FAIL (wrong bytes)"
            elif gap_median is None:
                result = "n/a"
            else:
                result = "PASS" if gap_median <= GAP_LIMIT_MS else "MISS"
            fmt = lambda v, pattern: format(v, pattern) if v is not None else "-"
            lines.append(
                f"| {op} | {WHO[who]} | {len(rows)} | {seconds_text(median(ok_seconds(s) for s in ok))} "
                f"| {fmt(gap_median, '.1f')} | {fmt(worst, '.1f')} "
                f"| {fmt(median(number(s['paints']) for s in ok), '.0f')} "
                f"| {fmt(allocs / size_mib if allocs is not None else None, '.1f')} "
                f"| {fmt(rss * 1024 / 1e6 if rss is not None else None, '.1f')} "
                f"| {fmt(median(number(s.get('actions')) for s in ok), '.0f')} "
                f"| <= {GAP_LIMIT_MS:.0f} ms | {result} |")
    return lines, bad_runs


def slow_table(samples, checks):
    """The window on the slow device: the longest gap of each run, median and worst."""
    lines = ["| operation | runs | median (s) | longest gap, median (ms) | longest gap, worst (ms) | gap target "
             "| verdict |",
             "|---|---:|---:|---:|---:|---|---|"]
    bad_runs = 0
    for op in ("split", "join"):
        rows = [s for s in samples if s["place"] == "slow" and s["op"] == op]
        if not rows:
            continue
        failed = sum(1 for s in rows if s["status"] != "ok")
        bad = failed_checks_of(checks, "slow", "gui-offscreen", op)
        bad_runs += failed + len(bad)
        ok = [s for s in rows if s["status"] == "ok"]
        gaps = [g for g in (number(s["gap_ms"]) for s in ok) if g is not None]
        gap_median = median(gaps)
        if failed or bad:
            result = "FAIL (run failed)" if failed else "FAIL (wrong bytes)"
        elif gap_median is None:
            result = "n/a"
        else:
            result = "PASS" if gap_median <= SLOW_GAP_LIMIT_MS else "MISS"
        fmt = lambda v: f"{v:.1f}" if v is not None else "-"
        lines.append(f"| {op} | {len(rows)} | {seconds_text(median(ok_seconds(s) for s in ok))} | {fmt(gap_median)} "
                     f"| {fmt(max(gaps, default=None))} | <= {SLOW_GAP_LIMIT_MS:.0f} ms | {result} |")
    return lines, bad_runs


def stick_table(stick, checks):
    """Ours on the stick model against cp + sync: how much of the run the bar spent full, the time, the stop."""
    lines = ["| operation | runs | time (s) | cp + sync (s) | ratio | share after 100 % | stop (s) | targets "
             "| verdict |",
             "|---|---:|---:|---:|---:|---:|---:|---|---|"]
    bad_runs = 0
    copies = {r["round"]: number(r["end_s"]) for r in stick if r["op"] == "cp" and r["status"] == "ok"}
    for op in ("split", "join"):
        rows = [r for r in stick if r["op"] == op]
        stops = [r for r in stick if r["op"] == op + "-stop"]
        if not rows:
            continue
        failed = sum(1 for r in rows + stops if r["status"] != "ok")
        bad = [c for c in checks if c["place"] == "stick" and c["status"] != "ok"]
        bad_runs += failed + len(bad)
        ok = [r for r in rows if r["status"] == "ok"]
        shares = [1 - number(r["full_s"]) / number(r["end_s"]) for r in ok if number(r["full_s"]) is not None]
        ratios = [number(r["end_s"]) / copies[r["round"]] for r in ok if copies.get(r["round"])]
        share, ratio = median(shares), median(ratios)
        stop = median(number(r["stop_s"]) for r in stops if r["status"] == "ok")
        if failed or bad:
            result = "FAIL (run failed)" if failed else "FAIL (wrong bytes or leftovers)"
        elif share is None or ratio is None:
            result = "n/a"
        else:
            result = "PASS" if share <= STICK_SHARE_LIMIT and ratio <= STICK_RATIO_LIMIT else "MISS"
        fmt = lambda v, how: format(v, how) if v is not None else "-"
        lines.append(f"| {op} | {len(rows)} | {seconds_text(median(number(r['end_s']) for r in ok))} "
                     f"| {seconds_text(median(copies.values()))} | {fmt(ratio, '.2f')}x "
                     f"| {fmt(share * 100 if share is not None else None, '.1f')} % | {fmt(stop, '.3f')} "
                     f"| <= {STICK_SHARE_LIMIT * 100:.0f} %, <= {STICK_RATIO_LIMIT:.2f}x | {result} |")
    return lines, bad_runs


def lookups_table(lookups):
    """The names a 3-piece join asks the file system about (all, and those missing), beside its time."""
    ok = [r for r in lookups if r["status"] == "ok"]
    names = median(number(r["names"]) for r in ok if number(r["names"]) is not None)
    missing = median(number(r["missing"]) for r in ok if number(r["missing"]) is not None)
    fmt = lambda v: f"{v:.0f}" if v is not None else "- (no strace)"
    return ["| operation | runs | names looked up | of them missing | time (s) |",
            "|---|---:|---:|---:|---:|",
            f"| join of 3 pieces (3 MB) | {len(lookups)} | {fmt(names)} | {fmt(missing)} "
            f"| {seconds_text(median(number(r['seconds']) for r in ok))} |"], len(lookups) - len(ok)


def windows_table(windows):
    """The engine under Wine against plain_copy.exe, paired round by round (round 0 is the warm-up)."""
    lines = ["| operation | runs | ours (s) | plain ReadFile/WriteFile (s) | ratio |", "|---|---:|---:|---:|---:|"]
    bad = 0
    for op in ("split", "join"):
        rows = [r for r in windows if r["op"] == op and r["round"] != "0"]
        bad += sum(1 for r in rows if r["status"] != "ok")
        ours = {r["round"]: number(r["seconds"]) for r in rows if r["who"] == "ours" and r["status"] == "ok"}
        copy = {r["round"]: number(r["seconds"]) for r in rows if r["who"] == "copy" and r["status"] == "ok"}
        ratios = [ours[k] / copy[k] for k in ours if copy.get(k)]
        ratio = median(ratios)
        lines.append(f"| {op} | {len(ours)} | {seconds_text(median(ours.values()))} "
                     f"| {seconds_text(median(copy.values()))} | {format(ratio, '.2f') + 'x' if ratio else '-'} |")
    return lines, bad


def memory_table(memory, checks):
    lines = ["| case | operation | process | peak resident (MB) | time (s) | target | verdict |",
             "|---|---|---|---:|---:|---|---|"]
    for m in memory:
        mb = int(m["kib"]) * 1024 / 1e6
        limit = MEMORY_LIMIT_MB.get(m["who"], 20.0)
        bad_trip = any(c["place"] == "memory" and c["what"] == f"{m['case']} {m['who']} round trip"
                       and c["status"] != "ok" for c in checks)
        if m["status"] != "ok":
            result = "FAIL (run failed)"
        elif bad_trip:
            result = "FAIL (wrong bytes)"
        else:
            result = "PASS" if mb < limit else "MISS"
        lines.append(f"| {m['case']} sparse | {m['op']} | {WHO.get(m['who'], m['who'])} | {mb:.1f} "
                     f"| {seconds_text(number(m['seconds']))} | < {limit:.0f} MB | {result} |")
    lines += growth_lines(memory)
    return lines


def growth_lines(memory):
    """The window's peak must not depend on the file's size: the same operation on the small and the big
    sparse file."""
    gui = [m for m in memory if m["who"] == "gui-offscreen" and m["status"] == "ok"]
    cases = in_order(gui, "case")
    if len(cases) < 2:
        return []
    small, big = cases[0], cases[-1]
    lines = [""]
    for op in ("split", "join"):
        a = [int(m["kib"]) for m in gui if m["case"] == small and m["op"] == op]
        b = [int(m["kib"]) for m in gui if m["case"] == big and m["op"] == op]
        if a and b:
            growth = (b[0] - a[0]) * 1024 / 1e6
            verdict = "PASS" if growth < GROWTH_LIMIT_MB else "MISS"
            lines.append(f"Window {op}: peak at {big} minus peak at {small}: {growth:+.1f} MB "
                         f"(target < {GROWTH_LIMIT_MB:.0f} MB): {verdict}.")
    return lines


def space_table(space):
    """The used space each command added on the XFS image (df after sync), medians of the counted rounds."""
    lines = ["| operation | who | used space added, median (MiB) | largest (MiB) | target | verdict |",
             "|---|---|---:|---:|---|---|"]
    for op in ("split", "join"):
        for who in [w for w in in_order(space, "who") if w != "start"]:
            added = [int(s["added_kib"]) / 1024 for s in space
                     if s["op"] == op and s["who"] == who and s["round"] != "0"]
            if not added:
                continue
            name = REFERENCE[op] if who == "ref" else WHO.get(who, who)
            if who == "ref":
                target_text, result = "(reference)", "record"
            else:
                target_text = f"< {SPACE_LIMIT_MIB:.0f} MiB"
                result = "PASS" if median(added) < SPACE_LIMIT_MIB else "MISS"
            lines.append(f"| {op} | {name} | {median(added):.1f} | {max(added):.1f} | {target_text} | {result} |")
    return lines


def sweep_table(sweep, out):
    """Throughput against file size, medians of the counted rounds; also writes the chart's data."""
    lines = ["| size (MiB) | piece (bytes) | GNU split (MiB/s) | our split (MiB/s) | split ratio | cat + sync (MiB/s) "
             "| our join (MiB/s) | join ratio |",
             "|---:|---:|---:|---:|---:|---:|---:|---:|"]
    data = ["# size_mib gnu_split our_split cat_sync our_join (MiB/s)"]
    failed = sum(1 for s in sweep if s["status"] != "ok" and s["who"] != "ref")
    for size in sorted({int(s["size_mib"]) for s in sweep}):
        rows = [s for s in sweep if int(s["size_mib"]) == size and s["round"] != "0"]
        piece = rows[0]["piece"] if rows else "-"
        med = {(op, who): median(ok_seconds(s) for s in rows if s["op"] == op and s["who"] == who)
               for op in ("split", "join") for who in ("ref", "gui-offscreen")}
        speed = {k: (size / v if v else None) for k, v in med.items()}
        ratio = lambda op: (f"{med[(op, 'gui-offscreen')] / med[(op, 'ref')]:.2f}x"
                            if med[(op, "gui-offscreen")] and med[(op, "ref")] else "-")
        fmt = lambda v: f"{v:.0f}" if v else "-"
        lines.append(f"| {size} | {piece} | {fmt(speed[('split', 'ref')])} | {fmt(speed[('split', 'gui-offscreen')])} "
                     f"| {ratio('split')} | {fmt(speed[('join', 'ref')])} | {fmt(speed[('join', 'gui-offscreen')])} "
                     f"| {ratio('join')} |")
        values = [speed[k] for k in (("split", "ref"), ("split", "gui-offscreen"), ("join", "ref"),
                                     ("join", "gui-offscreen"))]
        data.append(f"{size} " + " ".join(f"{v:.1f}" if v else "NaN" for v in values))
    (out / "sweep.dat").write_text("\n".join(data) + "\n")
    return lines, failed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--size-mib", type=int, required=True)
    parser.add_argument("--piece", type=int, required=True)
    parser.add_argument("--rounds", type=int, required=True)
    parser.add_argument("--disk-rounds", type=int, required=True)
    parser.add_argument("--xfs-rounds", type=int, default=0)
    parser.add_argument("--xfs-piece", type=int, default=0)
    parser.add_argument("--busy-rounds", type=int, default=0)
    parser.add_argument("--chart-rounds", type=int, default=0)
    parser.add_argument("--slow-mib", type=int, default=0)
    parser.add_argument("--stick-mb", type=int, default=0)
    args = parser.parse_args()

    samples = read_tsv(args.out / "samples.tsv")
    checks = read_tsv(args.out / "checks.tsv")
    memory = read_tsv(args.out / "memory.tsv")
    sweep = read_tsv(args.out / "sweep.tsv")
    space = read_tsv(args.out / "space.tsv")
    stick = read_tsv(args.out / "stick.tsv") if (args.out / "stick.tsv").exists() else []
    lookups = read_tsv(args.out / "lookups.tsv") if (args.out / "lookups.tsv").exists() else []
    windows = read_tsv(args.out / "windows.tsv") if (args.out / "windows.tsv").exists() else []

    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.processor() or "unknown CPU")
    header = [
        "# Benchmark results",
        "",
        f"{datetime.datetime.now():%Y-%m-%d %H:%M}, {cpu}, {Path('/proc/cpuinfo').read_text().count('processor')}"
        f" cores, Linux {platform.release()}.",
        f"A {args.size_mib} MiB file of random bytes in pieces of {args.piece} bytes; medians of {args.rounds} "
        f"interleaved rounds on tmpfs (/dev/shm) and {args.disk_rounds} on the disk, each after an uncounted "
        "warm-up round that also checks the bytes. The joins flush the output to the disk (fsync), as ours "
        "does; on the disk GNU split is followed by a sync of its pieces and their folder, as ours flushes both. The window's times run from the click on the start button to the outcome box (Qt's start-up "
        "is not counted); the references are whole processes.",
        "",
    ]
    time_lines, rows = time_table(samples, checks, args.size_mib)
    body = ["## Time against the references", ""] + time_lines
    window_lines, window_bad = window_table(samples, checks, args.size_mib)
    if len(window_lines) > 2:
        body += ["", "## The window during a run",
                 "",
                 f"tmpfs, {args.size_mib} MiB. A busy user moves the window, repaints it, switches the tabs and "
                 f"opens the About window throughout the run ({args.busy_rounds} rounds). The gap is the longest "
                 "time between two turns of the event loop.",
                 ""] + window_lines
    if space:
        body += ["", "## Used space on XFS",
                 "",
                 f"A loop-mounted XFS image, {args.size_mib} MiB in pieces of {args.xfs_piece} bytes, "
                 f"{args.xfs_rounds} rounds; its split and join times are in the xfs rows above.",
                 ""] + space_table(space)
    slow_lines, slow_bad = slow_table(samples, checks)
    if len(slow_lines) > 2:
        body += ["", "## The window on a slow device",
                 "",
                 f"{args.slow_mib} MiB through the window (offscreen), every read and write of a regular file held "
                 "to 4 MB/s and every flush to 3 s. The gap is the longest time between two turns of the event "
                 "loop.",
                 ""] + slow_lines
    stick_lines, stick_bad = stick_table(stick, checks)
    if len(stick_lines) > 2:
        body += ["", "## On a USB stick's model",
                 "",
                 f"{args.stick_mb} MB split into 2 pieces and joined, the engine alone, on the tests' FUSE model of a "
                 "stick (24 MB/s, writeback cache, a block device's writeback limits). The share is the part of the "
                 "run the bar spent at 100 %; the stop is asked for at 50 % and timed to the end of the run.",
                 ""] + stick_lines
    lookups_bad = windows_bad = 0
    if lookups:
        lookup_lines, lookups_bad = lookups_table(lookups)
        body += ["", "## The names a join asks about",
                 "",
                 "On a network share every name asked about is a round trip. The engine alone, medians; the names "
                 "are counted under strace (stat, lstat, newfstatat, statx with a name), the time without it.",
                 ""] + lookup_lines
    if windows:
        windows_lines, windows_bad = windows_table(windows)
        body += ["", "## The engine under Wine",
                 "",
                 "engine_bench.exe against plain_copy.exe (ReadFile/WriteFile through a 1 MiB buffer, one flush), "
                 "both cross-built with the same flags and timed as whole Wine processes on /dev/shm; the split "
                 "in 4 pieces, the join of them. The ratio is the figure to watch.",
                 ""] + windows_lines
    body += ["", "## Peak memory", ""] + (memory_table(memory, checks) if memory else ["(no memory figures)"])
    sweep_failed = 0
    if sweep:
        sweep_lines, sweep_failed = sweep_table(sweep, args.out)
        body += ["", "## Throughput against file size",
                 "",
                 f"Our split and join through the window (offscreen) against GNU split and cat + sync, medians of "
                 f"{args.chart_rounds} rounds on tmpfs.",
                 ""] + sweep_lines
    failed_checks = [c for c in checks if c["status"] != "ok"]
    if failed_checks:
        body += ["", "Failed checks: " + "; ".join(f"{c['place']}: {c['what']}" for c in failed_checks)]

    text = "\n".join(header + body) + "\n"
    (args.out / "results.md").write_text(text)
    print()
    print("\n".join(body))
    print(f"\n(written to {args.out / 'results.md'})")

    broken = (any(r["failed"] for r in rows) or failed_checks or window_bad or slow_bad or sweep_failed or stick_bad
              or lookups_bad or windows_bad
              or any(m["status"] != "ok" for m in memory))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
