#!/usr/bin/env python3
"""Reads Google Benchmark JSON (with median aggregates) and prints the targets: each figure,
its limit and whether it is met. Exits 1 when a target is missed."""
import json
import sys


def medians(path):
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
            result[b["run_name"]] = b["real_time"] * unit
    return result


def main():
    m = medians(sys.argv[1])
    enc = {0: "utf8", 1: "utf16le", 2: "ansi"}
    rows = []

    def check(what, value, limit, fmt="{:.2f}"):
        rows.append((what, fmt.format(value), fmt.format(limit), value <= limit))

    for e, name in enc.items():
        t100k = m[f"BM_Load/100000/{e}"]
        t10k = m[f"BM_Load/10000/{e}"]
        check(f"load {name}: time(100,000) / time(10,000)", t100k / t10k, 12.0)
    check("load utf8 10,000 / iconv of the same bytes",
          m["BM_Load/10000/0"] / m["BM_BaselineIconv/10000/0"], 3.0)
    check("DetectEncoding 64 MiB / 1 MiB",
          m["BM_DetectEncoding/64"] / m["BM_DetectEncoding/1"], 1.2)
    check("load of 1,000 functions (utf8), ms", m["BM_Load/1000/0"] * 1e3, 2.0, "{:.3f}")
    check('"]" time(32,768) / time(8,192)',
          m["BM_CloseBracket64Open/32768"] / m["BM_CloseBracket64Open/8192"], 5.0)
    check('"]" at 32,768 units (64 open), ms', m["BM_CloseBracket64Open/32768"] * 1e3, 0.5,
          "{:.4f}")
    check('"]" at 32,768 units (nested calls), ms',
          m["BM_CloseBracketNestedCalls/32768"] * 1e3, 0.5, "{:.4f}")
    check('"[" against 100,000 functions, us', m["BM_OpenBracket100k"] * 1e6, 10.0, "{:.3f}")

    width = max(len(r[0]) for r in rows)
    print()
    print(f"{'target'.ljust(width)}  {'measured':>10}  {'limit':>8}  met")
    for what, value, limit, ok in rows:
        print(f"{what.ljust(width)}  {value:>10}  {limit:>8}  {'yes' if ok else 'NO'}")
    met = sum(1 for r in rows if r[3])
    print(f"\n{met} passed, {len(rows) - met} failed")

    # Not a target: what a reload pays when glibc still holds the previous table's blocks.
    r10k, r100k = m.get("BM_LoadRightAfterFree/10000/0"), m.get("BM_LoadRightAfterFree/100000/0")
    if r10k and r100k:
        print(f"\nutf8 load right after freeing the last table: 10,000 {r10k * 1e3:.2f} ms, "
              f"100,000 {r100k * 1e3:.1f} ms (ratio {r100k / r10k:.2f})")
    return 0 if met == len(rows) else 1


if __name__ == "__main__":
    sys.exit(main())
