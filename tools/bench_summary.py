#!/usr/bin/env python3
"""Reads Google Benchmark JSON (with median aggregates) and, optionally, the files that the
Windows benchmark program wrote for each DLL; prints the targets: each figure, its limit and
whether it is met, then the DLLs' figures beside the Linux build's. Exits 1 when a target is
missed.

    bench_summary.py RESULTS.json [DLL-RESULTS.txt ...]
"""
import json
import sys

ENCODINGS = ("utf8", "utf16le", "ansi")


def medians(path):
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
            # A case with a fixed number of runs is named with it: drop that part.
            name = b["run_name"].split("/iterations:")[0]
            result[name] = b["real_time"] * unit
    return result


def dll_figures(path):
    """The Windows benchmark program's lines: '# HintbarBench x86', then 'case seconds runs'."""
    bitness, figures = None, {}
    with open(path) as f:
        for line in f:
            words = line.split()
            if line.startswith("# HintbarBench") and len(words) >= 3:
                bitness = words[2]
            elif len(words) == 3 and not line.startswith("#"):
                figures[words[0]] = float(words[1])
    return bitness or path, figures


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    m = medians(sys.argv[1])
    dlls = [dll_figures(p) for p in sys.argv[2:]]
    rows = []

    def check(what, value, limit, fmt="{:.2f}"):
        rows.append((what, fmt.format(value), fmt.format(limit), value <= limit))

    for e in ENCODINGS:
        check(f"load {e} 10,000 / iconv of the same bytes",
              m[f"BM_Load/10000/{e}"] / m[f"BM_BaselineIconv/10000/{e}"], 1.2)
    for e in ENCODINGS:
        check(f"load {e}: time(100,000) / time(10,000)",
              m[f"BM_Load/100000/{e}"] / m[f"BM_Load/10000/{e}"], 11.0)
    for e in ENCODINGS:
        check(f"load {e} right after a free: time(100,000) / time(10,000)",
              m[f"BM_LoadRightAfterFree/100000/{e}"] / m[f"BM_LoadRightAfterFree/10000/{e}"],
              11.0)
    check("unload of 100,000 / free() of 300,000 blocks",
          m["BM_ShutdownFrees100k"] / m["BM_BaselineFree100k"], 2.0)
    for bitness, figures in dlls:
        check(f"{bitness} DLL under Wine, load utf8 10,000 / the Linux build's",
              figures["load/10000/utf8"] / m["BM_Load/10000/utf8"], 2.0)
        check(f'{bitness} DLL, "[" with the help window / on the status bar',
              figures["open-bracket/window"] / figures["open-bracket/console"], 2.0)
        check(f"{bitness} DLL, the help window shows the text, ms",
              figures["help-window/shown"] * 1e3, 30.0, "{:.2f}")
    check("DetectEncoding 64 MiB / 1 MiB",
          m["BM_DetectEncoding/64"] / m["BM_DetectEncoding/1"], 1.2)
    check("load of 1,000 functions (utf8), ms", m["BM_Load/1000/utf8"] * 1e3, 2.0, "{:.3f}")
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

    # The same cases in every build of this run, side by side, in milliseconds.
    cases = [(f"load {n:,} {e}", f"BM_Load/{n}/{e}", f"load/{n}/{e}")
             for n in (10000, 100000) for e in ENCODINGS]
    cases += [("unload 100,000 utf8", "BM_ShutdownFrees100k", "unload/100000/utf8"),
              ('first "[" of a line', None, "open-bracket/first"),
              ('later "[" of a line', "BM_OpenBracket100k", "open-bracket/later"),
              ('first "[", a hidden console window', None, "open-bracket/console"),
              ('first "[" with the help window', None, "open-bracket/window"),
              ("help window shows the text", None, "help-window/shown")]
    headers = ["linux"] + [bitness for bitness, _ in dlls]
    width = max(len(c[0]) for c in cases)
    print(f"\n{'ms (medians)'.ljust(width)}" + "".join(f"  {h:>9}" for h in headers))
    for what, linux, dll in cases:
        cells = [m.get(linux) if linux else None] + [f.get(dll) for _, f in dlls]
        print(what.ljust(width) + "".join(
            f"  {c * 1e3:>9.3f}" if c is not None else f"  {'-':>9}" for c in cells))
    return 0 if met == len(rows) else 1


if __name__ == "__main__":
    sys.exit(main())
