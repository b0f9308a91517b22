#!/usr/bin/env python3
"""Checks that each manual page says what its tool's --help says.

  check_man_pages.py PROGRAM PAGE [PROGRAM PAGE ...]

Every line of the help but the usage and "Options:" lines must appear, words
in order, in the page's text (its troff markup taken away), and the page must
name the tool's --version.
"""

import re
import subprocess
import sys

ESCAPES = [(re.compile(r"\\f[BIRP]|\\[,/&]"), ""), (re.compile(r"\\-"), "-"),
           (re.compile(r"\\\(aq"), "'"), (re.compile(r"\\\(dq"), '"'), (re.compile(r"\\e"), r"\\")]


def words(text):
    return " ".join(text.split())


def page_text(page):
    lines = []
    for line in open(page, encoding="utf-8").read().splitlines():
        if line.startswith(".") and not line.startswith((".B ", ".I ")):
            continue  # a request: .TH, .SH, .TP, .PP ...
        for pattern, replacement in ESCAPES:
            line = pattern.sub(replacement, line)
        lines.append(line.removeprefix(".B ").removeprefix(".I "))
    return words("\n".join(lines))


def check(program, page):
    def run(option):
        return subprocess.run([program, option], capture_output=True, text=True, check=True).stdout
    text = page_text(page)
    missing = []
    for line in run("--help").splitlines():
        line = line.strip()
        if not line or line == "Options:" or line.startswith("Usage:") or line.startswith(
                program.rsplit("/", 1)[-1] + " "):
            continue
        if words(line) not in text:
            missing.append(line)
    if run("--version").strip() not in open(page, encoding="utf-8").read():
        missing.append("the version: " + run("--version").strip())
    return [f"{page}: not in the page: {line}" for line in missing]


def main(args):
    if not args or len(args) % 2:
        sys.exit(__doc__)
    problems = []
    for program, page in zip(args[::2], args[1::2]):
        problems += check(program, page)
    print("\n".join(problems) or f"{len(args) // 2} manual pages say what the help says")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
