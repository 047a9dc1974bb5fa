#!/usr/bin/python3
"""Turns the samples written by bench/run.sh into the printed verdicts and BUILD/bench/results.md.

Exit status 1 when a run of ours failed or wrote wrong bytes, else 0: a missed target is news, not a failure.
"""

import argparse
import csv
import datetime
import platform
import statistics
import sys
from pathlib import Path

# (place, op) -> (reference's label, the most ours may take as a multiple of the reference's time).
# A place without a target is measured for the record only.
TARGETS = {
    ("tmpfs", "split"): 1.0,
    ("tmpfs", "join"): 1.2,
}
REFERENCE = {"split": "GNU split", "join": "cat + sync"}
MEMORY_LIMIT_MB = 20.0


def read_tsv(path):
    if not path.exists():
        return []
    with path.open(newline="") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def places_in_order(samples):
    seen = []
    for s in samples:
        if s["place"] not in seen:
            seen.append(s["place"])
    return seen


def summarize_times(samples, place, op, size_mib):
    """Medians of ours and of the reference, and the median of the per-round ratios: pairing the two
    commands of one round cancels most of the machine's drift over the run."""
    rows = [s for s in samples if s["place"] == place and s["op"] == op and s["round"] != "0"]
    by_round = {}
    for s in rows:
        by_round.setdefault(s["round"], {})[s["who"]] = s
    # A failure in the warm-up round counts too: it is the same command on the same file.
    all_ours = [s for s in samples if s["place"] == place and s["op"] == op and s["who"] == "ours"]
    failed = sum(1 for s in all_ours if s["status"] != "ok")
    ours = [float(s["seconds"]) for s in rows if s["who"] == "ours" and s["status"] == "ok"]
    ref = [float(s["seconds"]) for s in rows if s["who"] == "ref" and s["status"] == "ok"]
    ratios = [
        float(pair["ours"]["seconds"]) / float(pair["ref"]["seconds"])
        for pair in by_round.values()
        if "ours" in pair and "ref" in pair
        and pair["ours"]["status"] == "ok" and pair["ref"]["status"] == "ok"
        and float(pair["ref"]["seconds"]) > 0
    ]
    med = lambda xs: statistics.median(xs) if xs else None
    return {
        "place": place,
        "op": op,
        "ours": med(ours),
        "ref": med(ref),
        "ratio": med(ratios),
        "failed": failed,
        "runs": len(all_ours),
        "size_mib": size_mib,
    }


def verdict(row, checks_failed):
    if row["failed"] or checks_failed:
        return "FAIL"
    if row["ratio"] is None:
        return "n/a"
    target = TARGETS.get((row["place"], row["op"]))
    if target is None:
        return "record"
    return "PASS" if row["ratio"] <= target else "MISS"


def fmt_seconds(value, size_mib):
    if value is None:
        return "-", "-"
    return f"{value:.3f}", f"{size_mib / value:.0f}" if value > 0 else "-"


def time_table(rows, checks):
    lines = [
        "| where | operation | ours (s) | ours (MiB/s) | reference | reference (s) | reference (MiB/s) "
        "| ratio ours/ref | target | verdict |",
        "|---|---|---:|---:|---|---:|---:|---:|---|---|",
    ]
    for row in rows:
        failed_checks = [c for c in checks if c["place"] == row["place"] and row["op"] in c["what"]
                         and "our" in c["what"] and c["status"] != "ok"]
        ours_s, ours_rate = fmt_seconds(row["ours"], row["size_mib"])
        ref_s, ref_rate = fmt_seconds(row["ref"], row["size_mib"])
        ratio = f"{row['ratio']:.2f}x" if row["ratio"] is not None else "-"
        target = TARGETS.get((row["place"], row["op"]))
        target_text = f"<= {target:.1f}x" if target is not None else "(record)"
        result = verdict(row, failed_checks)
        if row["failed"]:
            result += f" ({row['failed']} of {row['runs']} runs failed)"
        elif failed_checks:
            result += " (wrong bytes)"
        lines.append(f"| {row['place']} | {row['op']} | {ours_s} | {ours_rate} | {REFERENCE[row['op']]} | {ref_s} "
                     f"| {ref_rate} | {ratio} | {target_text} | {result} |")
    return lines


def memory_table(memory, checks):
    lines = ["| case | operation | peak resident (MB) | time (s) | target | verdict |", "|---|---|---:|---:|---|---|"]
    for m in memory:
        mb = int(m["kib"]) * 1024 / 1e6
        bad_trip = any(c["place"] == "memory" and c["what"].startswith(m["case"]) and c["status"] != "ok"
                       for c in checks)
        if m["status"] != "ok":
            result = "FAIL (run failed)"
        elif bad_trip:
            result = "FAIL (wrong bytes)"
        else:
            result = "PASS" if mb < MEMORY_LIMIT_MB else "MISS"
        lines.append(f"| {m['case']} sparse | {m['op']} | {mb:.1f} | {m['seconds']} | < {MEMORY_LIMIT_MB:.0f} MB "
                     f"| {result} |")
    return lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--size-mib", type=int, required=True)
    parser.add_argument("--piece", type=int, required=True)
    parser.add_argument("--rounds", type=int, required=True)
    parser.add_argument("--disk-rounds", type=int, required=True)
    args = parser.parse_args()

    samples = read_tsv(args.out / "samples.tsv")
    checks = read_tsv(args.out / "checks.tsv")
    memory = read_tsv(args.out / "memory.tsv")

    rows = [summarize_times(samples, place, op, args.size_mib)
            for place in places_in_order(samples) for op in ("split", "join")]

    cpu = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                if line.startswith("model name")), platform.processor() or "unknown CPU")
    header = [
        "# Benchmark results",
        "",
        f"{datetime.datetime.now():%Y-%m-%d %H:%M}, {cpu}, Linux {platform.release()}.",
        f"A {args.size_mib} MiB file of random bytes in pieces of {args.piece} bytes; medians of {args.rounds} "
        f"interleaved rounds on tmpfs (/dev/shm) and {args.disk_rounds} on the disk, each after an uncounted "
        "warm-up round that also checks the bytes. The joins flush the output "
        "to the disk (fsync), as ours does.",
        "",
    ]
    body = time_table(rows, checks) + [""] + (memory_table(memory, checks) if memory else ["(no memory figures)"])
    failed_checks = [c for c in checks if c["status"] != "ok"]
    if failed_checks:
        body += ["", "Failed checks: " + "; ".join(f"{c['place']}: {c['what']}" for c in failed_checks)]

    text = "\n".join(header + body) + "\n"
    (args.out / "results.md").write_text(text)
    print()
    print("\n".join(body))
    print(f"\n(written to {args.out / 'results.md'})")

    broken = (any(r["failed"] for r in rows) or failed_checks
              or any(m["status"] != "ok" for m in memory))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
