// Games as SGF (FF[4]) game trees of gomoku (GM[4]), as gomoku programs read
// and write them, one tree a game:
//
//   (;GM[4]FF[4]CA[UTF-8]SZ[20]PB[A: fiverow]PW[fiverow]RE[B+]RU[freestyle]
//   C[A (x) made five in a row with 10,7]
//   ;B[jj];W[kk];B[kj];W[lj];B[jk];W[jl];B[mi];W[im];B[hn];W[il]
//   ...
//   ;B[dn];W[fn];B[ji];W[ki];B[hk];W[fm];B[kh])
//
// Black is the first player (x). Every stone, the opening's too, is a move;
// a cell is two letters from "a", column first, "aa" the top-left corner.
// RE is "B+" or "W+" for a win on the board, with "T" after it for a loss on
// time, "R" for a resignation and "F" for a forfeit (a crash, an illegal or a
// forbidden move); "0" for a draw. The reason is the root's comment.
// In a value "]" and "\" are escaped with a backslash.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "output/Record.h"

namespace fiverow::match {

// The game tree of `record`, whose players are called `players` (PB, PW) and
// whose game ended by `ending`; with a line end after it.
std::string FormatSgf(const GameRecord& record, const PerSide<std::string>& players, Ending ending);

// Whether `text` looks like SGF rather than a game record: its first
// character, after blanks, is "(".
bool LooksLikeSgf(std::string_view text);

// The `game`-th game tree of `text` (from 1), as a record: PB and PW as the
// commands, the root's comment as the reason, every stone a move. It reads
// the main line of a tree (its first variation) with B and W moves, SZ (15 to
// 22), RU (freestyle, standard or renju; freestyle when missing), RE, PB, PW
// and C, and ignores other properties; it fails with a message on malformed
// SGF, a game other than gomoku, setup stones (AB, AW, AE), moves that do not
// alternate from black, or a game CheckGameRecord refuses.
std::optional<GameRecord> ParseSgf(std::string_view text, int game, std::string& error);

}  // namespace fiverow::match
