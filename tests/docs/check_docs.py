#!/usr/bin/env python3
"""Runs the sessions shown in fiverow's documentation and compares their output.

  check_docs.py --list DOC...
      prints "DOC COUNT" for each file: how many sessions it has to run
  check_docs.py --source DIR --build DIR [--session N] [--expect COUNT] DOC
      checks DOC's blocks and runs its sessions (or only the Nth, from 1)
  check_docs.py --relay LOG COMMAND...
      runs COMMAND, passing its standard input and output through and logging
      them to LOG as "> line" and "< line" (a pipe engine that is listened to)

What is a session (see docs/building.md, "The documentation's sessions"):
  ```console   lines "$ command" (a trailing backslash continues it) and the
               output expected of it, standard output and error together
  ```pbrain    "> line" sent to pbrain-fiverow, "< line" a reply expected
An HTML comment on the line before a block changes how it is checked:
  <!-- not run: REASON -->          a console block that builds or benchmarks
  <!-- run by .ci/run -->           not run here, but each command must be a
                                    line of .ci/run
  <!-- pbrain heard as B in: COMMAND -->
                                    a pbrain block that is what pbrain-fiverow,
                                    engine B of the fiverow-match COMMAND, was
                                    sent and answered
Sessions run in a new temporary folder holding build/release, a link to the
build under test, and examples/, a link to the source's; the build folder's
absolute path is shown as /path/to/fiverow/build/release. In expected output a
line "..." or "... (anything)" stands for any number of lines, and times
(2.1 ms, 1.2 s, 35 us) and the time left of a pipe engine match any value.
"""

import os
import re
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

SHOWN_BUILD = "/path/to/fiverow/build/release"
SESSION_TIMEOUT = 300  # seconds for a whole session
REPLY_TIMEOUT = 10  # seconds for one reply of pbrain-fiverow

FENCE = re.compile(r"^( *)(`{3,}|~{3,})\s*([^\s`]*)")
MARKER = re.compile(r"^<!--\s*(.*?)\s*-->$")
ELISION = re.compile(r"^\s*\.\.\.( \(.*\))?$")
TIME = re.compile(r" *\b\d+(?:\.\d+)? ?(?:ms|us|µs|s)\b")
MASKS = [
    (TIME, " <time>"),
    (re.compile(r"\btime_left \d+"), "time_left <ms>"),
    (re.compile(r"fiverow-match-[A-Za-z0-9]{6}"), "fiverow-match-XXXXXX"),
]
LINK = re.compile(r"\]\(([^)\s]+)\)")


class DocError(Exception):
    pass


class Block:
    def __init__(self, doc, line, info, marker, lines):
        self.doc, self.line, self.info, self.marker, self.lines = doc, line, info, marker, lines

    def where(self):
        return f"{self.doc}:{self.line}"

    def not_run(self):
        return self.marker is not None and (self.marker.startswith("not run:") or
                                            self.marker == "run by .ci/run")


def read_blocks(path):
    """The fenced blocks of a Markdown file, with the comment before each."""
    blocks, previous = [], ""
    lines = open(path, encoding="utf-8").read().split("\n")
    i = 0
    while i < len(lines):
        match = FENCE.match(lines[i])
        if not match:
            if lines[i].strip():
                previous = lines[i].strip()
            i += 1
            continue
        indent, fence, info = match.group(1), match.group(2), match.group(3)
        marker = MARKER.match(previous)
        start, body = i + 1, []
        i += 1
        while i < len(lines) and not (lines[i].startswith(indent + fence) and
                                      lines[i].strip() == fence):
            body.append(lines[i][len(indent):] if lines[i].startswith(indent) else lines[i])
            i += 1
        if i == len(lines):
            raise DocError(f"{path}:{start}: the block is never closed")
        blocks.append(Block(path, start, info, marker.group(1) if marker else None, body))
        previous = ""
        i += 1
    return blocks


