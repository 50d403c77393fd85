#!/usr/bin/env python3
"""hintbar-check run as a user runs it: exit statuses, the line form of its findings, the JSON
form parsed back and compared with the lines, --quiet, --show, --codepage, and the sample help
file passing clean. Usage: check_cli.py CHECKER SAMPLE [RUNNER]; RUNNER (Wine) runs a Windows
build."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

checker, sample = sys.argv[1], sys.argv[2]
runner = sys.argv[3:]
failures = []


def run(*args):
    done = subprocess.run(runner + [checker, *args], capture_output=True, timeout=120)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def expect(condition, what):
    if not condition:
        failures.append(what)


FILES = {
    "clean.txt": "# notes\n@LEFT[n,string] - Returns the first n characters.\n",
    "warn.txt": "@NEG[n] -1 when missing\n@NEG[n] - again\n",
    "err.txt": "@1ST[x] - not an entry\n@OK[] - fine\n",
    "caf\u00e9.txt": "@CAF\u00c9[] - Caf\u00e9\u00b6next\u00actab\n",
}
LINE = re.compile(r"^(?P<file>.+?):(?:(?P<line>\d+):(?:(?P<column>\d+):)?)? "
                  r"(?P<severity>error|warning|note): (?P<message>.*) \[(?P<code>[a-z0-9-]+)\]$")
SUMMARY = re.compile(r"^(?P<file>.+): the plug-in loads (?P<functions>[\d,]+) functions?; "
                     r"(?P<errors>\d+) errors?, (?P<warnings>\d+) warnings?, (?P<notes>\d+) notes?$")

work = tempfile.mkdtemp(prefix="hbcheck-")
try:
    os.chdir(work)
    for name, text in FILES.items():
        with open(name, "w", encoding="utf-8", newline="") as f:
            f.write("\ufeff" + text)
    shutil.copy(sample, "Hintbar.txt")

    # Exit statuses, and every output line a finding or the summary.
    for name, status in (("clean.txt", 0), ("warn.txt", 1), ("err.txt", 2), ("caf\u00e9.txt", 0)):
        code, out, err = run(name)
        expect(code == status, f"{name}: exit {code}, wanted {status}")
        lines = out.splitlines()
        expect(lines and SUMMARY.match(lines[-1]), f"{name}: summary line: {lines[-1:]}")
        for line in lines[:-1]:
            expect(LINE.match(line) and line.startswith(name + ":"), f"{name}: line {line!r}")
    code, out, _ = run("warn.txt", "err.txt")
    expect(code == 2, f"two files: exit {code}")
    expect(len([l for l in out.splitlines() if SUMMARY.match(l)]) == 2, "a summary per file")

    # JSON: one record per finding, with the same content as the lines.
    code, out, _ = run("--json", "warn.txt", "err.txt", "nofile.txt")
    expect(code == 2, f"--json: exit {code}")
    document = json.loads(out)
    _, text, _ = run("warn.txt", "err.txt", "nofile.txt")
    from_lines = []
    summaries = []
    for line in text.splitlines():
        m = LINE.match(line)
        if m:
            from_lines.append((m["file"], int(m["line"] or 0), int(m["column"] or 0),
                               m["severity"], m["code"], m["message"]))
        else:
            summaries.append(SUMMARY.match(line))
    from_json = []
    for entry, summary in zip(document["files"], summaries):
        expect(entry["file"] == summary["file"], f"JSON file {entry['file']}")
        for key in ("functions", "errors", "warnings", "notes"):
            expect(str(entry[key]) == summary[key].replace(",", ""), f"JSON {key} of {entry}")
        for record in entry["findings"]:
            expect(set(record) == {"file", "line", "column", "severity", "code", "message"},
                   f"JSON record fields {sorted(record)}")
            from_json.append((record["file"], record["line"], record["column"],
                              record["severity"], record["code"], record["message"]))
    expect(len(document["files"]) == 3, "JSON: a record per file")
    expect(from_json == from_lines, f"JSON and lines differ:\n{from_json}\n{from_lines}")
    codes = {f[4] for f in from_json}
    expect({"separator", "duplicate", "name-start", "open"} <= codes, f"codes {codes}")

    # --quiet: the errors alone.
    code, out, _ = run("--quiet", "warn.txt", "err.txt")
    expect(code == 2 and out.splitlines() == [
        "err.txt:1:2: error: a name begins with a letter, not \"1\": \"@1ST\" is not an entry "
        "[name-start]"], f"--quiet: {code} {out!r}")

    # --show: the status-bar text, its breaks and tabs visible; a name the file lacks.
    code, out, _ = run("--show", "@caf\u00c9[", "caf\u00e9.txt")
    expect(code == 0 and out == "<U+200B>@CAF\u00c9[]\u240d\u240a\n\u240a\nCaf\u00e9\u240a\n"
           "next\u2409tab\n", f"--show: {code} {out!r}")
    code, out, err = run("--show=nothing", "clean.txt")
    expect(code == 2 and out == "" and "@NOTHING" in err, f"--show missing: {code} {err!r}")

    # --codepage: ANSI bytes read in another code page.
    with open("cp866.txt", "wb") as f:
        f.write(b"@DA[] - \xa4\xa0 and \xe9\n")  # "да" in 866; 0xE9 keeps UTF-8 out
    code, out, _ = run("--codepage", "866", "--show", "da", "cp866.txt")
    expect(code == 0 and "\u0434\u0430 and" in out, f"--codepage 866: {out!r}")
    code, out, _ = run("--codepage=866", "cp866.txt")
    expect("code page 866" in out, f"--codepage note: {out!r}")

    # The sample help file passes without a warning; a directory stands for its Hintbar.txt.
    code, out, _ = run("Hintbar.txt")
    expect(code == 0 and re.search(r"; 0 errors, 0 warnings, \d+ notes?$", out),
           f"sample: {code} {out!r}")
    code, out2, _ = run(".")
    expect(code == 0 and out2.replace(".\\", "").replace("./", "") == out,
           f"directory: {code} {out2!r}")

    # Usage.
    for args, status in ((["--help"], 0), (["--version"], 0), (["--bogus", "x"], 2), ([], 2),
                         (["--codepage", "x", "clean.txt"], 2)):
        code, out, err = run(*args)
        expect(code == status, f"{args}: exit {code}")
    expect(run("--version")[1].startswith("hintbar-check "), "--version text")
finally:
    os.chdir("/")
    shutil.rmtree(work, ignore_errors=True)

for failure in failures:
    print("FAIL:", failure)
print(f"{'failed' if failures else 'passed'}: {len(failures)} failures")
sys.exit(1 if failures else 0)
