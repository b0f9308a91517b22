// The lines that tell people about engines, games and a match.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/NameTable.h"
#include "game/GameResult.h"
#include "match/Match.h"
#include "match/Standings.h"

namespace fiverow::match {

// "A: COMMAND", with the protocol of a pipe engine unless the command says it.
std::string EngineLine(const std::string& label, const EngineProgram& engine);

// "1 move", "12 moves".
std::string MovesText(std::size_t count);

// "x wins", "o wins", "draw".
std::string ResultText(const std::optional<Side>& winner);

// The line that reports a game, e.g. "game 3 of 20 (x A, o B): A wins: A (x)
// made five in a row with 9,10 after 31 moves"; "game 1" alone when
// `games` is 1.
std::string ResultLine(int game, int games, const PerSide<std::string>& labels,
                       const GameResult& result);

// "MESSAGE", "DEBUG", "ERROR", "UNKNOWN", and "UNASKED" for any other line
// that came when nothing was asked.
inline constexpr tools::NameTable<NoteKind, 5> kNoteKeywords{{{
    {NoteKind::Message, "MESSAGE"},
    {NoteKind::Debug, "DEBUG"},
    {NoteKind::Error, "ERROR"},
    {NoteKind::Unknown, "UNKNOWN"},
    {NoteKind::Other, "UNASKED"},
}}};
std::string_view NoteKeyword(NoteKind kind);
// An engine's MESSAGE or DEBUG line as it is shown: "  x (A) MESSAGE text",
// without the label when it is empty.
std::string NoteLine(const EngineNote& note, const std::string& label);

// A failed engine's output, line by line, indented and escaped.
std::string EngineOutputText(const std::string& output, bool cut);

// An engine's results as columns of the tables: wins, draws, losses,
// illegal moves, time-outs, crashes, losses by memory and its median move
// time.
std::string ResultColumns(const EngineStats& stats);
// The table of every engine's results.
std::string SummaryTable(const std::vector<MatchEngine>& engines,
                         const std::vector<EngineStats>& stats);
// "started afresh after a fault: A 2 times (1 crash, 1 time-out)", or
// nothing when no engine was.
std::string RestartsLine(const std::vector<MatchEngine>& engines,
                         const std::vector<EngineStats>& stats);
// The summary of a match of several games: the table, then A's results
// against B by games and by pairs of games, and the Elo difference of A over
// B with its 95% margin and the likelihood of superiority.
std::string MatchSummary(const std::vector<MatchEngine>& engines, const Standings& standings);

}  // namespace fiverow::match
