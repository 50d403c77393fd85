#!/usr/bin/env python3
"""Draws a terminal screen, as tmux's capture-pane -p -e gives it, as an ImageMagick MVG
picture: light text on a dark background, reverse video where the screen has it.

Usage: render_terminal.py COLUMNS ROWS FONT < screen.txt > screen.mvg
"""
import re
import sys
import unicodedata

CELL_W, CELL_H, FONT_SIZE, MARGIN = 8.5, 18, 14, 10
BACKGROUND, FOREGROUND = "#1e1e1e", "#dcdcdc"
SGR = re.compile(r"\x1b\[([0-9;]*)m")


def runs(line):
    """The line's text in runs of one video mode: (text, reverse)."""
    reverse, at, out = False, 0, []
    for m in SGR.finditer(line):
        if m.start() > at:
            out.append((line[at:m.start()], reverse))
        for code in (m.group(1) or "0").split(";"):
            if code in ("", "0", "27"):
                reverse = False
            elif code == "7":
                reverse = True
        at = m.end()
    if at < len(line):
        out.append((line[at:], reverse))
    return out


def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else
               0 if unicodedata.combining(c) else 1 for c in text)


def quoted(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def main():
    width, height, font = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    px_w, px_h = int(2 * MARGIN + width * CELL_W), int(2 * MARGIN + height * CELL_H)
    print(f"viewbox 0 0 {px_w} {px_h}")
    print(f"fill '{BACKGROUND}' rectangle 0,0 {px_w},{px_h}")
    print(f"font {quoted(font)}")
    print(f"font-size {FONT_SIZE}")
    lines = sys.stdin.read().split("\n")[:height]
    for row, line in enumerate(lines):
        x, top = 0, MARGIN + row * CELL_H
        for text, reverse in runs(line):
            n = columns(text)
            left = MARGIN + x * CELL_W
            if reverse:
                print(f"fill '{FOREGROUND}' rectangle {left:.1f},{top} "
                      f"{left + n * CELL_W:.1f},{top + CELL_H}")
            if text.strip():
                print(f"fill '{BACKGROUND if reverse else FOREGROUND}' "
                      f"text {left:.1f},{top + CELL_H - 5} {quoted(text)}")
            x += n


if __name__ == "__main__":
    main()
