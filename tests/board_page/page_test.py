#!/usr/bin/env python3
"""fiverow-board driven as a person drives it: the page in headless Chromium
(python3-selenium, chromium-driver), and its guard by plain HTTP.

  page_test.py --list
  page_test.py --case NAME --build DIR [--runner PROGRAM]
  page_test.py --screenshots DIR --build DIR     pictures of the page for docs/

DIR is the build folder holding fiverow-board, fiverow-match, fiverow-explain
and tests/tools/fiverow_fake_engine, or the Windows programs (.exe), which
PROGRAM (wine) runs. A browser case is skipped (exit status
77) where the packages are missing, unless FIVEROW_REQUIRE_BROWSER is set, as
CI sets it: then it fails.
"""

import http.client
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import zlib

SKIPPED = 77
CHROMIUM_FLAGS = ["--no-sandbox", "--headless", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--no-first-run",
                  "--window-size=1280,1000"]
MARKUP = "<script>document.title='owned'</script><img src=x onerror=document.title='owned'>"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Tools:
    def __init__(self, build, work, runner=()):
        self.build, self.work, self.runner = build, work, list(runner)
        exe = ".exe" if os.path.exists(os.path.join(build, "fiverow-board.exe")) else ""
        self.board = os.path.join(build, "fiverow-board" + exe)
        self.match = os.path.join(build, "fiverow-match")
        self.explain = os.path.join(build, "fiverow-explain")
        self.fake = os.path.join(build, "tests", "windows" if exe else "tools",
                                 "fiverow_fake_engine" + exe)
        # The engine that plays the first empty cell: easy to beat.
        self.weak = f"file:{self.fake} file first"

    def record(self):
        """A game of fiverow against the weak engine, recorded: its file."""
        folder = os.path.join(self.work, "records")
        subprocess.run([self.match, "--record", folder, "--show", "none", "--opening",
                        "9,9 10,10 9,10", "fiverow", self.weak], check=True, capture_output=True)
        return os.path.join(folder, "game-001.txt")