def parse_console(block):
    """[(command, [expected lines])] of a console block."""
    steps, lines, i = [], block.lines, 0
    while i < len(lines):
        line = lines[i]
        if not line.startswith("$ "):
            if line.strip():
                raise DocError(f"{block.where()}: output before any command: {line!r}")
            i += 1
            continue
        command = line[2:]
        while command.endswith("\\") and i + 1 < len(lines):
            i += 1
            command += "\n" + lines[i]
        i += 1
        expected = []
        while i < len(lines) and not lines[i].startswith("$ "):
            expected.append(lines[i])
            i += 1
        steps.append((command, expected))
    if not steps:
        raise DocError(f"{block.where()}: a console block without a command line (\"$ ...\")")
    return steps


def parse_pbrain(block, heard):
    for line in block.lines:
        if ELISION.match(line):
            if not heard:
                raise DocError(f"{block.where()}: lines cannot be left out of a session fed "
                               "to pbrain-fiverow")
        elif not re.match(r"^[<>] \S", line):
            raise DocError(f"{block.where()}: a pbrain line must begin with \"> \" or \"< \": "
                           f"{line!r}")
    return block.lines


def sessions(path):
    """The blocks of a file to run; raises DocError on a block that cannot be."""
    found = []
    for block in read_blocks(path):
        if block.info == "console":
            if block.marker and not block.not_run():
                raise DocError(f"{block.where()}: unknown marker <!-- {block.marker} -->")
            steps = parse_console(block)
            if not block.not_run():
                found.append(block)
            block.steps = steps
        elif block.info == "pbrain":
            heard = block.marker and block.marker.startswith("pbrain heard as B in:")
            if block.marker and not heard:
                raise DocError(f"{block.where()}: a pbrain block is always run; "
                               f"unknown marker <!-- {block.marker} -->")
            parse_pbrain(block, heard)
            found.append(block)
        elif any(line.startswith("$ ") for line in block.lines) or (
                block.lines and all(re.match(r"^[<>] ", line) for line in block.lines if line)):
            raise DocError(f"{block.where()}: this looks like a session: give it the info "
                           "string console or pbrain so that it is checked (a console block "
                           "that cannot run here is marked <!-- not run: REASON -->)")
    return found


def check_links(path):
    """Relative links must name files that exist, and #anchors headings there."""
    errors, base = [], os.path.dirname(path)
    text = open(path, encoding="utf-8").read()
    for target in LINK.findall(text):
        if re.match(r"^[a-z]+:", target):
            continue
        file, _, anchor = target.partition("#")
        full = os.path.normpath(os.path.join(base, file)) if file else path
        if not os.path.exists(full):
            errors.append(f"{path}: the link {target} names no file")
        elif anchor and full.endswith(".md") and anchor not in anchors(full):
            errors.append(f"{path}: the link {target} names no heading")
    return errors


def anchors(path):
    found, fenced = set(), False
    for line in open(path, encoding="utf-8"):
        if FENCE.match(line):
            fenced = not fenced
        elif not fenced and line.startswith("#"):
            title = line.lstrip("#").strip().lower()
            found.add(re.sub(r"[^\w\- ]", "", title).replace(" ", "-"))
    return found


def mask(line):
    line = line.rstrip("\r\n").rstrip()
    for pattern, replacement in MASKS:
        line = pattern.sub(replacement, line)
    return line


def matches(expected, actual):
    """Whether the lines match, an elision line standing for any number of lines."""
    expected = [None if ELISION.match(line) else mask(line) for line in expected]
    actual = [mask(line) for line in actual]
    # reach[j]: the first i expected lines can match the first j actual lines.
    reach = [True] + [False] * len(actual)
    for item in expected:
        if item is None:
            for j in range(1, len(actual) + 1):
                reach[j] = reach[j] or reach[j - 1]
        else:
            reach = [False] + [reach[j - 1] and actual[j - 1] == item
                               for j in range(1, len(actual) + 1)]
    return reach[len(actual)]


