#!/usr/bin/env python3
"""End-to-end tests of hintbar-shell with the real plug-in.

The interactive shell runs in a private tmux server, is typed at with send-keys and read
back with capture-pane; batch files and transient commands run as plain child processes.
Usage: shell_e2e.py --shell PATH --data HELPFILE [unittest options]
"""
import argparse
import fcntl
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unittest

SHELL = None
DATA = None
TIMEOUT = float(os.environ.get("HB_E2E_TIMEOUT", "20"))
PROMPT = "hintbar> "


def function_count(path):
    """The number of distinct names the help file defines, for the count lines."""
    names = set()
    with open(path, encoding="utf-8-sig") as f:
        for line in f:
            m = re.match(r"\s*@([A-Za-z][A-Za-z0-9_$]*)\[", line)
            if m:
                names.add(m.group(1).upper())
    return len(names)


def functions(n):
    return f"{n:,} function" + ("" if n == 1 else "s")


# Variables set or removed in each shell explicitly: the plug-in's two, and the shell's key log.
PANE_VARIABLES = ("Hintbar", "NoLoadMsg", "HB_SHELL_KEYLOG")


def clean_env(**extra):
    env = {k: v for k, v in os.environ.items() if k not in PANE_VARIABLES}
    env.update(extra)
    return env


class Pane:
    """One shell in a tmux server of its own, sized rows x columns."""

    counter = 0

    def __init__(self, argv, env, rows=50, columns=100):
        Pane.counter += 1
        self.socket = f"hbe2e-{os.getpid()}-{Pane.counter}"
        self.rows = rows
        self.conf = tempfile.NamedTemporaryFile("w", suffix=".conf", delete=False)
        self.conf.write("set -g remain-on-exit on\nset -g status off\nset -g history-limit 0\n")
        self.conf.close()
        # The server passes on the test's own environment; the shell's own variables are set
        # or removed explicitly.
        assigns = " ".join(shlex.quote(f"{k}={env[k]}") for k in PANE_VARIABLES if k in env)
        unsets = " ".join(f"-u {k}" for k in PANE_VARIABLES if k not in env)
        command = " ".join(shlex.quote(a) for a in argv)
        # The trap keeps sh alive through Ctrl-C, so that it reports the exit status.
        script = f"trap : INT; env {unsets} {assigns} {command}; echo \"[exit $?]\""
        self.tmux("new-session", "-d", "-s", "e2e", "-x", str(columns), "-y", str(rows),
                  "sh -c " + shlex.quote(script))

    def tmux(self, *args, check=True):
        # Outside any tmux the tests may themselves run in.
        env = {k: v for k, v in os.environ.items() if k != "TMUX"}
        return subprocess.run(["tmux", "-u", "-L", self.socket, "-f", self.conf.name, *args],
                              check=check, capture_output=True, text=True, env=env,
                              timeout=TIMEOUT)

    def close(self):
        self.tmux("kill-server", check=False)
        os.unlink(self.conf.name)

    EXITED = re.compile(r"\[exit (\d+)\]")

    def exit_status(self):
        """Waits for the shell to have left and returns its exit status."""
        screen = self.wait(lambda s: any(map(self.EXITED.search, s)), "the shell to exit")
        return int(next(m.group(1) for m in map(self.EXITED.search, screen) if m))

    def finish(self):
        """Leaves the shell with exit, unless it has left already, and returns its exit
        status. A shell left to the hang-up of a killed server may never finish a
        sanitizer's exit checks, so every test ends this way."""
        if not any(map(self.EXITED.search, self.screen())):
            self.key("C-u")
            self.enter("exit")
        return self.exit_status()

    def type(self, text):
        self.tmux("send-keys", "-t", "e2e", "-l", text)

    def key(self, *names):
        self.tmux("send-keys", "-t", "e2e", *names)

    def enter(self, text):
        self.type(text)
        self.key("Enter")

    def screen(self):
        lines = self.tmux("capture-pane", "-p", "-t", "e2e").stdout.split("\n")
        lines = lines[: self.rows]
        return lines + [""] * (self.rows - len(lines))

    def resize(self, rows, columns=None):
        """Resizes the terminal and waits until its pseudo-terminal has the new size (tmux
        passes it on a moment later), so that keys sent next reach a shell told of it."""
        size = ["-y", str(rows)] + (["-x", str(columns)] if columns else [])
        self.tmux("resize-window", "-t", "e2e", *size)
        self.rows = rows
        tty = self.tmux("display-message", "-p", "-t", "e2e", "#{pane_tty}").stdout.strip()
        fd = os.open(tty, os.O_RDONLY | os.O_NOCTTY)
        try:
            deadline = time.monotonic() + TIMEOUT
            while True:
                seen = struct.unpack("HH", fcntl.ioctl(fd, termios.TIOCGWINSZ, b"\0" * 4))
                if seen[0] == rows and (not columns or seen[1] == columns):
                    return
                if time.monotonic() > deadline:
                    raise AssertionError(f"the terminal stays {seen}, not {rows}x{columns}")
                time.sleep(0.02)
        finally:
            os.close(fd)

    SGR = re.compile(r"\x1b\[[0-9;]*m")

    def last_row_cells(self):
        """The last row with its trailing blanks, and whether it is drawn in reverse video."""
        lines = self.tmux("capture-pane", "-p", "-e", "-N", "-t", "e2e").stdout.split("\n")
        row = lines[self.rows - 1]
        return self.SGR.sub("", row), "\x1b[7m" in row

    def last_row(self):
        return self.screen()[-1].strip()

    def wait(self, predicate, what):
        deadline = time.monotonic() + TIMEOUT
        while True:
            screen = self.screen()
            if predicate(screen):
                return screen
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting for {what}; screen:\n" + "\n".join(screen))
            time.sleep(0.05)

    def wait_text(self, text):
        return self.wait(lambda s: any(text in line for line in s), repr(text))

    def wait_status(self, text):
        return self.wait(lambda s: text in s[-1], f"status bar {text!r}")

    def title(self):
        return self.tmux("display-message", "-p", "-t", "e2e", "#{pane_title}").stdout.strip()

    def wait_title(self, predicate, what):
        deadline = time.monotonic() + TIMEOUT
        while not predicate(self.title()):
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting for the title {what}; title: "
                                     f"{self.title()!r}")
            time.sleep(0.05)

    def wait_prompts(self, n):
        return self.wait(lambda s: sum(line.startswith(PROMPT.rstrip()) for line in s) >= n,
                         f"{n} prompts")


