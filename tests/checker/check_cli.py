#!/usr/bin/env python3
"""hintbar-check run as a user runs it: exit statuses, the line form of its findings, the JSON
form parsed back and compared with the lines, --quiet, --show, --codepage, --fix and --diff in
each encoding and line-end style, and the sample help file passing clean. Usage: check_cli.py
CHECKER SAMPLE [RUNNER]; RUNNER (Wine) runs a Windows build."""
import json
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import textwrap
import urllib.parse

checker, sample = sys.argv[1], sys.argv[2]
runner = sys.argv[3:]
failures = []


def run(*args):
    done = subprocess.run(runner + [checker, *args], capture_output=True, timeout=120)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def run_bytes(*args, given=None):
    done = subprocess.run(runner + [checker, *args], input=given, capture_output=True,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr.decode("utf-8")


def utf16(text, big=False, mark=True):
    return (b"\xfe\xff" if big else b"\xff\xfe") * mark + text.encode(
        "utf-16-be" if big else "utf-16-le")


def utf32(text, big=False):
    return (b"\x00\x00\xfe\xff" if big else b"\xff\xfe\x00\x00") + \
        text.encode("utf-32-be" if big else "utf-32-le")


def read(name):
    with open(name, "rb") as f:
        return f.read()


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


BOM8 = b"\xef\xbb\xbf"
SAMPLE_FIXES = b"@LEFT[n] - first\n@Right [n] - last\n@SIGN[n] -1 when negative\n"
# --fix and --diff: the bytes of a file, the options, the bytes --fix leaves, its exit status
# and how many findings it mends. Every byte but those of a fix stays: the encoding, the mark,
# each line's own end and a last line without one.
FIX_ROWS = [
    ("no bracket, a minus sign", SAMPLE_FIXES, [],
     b"@LEFT[n] - first\n@Right[n] - last\n@SIGN[n] - -1 when negative\n", 0, 2),
    ("UTF-8, CR LF, marks and a last line without its end",
     BOM8 + "\ufeff@A[x] - a\r\n\u200b@B[x] - b\r\n@C [x] - c".encode(), [],
     BOM8 + b"@A[x] - a\r\n@B[x] - b\r\n@C[x] - c", 0, 3),
    ("UTF-16LE, every line end",
     utf16("@A[x] - a\r\n%@B[x] - b\n\uff20C[x] - c\r@D\uff3bx] - d\n\r@E[x] - e\n"), [],
     utf16("@A[x] - a\r\n@B[x] - b\n@C[x] - c\r@D[x] - d\n\r@E[x] - e\n"), 0, 3),
    ("UTF-16BE, CR", utf16("@A [x] - a\r@B[x] -1 b", big=True), [],
     utf16("@A[x] - a\r@B[x] - -1 b", big=True), 0, 2),
    ("UTF-32LE", utf32("@@A[x] - a\n@ B[x] - b\n"), [], utf32("@A[x] - a\n@B[x] - b\n"), 0, 2),
    ("code page 1251", b"@\xc4\xc0 [x] - \xe4\xe0\r\n# \xfd\xf2\xee\r\n", ["--codepage=1251"],
     b"@\xc4\xc0[x] - \xe4\xe0\r\n# \xfd\xf2\xee\r\n", 0, 1),
    ("a stray byte in UTF-8", b"# caf\xc3\xa9 na\xc3\xafve\n@DASH[x] - a \x96 b\n", [],
     b"# caf\xc3\xa9 na\xc3\xafve\n@DASH[x] - a \xe2\x80\x93 b\n", 0, 1),
    ("UTF-16 guessed", utf16("@x[] - some words of text with spaces between them\r\n", mark=False),
     [], utf16("@x[] - some words of text with spaces between them\r\n"), 0, 1),
    ("nothing to fix", b"@X[] - one\n@X[] - two\n", [], b"@X[] - one\n@X[] - two\n", 1, 0),
    ("--select", SAMPLE_FIXES, ["--select=separator"],
     b"@LEFT[n] - first\n@Right [n] - last\n@SIGN[n] - -1 when negative\n", 0, 1),
    # The lines without an argument's own line still reported after the fix.
    ("--select of a code off by default", SAMPLE_FIXES, ["--select=no-bracket,argument-line"],
     b"@LEFT[n] - first\n@Right[n] - last\n@SIGN[n] -1 when negative\n", 1, 1),
    ("a suppression", b"# hintbar-check: ignore no-bracket\n@A [x] - a\n@B [x] - b\n", [],
     b"# hintbar-check: ignore no-bracket\n@A [x] - a\n@B[x] - b\n", 0, 1),
    # No fix for a line it would leave unbalanced, nor for one whose name another line
    # defines; a fix left out when the file proves it wrong: read as UTF-8, U+0085 would end
    # a line.
    ("an unbalanced line", BOM8 + "@I\uff3b[x] - d\r\n@B [x] - b\r\n".encode(), [],
     BOM8 + "@I\uff3b[x] - d\r\n@B[x] - b\r\n".encode(), 1, 1),
    ("a fix left out", b"# caf\xc3\xa9\n@A[x] - a\xc2\x85b\n@B[x] - \x96\n", [],
     b"# caf\xc3\xa9\n@A[x] - a\xc2\x85b\n@B[x] - \x96\n", 1, 0),
    ("a name defined elsewhere", b"@A[x] - a\n@a [y] - b\n", [], b"@A[x] - a\n@a [y] - b\n", 1, 0),
    # The edits of two codes on one line: a stray byte in the blank before "[" goes with it.
    ("a stray byte in the blank", b"# caf\xc3\xa9 na\xc3\xafve\n@A \xa0[x] - a\n", [],
     b"# caf\xc3\xa9 na\xc3\xafve\n@A[x] - a\n", 0, 1),
    # Characters beyond U+FFFF before and inside the edits, in each form; the minus kept.
    ("UTF-16BE beyond U+FFFF", utf16("@A[\U0001F600] -1 a\r@C[\U0001F600] -\U0001F600-1", big=True),
     [], utf16("@A[\U0001F600] - -1 a\r@C[\U0001F600] - -\U0001F600-1", big=True), 0, 2),
    ("UTF-32BE beyond U+FFFF", utf32("@E[\U00010000] -1 e\n@F\u3000[x] - f\n", big=True), [],
     utf32("@E[\U00010000] - -1 e\n@F[x] - f\n", big=True), 0, 2),
    ("UTF-8 beyond U+FFFF", BOM8 + "@A[\U0001F600] -1 a\n".encode(), [],
     BOM8 + "@A[\U0001F600] - -1 a\n".encode(), 0, 1),
    # Changes six lines apart share a hunk, seven apart do not; a fix that would make one
    # new warning (the help one unit too long for the status bar) is left out.
    ("changes six and seven lines apart",
     b"@A [x] - a\n" + b"@K[x] - k\n" * 6 + b"@B [x] - b\n" + b"@L[x] - l\n" * 7 + b"@C [x] - c\n", [],
     b"@A[x] - a\n" + b"@K[x] - k\n" * 6 + b"@B[x] - b\n" + b"@L[x] - l\n" * 7 + b"@C[x] - c\n", 1, 3),
    ("a fix left out: help too long", b"@A[x] -1" + b"d" * 8181 + b"\n@B[x] -1 b\n", [],
     b"@A[x] -1" + b"d" * 8181 + b"\n@B[x] - -1 b\n", 1, 1),
]


def expect(condition, what):
    if not condition:
        failures.append(what)


FILES = {
    "clean.txt": "# notes\n@LEFT[n,string] - Returns the first n characters.\n",
    "warn.txt": "@NEG[n] -1 when\u200bmissing\n@NEG[n] - again\n",
    "err.txt": "@1ST[x] - not an entry\n@OK[] - fine\n@A\\B[x] - a backslash\n",
    "caf\u00e9.txt": "@CAF\u00c9[] - Caf\u00e9\u00b6next\u00actab\u200b\n",
    "a,b%.txt": "@X[] - x\n@X[] - y\n",
    "args.txt": "@LEFT[n,string] - first\u00b6n\u00account\u00b6string\u00actext\n"
                "@ONE[a,b] - one\u00b6b\u00acthe b\n@NONE[] - none\n",
}
LINE = re.compile(r"^(?P<file>.+?):(?:(?P<line>\d+):(?:(?P<column>\d+):)?)? "
                  r"(?P<severity>error|warning|note): (?P<message>.*) \[(?P<code>[a-z0-9-]+)\]$")
SUMMARY = re.compile(r"^(?P<file>.+?): (?:fixed (?P<fixed>[\d,]+) findings?; )?the plug-in loads "
                     r"(?P<functions>[\d,]+) functions?; (?P<errors>\d+) errors?, "
                     r"(?P<warnings>\d+) warnings?, (?P<notes>\d+) notes?"
                     r"(?:; (?P<fixable>[\d,]+) safe fix(?:es)? \(--fix, --diff\))?$")
FIX = re.compile(r"^    fix: \S.*$")

work = tempfile.mkdtemp(prefix="hbcheck-")
try:
    os.chdir(work)
    for name, text in FILES.items():
        with open(name, "w", encoding="utf-8", newline="") as f:
            f.write("\ufeff" + text)
    shutil.copy(sample, "Hintbar.txt")

    # Exit statuses, and every output line a finding, a source line under one, or the summary.
    for name, status in (("clean.txt", 0), ("warn.txt", 1), ("err.txt", 1), ("caf\u00e9.txt", 0),
                         ("args.txt", 0)):
        code, out, err = run("--no-source", name)
        expect(code == status, f"{name}: exit {code}, wanted {status}")
        lines = out.splitlines()
        expect(lines and SUMMARY.match(lines[-1]), f"{name}: summary line: {lines[-1:]}")
        for line in lines[:-1]:
            expect((LINE.match(line) and line.startswith(name + ":")) or FIX.match(line),
                   f"{name}: line {line!r}")
    # Over several files the worst status wins, whatever their order; a file that cannot be
    # read is trouble (2), beyond findings (1).
    for names, status in ((["warn.txt", "clean.txt"], 1), (["clean.txt", "warn.txt"], 1),
                          (["nofile.txt", "warn.txt"], 2), (["warn.txt", "nofile.txt"], 2),
                          (["clean.txt", "nofile.txt", "clean.txt"], 2)):
        code, out, _ = run(*names)
        expect(code == status, f"{names}: exit {code}, wanted {status}")
        expect(len([l for l in out.splitlines() if SUMMARY.match(l)]) == len(names),
               f"{names}: a summary per file")

    # JSON: one record per finding, with the same content as the lines.
    code, out, _ = run("--json", "warn.txt", "err.txt", "nofile.txt")
    expect(code == 2, f"--json: exit {code}")
    document = json.loads(out)
    _, text, _ = run("--no-source", "warn.txt", "err.txt", "nofile.txt")
    from_lines = []
    summaries = []
    for line in text.splitlines():
        m = LINE.match(line)
        if m:
            # Text that takes no room is named in lines, and kept in JSON.
            from_lines.append((m["file"], int(m["line"] or 0), int(m["column"] or 0),
                               m["severity"], m["code"],
                               m["message"].replace("<U+200B>", "\u200b")))
        elif not FIX.match(line):
            summaries.append(SUMMARY.match(line))
    from_json = []
    for entry, summary in zip(document["files"], summaries):
        expect(entry["file"] == summary["file"], f"JSON file {entry['file']}")
        for key in ("functions", "errors", "warnings", "notes"):
            expect(str(entry[key]) == summary[key].replace(",", ""), f"JSON {key} of {entry}")
        for record in entry["findings"]:
            expect(set(record) == {"file", "line", "column", "severity", "code", "message", "fix"},
                   f"JSON record fields {sorted(record)}")
            expect((record["fix"] is not None) == (record["code"] == "separator"),
                   f"JSON fix of {record}")
            from_json.append((record["file"], record["line"], record["column"],
                              record["severity"], record["code"], record["message"]))
    expect(len(document["files"]) == 3, "JSON: a record per file")
    expect(from_json == from_lines, f"JSON and lines differ:\n{from_json}\n{from_lines}")
    codes = {f[4] for f in from_json}
    expect({"separator", "duplicate", "name-start", "not-found", "name-character"} <= codes,
           f"codes {codes}")
    expect(any("\\" in f[5] for f in from_json), "a message with a backslash, parsed back")
    expect("<U+200B>" in text, f"an invisible character named: {text!r}")

    # --quiet: the errors alone, which fail the run by themselves; a word for the warnings only
    # when they alone fail it unseen (below).
    code, out, _ = run("--quiet", "--no-source", "warn.txt", "err.txt")
    expect(code == 1 and out.splitlines() == [
        "err.txt:1:2: error: a name begins with a letter, not \"1\": \"@1ST\" is not an entry "
        "[name-start]",
        "err.txt:3:3: error: \"\\\" may not stand in a name (letters, digits, \"_\" and \"$\"): "
        "\"@A\" ends before it, and the line is not an entry [name-character]"],
        f"--quiet: {code} {out!r}")
    code, out, _ = run("--quiet", "--fail-on=error", "warn.txt")
    expect(code == 0 and out == "", f"--quiet --fail-on=error: {code} {out!r}")

    # The controls: what fails the run, which codes count, and a count of each.
    for args, status in ((["--fail-on", "never", "err.txt"], 0), (["--fail-on=error", "warn.txt"], 0),
                         (["--fail-on=warning", "warn.txt"], 1), (["--fail-on=error", "err.txt"], 1),
                         (["--ignore=separator,duplicate", "warn.txt"], 0),
                         (["--select", "duplicate", "err.txt"], 0),
                         (["--select", "duplicate", "warn.txt"], 1),
                         # Off unless selected: an argument without a line of its own.
                         (["--ignore=duplicate", "args.txt"], 0),
                         (["--select", "argument-line", "args.txt"], 1)):
        code, out, _ = run(*args)
        expect(code == status, f"{args}: exit {code}, wanted {status}")
    code, out, _ = run("--select=duplicate,separator", "--ignore", "separator", "--statistics",
                       "--no-source", "warn.txt", "warn.txt")
    expect(code == 1 and out.splitlines()[-1].split() ==
           ["2", "duplicate", "warning", "a", "name", "defined", "again", "later"] and
           "[separator]" not in out, f"--statistics: {out!r}")
    code, out, _ = run("--select=name-start", "--statistics", "--no-source", "err.txt")
    expect(out.splitlines()[-1].split()[:2] == ["1", "name-start"], f"--statistics of one: {out!r}")
    code, out, _ = run("--select=argument-line", "--no-source", "args.txt")
    expect(out.splitlines()[0] == "args.txt:2:1: warning: @ONE: argument 1 (a) has no line of its "
           "own: no line of the description begins with \"a\" and a tab [argument-line]" and
           len(out.splitlines()) == 2, f"argument-line: {out!r}")
    code, out, _ = run("--explain", "duplicate")
    expect(code == 0 and out.startswith("duplicate (warning): ") and "hintbar-check: ignore" in out,
           f"--explain: {code} {out!r}")
    # The paragraph in lines of at most 78 characters, each as long as the words allow.
    rules = json.loads(run("--format=sarif", "clean.txt")[1])["runs"][0]["tool"]["driver"]["rules"]
    for rule in rules:
        if rule["id"] in ("duplicate", "marker", "stray-byte"):
            paragraph = run("--explain", rule["id"])[1].split("\n\n", 1)[1]
            wrapped = textwrap.wrap(rule["fullDescription"]["text"], 78, break_long_words=False)
            expect(paragraph == "\n".join(wrapped) + "\n", f"--explain {rule['id']}: {paragraph!r}")

    # The source line and a caret under its column, counted in characters.
    code, out, _ = run("caf\u00e9.txt", "err.txt")
    expect("err.txt:1:2: error" in out and "\n    @1ST[x] - not an entry\n     ^\n" in out,
           f"source and caret: {out!r}")

    # Annotations for a CI log, and a SARIF log that parses, with a result per finding.
    code, out, _ = run("--format=github", "warn.txt", "err.txt")
    annotations = [l for l in out.splitlines() if l.startswith("::")]
    expect(code == 1 and "::error file=err.txt,line=1,col=2,title=hintbar-check name-start::"
           "a name begins with a letter" in out and len(annotations) == len(from_lines) - 1 and
           "::notice file=warn.txt,title=hintbar-check encoding::" in out, f"github: {out!r}")
    code, out, _ = run("--format", "sarif", "warn.txt", "err.txt", "nofile.txt")
    log = json.loads(out)
    results = log["runs"][0]["results"]
    expect(code == 2 and log["version"] == "2.1.0" and len(results) == len(from_lines) and
           {r["ruleId"] for r in results} == codes and
           all(r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"] for r in results) and
           # A finding about the whole file has no region.
           all("region" not in r["locations"][0]["physicalLocation"]
               for r in results if r["ruleId"] in ("encoding", "not-found")),
           f"sarif: {code} {out[:300]!r}")

    # Names made fit for a property of an annotation and for a URI.
    code, out, _ = run("--format=github", "a,b%.txt")
    expect("::warning file=a%2Cb%25.txt,line=1,col=1,title=hintbar-check duplicate::" in out,
           f"github escapes: {out!r}")
    code, out, _ = run("--format=sarif", "a,b%.txt", "caf\u00e9.txt", "nofile.txt")
    uris = [r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"]
            for r in json.loads(out)["runs"][0]["results"]]
    expect({"a%2Cb%25.txt", "caf%C3%A9.txt", "nofile.txt"} <= set(uris), f"sarif uris: {uris}")

    # Standard input, and a report that cannot be written.
    with open("warn.txt", "rb") as f:
        done = subprocess.run(runner + [checker, "--no-source", "-"], stdin=f, capture_output=True,
                              timeout=120)
    expect(done.returncode == 1 and done.stdout.decode().splitlines()[-1].startswith(
        "-: the plug-in loads 1 function; 0 errors, 2 warnings"), f"stdin: {done!r}")
    # More than the first block read, and a count grouped in thousands.
    big = "".join(f"@F{i}[x] - d\n" for i in range(6009)).encode()
    done = subprocess.run(runner + [checker, "-"], input=big, capture_output=True, timeout=120)
    expect(b"-: the plug-in loads 6,009 functions;" in done.stdout, f"long stdin: {done.stdout[-200:]!r}")
    done = subprocess.run(runner + [checker, "-"], stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120)
    expect(done.returncode == 1 and b"-: error: the input is empty" in done.stdout,
           f"empty stdin: {done!r}")
    if not runner:
        # Input that cannot be read is trouble, not an empty file.
        directory = os.open(".", os.O_RDONLY)
        done = subprocess.run([checker, "-"], stdin=directory, capture_output=True, timeout=120)
        os.close(directory)
        expect(done.returncode == 2 and
               b"-: error: cannot read standard input: Access is denied. [open]" in done.stdout,
               f"unreadable stdin: {done!r}")
    if os.path.exists("/dev/full") and not runner:
        with open("/dev/full", "w") as full:
            done = subprocess.run([checker, "clean.txt"], stdout=full, capture_output=False,
                                  stderr=subprocess.PIPE, timeout=120)
        expect(done.returncode == 2 and b"could not be written" in done.stderr,
               f"/dev/full: {done.returncode} {done.stderr!r}")

    # A file without findings in each form, the counts of --statistics in JSON, and --quiet
    # that keeps JSON whole.
    with open("ctl.txt", "w", encoding="utf-8", newline="") as f:
        f.write("@A\x7fB[x] - d\n@B[x] - d\n")
    code, out, _ = run("--json", "--statistics", "ctl.txt", "clean.txt")
    expect(json.loads(out)["statistics"] == {"name-character": 1, "encoding": 2},
           f"--json --statistics: {out!r}")
    code, out, _ = run("--json", "--select=duplicate", "clean.txt")
    expect(code == 0 and json.loads(out)["files"][0]["findings"] == [], f"--json none: {out!r}")
    code, out, _ = run("--format=sarif", "--select=duplicate", "clean.txt")
    expect(code == 0 and json.loads(out)["runs"][0]["results"] == [], f"sarif none: {out!r}")
    code, out, _ = run("--quiet", "--json", "warn.txt")
    expect(code == 1 and json.loads(out)["files"][0]["warnings"] == 2, f"--quiet --json: {out!r}")
    code, out, _ = run("--quiet", "--format=github", "warn.txt")
    expect(code == 1 and out.endswith("the run fails on 2 warnings that --quiet does not show\n"),
           f"--quiet github: {out!r}")

    # A file name in each form, made of what each form escapes; Windows allows no controls,
    # ":" or line breaks in a name.
    name = "w%,\u2064\uff20Az-_0~\U0001F600"
    name += "\t\x1f\x7f\r\n:.txt" if not runner else ".txt"
    shutil.copy("warn.txt", name)
    named = lambda c: ("<U+%04X>" % ord(c)) if c == "\u2064" else (
        "\\u%04x" % ord(c) if ord(c) < 0x20 or c == "\x7f" else c)
    code, out, _ = run("--no-source", name)
    text = "".join("\t" if c == "\t" else named(c) for c in name)
    expect(out.startswith(text + ": note: ") and "\x7f" not in out, f"text name: {out!r}")
    code, out, _ = run("--format=github", name)
    escapes = {"%": "%25", ",": "%2C", ":": "%3A", "\r": "%0D", "\n": "%0A"}
    prop = "".join(escapes.get(c, named(c)) for c in name)
    expect(f"::warning file={prop},line=1,col=9," in out, f"github name: {out!r}")
    code, out, _ = run("--json", name)
    expect(json.loads(out)["files"][0]["file"] == name, f"JSON name: {out!r}")
    code, out, _ = run("--format=sarif", name)
    uri = json.loads(out)["runs"][0]["results"][0]["locations"][0]["physicalLocation"]
    expect(uri["artifactLocation"]["uri"] == urllib.parse.quote(name, safe="-._~/"),
           f"sarif name: {uri}")

    # Output in pieces never splits a character beyond U+FFFF: a long report about a file
    # whose name is made of them.
    emoji = "\U0001F600" * 50
    name = emoji + ".txt"
    with open(name, "w", encoding="utf-8", newline="") as f:
        f.write("".join(f"@N{i % 7}[x] -{i}\n@{i}[x]\n" for i in range(300)))
    code, out, _ = run("--no-source", *[name] * 20)
    expect("\ufffd" not in out and out.count(emoji) > 6000, "a pair split between two writes")
    expect(": note: 200 more findings of this code not listed [separator]" in out,
           f"findings beyond those listed: {out[-400:]!r}")
    code, out, _ = run("--select=name-start", "--no-source", name)
    expect(out.endswith("; 300 errors, 0 warnings, 0 notes\n"), f"counts of codes left out: {out[-200:]!r}")
    # The machine formats list every finding; the 100 of a code are for people.
    code, out, _ = run("--json", "--select=separator", name)
    expect(len(json.loads(out)["files"][0]["findings"]) == 300, "JSON past 100 findings")
    code, out, _ = run("--format=sarif", "--select=separator", name)
    expect(len(json.loads(out)["runs"][0]["results"]) == 300, "SARIF past 100 findings")
    code, out, _ = run("--quiet", "--select=separator", name)
    expect(code == 1 and out == "hintbar-check: the run fails on 300 warnings that --quiet does "
           "not show\n", f"--quiet counts what it does not list: {out!r}")

    # --show: the status-bar text, its breaks and tabs visible; a name the file lacks, and why.
    # The name in the forms "hbar /F" takes.
    for form in ("@caf\u00c9[", "%@caf\u00c9[", "caf\u00c9", "C?F*"):
        code, out, _ = run("--show", form, "caf\u00e9.txt")
        expect(code == 0 and out == "@CAF\u00c9[]\u240a\n\u240a\nCaf\u00e9\u240a\n"
               "next\u2409tab<U+200B>\n", f"--show {form}: {code} {out!r}")
    # Each argument's own line marked after it; the other lines as they are.
    code, out, _ = run("--show=left", "args.txt")
    expect(code == 0 and out == "@LEFT[n,string]\u240a\n\u240a\nfirst\u240a\n"
           "n\u2409count\u240a  \u2190 argument 1 (n)\nstring\u2409text  \u2190 argument 2 (string)\n",
           f"--show of argument lines: {code} {out!r}")
    code, out, _ = run("--show=one", "args.txt")
    expect(code == 0 and out == "@ONE[a,b]\u240a\n\u240a\none\u240a\nb\u2409the b  \u2190 argument 2 (b)\n",
           f"--show of an argument without its line: {code} {out!r}")
    code, out, _ = run("--show=[a-z]*", "clean.txt")
    expect(code == 1, f"--show of a pattern that matches nothing: {code} {out!r}")
    with open("two.txt", "w") as f:
        f.write("@B[x] - b\n@A[] - a\n")
    code, out, _ = run("--show=*", "two.txt")
    expect(code == 0 and out == "@A, line 2:\n@A[]\u240a\n\u240a\na\n"
           "@B, line 1:\n@B[x]\u240a\n\u240a\nb\n", f"--show of several: {code} {out!r}")
    code, out, err = run("--show=nothing", "clean.txt")
    expect(code == 1 and out == "" and "@NOTHING" in err and "no line defines" in err,
           f"--show missing: {code} {err!r}")
    code, out, err = run("--show=1st", "err.txt", "nofile.txt")
    expect(code == 2 and "line 1: a name begins with a letter" in err and "File not found" in err,
           f"--show causes: {code} {err!r}")
    code, out, err = run("--show=1st", "nofile.txt", "err.txt")
    expect(code == 2, f"--show trouble kept: {code} {err!r}")
    # The cause names the function itself, never a longer name that begins with it.
    with open("mention.txt", "w") as f:
        f.write("@1A[x]\n@1A1[x]\n@1A_[x]\n@1A$[x]\n@1AB[x]\n@1[x]\n@OK[] - ok\n")
    code, out, err = run("--show=1a", "mention.txt")
    expect(code == 1 and "line 1: " in err and "line 2" not in err and "line 3" not in err and
           "line 4" not in err and "line 5" not in err and "line 6" not in err,
           f"--show mentions: {err!r}")
    with open("wide.txt", "w", encoding="utf-8") as f:
        f.write("@WIDE[] - " + "\u200b" * 1100 + "\n")  # each shown as 8 units
    code, out, _ = run("--show=wide", "wide.txt")
    expect(code == 0 and out.count("<U+200B>") == 1100, f"--show wide: {code} {len(out)}")
    for empty in ("--show=@[", "--show=@"):
        code, out, err = run(empty, "clean.txt")
        expect(code == 1 and "no line defines @\n" in err, f"{empty}: {err!r}")
    code, out, _ = run("--show=caf\u00c9", "caf\u00e9.txt", "caf\u00e9.txt")
    expect(code == 0 and out.startswith("caf\u00e9.txt:\n@CAF\u00c9[]") and out.count("caf\u00e9.txt:\n") == 2,
           f"--show over files: {code} {out!r}")
    # What goes to standard error comes after the output before it, in one stream.
    done = subprocess.run(runner + [checker, "--show=caf\u00c9", "caf\u00e9.txt", "clean.txt"],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    both = done.stdout.decode("utf-8")
    expect(0 < both.find("next\u2409tab") < both.find("clean.txt: the plug-in loads no"),
           f"--show order: {both!r}")
    code, out, _ = run("--json", "--show=1st", "err.txt", "nofile.txt")
    why = [f["why"] for f in json.loads(out)["files"]]
    expect(code == 2 and why[0][0].startswith("line 1: a name begins with a letter") and
           "File not found" in why[1][0], f"--show --json causes: {code} {out!r}")
    code, out, _ = run("--json", "--show", "caf\u00c9", "caf\u00e9.txt", "clean.txt")
    shown = json.loads(out)["files"]
    expect(code == 1 and shown[0]["text"] == "@CAF\u00c9[]\r\n\nCaf\u00e9\nnext\ttab\u200b" and
           shown[1]["text"] is None and shown[1]["why"] == ["no line defines @CAF\u00c9"],
           f"--show --json: {code} {out!r}")

    # The codes, in each form that lists them; the same codes as the rules of a SARIF log.
    code, out, _ = run("--list-codes")
    listed = [line.split()[0] for line in out.splitlines()[:len(rules)]]
    expect(code == 0 and listed == [r["id"] for r in rules] and
           re.search(r"^argument-line +warning +an .* \(off unless --select names it\)$", out, re.M) and
           re.search(r"^no-bracket +error +fix +no", out, re.M) and
           re.search(r"^duplicate +warning +a name", out, re.M), f"--list-codes: {out!r}")
    code, out, _ = run("--list-codes", "--json")
    codes_json = json.loads(out)["codes"]
    expect(code == 0 and [c["code"] for c in codes_json] == [r["id"] for r in rules] and
           {c["code"] for c in codes_json if c["fix"]} ==
           {"no-bracket", "marker", "separator", "stray-byte", "add-bom"} and
           [c["code"] for c in codes_json if "enabled" in c] == ["argument-line"] and
           [r["id"] for r in rules if r["defaultConfiguration"].get("enabled") is False] ==
           ["argument-line"],
           f"--list-codes --json: {out!r}")
    code, out, _ = run("--list-codes", "--format=sarif")
    expect(code == 0 and json.loads(out)["runs"][0]["tool"]["driver"]["rules"] == rules,
           f"--list-codes sarif: {out[:200]!r}")
    # A safe fix in SARIF: the region in characters and in bytes, the new text in both forms.
    code, out, _ = run("--format=sarif", "warn.txt")
    fixes = [r["fixes"] for r in json.loads(out)["runs"][0]["results"] if "fixes" in r]
    change = fixes[0][0]["artifactChanges"][0]["replacements"][0] if fixes else None
    expect(len(fixes) == 1 and change == {
        "deletedRegion": {"startLine": 1, "startColumn": 9, "endColumn": 9, "byteOffset": 11,
                          "byteLength": 0},
        "insertedContent": {"text": "- ", "binary": "LSA="}}, f"sarif fixes: {fixes!r}")

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
    code, selected, _ = run("--select=argument-line", "Hintbar.txt")
    expect(code == 0 and re.fullmatch(r"Hintbar\.txt: the plug-in loads [\d,]+ functions; 0 errors, "
                                      r"0 warnings, 0 notes\n", selected),
           f"sample, argument lines: {code} {selected!r}")
    code, out2, _ = run(".")
    expect(code == 0 and out2.replace(".\\", "").replace("./", "") == out,
           f"directory: {code} {out2!r}")

    # A name no full name can be made of: empty, or one unit longer than a path can be.
    names = [("", "Bad filename")]
    if not runner:
        names += [("a" * 32767, "File not found"), ("a" * 32768, "Bad filename")]
    for name, answer in names:
        code, out, err = run(name)
        # The name as given, cut to the longest path.
        expect(code == 2 and out.startswith(f'{name[:32767]}: error: "hbar /L" answers "{answer}"') and
               not err, f"name of {len(name)}: {out[-200:]!r} {err!r}")

    # --fix and --diff: the file mended, as standard output from standard input, and a diff
    # that "patch" applies to the same bytes; nothing else left in the folder.
    os.mkdir("fixes")
    os.chdir("fixes")
    for tool in ("patch", "git"):
        expect(shutil.which(tool), f"{tool} is not installed (the set-up must install it)")

    def expect_applies(diff, where, name, after, what):
        """Both tools apply the diff in the folder where, with no option but -p1, to give after."""
        for tool in (["patch", "-s", "-p1"], ["git", "apply"]):
            if not shutil.which(tool[0]):
                continue
            target = os.path.join(where, name)
            kept = read(target)
            done = subprocess.run(tool, input=diff, cwd=where, capture_output=True, timeout=60)
            expect(done.returncode == 0 and read(target) == after, f"{tool[0]}, {what}: {done!r}")
            write(target, kept)
    for what, before, options, after, status, fixed in FIX_ROWS:
        options = options or ["--codepage=1252"]
        write("help.txt", before)
        code, out, err = run_bytes("--fix", "--no-source", *options, "help.txt")
        expect(code == status and read("help.txt") == after and os.listdir(".") == ["help.txt"]
               and f"help.txt: fixed {fixed} finding".encode() in out,
               f"--fix, {what}: {code} {read('help.txt')!r} {out!r} {err!r}")
        expect(("is left out" in err) == what.startswith("a fix left out"), f"{what}: {err!r}")
        code, out, err = run_bytes("--fix", *options, "-", given=before)
        expect(code == status and out == after and f"-: fixed {fixed} finding" in err,
               f"--fix -, {what}: {code} {out!r} {err!r}")
        write("help.txt", before)
        code, diff, err = run_bytes("--diff", *options, "help.txt")
        expect(code == (1 if fixed else 0) and read("help.txt") == before and
               (diff != b"") == (fixed > 0), f"--diff, {what}: {code} {diff!r} {err!r}")
        # A diff of the bytes of a wide form says so.
        expect(("is of the bytes" in err) == (fixed > 0 and what.startswith(("UTF-16", "UTF-32"))),
               f"--diff, {what}: {err!r}")
        if fixed:
            expect_applies(diff, ".", "help.txt", after, what)
            write("help.txt", before)
    # Over the fuzz corpora, each --fix corpus file also in every encoding and line end: the
    # file mended in place, from standard input and by the diff through both tools, the same
    # bytes. Natively only: under Wine each run takes a second.
    corpus = os.path.join(os.path.dirname(os.path.abspath(sample)), "..", "fuzz", "corpus")
    inputs = []
    for folder in ("help_file", "fix"):
        for name in sorted(os.listdir(os.path.join(corpus, folder))):
            data = read(os.path.join(corpus, folder, name))
            inputs.append(data[1:] if folder == "fix" else data)
            if folder == "fix" and not runner:
                for mark, codec in ((BOM8, "utf-8-sig"), (b"\xff\xfe", "utf-16"),
                                    (b"\xfe\xff", "utf-16"), (b"\xff\xfe\0\0", "utf-32")):
                    if data[1:].startswith(mark):
                        text = data[1:].decode(codec, "replace")
                        break
                else:
                    text = data[1:].decode("utf-8", "replace")
                lines = re.split("\r\n|\n\r|\r|\n", text)
                for end in ("\n", "\r\n", "\r"):
                    joined = end.join(lines)
                    inputs += [joined.encode("cp1252", "replace"), joined.encode("utf-8"),
                               BOM8 + joined.encode("utf-8"), utf16(joined), utf16(joined, True),
                               utf32(joined), utf32(joined, True)]
    for i, before in enumerate(inputs if not runner else inputs[:4]):
        write("help.txt", before)
        _, diff, _ = run_bytes("--diff", "--codepage=1252", "help.txt")
        _, fixed, _ = run_bytes("--fix", "--codepage=1252", "-", given=before)
        run_bytes("--fix", "--codepage=1252", "help.txt")
        expect(read("help.txt") == fixed, f"--fix and --fix - differ, corpus input {i}")
        if diff:
            write("help.txt", before)
            expect_applies(diff, ".", "help.txt", fixed, f"corpus input {i}")
    os.remove("help.txt")
    # More fixes left out than are told one by one: the rest counted.
    write("help.txt", b"".join(b"@F%02d[x] -1" % i + b"d" * 8179 + b"\n" for i in range(20)))
    code, out, err = run("--fix", "--select=separator", "help.txt")
    expect(code == 1 and err.count("is left out:") == 16 and
           err.endswith("help.txt: 4 more fixes are left out\n"), f"--fix, 20 left out: {err[-300:]!r}")
    # What it cannot write it leaves as it was, and says why: a read-only file, and a name that
    # is no file. Several files: the worst status wins.
    write("help.txt", SAMPLE_FIXES)
    os.chmod("help.txt", stat.S_IREAD)
    code, out, err = run("--fix", "help.txt")
    os.chmod("help.txt", stat.S_IREAD | stat.S_IWRITE)
    expect(code == 2 and read("help.txt") == SAMPLE_FIXES and "read-only" in err and
           os.listdir(".") == ["help.txt"], f"--fix read-only: {code} {err!r}")
    write("clean.txt", b"@A[x] - a\n")
    code, out, err = run("--fix", "clean.txt", "nofile.txt", "help.txt")
    expect(code == 2 and "File not found" in out and read("help.txt") != SAMPLE_FIXES,
           f"--fix of several: {code} {out!r} {err!r}")
    write("help.txt", SAMPLE_FIXES)
    code, out, err = run("--diff", "help.txt", "clean.txt", "help.txt")
    expect(code == 1 and out.count("--- a/help.txt\n+++ b/help.txt\n") == 2 and
           err == "hintbar-check: --fix would mend 4 findings in 2 files\n",
           f"--diff of several: {code} {out!r} {err!r}")
    code, out, err = run("--diff", "nofile.txt")
    expect(code == 2 and out == "" and "File not found" in err, f"--diff missing: {err!r}")
    # A file in a folder, by its name from here or from the root, and a name with a blank or
    # a quote: each applies from here. A file outside this folder is named from the root.
    os.mkdir("sub")
    mended = FIX_ROWS[0][3]
    names = [("sub/help.txt", "sub/help.txt"), (os.path.abspath("sub/help.txt"), "sub/help.txt"),
             ("sub/../sub/a b.txt", "sub/a b.txt")]
    if not runner:
        names += [('sub/q"\\.txt', 'sub/q"\\.txt'), ("../fixes/sub/help.txt", "sub/help.txt")]
    for given, name in names:
        write(name, SAMPLE_FIXES)
        code, diff, err = run_bytes("--diff", given)
        expect(code == 1, f"--diff {given}: {code} {err!r}")
        expect_applies(diff, ".", name, mended, f"--diff {given}")
    if not runner:
        write("help.txt", SAMPLE_FIXES)
        os.chdir("sub")
        code, diff, err = run_bytes("--diff", "../help.txt")
        os.chdir("..")
        expect_applies(diff, "/", os.path.abspath("help.txt")[1:], mended, "--diff from the root")
    shutil.rmtree("sub")
    if not runner:
        # Its mode and the links to it stay; a file with a second name is refused, as is a pipe.
        os.chmod("help.txt", 0o640)
        os.symlink("help.txt", "link.txt")
        code, out, err = run("--fix", "link.txt")
        expect(code == 0 and os.path.islink("link.txt") and read("help.txt") == FIX_ROWS[0][3]
               and stat.S_IMODE(os.stat("help.txt").st_mode) == 0o640,
               f"--fix through a link: {code} {err!r}")
        write("help.txt", SAMPLE_FIXES)
        os.link("help.txt", "second.txt")
        code, out, err = run("--fix", "help.txt")
        expect(code == 2 and "hard links" in err and read("help.txt") == SAMPLE_FIXES,
               f"--fix hard link: {code} {err!r}")
        # A folder that takes no new file is named, not the file, which is writable.
        os.mkdir("locked")
        write("locked/help.txt", SAMPLE_FIXES)
        os.chmod("locked/help.txt", 0o666)
        os.chmod("locked", 0o555)
        os.chmod(work, 0o755)
        as_user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] \
            if os.geteuid() == 0 else []
        done = subprocess.run(as_user + [checker, "--fix", "locked/help.txt"], capture_output=True,
                              timeout=120)
        os.chmod("locked", 0o755)
        expect(done.returncode == 2 and read("locked/help.txt") == SAMPLE_FIXES and
               f'the mended file cannot be made in its folder, "{os.path.abspath("locked")}": '
               f'Access is denied.'.encode() in done.stderr, f"--fix locked folder: {done!r}")
        shutil.rmtree("locked")
        os.mkfifo("pipe.txt")
        # A FIFO that nothing writes into reads as empty, so the writer must be done before
        # the checker opens it: a reader held open here lets the writer fill the pipe and end.
        holder = os.open("pipe.txt", os.O_RDONLY | os.O_NONBLOCK)
        subprocess.run(["sh", "-c", "cat help.txt > pipe.txt"], timeout=60)
        code, out, err = run("--fix", "pipe.txt")
        os.close(holder)
        expect(code == 2 and "it is a pipe" in err, f"--fix pipe: {code} {err!r}")
    os.chdir("..")

    # Usage.
    for args, status in ((["--help"], 0), (["--version"], 0), (["--bogus", "x"], 2), ([], 2),
                         (["--fix", "--diff", "x"], 2), (["--diff", "--json", "x"], 2),
                         (["--show=x", "--format=sarif", "x"], 2),
                         (["--show=x", "--format=github", "x"], 2), (["--show=x", "--fix", "x"], 2),
                         (["--list-codes", "--format=github"], 2),
                         (["--codepage", "x", "clean.txt"], 2), (["--ignore=nosuch", "x"], 2),
                         (["--fail-on=info", "x"], 2), (["--format=xml", "x"], 2),
                         (["--explain", "nosuch"], 2)):
        code, out, err = run(*args)
        expect(code == status, f"{args}: exit {code}")
    expect(re.fullmatch(r"hintbar-check \d+\.\d+\.\d+\.\d+\n", run("--version")[1]), "--version text")
    code, out, err = run("--ignore=duplicate,nosuch", "x")
    expect(code == 2 and '--ignore: "nosuch" is not a code' in err, f"--ignore: {err!r}")
    code, out, err = run("--show=", "x")
    expect(code == 2 and "--show needs the name of a function" in err, f"--show=: {err!r}")
    for args in (["--explain"], ["--explain="]):
        code, out, err = run(*args)
        expect(code == 2 and "--explain needs a code, such as duplicate (see --list-codes)\n" in err,
               f"{args}: {err!r}")
finally:
    os.chdir("/")
    shutil.rmtree(work, ignore_errors=True)

for failure in failures:
    print("FAIL:", failure)
print(f"{'failed' if failures else 'passed'}: {len(failures)} failures")
sys.exit(1 if failures else 0)