def trimmed(lines):
    lines = list(lines)
    while lines and not lines[-1].strip():
        lines.pop()
    return lines


def difference(expected, actual):
    return ("expected:\n" + "".join(f"  | {line}\n" for line in expected) +
            "got:\n" + "".join(f"  | {line}\n" for line in actual))


def make_folder(build, source):
    folder = tempfile.mkdtemp(prefix="fiverow-docs-")
    os.mkdir(os.path.join(folder, "build"))
    os.symlink(os.path.abspath(build), os.path.join(folder, "build", "release"))
    os.symlink(os.path.join(os.path.abspath(source), "examples"), os.path.join(folder, "examples"))
    return folder


def run_bounded(command, folder):
    """(status, standard output) of COMMAND, which with all that it started is
    killed after SESSION_TIMEOUT."""
    process = subprocess.Popen(command, cwd=folder, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, start_new_session=True)
    try:
        output = process.communicate(timeout=SESSION_TIMEOUT)[0]
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise
    return process.returncode, output.decode("utf-8", "replace")


def run_console(block, folder):
    token = "@@fiverow-docs-%d@@" % os.getpid()
    script = ["exec 2>&1 </dev/null"]
    for index, (command, _) in enumerate(block.steps):
        script.append(f"__status=$?; printf '\\n{token} {index}\\n'; (exit $__status)")
        script.append(command)
    text = run_bounded(["bash", "-c", "\n".join(script) + "\n"], folder)[1]
    # The build folder, wherever it is, as the pages show it.
    for place in (os.path.realpath(os.path.join(folder, "build", "release")),
                  os.path.join(folder, "build", "release")):
        text = text.replace(place, SHOWN_BUILD)
    parts = re.split(r"\n?" + re.escape(token) + r" \d+\n", text)[1:]
    errors = []
    for (command, expected), output in zip(block.steps, parts):
        expected, actual = trimmed(expected), trimmed(output.split("\n"))
        if not matches(expected, actual):
            errors.append(f"{block.where()}: $ {command}\n{difference(expected, actual)}")
    return errors


def read_line(process, selector, buffer):
    while b"\n" not in buffer[0]:
        if not selector.select(REPLY_TIMEOUT):
            return None
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            break
        buffer[0] += chunk
    if not buffer[0]:
        return None
    line, _, buffer[0] = buffer[0].partition(b"\n")
    return line.decode("utf-8", "replace").rstrip("\r")


def run_pbrain_fed(block, folder):
    """Feeds the "> " lines to pbrain-fiverow; each "< " line is the next reply."""
    brain = os.path.join(folder, "build", "release", "pbrain-fiverow")
    process = subprocess.Popen([brain], cwd=folder, stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE)
    selector = selectors.DefaultSelector()
    selector.register(process.stdout, selectors.EVENT_READ)
    buffer, errors = [b""], []
    try:
        for number, line in enumerate(block.lines, block.line + 1):
            if line.startswith("> "):
                try:
                    process.stdin.write(line[2:].encode() + b"\n")
                    process.stdin.flush()
                except BrokenPipeError:
                    errors.append(f"{block.doc}:{number}: pbrain-fiverow has ended before {line!r}")
                    break
            else:
                reply = read_line(process, selector, buffer)
                if reply is None or mask(reply) != mask(line[2:]):
                    errors.append(f"{block.doc}:{number}: expected {line!r}, got "
                                  f"{'no reply' if reply is None else repr('< ' + reply)}")
                    break
        if not errors:
            try:
                process.stdin.close()
            except BrokenPipeError:
                pass
            rest = read_line(process, selector, buffer)
            if rest is not None:
                errors.append(f"{block.where()}: a reply after the last line: {rest!r}")
            if process.wait(REPLY_TIMEOUT) != 0:
                errors.append(f"{block.where()}: pbrain-fiverow ended with status "
                              f"{process.returncode}")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    return errors