def run_shell(args, env, cwd=None):
    return subprocess.run([SHELL, *args], env=env, cwd=cwd, capture_output=True, text=True,
                          timeout=TIMEOUT * 3)


class InteractiveShell(unittest.TestCase):
    def setUp(self):
        self.count = function_count(DATA)
        log = tempfile.NamedTemporaryFile(prefix="hbkeys", suffix=".log", delete=False)
        log.close()
        self.keylog = log.name
        self.addCleanup(os.unlink, self.keylog)
        self.pane = Pane([SHELL], clean_env(Hintbar=DATA, HB_SHELL_KEYLOG=self.keylog))
        self.addCleanup(self.pane.close)
        self.addCleanup(self.check_exit)
        self.pane.wait_prompts(1)

    def check_exit(self):
        self.assertEqual(self.pane.finish(), 0)

    def test_start_up_shows_the_banner_and_the_default_status(self):
        screen = self.pane.wait_status("Ready")
        text = "\n".join(screen)
        self.assertIn("Hintbar v0.93.0 loaded.", text)
        self.assertIn(f"•  {functions(self.count)} loaded into memory.", text)

    def test_brackets_show_help_and_put_the_status_back(self):
        p = self.pane
        p.type("echo %@left[")
        p.wait_status("@LEFT[n,string]")
        self.assertIn("Returns the first n characters of string.", p.last_row())
        p.type("]")
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready after ]")
        # The inner function's help, then the enclosing one's when its list closes.
        p.type(" %@left[2,%@upper[")
        p.wait_status("@UPPER[string]")
        p.type("abc]")
        p.wait_status("@LEFT[n,string]")
        p.type("]")
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready after the outer ]")
        # Backspace is handed over with the line before the deletion, as key 8; a cursor move
        # or another edit after it, as key 0 with the line as it then stands.
        p.key("C-u")
        p.type("echo %@upper[ab")
        p.wait_status("@UPPER[string]")
        p.key("BSpace", "BSpace", "BSpace", "Left", "Left")
        keys = self.wait_keys(lambda k: len(k) > 5 and k[-6] == "key=98 cursor=14 line=echo "
                              "%@upper[a" and k[-1].startswith("key=0 cursor=10 "), "the moves")
        self.assertEqual(keys[-5:], ["key=8 cursor=15 line=echo %@upper[ab",
                                     "key=8 cursor=14 line=echo %@upper[a",
                                     "key=8 cursor=13 line=echo %@upper[",
                                     "key=0 cursor=11 line=echo %@upper",
                                     "key=0 cursor=10 line=echo %@upper"])
        p.key("End")
        p.type("]")
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready after ] once the keys came")

    def wait_keys(self, predicate, what):
        """The shell's key log, one key a line, once the predicate holds for it."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            with open(self.keylog, encoding="utf-8") as f:
                keys = f.read().splitlines()
            if predicate(keys):
                return keys
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting for {what}; keys:\n" + "\n".join(keys))
            time.sleep(0.05)

    def test_a_function_without_help_leaves_the_status_bar(self):
        p = self.pane
        p.type("echo %@nosuchfunction[")
        p.type("%@len[")  # a later help on the same line shows: the first left no trace
        p.wait_status("@LEN[string]")
        p.type("]")
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready after ]")

    def test_a_new_line_starts_from_the_default_status(self):
        p = self.pane
        p.type("echo %@upper[")
        p.wait_status("@UPPER[")
        p.enter("xyzzy")  # the line ends with the help still showing
        p.wait_prompts(2)
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready on the new line")
        p.type("echo %@left[")
        p.wait_status("@LEFT[")
        p.type("1,x]")
        p.wait(lambda s: s[-1].strip() == "Ready", "the text saved on this line")

    def test_ctrl_c_drops_the_line_and_its_help(self):
        p = self.pane
        p.type("echo %@left[")
        p.wait_status("@LEFT[")
        p.key("C-c")
        p.wait(lambda s: s[-1].strip() == "Ready", "Ready after Ctrl-C")
        p.enter("echo after")
        p.wait_text("after")
        p.wait_prompts(3)

    def test_hbar_reports_unloads_and_reloads(self):
        p = self.pane
        n = functions(self.count)
        p.enter("hbar /I")
        p.wait_text(f"Found {n}:")
        p.wait_text("TOTAL:")
        p.enter("hbar /Z")
        p.wait_text(f"•  {n} deleted.")
        p.wait_prompts(3)
        p.type("echo %@left[")  # nothing loaded: no help
        time.sleep(0.3)
        self.assertEqual(p.last_row(), "Ready")
        p.key("C-u")
        p.enter("hbar")
        p.wait_text("0 functions in memory.")
        p.enter("hbar /L missing")
        p.wait_text('Hintbar plugin: File not found: "')  # no batch file: no location
        p.enter(f'hbar /L:"{DATA}"')  # quoted: a bare /path would read as an option
        p.enter("hbar")
        p.wait_text(f"{n} in memory.")
        p.type("echo %@right[")
        p.wait_status("@RIGHT[n,string]")

    def test_exit_shuts_the_plug_in_down(self):
        p = self.pane
        p.enter("exit")
        self.assertEqual(p.exit_status(), 0)
        screen = p.screen()
        text = "\n".join(screen)
        self.assertIn(f"•  {functions(self.count)} deleted.", text)
        self.assertLess(text.index(PROMPT + "exit"), text.index(" deleted."))
        self.assertNotEqual(screen[-1].strip(), "Ready")  # the bar is gone

    def test_the_status_bar_fills_its_row(self):
        text, reverse = self.pane.last_row_cells()
        self.assertEqual(text, " Ready".ljust(100))
        self.assertTrue(reverse)

    def test_unknown_commands_are_reported(self):
        p = self.pane
        p.enter("frobnicate now")
        p.wait_text('Unknown command: "frobnicate"')


class ConsoleTitle(unittest.TestCase):
    """Run as in a visible console: no status bar; with HintbarConsole=title the help shows in
    the terminal's title, and the title goes back unless the host set another meanwhile."""

    def setUp(self):
        self.pane = Pane([SHELL, "--console"], clean_env(Hintbar=DATA))
        self.addCleanup(self.pane.close)
        self.pane.wait_prompts(1)
        self.pane.wait_title(lambda t: t == "hintbar-shell", "of the shell")

    def test_help_shows_in_the_title_only_when_asked_for(self):
        p = self.pane
        p.type("echo %@left[")
        time.sleep(0.3)
        self.assertEqual(p.title(), "hintbar-shell", "off without the variable")
        self.assertFalse(any("@LEFT[" in row for row in p.screen()[1:]), "no status bar")
        p.key("C-u")
        p.enter("set HintbarConsole=title")
        p.wait_prompts(2)
        # Help follows the typing in the title: the argument being typed between guillemets,
        # and its own line after the syntax line.
        p.type("echo %@left[")
        p.wait_title(lambda t: t == "@LEFT[\u00abn\u00bb,string] - n how many characters to keep; "
                     "a negative n drops that many from the end instead.", "with help")
        p.type("2,%@upper[")
        p.wait_title(lambda t: t.startswith("@UPPER[\u00abstring\u00bb]"), "with the inner help")
        p.type("x]")
        p.wait_title(lambda t: t.startswith("@LEFT[n,\u00abstring\u00bb] - string"),
                     "with the enclosing help, its second argument marked")
        p.type("]")
        p.wait_title(lambda t: t == "hintbar-shell", "put back by ]")
        p.type(" %@le")
        p.wait_title(lambda t: t == "@LEAPYEAR  @LEFT  @LEN", "with the names that begin so")
        p.key("BSpace")
        p.key("BSpace")
        p.key("BSpace")
        p.wait_title(lambda t: t == "hintbar-shell", "put back once no name is typed")
        # A line that ends with help showing: the next line puts the title back.
        p.enter(" %@len[")
        p.wait_prompts(3)
        p.wait_title(lambda t: t == "hintbar-shell", "put back at the new line")
        # A title that the host set meanwhile stays.
        p.enter("title Mine %@len[")
        p.wait_prompts(4)
        p.wait_title(lambda t: t == "Mine %@len[", "of the host")
        p.type("echo")
        time.sleep(0.3)
        self.assertEqual(p.title(), "Mine %@len[")
        p.key("C-u")
        p.enter("exit")
        self.assertEqual(p.finish(), 0)


    def test_help_window_shows_as_a_box_below_the_line(self):
        p = self.pane
        p.enter("set HintbarConsole=window")
        p.wait_prompts(2)
        p.type("echo %@left[2,%@upper[")
        p.wait(lambda s: any(r.startswith("\u2502 @UPPER[string]") for r in s), "the inner help")
        p.type("x]")
        p.wait(lambda s: any(r.startswith("\u2502 @LEFT[n,string]") for r in s), "the outer help")
        self.assertEqual(p.title(), "hintbar-shell", "the title is left alone")
        p.type("]")
        p.wait(lambda s: not any("\u2502" in r for r in s), "the box to go with ]")
        p.type(" %@len[")
        p.wait(lambda s: any(r.startswith("\u2502 @LEN[") for r in s), "help again")
        p.key("Enter")
        p.wait_prompts(3)
        p.wait(lambda s: not any("\u2502" in r for r in s), "the box to go at the new line")
        self.check_box_after_resizing()
        self.check_marks_show_in_bold()
        p.enter("exit")
        self.assertEqual(p.finish(), 0)

    def check_marks_show_in_bold(self):
        """Help that holds the emphasis marks (U+000E, U+000F): what lies between them is bold
        in the box, and the marks never reach the terminal."""
        p = self.pane
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("@MARK[\x0eone\x0f,two] - The \x0efirst\x0f argument.\n")
        self.addCleanup(os.unlink, f.name)
        p.key("C-u")
        p.enter(f'hbar /L:"{f.name}"')
        p.type("echo %@mark[")
        p.wait(lambda s: any(r.startswith("\u2502 @MARK[one,two] ") for r in s), "marked help")
        rows = p.tmux("capture-pane", "-p", "-e", "-t", "e2e").stdout.split("\n")
        syntax = next(r for r in rows if "@MARK[" in r)
        self.assertRegex(syntax, r"^\u2502 @MARK\[\x1b\[1mone(\x1b\[[0-9;]*m)+,two\]")
        self.assertRegex(next(r for r in rows if "argument." in r),
                         r"^\u2502 The \x1b\[1mfirst(\x1b\[[0-9;]*m)+ argument\.")
        self.assertFalse(any(c in "".join(rows) for c in "\x0e\x0f"), "no mark shows")
        p.key("C-u")

    def help_words(self, name):
        """The words of a function's help in the help file, its syntax first."""
        with open(DATA, encoding="utf-8-sig") as f:
            line = next(line for line in f if line.upper().startswith(f"@{name}["))
        syntax, description = line.rstrip("\n").split(" - ", 1)
        return [syntax] + re.sub("[\u00b6\u00ac]", " ", description).split()

    @staticmethod
    def box(screen, columns):
        """The box's rows of help while one whole box of the terminal's width lies along its
        bottom edge and nothing of another is left above it; else None."""
        tops = [i for i, r in enumerate(screen) if r.startswith("\u250c")]
        if len(tops) != 1 or not screen[-1].startswith("\u2514"):
            return None
        frame = [screen[tops[0]], *screen[tops[0] + 1:]]
        if any(len(r.rstrip()) != columns for r in frame):
            return None
        if any(set(r) & set("\u2500\u2502\u2514") for r in screen[:tops[0]]):
            return None
        rows = screen[tops[0] + 1:-1]
        if not all(r.startswith("\u2502 ") and r.rstrip().endswith(" \u2502") for r in rows):
            return None
        return [r.rstrip()[2:-1].rstrip() for r in rows]

    def check_box_after_resizing(self):
        """Narrower, shorter, taller and Ctrl-L: the box is drawn again at the bottom, wrapped
        to the width, at most a third of the rows of help, cut with "…" where it runs out."""
        p = self.pane
        words = self.help_words("LEFT")
        p.type("echo %@left[")
        for rows, columns, key in ((50, 40, None), (14, 40, None), (14, 40, "C-l"),
                                   (24, 40, None), (8, 30, None)):
            p.resize(rows, columns)
            if key:
                p.key(key)
            what = f"the box at {rows}x{columns}" + (f" after {key}" if key else "")
            screen = p.wait(lambda s: self.box(s, columns), what)
            shown = self.box(screen, columns)
            self.assertLessEqual(len(shown), rows // 3, what)
            text = " ".join(shown).split()
            cut = text[-1].endswith("\u2026")
            if cut:
                text[-1] = text[-1][:-1]
            self.assertEqual(text[:-1], words[:len(text) - 1], what)
            self.assertTrue(words[len(text) - 1].startswith(text[-1]), what)
            self.assertEqual(cut, len(text) < len(words) or text[-1] != words[-1], what)
            self.assertEqual(shown[0], words[0], what)
        self.assertTrue(cut, "8 rows show two rows of help, not all of it")
        # Too small for a row of help: the box goes, and hbar /S says why.
        p.resize(3, 40)
        p.key("C-u")
        p.enter("hbar /S")
        p.wait(lambda s: "toosmallforarowofhelp." in "".join(s).replace(" ", ""), "/S at 3x40")
        p.resize(50, 100)


class Resizing(unittest.TestCase):
    """A terminal made shorter or taller keeps the prompt above the status row, and the
    output scrolling above both."""

    ROWS = 12

    def setUp(self):
        self.pane = Pane([SHELL], clean_env(Hintbar=DATA), rows=self.ROWS, columns=60)
        self.addCleanup(self.pane.close)
        self.addCleanup(lambda: self.assertEqual(self.pane.finish(), 0))
        self.pane.wait_prompts(1)

    def check_rows(self, prompt_line, status):
        """The status on the last row, and the prompt's line the last text above it (a
        terminal made taller may leave blank rows between the two)."""
        p = self.pane

        def placed(screen):
            above = [line.rstrip() for line in screen[:-1] if line.strip()]
            return screen[-1].strip().startswith(status) and above and above[-1] == prompt_line

        return p.wait(placed, f"{prompt_line!r} above the status {status!r} at {p.rows} rows")

    def test_shorter_and_taller_keep_the_prompt_above_the_status_row(self):
        p = self.pane
        for n in range(1, self.ROWS + 2):  # the screen is full; the prompt is on its last text row
            p.enter(f"echo line {n}")
            p.wait_text(f"line {n}")
        p.type("echo %@left[")
        screen = self.check_rows(PROMPT + "echo %@left[", "@LEFT[n,string]")
        self.assertEqual(screen[-2].rstrip(), PROMPT + "echo %@left[")
        for rows in (self.ROWS - 1, self.ROWS):
            p.resize(rows)
            self.check_rows(PROMPT + "echo %@left[", "@LEFT[n,string]")
            # Output still shows and scrolls above the status row.
            p.key("C-u")
            p.enter(f"echo after {rows}")
            screen = self.check_rows(PROMPT.rstrip(), "Ready")
            above = [line.rstrip() for line in screen[:-1] if line.strip()]
            self.assertEqual(above[-2:], [f"after {rows}", PROMPT.rstrip()])
            p.type("echo %@left[")
        # Enough output fills the rows that the taller terminal added.
        p.key("C-u")
        for n in range(3):
            p.enter(f"echo more {n}")
        p.wait_text("more 2")
        screen = self.check_rows(PROMPT.rstrip(), "Ready")
        self.assertEqual(screen[-2].rstrip(), PROMPT.rstrip())


class BatchAndTransient(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.realpath(tempfile.mkdtemp(prefix="hbe2e"))
        self.addCleanup(shutil.rmtree, self.dir)
        self.count = function_count(DATA)

    def write(self, name, text):
        path = os.path.join(self.dir, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def test_batch_errors_name_the_file_and_line(self):
        script = self.write("check.btm", "rem help in a batch file\necho first\n"
                            "hbar /L missing\nfrobnicate\necho was %_?\nhbar bogus\n\n")
        r = run_shell([script], clean_env(Hintbar=DATA, NoLoadMsg="1"), cwd=self.dir)
        self.assertIn("first", r.stdout)
        self.assertIn(f'Hintbar plugin: {script} [3]  File not found: "{self.dir}/missing"',
                      r.stderr)
        self.assertIn(f'{script} [4]  Unknown command: "frobnicate"', r.stderr)
        self.assertIn("was 127", r.stdout)  # the result of the command before
        self.assertIn(f'Hintbar plugin: {script} [6]  Syntax error: "BOGUS"', r.stderr)
        self.assertEqual(r.returncode, 1)  # the last command's result; a blank line is none
        self.assertNotIn("•", r.stdout)  # NoLoadMsg silences start-up and shutdown

    def test_start_up_and_shutdown_lines_without_no_load_msg(self):
        script = self.write("count.btm", "hbar\n")
        r = run_shell([script], clean_env(Hintbar=DATA))
        n = functions(self.count)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertNotIn("\r", r.stdout)  # the plug-in's "\r\n" ends a line as "\n" here
        lines = [line for line in r.stdout.split("\n") if line.strip()]
        self.assertEqual(lines, ["Hintbar v0.93.0 loaded.", f"•  {n} loaded into memory.",
                                 f"{n} in memory.", f"•  {n} deleted."])

    def test_the_help_file_beside_the_shell_is_found(self):
        # %_cmdspec names the shell's own path; the plug-in looks beside it.
        shell = os.path.join(self.dir, "hintbar-shell")
        shutil.copy(SHELL, shell)
        shutil.copy(DATA, os.path.join(self.dir, "Hintbar.txt"))
        plugin = os.path.join(os.path.dirname(SHELL), "Hintbar.so")
        r = subprocess.run([shell, "--plugin", plugin, self.write("t.btm", "hbar\n")],
                           env=clean_env(NoLoadMsg="1"), capture_output=True, text=True,
                           timeout=TIMEOUT * 3)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(f"{functions(self.count)} in memory.", r.stdout)

    def test_transient_shell_declines_the_plug_in(self):
        r = run_shell(["-c", "hbar"], clean_env(Hintbar=DATA))
        self.assertNotIn("Hintbar v0.93.0 loaded.", r.stdout)
        self.assertNotIn("deleted", r.stdout)
        self.assertIn('"hbar" is the plug-in\'s command, and the plug-in is not loaded in a '
                      "transient shell (-c).", r.stderr)
        self.assertEqual(r.returncode, 127)
        r = run_shell(["-c", "frobnicate"], clean_env(Hintbar=DATA))
        self.assertIn('Unknown command: "frobnicate"', r.stderr)
        r = run_shell(["-c", "echo %@upper[still works]"], clean_env(Hintbar=DATA))
        self.assertEqual(r.stdout, "STILL WORKS\n")
        self.assertEqual(r.returncode, 0)

    def test_the_code_page_option_sets_how_ansi_files_read(self):
        # "\xcf\xf0\xe8" is "При" in code page 1251 and "Ïðè" in 1252.
        with open(os.path.join(self.dir, "ansi.txt"), "wb") as f:
            f.write(b"@CYR[x] - \xcf\xf0\xe8\n")
        env = clean_env(Hintbar=os.path.join(self.dir, "ansi.txt"))
        for option, text in ((["--codepage", "1251"], "При"), ([], "Ïðè")):
            pane = Pane([SHELL, *option], env, rows=8, columns=60)
            try:
                pane.wait_prompts(1)
                pane.type("echo %@cyr[")
                pane.wait_status(text)
                self.assertEqual(pane.finish(), 0)
            finally:
                pane.close()

    def test_command_line_errors_say_what_was_wrong(self):
        for args, status, message in (
                (["--codepage", "x", "-c", "exit"], 2, "not a code page: x"),
                (["--bogus"], 2, "unknown option: --bogus"),
                (["-c"], 2, "a value must follow: -c"),
                (["missing.btm"], 2, "cannot read missing.btm"),
                (["--version"], 0, "hintbar-shell 0.93.")):
            r = run_shell(args, clean_env(Hintbar=DATA), cwd=self.dir)
            self.assertEqual(r.returncode, status, args)
            self.assertIn(message, r.stderr if status else r.stdout, args)
            self.assertNotIn("loaded", r.stdout, args)  # said before the plug-in loads

    def test_a_module_that_does_not_load_is_reported(self):
        # The shell is built 64-bit here. Given: the real module with the headers of a 32-bit
        # build, and the headers of a Windows x64 DLL (the DOS header pointing at the PE
        # signature and the machine).
        with open(os.path.join(os.path.dirname(SHELL), "Hintbar.so"), "rb") as f:
            elf32 = bytearray(f.read())
        elf32[4] = 1  # ELFCLASS32
        pe64 = bytearray(4096)
        pe64[0:2] = b"MZ"
        pe64[0x3C:0x40] = (0x80).to_bytes(4, "little")
        pe64[0x80:0x86] = b"PE\0\0" + (0x8664).to_bytes(2, "little")
        for name, data, message in (
                ("none.so", None, "cannot load"),
                ("Hintbar32.so", elf32,
                 "it is a 32-bit module; this shell is 64-bit and needs a 64-bit plug-in"),
                ("Hintbar-x64.dll", pe64,
                 "it is a 64-bit Windows DLL; this shell loads 64-bit Linux plug-ins")):
            path = os.path.join(self.dir, name)
            if data is not None:
                with open(path, "wb") as f:
                    f.write(data)
            r = run_shell(["--plugin", path, "-c", "exit"], clean_env())
            self.assertEqual(r.returncode, 1, name)
            self.assertIn(message, r.stderr, name)


def main():
    global SHELL, DATA
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--data", required=True)
    args, rest = parser.parse_known_args()
    SHELL = os.path.abspath(args.shell)
    DATA = os.path.abspath(args.data)
    if not shutil.which("tmux"):
        sys.exit("tmux is needed for the interactive tests (tools/setup.sh installs it)")
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