class Board:
    """A fiverow-board process, its address, and a stop that checks it ended well."""
    started = []  # killed at the end if a case failed before stopping them

    def __init__(self, tools, *args, env=None):
        self.stop_signal = signal.SIGINT if tools.runner else signal.SIGTERM  # wine: Ctrl-C
        self.process = subprocess.Popen([*tools.runner, tools.board, *args], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, cwd=tools.work,
                                        env=env)
        Board.started.append(self.process)
        self.process.stdout.readline()
        self.url = self.process.stdout.readline().strip()
        match = re.fullmatch(r"http://127\.0\.0\.1:(\d+)/\?t=([0-9a-f]{64})", self.url)
        if not match:
            self.process.kill()
            raise Failure(f"no address printed: {self.url!r} {self.process.stderr.read()}")
        self.port, self.token = int(match.group(1)), match.group(2)

    def request(self, method, path, body=None, headers=None, token=True, timeout=10):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        target = path + (("&" if "?" in path else "?") + "t=" + self.token if token else "")
        connection.request(method, target, body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read().decode()

    def stop(self):
        self.process.send_signal(self.stop_signal)
        _, errors = self.process.communicate(timeout=20)
        check(self.process.returncode == 0, f"stopped with status {self.process.returncode}: {errors}")


def browser(work):
    """Headless Chromium, or the reason there is none."""
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        return None, "python3-selenium is not installed"
    driver_path = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    if not os.path.exists(driver_path):
        return None, "chromium-driver is not installed"
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS + [f"--user-data-dir={os.path.join(work, 'profile')}"]:
        options.add_argument(flag)
    if os.path.exists("/usr/bin/chromium"):
        options.binary_location = "/usr/bin/chromium"
    # Its crash reports, caches and settings stay in the case's folder.
    home = os.path.join(work, "home")
    env = {**os.environ, "HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
           "XDG_CACHE_HOME": os.path.join(home, ".cache"), "TMPDIR": work}
    return webdriver.Chrome(service=Service(driver_path, env=env), options=options), None


def wait_until(condition, what, seconds=20, passing=(), state=lambda: ""):
    """Polls condition() until it holds; a Failure naming `what` and the state when it never does.
    The exceptions `passing` count as the condition not holding yet."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            if condition():
                return
        except passing:
            pass
        time.sleep(0.05)
    raise Failure(f"waited in vain for {what}{state()}")


def wait(driver, condition, what, seconds=20):
    # An element may not be there yet, or be replaced meanwhile.
    wait_until(lambda: condition(driver), what, seconds, passing=Exception,
               state=lambda: f"; status: {status(driver)!r}")


def status(driver):
    return driver.execute_script("return document.getElementById('status').textContent")


def stones(driver):
    return len(driver.find_elements("css selector", "circle[data-stone]"))


def click_cell(driver, x, y):
    """Clicks the cell, found again when the board was drawn anew meanwhile."""
    from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException

    def clicked():
        driver.find_element("css selector", f'rect[data-cell="{x},{y}"]').click()
        return True
    wait_until(clicked, f"the cell {x},{y}",
               passing=(NoSuchElementException, StaleElementReferenceException))


def play(driver, moves):
    """Plays the person's moves, each after the engine has answered the last."""
    for x, y in moves:
        count = stones(driver)
        wait(driver, lambda d: status(d).startswith("Your move"), "the person's turn")
        click_cell(driver, x, y)
        wait(driver, lambda d: stones(d) > count, f"the move {x},{y} on the board")


# ---- the cases ---------------------------------------------------------------


def case_play_win(tools, driver):
    board = Board(tools, tools.weak)
    driver.get(board.url)
    play(driver, [(9, 9), (10, 9), (11, 9), (12, 9), (13, 9)])
    wait(driver, lambda d: "You win" in status(d), "the win")
    check(status(driver) == "You win: you (x) made five in a row with 13,9.", status(driver))
    check(driver.find_element("id", "last-move") is not None, "the last move is marked")
    line = driver.find_element("id", "game-line")
    check("fiverow_fake_engine plays o" in line.text and line.get_attribute("title") == tools.weak,
          f"the engine's name: {line.text!r}, {line.get_attribute('title')!r}")
    board.stop()


def case_takeback(tools, driver):
    board = Board(tools, tools.weak)
    driver.get(board.url)
    play(driver, [(9, 9), (10, 9)])
    wait(driver, lambda d: stones(d) == 4, "the engine's answer")
    driver.find_element("id", "take-back").click()
    wait(driver, lambda d: stones(d) == 2 and status(d).startswith("Your move"), "the takeback")
    check(not driver.find_elements("css selector", 'circle[data-stone="10,9"]'), "10,9 is taken back")
    # A reload finds the same game, named in the address.
    check("&g=" in driver.current_url, driver.current_url)
    driver.refresh()
    wait(driver, lambda d: stones(d) == 2 and status(d).startswith("Your move"), "the game again")
    play(driver, [(11, 11)])
    wait(driver, lambda d: stones(d) == 4, "the game going on after the takeback")
    board.stop()


def case_game_against_fiverow(tools, driver):
    """A game against the default engine, ended by resigning after three moves."""
    board = Board(tools, "--time-limit", "2")
    driver.get(board.url)
    wait(driver, lambda d: status(d).startswith("Your move"), "the page", seconds=60)
    for _ in range(3):
        taken = {e.get_attribute("data-stone")
                 for e in driver.find_elements("css selector", "circle[data-stone]")}
        x, y = next((x, y) for x, y in [(9, 9), (10, 10), (8, 8), (9, 10), (10, 9), (11, 11)]
                    if f"{x},{y}" not in taken)
        play(driver, [(x, y)])
        wait(driver, lambda d: status(d).startswith("Your move"), "the engine's answer", seconds=60)
    check(stones(driver) == 6, f"{stones(driver)} stones after three moves each")
    driver.find_element("id", "resign").click()
    wait(driver, lambda d: "resign" in status(d).lower(), "the resignation")
    board.stop()


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def case_open(tools):
    """--open runs xdg-open with the page's address, and the browser it starts outlives the
    engines' ends and the board; without xdg-open the board says so and serves."""
    bin_dir = os.path.join(tools.work, "bin")
    os.makedirs(bin_dir)
    opened, browser = os.path.join(bin_dir, "opened"), os.path.join(bin_dir, "browser")
    with open(os.path.join(bin_dir, "xdg-open"), "w") as script:
        script.write(f'#!/bin/sh\nsleep 300 & echo $! >"{browser}"\n'
                     f'printf "%s|" "$@" >"{opened}.new" && mv "{opened}.new" "{opened}"\n')
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    board = Board(tools, "--open", tools.weak, env={**os.environ, "PATH": bin_dir + ":/usr/bin:/bin"})
    wait_until(lambda: os.path.exists(opened), "xdg-open's run")
    with open(opened) as given:
        check(given.read() == board.url + "|", f"xdg-open given {given.read()!r}")
    pid = int(open(browser).read())
    try:
        # Each engine's end kills what engines left behind: never the browser.
        game = json.loads(board.request("POST", "/api/games", body='{"side":"x"}')[2])
        path = f"/api/games/{game['id']}"
        wait_until(lambda: json.loads(board.request("GET", path)[2])["phase"] == "your-move",
                   "the person's turn")
        board.request("POST", path + "/move", body='{"cell":[9,9]}')
        wait_until(lambda: len(json.loads(board.request("GET", path)[2])["stones"]) == 2,
                   "the engine's answer")
        board.stop()
        check(alive(pid), "the browser was ended")
        # Nothing the browser holds keeps the board's port.
        try:
            socket.create_connection(("127.0.0.1", board.port), timeout=5).close()
            check(False, "the port still takes connections")
        except ConnectionRefusedError:
            pass
    finally:
        if alive(pid):
            os.kill(pid, signal.SIGKILL)
    empty = os.path.join(tools.work, "empty")
    os.makedirs(empty)
    board = Board(tools, "--open", env={**os.environ, "PATH": empty})
    check(board.request("GET", "/")[0] == 200, "the page served all the same")
    board.process.send_signal(signal.SIGTERM)
    _, errors = board.process.communicate(timeout=20)
    check("cannot open the page in a browser (cannot run xdg-open" in errors and
          board.process.returncode == 0, f"status {board.process.returncode}: {errors}")


def explain_scores(tools, shown, turn):
    """fiverow-explain's heat map of the position: {(x, y): score} and the chosen cell."""
    folder = os.path.join(tools.work, "explained")
    os.makedirs(folder, exist_ok=True)
    rows = [["-"] * 20 for _ in range(20)]
    for index, (x, y) in enumerate(shown):
        rows[y][x] = "x" if index % 2 == 0 else "o"
    with open(os.path.join(folder, "Plocha.dat"), "w") as position:
        position.write("".join("".join(row) + "\n" for row in rows))
    with open(os.path.join(folder, "Tah.dat"), "w") as turn_file:
        turn_file.write("o" if turn == "x" else "x")  # the side fiverow plays is the other mark
    output = subprocess.run([tools.explain, folder], check=True, capture_output=True, text=True).stdout
    lines = output.splitlines()
    start = next(i for i, line in enumerate(lines) if line.strip().startswith("0 ")) + 1
    scores = {}
    for y in range(20):
        cells = lines[start + y].replace(">", " ").split()[1:]
        for x, cell in enumerate(cells):
            if cell.isdigit():
                scores[(x, y)] = int(cell)
    chosen = re.search(r"fiverow would play (\d+),(\d+)", output)
    return scores, (int(chosen.group(1)), int(chosen.group(2)))


def case_heat_map(tools, driver):
    record = tools.record()
    board = Board(tools, "--replay", record)
    driver.get(board.url)
    wait(driver, lambda d: status(d).startswith("The opening"), "the replay")
    for _ in range(4):
        driver.find_element("id", "replay-forward").click()
    game = json.loads(board.request("GET", "/api/replay")[2])
    shown = (game["opening"] + game["moves"])[:len(game["opening"]) + 4]
    turn = "x" if len(shown) % 2 == 0 else "o"
    driver.find_element("id", "show-view").click()
    wait(driver, lambda d: d.find_elements("css selector", "text[data-score]"), "the heat map")
    page = {tuple(map(int, node.get_attribute("data-score").split(","))): int(node.text)
            for node in driver.find_elements("css selector", "text[data-score]")}
    expected, chosen = explain_scores(tools, shown, turn)
    check(page == expected, f"the heat map differs from fiverow-explain's: {page} != {expected}")
    check(f"would choose {chosen[0]},{chosen[1]} " in driver.find_element("id", "chosen").text,
          driver.find_element("id", "chosen").text)
    # A click on a cell lists its passes, which add up to its score.
    click_cell(driver, *chosen)
    wait(driver, lambda d: d.find_elements("css selector", "#passes h3"), "the passes")
    heading = driver.find_element("css selector", "#passes h3").text
    check(heading.endswith(f"total {expected[chosen]}"), heading)
    check(len(driver.find_elements("css selector", "table.passes tr")) == 18, "16 passes")
    board.stop()


def case_view_button(tools, driver):
    """The view button shows fiverow's view, hides it again, and says which it will do."""
    board = Board(tools, tools.weak)
    driver.get(board.url)
    play(driver, [(9, 9)])
    wait(driver, lambda d: status(d).startswith("Your move"), "the person's turn")

    def button(d):
        return d.find_element("id", "show-view")

    def scores(d):
        return d.find_elements("css selector", "text[data-score]")
    check(button(driver).text == "Show fiverow's view of this position", button(driver).text)
    button(driver).click()
    wait(driver, lambda d: scores(d) and button(d).text == "Hide fiverow's view", "the view shown")
    check(driver.find_element("id", "chosen").text.startswith("fiverow, playing x, would choose"),
          driver.find_element("id", "chosen").text)
    button(driver).click()
    wait(driver, lambda d: not scores(d) and button(d).text == "Show fiverow's view of this position",
         "the view hidden")
    board.stop()


def case_replay(tools, driver):
    record = tools.record()
    board = Board(tools, "--replay", record)
    game = json.loads(board.request("GET", "/api/replay")[2])
    opening, moves = len(game["opening"]), len(game["moves"])
    driver.get(board.url)
    wait(driver, lambda d: stones(d) == opening, "the opening")
    driver.find_element("id", "replay-forward").click()
    wait(driver, lambda d: stones(d) == opening + 1 and status(d).startswith("Move 1 of"), "move 1")
    driver.find_element("id", "replay-last").click()
    wait(driver, lambda d: stones(d) == opening + moves, "the last move")
    check(f"{game['winner']} wins: {game['reason']}." in status(driver), status(driver))
    driver.find_element("id", "replay-back").click()
    wait(driver, lambda d: stones(d) == opening + moves - 1, "a move back")
    board.stop()


def case_hostile_name(tools, driver):
    board = Board(tools, f"pipe:{tools.fake} pipe markup")
    driver.get(board.url)
    play(driver, [(9, 9)])
    line = driver.find_element("id", "game-line")
    wait(driver, lambda d: MARKUP in line.get_attribute("textContent"), "the engine's name as text")
    wait(driver, lambda d: MARKUP in d.find_element("id", "notes").get_attribute("textContent"),
         "the engine's message as text")
    check(driver.title == "fiverow board", f"the page's title became {driver.title!r}")
    check(not driver.find_elements("tag name", "img"), "the engine's markup made an element")
    board.stop()


def case_watch(tools, driver):
    events = os.path.join(tools.work, "events.jsonl")
    subprocess.run([tools.match, "--games", "4", "--sprt", "elo0=0,elo1=50,alpha=0.05,beta=0.05",
                    "--events", events, "fiverow", tools.weak], check=True, capture_output=True)
    kinds = [json.loads(line)["event"] for line in open(events)]
    check(kinds[0] == "match-started" and kinds[-1] == "match-ended" and kinds.count("sprt") == 2,
          f"the events: {kinds}")
    board = Board(tools, "--watch", events)
    driver.get(board.url)
    wait(driver, lambda d: status(d) == "The match has ended after 4 games.", "the whole match")
    rows = [[cell.text for cell in row.find_elements("tag name", "td")]
            for row in driver.find_elements("css selector", "table.standings tr")[1:]]
    check(rows[0][:6] == ["A", "4", "4", "4", "0", "0"], f"A's standing: {rows[0]}")
    check(driver.find_elements("css selector", "svg.sprt polyline"), "the SPRT plot")
    check(len(driver.find_elements("css selector", "#boards figure")) == 4, "the boards")
    board.stop()


def case_http_guard(tools):
    board = Board(tools)
    good = board.request("GET", "/api/config")
    check(good[0] == 200 and "script-src 'self'" in good[1]["Content-Security-Policy"], good)
    check(board.request("GET", "/api/config", token=False)[0] == 403, "no token")
    check(board.request("GET", "/?t=" + "0" * 64, token=False)[0] == 403, "a wrong token")
    check(board.request("GET", "/api/config", headers={"Host": "attacker.example"})[0] == 403,
          "a rebound DNS name")
    check(board.request("GET", "/api/config", headers={"Host": f"localhost:{board.port}"})[0] == 200,
          "localhost")
    check(board.request("POST", "/api/games", body="{}",
                        headers={"Origin": "http://attacker.example"})[0] == 403, "another origin")
    # Nobody else serves on its port meanwhile.
    second = subprocess.run([*tools.runner, tools.board, "--port", str(board.port)], capture_output=True,
                            text=True, timeout=20)
    check(second.returncode == 1 and "cannot listen" in second.stderr, f"a taken port: {second}")
    board.stop()
    # On every address, IPv4 too: the address it prints works.
    everywhere = Board(tools, "--listen", "::")
    check(everywhere.request("GET", "/api/config")[0] == 200, "--listen :: at 127.0.0.1")
    everywhere.stop()


def case_many_games(tools):
    """Each tab a game of its own, up to a bound; beyond it, a refusal that says why."""
    board = Board(tools)
    ids = []
    for _ in range(16):
        answer = board.request("POST", "/api/games", body='{"side":"x"}')
        check(answer[0] == 201, answer)
        ids.append(json.loads(answer[2])["id"])
    check(len(set(ids)) == 16, "every game its own id")
    refused = board.request("POST", "/api/games", body='{"side":"x"}')
    check(refused[0] == 409 and "16 games open already" in refused[2], refused)
    check(board.request("GET", f"/api/games/{ids[0]}")[0] == 200, "the first game is kept")
    check(board.request("GET", "/api/games/" + "0" * 32)[0] == 404, "an unknown game")
    board.stop()


def case_stop_cleans_up(tools):
    """Stopped mid-game, the board ends its engines and removes their folders."""
    temporary = os.path.join(tools.work, "tmp")
    os.makedirs(temporary)
    pid_file = os.path.join(tools.work, "engine.pid")
    board = Board(tools, f"pipe:{tools.fake} pipe --pid {pid_file} legal",
                  env={**os.environ, "TMPDIR": temporary})
    game = json.loads(board.request("POST", "/api/games", body='{"side":"x"}')[2])
    path = f"/api/games/{game['id']}"

    def now():
        return json.loads(board.request("GET", path)[2])
    wait_until(lambda: now()["phase"] == "your-move", "the person's turn")
    check(board.request("POST", path + "/move", body='{"cell":[9,9]}')[0] == 200, "a move")
    wait_until(lambda: os.path.exists(pid_file) and len(now()["stones"]) == 2, "the engine's answer")
    engine = int(open(pid_file).read())
    check(os.listdir(temporary), "the engine's folder while it plays")
    board.stop()
    check(os.listdir(temporary) == [], f"left behind: {os.listdir(temporary)}")
    check(not os.path.exists(f"/proc/{engine}") or "Z" in open(f"/proc/{engine}/stat").read().split()[2],
          "the engine still runs")


def raw_request(board, head, body_parts=(), seconds=10):
    """Sends a request by hand: the status line of the answer, or None when
    the server closed the connection without one."""
    with socket.create_connection(("127.0.0.1", board.port), timeout=seconds) as connection:
        try:
            connection.sendall(head)
            for part in body_parts:
                connection.sendall(part)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the server stopped reading: its answer may still be there
        try:
            answer = connection.makefile("rb").readline()
        except ConnectionResetError:
            return None
        return answer.decode().strip() or None


def case_header_flood(tools):
    """A head without end is cut short, the server holding no more of it than its bound."""
    board = Board(tools)
    filler = b"X-Filler: " + b"a" * 90 + b"\r\n"
    for count in (400, 40000):  # 40 KiB of header lines, then 4 MiB
        status = raw_request(board, b"GET /api/config HTTP/1.1\r\n", [filler] * count)
        check(status is None or status.startswith("HTTP/1.1 431"), f"{count} header lines: {status}")
    status = raw_request(board, b"GET / HTTP/1.1\r\n" + b"X: y\r\n" * 500 + b"\r\n")
    check(status is None or status.startswith("HTTP/1.1 431"), f"500 short header lines: {status}")
    check(board.request("GET", "/api/config")[0] == 200, "the board after the flood")
    board.stop()


def case_slowloris(tools):
    """Heads sent a line at a time hold no thread, and are cut at a deadline
    that no byte renews: meanwhile the person's requests are answered."""
    board = Board(tools)
    drips = []
    for _ in range(120):
        drip = socket.create_connection(("127.0.0.1", board.port), timeout=10)
        drip.sendall(b"GET / HTTP/1.1\r\n")
        drips.append(drip)
    cut = set()
    started = time.time()
    while time.time() - started < 9 and len(cut) < len(drips):
        for index, drip in enumerate(drips):
            if index in cut:
                continue
            try:
                drip.sendall(b"X-Drip: 1\r\n")
            except OSError:
                cut.add(index)
        try:
            answer = board.request("GET", "/api/config", timeout=5)[0]
        except OSError as error:
            answer = error
        check(answer == 200, f"the person's request while {len(drips) - len(cut)} drip: {answer}")
        time.sleep(0.5)
    check(len(cut) == len(drips), f"{len(drips) - len(cut)} of {len(drips)} drips never cut")
    for drip in drips:
        drip.close()
    board.stop()


def case_large_bodies(tools):
    """A body over 64 KiB is refused (413) as it comes, chunked or not; a
    compressed one (415) before it is inflated."""
    board = Board(tools)
    target = f"/api/analysis?t={board.token}".encode()
    head = b"POST " + target + b" HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" % board.port
    chunk = b"4000\r\n" + b" " * 0x4000 + b"\r\n"
    status = raw_request(board, head + b"Transfer-Encoding: chunked\r\n\r\n", [chunk] * 512)
    check(status == "HTTP/1.1 413 Payload Too Large", f"8 MiB in chunks: {status}")
    bomb = zlib.compress(b" " * (8 << 20))  # 8 MiB of spaces in 8 KiB
    status = raw_request(board, head + b"Content-Encoding: deflate\r\nContent-Length: %d\r\n\r\n"
                         % len(bomb), [bomb])
    check(status == "HTTP/1.1 415 Unsupported Media Type", f"8 MiB deflated: {status}")
    status = raw_request(board, head + b"Content-Length: %d\r\n\r\n" % (8 << 20), [b" " * (8 << 20)])
    check(status == "HTTP/1.1 413 Payload Too Large", f"8 MiB: {status}")
    check(board.request("POST", "/api/analysis", body='{"turn":"x"}')[0] == 200, "a small body")
    board.stop()


def case_command_line(tools):
    def run(*args, stdout=subprocess.PIPE):
        return subprocess.run([tools.board, *args], stdout=stdout, stderr=subprocess.PIPE,
                              text=True, cwd=tools.work, timeout=20)
    check(run("--help").returncode == 0, "--help")
    for args in (["--bogus"], ["human"], ["--watch", "a", "--replay", "b"], ["--port", "70000"],
                 ["--replay", "a", "fiverow"], ["--listen", "example.org"]):
        result = run(*args)
        check(result.returncode == 2 and "fiverow-board: " in result.stderr, f"{args}: {result}")
    with open("/dev/full", "w") as full:
        result = run("--help", stdout=full)
    check(result.returncode == 1 and "cannot write" in result.stderr, f"--help > /dev/full: {result}")
    result = run("--replay", "missing.txt")
    check(result.returncode == 1 and "missing.txt" in result.stderr, f"a missing record: {result}")


BROWSER_CASES = {"play_win": case_play_win, "takeback": case_takeback, "heat_map": case_heat_map,
                 "view_button": case_view_button, "replay": case_replay,
                 "hostile_name": case_hostile_name, "watch": case_watch,
                 "game_against_fiverow": case_game_against_fiverow}
HTTP_CASES = {"http_guard": case_http_guard, "many_games": case_many_games,
              "stop_cleans_up": case_stop_cleans_up, "command_line": case_command_line,
              "header_flood": case_header_flood, "slowloris": case_slowloris,
              "large_bodies": case_large_bodies, "open": case_open}


def screenshots(tools, driver, folder):
    """The page while playing with fiverow's view shown, and while watching a match."""
    board = Board(tools, "fiverow")
    driver.set_window_size(1280, 860)
    driver.get(board.url)
    driver.find_element("id", "follow-view").click()
    for x, y in [(9, 9), (10, 8), (11, 9), (8, 10), (10, 10), (9, 11), (12, 8)][:5]:
        if not driver.find_elements("css selector", f'circle[data-stone="{x},{y}"]'):
            play(driver, [(x, y)])
    wait(driver, lambda d: d.find_elements("css selector", "text[data-score]"), "fiverow's view")
    driver.find_element("css selector", "ol.best button").click()
    wait(driver, lambda d: d.find_elements("css selector", "#passes h3"), "the passes")
    driver.save_screenshot(os.path.join(folder, "fiverow-board-play.png"))
    board.stop()
    events = os.path.join(tools.work, "events.jsonl")
    subprocess.run([tools.match, "--games", "8", "--concurrency", "2", "--sprt",
                    "elo0=0,elo1=50,alpha=0.05,beta=0.05", "--events", events, "fiverow",
                    "tests/tools/fiverow_fake_engine file blunder 3 ./fiverow"], check=True,
                   capture_output=True, cwd=tools.build)
    board = Board(tools, "--watch", events)
    driver.get(board.url)
    wait(driver, lambda d: status(d).startswith("The match has ended"), "the whole match")
    driver.save_screenshot(os.path.join(folder, "fiverow-board-watch.png"))
    board.stop()


def main(args):
    if args[:1] == ["--list"]:
        print("\n".join(list(BROWSER_CASES) + list(HTTP_CASES)))
        return 0
    build = os.path.abspath(args[args.index("--build") + 1])
    work = tempfile.mkdtemp(prefix="fiverow-board-test-")
    tools = Tools(build, work, args[args.index("--runner") + 1:][:1] if "--runner" in args else ())
    driver = None
    try:
        name = args[args.index("--case") + 1] if "--case" in args else None
        if name in HTTP_CASES:
            HTTP_CASES[name](tools)
        else:
            driver, reason = browser(work)
            if driver is None:
                if os.environ.get("FIVEROW_REQUIRE_BROWSER"):
                    print(f"failed: {reason}, and FIVEROW_REQUIRE_BROWSER is set")
                    return 1
                print(f"skipped: {reason}")
                return SKIPPED
            if name is None:
                screenshots(tools, driver, os.path.abspath(args[args.index("--screenshots") + 1]))
            else:
                BROWSER_CASES[name](tools, driver)
        print(f"{name or 'screenshots'}: passed")
        return 0
    except Failure as failure:
        print(f"{name}: failed: {failure}")
        return 1
    finally:
        if driver is not None:
            driver.quit()
        # A case that failed leaves its server running: stopped as Ctrl-C
        # would, so that it removes its engines' folders.
        for process in Board.started:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