def run_pbrain_heard(block, folder):
    """Runs the match with pbrain-fiverow as B, listened to, and compares."""
    command = block.marker[len("pbrain heard as B in:"):].strip()
    log = os.path.join(folder, "heard.log")
    relay = (f"pipe:{sys.executable} {os.path.abspath(__file__)} --relay {log} "
             "build/release/pbrain-fiverow")
    status, output = run_bounded(["bash", "-c", f'{command} "$0" 2>&1', relay], folder)
    if status != 0:
        return [f"{block.where()}: {command} ended with status {status}:\n{output}"]
    heard = open(log, encoding="utf-8").read().split("\n") if os.path.exists(log) else []
    expected, actual = trimmed(block.lines), trimmed(heard)
    if not matches(expected, actual):
        return [f"{block.where()}: what pbrain-fiverow heard in {command}\n" +
                difference(expected, actual)]
    return []


def relay(log_path, command):
    log = open(log_path, "a", encoding="utf-8")
    lock = threading.Lock()

    def note(prefix, line):
        with lock:
            log.write(prefix + line.decode("utf-8", "replace").rstrip("\r\n") + "\n")
            log.flush()

    process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def forward():
        try:
            for line in iter(sys.stdin.buffer.readline, b""):
                note("> ", line)
                process.stdin.write(line)
                process.stdin.flush()
            process.stdin.close()
        except BrokenPipeError:
            pass

    threading.Thread(target=forward, daemon=True).start()
    for line in iter(process.stdout.readline, b""):
        note("< ", line)
        sys.stdout.buffer.write(line)
        sys.stdout.buffer.flush()
    os._exit(process.wait())


def check(doc, source, build, session, expect):
    errors = check_links(doc)
    found = sessions(doc)
    if expect is not None and len(found) != expect:
        errors.append(f"{doc}: {len(found)} sessions, but {expect} were registered as tests: "
                      "configure the build again")
    errors += check_ci(doc, source)
    chosen = found if session is None else found[session - 1:session] if session > 0 else []
    for block in chosen:
        folder = make_folder(build, source)
        try:
            if block.info == "console":
                errors += run_console(block, folder)
            elif block.marker:
                errors += run_pbrain_heard(block, folder)
            else:
                errors += run_pbrain_fed(block, folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return errors


def check_ci(doc, source):
    """Commands marked as run by .ci/run must be lines of it, word for word."""
    ci = [line.strip() for line in open(os.path.join(source, ".ci", "run"), encoding="utf-8")]
    errors = []
    for block in read_blocks(doc):
        if block.info == "console" and block.marker == "run by .ci/run":
            for command, _ in parse_console(block):
                if command.strip() not in ci:
                    errors.append(f"{block.where()}: .ci/run does not run {command!r}")
    return errors


def main(argv):
    if argv[:1] == ["--relay"] and len(argv) >= 3:
        relay(argv[1], argv[2:])
    if argv[:1] == ["--list"]:
        for doc in argv[1:]:
            try:
                count = len(sessions(doc))
            except DocError:
                count = 0
            print(doc, count)
        return 0
    options = {"--source": None, "--build": None, "--session": None, "--expect": None}
    docs = []
    while argv:
        word = argv.pop(0)
        if word in options and argv:
            options[word] = argv.pop(0)
        else:
            docs.append(word)
    if len(docs) != 1 or not options["--source"] or not options["--build"]:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        errors = check(docs[0], options["--source"], options["--build"],
                       int(options["--session"]) if options["--session"] is not None else None,
                       int(options["--expect"]) if options["--expect"] else None)
    except DocError as error:
        errors = [str(error)]
    except subprocess.TimeoutExpired as error:
        errors = [f"{docs[0]}: a session ran over {error.timeout} s"]
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
