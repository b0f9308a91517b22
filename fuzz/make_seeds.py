#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus into fuzz/corpus/.

Each seed is the fuzz target's input: four header bytes (read size, length of
Tah.dat, failing step, code and missing-file bits), then Plocha.dat's bytes,
then Tah.dat's bytes. Run it again after changing the seeds below.
"""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")

# Codes as the fuzz target numbers them (low 4 bits of header byte 3).
CODE = {2: 0, 3: 1, 4: 2, 5: 3, 6: 4, 32: 5, 100: 6, 101: 7, 106: 8, 109: 9, 112: 10, 1117: 11}
NO_PLOCHA = 0x80
NO_TAH = 0x40


def seed(plocha, tah, chunk=0, step=0, code=2, missing=0):
    assert len(tah) < 256
    return bytes([chunk, len(tah), step, CODE[code] | missing]) + plocha + tah


def rows(lines, end=b"\n", last_end=True):
    text = end.join(lines)
    return text + end if last_end else text


EMPTY = [b"-" * 20] * 20


def board(stones):
    grid = [bytearray(b"-" * 20) for _ in range(20)]
    for x, y, c in stones:
        grid[y][x] = ord(c)
    return [bytes(r) for r in grid]


def random_board(seed_value, density):
    rng = random.Random(seed_value)
    return [bytes(rng.choice(b"xo") if rng.random() < density else ord("-") for _ in range(20))
            for _ in range(20)]


THREE = board([(8, 10, "x"), (9, 10, "x"), (10, 10, "x")])
FOUR_EDGE = board([(1, 4, "o"), (2, 4, "o"), (3, 4, "o"), (4, 4, "o")])
WIN_OR_BLOCK = board([(3, 15, "x"), (4, 15, "x"), (5, 15, "x"), (6, 15, "x"),
                      (10, 5, "o"), (10, 6, "o"), (10, 7, "o"), (10, 8, "o")])
MIDGAME = random_board(7, 0.3)
FULL = random_board(8, 1.0)
ONE_HOLE = [FULL[0][:7] + b"-" + FULL[0][8:]] + FULL[1:]

SEEDS = {
    # Good positions, with every line end.
    "empty-board-lf": seed(rows(EMPTY), b"o"),
    "empty-board-crlf": seed(rows(EMPTY, b"\r\n"), b"x\r\n"),
    "empty-board-no-final-lf": seed(rows(EMPTY, last_end=False), b"o"),
    "three-in-row": seed(rows(THREE), b"o"),
    "four-at-edge-other-side": seed(rows(FOUR_EDGE), b"o"),
    "win-beats-block": seed(rows(WIN_OR_BLOCK, b"\r\n"), b"o\r\n"),
    "midgame-crlf": seed(rows(MIDGAME, b"\r\n"), b"x"),
    "midgame-cr-inside-lines": seed(rows([r[:5] + b"\r" + r[5:] for r in MIDGAME]), b"\ro"),
    "midgame-long-lines-21-rows": seed(rows([r + b"tail" for r in MIDGAME] + [b"extra"]), b"O"),
    "midgame-other-characters": seed(rows([r.replace(b"x", b" ") for r in MIDGAME]), b"o"),
    "one-empty-cell": seed(rows(ONE_HOLE), b"o"),
    "full-board": seed(rows(FULL), b"o"),
    "long-first-line": seed(rows([EMPTY[0] + b"#" * 3000] + EMPTY[1:]), b"o"),
    # Short lines and missing rows.
    "short-line-row-5": seed(rows(EMPTY[:5] + [b"-" * 19] + EMPTY[6:]), b"o"),
    "nineteen-lines": seed(rows(EMPTY[:19]), b"o"),
    "empty-line-row-0": seed(rows([b""] + EMPTY[1:]), b"o"),
    # Ctrl-Z, byte-order mark, empty files.
    "ctrl-z-first-byte": seed(b"\x1a" + rows(EMPTY), b"o"),
    "ctrl-z-inside-line": seed(rows([b"---\x1a" + b"-" * 16] + EMPTY[1:]), b"\x1ao"),
    "bom-first-line": seed(b"\xef\xbb\xbf" + rows(EMPTY), b"o"),
    "empty-files": seed(b"", b""),
    "empty-turn": seed(rows(EMPTY), b""),
    "turn-begins-with-lf": seed(rows(EMPTY), b"\no"),
    "turn-holds-previous-move": seed(rows(THREE), b"7,10"),
    # Missing files.
    "no-plocha": seed(b"", b"o", missing=NO_PLOCHA),
    "no-tah": seed(rows(THREE), b"", missing=NO_TAH),
    # Small reads and failing steps.
    "read-size-1": seed(rows(MIDGAME, b"\r\n"), b"\r\no", chunk=1),
    "read-size-7": seed(rows(THREE), b"o", chunk=7),
    "open-fails": seed(rows(THREE), b"o", step=1, code=5),
    "line-read-fails": seed(rows(THREE), b"o", chunk=21, step=6, code=1117),
    "broken-pipe-mid-file": seed(rows(THREE), b"o", chunk=21, step=8, code=109),
    "broken-pipe-after-last-row": seed(rows(THREE, last_end=False), b"o", chunk=21, step=22, code=109),
    "write-out-disk-full": seed(rows(THREE), b"o", chunk=21, step=27, code=112),
    "final-close-fails": seed(rows(THREE), b"o", chunk=21, step=28, code=32),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print(f"{len(SEEDS)} seeds in {OUT}")


if __name__ == "__main__":
    main()
