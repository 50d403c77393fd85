#!/usr/bin/env python3
"""What ships holds only the product: no binary of a release build names a test hook, and the
Linux module exports the names of the DLL's .def file and nothing else.

  check_release_symbols.py --nm NM --filt CXXFILT --hooks HEADER... [--scan FOLDER...]
                           [--exports DEF MODULE] -- BINARY_OR_MAP...

The hooks are the functions that the given headers declare for test builds: all of them, or in
a header with #if defined(HB_TESTING) blocks, those of its blocks (the #define lines that stand
in for hooks in a release build are no declarations). --scan adds every header under the
folders that has such a block. A binary is read with nm; a linker
map (a name ending in .map), which a stripped module leaves behind, is read as text.
"""
import argparse
import os
import re
import subprocess
import sys


def declared_functions(header):
    """Every function the header declares; in a header with blocks for test builds only
    (#if defined(HB_TESTING)), those of the blocks."""
    with open(header, encoding="utf-8") as f:
        lines = [line.split("//")[0].strip() for line in f]
    blocks = any(line == "#if defined(HB_TESTING)" for line in lines)
    names, inside = set(), not blocks
    for text in lines:
        if text == "#if defined(HB_TESTING)":
            inside = True
        elif blocks and text.startswith(("#else", "#endif")):
            inside = False
        elif inside and text and not text.startswith("#"):
            names.update(re.findall(r"\b([A-Za-z_]\w*)\s*\(", text))
    return names


def headers_with_blocks(folders):
    found = []
    for folder in folders:
        for directory, _, names in os.walk(folder):
            for name in sorted(names):
                path = os.path.join(directory, name)
                if name.endswith(".h"):
                    with open(path, encoding="utf-8") as f:
                        if "\n#if defined(HB_TESTING)\n" in f.read():
                            found.append(path)
    return found


def demangled(text, cxxfilt):
    done = subprocess.run([cxxfilt], input=text, capture_output=True, text=True, check=True)
    return done.stdout


def symbols_of(binary, nm, cxxfilt):
    if binary.endswith(".map"):
        with open(binary, encoding="utf-8", errors="replace") as f:
            return demangled(f.read(), cxxfilt)
    done = subprocess.run([nm, "-a", binary], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("FAIL: %s -a %s: %s" % (nm, binary, done.stderr.strip()))
    return demangled(done.stdout, cxxfilt)


def exported_names(module, nm):
    done = subprocess.run([nm, "-D", "--defined-only", module], capture_output=True, text=True,
                          check=True)
    return sorted(line.split()[-1] for line in done.stdout.splitlines()
                  if len(line.split()) >= 3 and line.split()[1] in "TtDdRrBbVvWwiu")


def def_names(def_file):
    names, exports = [], False
    with open(def_file, encoding="utf-8") as f:
        for line in f:
            word = line.strip()
            if word == "EXPORTS":
                exports = True
            elif exports and re.match(r"[A-Za-z_]", word):
                names.append(re.match(r"[A-Za-z_]\w*", word).group(0))
    return sorted(names)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nm", required=True)
    parser.add_argument("--filt", required=True)
    parser.add_argument("--hooks", nargs="+", required=True)
    parser.add_argument("--scan", nargs="+", default=[])
    parser.add_argument("--exports", nargs=2, metavar=("DEF", "MODULE"))
    parser.add_argument("binaries", nargs="+")
    args = parser.parse_args()

    hooks = set()
    for header in args.hooks + headers_with_blocks(args.scan):
        hooks |= declared_functions(header)
    if len(hooks) < 5:
        sys.exit("FAIL: only %d hooks found in %s" % (len(hooks), " ".join(args.hooks)))
    pattern = re.compile(r"(?<![\w:])(%s)(?!\w)" % "|".join(sorted(hooks)))
    failed = False
    for binary in args.binaries:
        found = sorted(set(pattern.findall(symbols_of(binary, args.nm, args.filt))))
        if found:
            print("FAIL: %s holds test hooks: %s" % (binary, ", ".join(found)))
            failed = True
    if args.exports:
        wanted = def_names(args.exports[0])
        got = exported_names(args.exports[1], args.nm)
        if got != wanted:
            print("FAIL: %s exports %s; only %s are wanted" % (args.exports[1], got, wanted))
            failed = True
    if failed:
        return 1
    print("no test hook (of %d) in %d binaries%s" % (
        len(hooks), len(args.binaries), "; exports: " + " ".join(wanted) if args.exports else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
