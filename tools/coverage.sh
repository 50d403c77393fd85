#!/usr/bin/env bash
# Builds the suites with coverage counters, runs them, and prints line and branch coverage for
# each folder of the plug-in and for the checker: the Linux build, and the Windows builds run
# under Wine, side by side. Then each file of the DLLs that the Linux figures do not speak for,
# with its own figures in each Windows build: platform/win, which only the Windows builds
# compile, and plugin/, whose exports and entry the DLL alone is loaded through (and host/win,
# the Windows host program).
#
#   bash tools/coverage.sh [flavour...]   flavours: linux windows windows-x64 (default: all)
#
# HB_BUILD_ROOT: where the build directories go (build/ by default: build/coverage,
# build/windows-coverage, ...). HB_CMAKE_ARGS: further arguments for each configuration.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(linux windows windows-x64)
folders=(checker plugin command livehelp helptable textinput base platform host)
windows_only=(platform/win plugin host/win)
# Built into the test programs alone, never into a DLL: listed apart.
test_only=(platform/call_faults.cpp platform/win/handle_counts.cpp)
build_root=${HB_BUILD_ROOT:-$root/build}

source tools/wine.sh
work=$(mktemp -d)
hb_on_exit='rm -rf "$work"'

preset_of() { [ "$1" = linux ] && echo coverage || echo "$1-coverage"; }
gcov_of() {
  case "$1" in
    windows) echo i686-w64-mingw32-gcov ;;
    windows-x64) echo x86_64-w64-mingw32-gcov ;;
    *) echo gcov ;;
  esac
}

for flavour in "${flavours[@]}"; do
  preset=$(preset_of "$flavour")
  dir=$build_root/$preset
  echo "==== $flavour: build and run with coverage counters ($dir)" >&2
  # shellcheck disable=SC2086 # HB_CMAKE_ARGS is a list of arguments
  cmake --preset "$preset" -B "$dir" ${HB_CMAKE_ARGS:-} >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
  if [ "$flavour" != linux ]; then
    hb_start_display 121 160
    hb_use_prefix "$dir/bin" "${flavour#windows-}"
  fi
  cmake --build "$dir" -j"$(nproc)"
  find "$dir" -name '*.gcda' -delete
  # A failing test still leaves its counters; the figures are wanted either way. The package
  # test needs a package of its own and counts nothing.
  ctest --test-dir "$dir" --timeout 900 -LE package >"$work/ctest-$flavour.log" 2>&1 ||
    echo "==== $flavour: some tests failed (see ctest --test-dir $dir)" >&2
  # One JSON report per flavour; gcovr reads the build's counters with the compiler's own gcov.
  gcovr --root "$root" --object-directory "$dir" --gcov-executable "$(gcov_of "$flavour")" \
        --exclude-unreachable-branches --exclude-throw-branches --json "$work/$flavour.json" \
        "$dir" \
        2>/dev/null
done

# Lines and branches of every file whose path starts with one of the given prefixes.
python3 - "$work" "${#folders[@]}" "${folders[@]}" "${#windows_only[@]}" "${windows_only[@]}" \
  "${#test_only[@]}" "${test_only[@]}" "${flavours[@]}" <<'EOF'
import json, os, sys
work = sys.argv[1]
n = int(sys.argv[2]); folders = sys.argv[3:3 + n]
rest = sys.argv[3 + n:]
m = int(rest[0]); windows_only = rest[1:1 + m]
rest = rest[1 + m:]
t = int(rest[0]); test_only = rest[1:1 + t]
flavours = rest[1 + t:]
reports = {f: json.load(open(os.path.join(work, f + ".json")))["files"] for f in flavours}

# What Wine cannot run in a flavour, not counted in its figures: file, function, reason.
# (Branches that no flavour can take are marked in the sources instead.)
DPI_OF = ("platform/win/help_window.cpp", "DpiOf(",
          "Wine has GetDpiForWindow, and one screen at one DPI: the way of systems without the "
          "call never runs")
NOT_COUNTED = {
    "windows": [DPI_OF],
    "windows-x64": [
        DPI_OF,
        ("platform/win/process.cpp", "PlatformConsoleWindowState(",
         "no program has a console window under Wine's 64-bit loader (AllocConsole fails with "
         "error 5), so the part past its absence never runs"),
        ("platform/win/help_window.cpp", "CaretCell(",
         "without a console window there is no caret to place the help window beside"),
    ],
}

def skipped_lines(flavour, f):
    """The lines of the functions not counted in this flavour, from each one's first line to
    the next function's."""
    starts = sorted(fn["lineno"] for fn in f.get("functions", []))
    lines = set()
    for name, function, _ in NOT_COUNTED.get(flavour, []):
        if name != f["file"]:
            continue
        for fn in f.get("functions", []):
            if fn["name"].replace("(anonymous namespace)::", "").startswith(function):
                end = min([s for s in starts if s > fn["lineno"]] + [10 ** 9])
                lines.update(range(fn["lineno"], end))
    return lines

def totals(files, prefix, flavour=""):
    lines = covered = branches = taken = 0
    for f in files:
        name = f["file"]
        if not (name == prefix or name.startswith(prefix.rstrip("/") + "/")):
            continue
        skipped = skipped_lines(flavour, f)
        for line in f["lines"]:
            if line.get("gcovr/noncode") or line["line_number"] in skipped:
                continue
            lines += 1
            covered += line["count"] > 0
            for b in line["branches"]:
                branches += 1
                taken += b["count"] > 0
    return lines, covered, branches, taken

def cell(lines, covered, branches, taken):
    if lines == 0:
        return "%-24s" % "-"
    br = "%5.1f%%" % (100.0 * taken / branches) if branches else "  -   "
    return "%5.1f%% / %s %-9s" % (100.0 * covered / lines, br, "(%d)" % branches)

print("lines / branches (branch count)")
print("%-12s" % "folder" + "".join("%-26s" % f for f in flavours))
for folder in folders:
    print("%-12s" % folder + "".join("%-26s" % cell(*totals(reports[f], folder, f))
                                   for f in flavours))
windows = [f for f in flavours if f != "linux"]
if windows:
    print("\nThe DLLs' own files, and the Windows host's")
    names = sorted({f["file"] for w in windows for f in reports[w]
                    if any(f["file"].startswith(p) for p in windows_only)})
    for name in names:
        print("%-34s" % name + "".join("%-26s" % cell(*totals(reports[w], name, w))
                                       for w in windows) + ("(test builds only)" if name in test_only else ""))
    for w in windows:
        for name, function, reason in NOT_COUNTED.get(w, []):
            print("\nNot counted in %s: %s in %s: %s" % (w, function.rstrip("("), name, reason))
EOF
