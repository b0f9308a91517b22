#include "output/GameText.h"

#include <cstdio>
#include <map>
#include <string_view>

#include "common/EscapedText.h"
#include "output/RatingText.h"
#include "process/EngineProcess.h"
#include "protocol/Text.h"
#include "stats/Median.h"

namespace fiverow::match {

std::string EngineLine(const std::string& label, const EngineProgram& engine) {
  std::string line = label + ": " + tools::ShownText(engine.command);
  if (engine.protocol == Protocol::Pipe && !engine.command.starts_with("pipe:"))
    line += " (pipe protocol)";
  return line + "\n";
}

std::string MovesText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " move" : " moves");
}

std::string ResultText(const std::optional<Side>& winner) {
  if (!winner) return "draw";
  return std::string(1, StoneChar(*winner)) + " wins";
}

std::string ResultLine(int game, int games, const PerSide<std::string>& labels,
                       const GameResult& result) {
  std::string line = "game " + std::to_string(game);
  if (games > 1) line += " of " + std::to_string(games);
  line += " (x " + labels[Side::X] + ", o " + labels[Side::O] + "): ";
  line += result.winner ? labels[*result.winner] + " wins" : "draw";
  return line + ": " + result.reason + " after " + MovesText(result.moves.size()) + "\n";
}

std::string_view NoteKeyword(NoteKind kind) { return kNoteKeywords.NameOf(kind); }

std::string NoteLine(const EngineNote& note, const std::string& label) {
  return "  " + std::string(1, StoneChar(note.side)) + (label.empty() ? "" : " (" + label + ")") +
         " " + std::string(NoteKeyword(note.kind)) + " " + tools::EscapeText(note.text) + "\n";
}

std::string EngineOutputText(const std::string& output, bool cut) {
  std::string shown;
  std::string_view rest = output;
  while (const auto line = protocol::TakeLine(rest))
    shown += "    | " + tools::EscapeText(*line) + "\n";
  if (cut)
    shown +=
        "    (cut: only the first " + std::to_string(kOutputLimit / 1024) + " KiB are shown)\n";
  return shown;
}

std::string ResultColumns(const EngineStats& s) {
  char columns[128];
  std::snprintf(columns, sizeof columns, "%6d %6d %7d %8d %10d %8d %7d %9.1f ms", s.wins, s.draws,
                s.losses, s.illegalMoves, s.timeOuts, s.crashes, s.outOfMemory,
                Median(s.moveSeconds) * 1000.0);
  return columns;
}

std::string SummaryTable(const std::vector<MatchEngine>& engines,
                         const std::vector<EngineStats>& stats) {
  std::string table =
      "engine   wins  draws  losses  illegal  time-outs  crashes  memory  median move  command\n";
  for (std::size_t i = 0; i < engines.size(); ++i) {
    char label[16];
    std::snprintf(label, sizeof label, "%-6s ", engines[i].label.c_str());
    table += label + ResultColumns(stats[i]) + "  " + tools::ShownText(engines[i].program.command) +
             "\n";
  }
  return table;
}

namespace {

// "2 time-outs", "1 crash": the faults before restarts, as the columns count them.
std::string FaultsText(const RestartCounts& restarts) {
  std::map<std::string_view, int> counts;
  for (const auto& [fault, count] : restarts) {
    const bool crash =
        fault == Ending::ExitStatus || fault == Ending::Signal || fault == Ending::Folder;
    counts[crash                      ? "crash"
           : fault == Ending::TimeOut ? "time-out"
           : fault == Ending::Memory  ? "out of memory"
                                      : "wrong answer"] += count;
  }
  std::string text;
  for (const auto& [word, count] : counts) {
    const bool plural = count > 1 && word != "out of memory";
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(word) +
            (plural ? (word == "crash" ? "es" : "s") : "");
  }
  return text;
}

}  // namespace

std::string RestartsLine(const std::vector<MatchEngine>& engines,
                         const std::vector<EngineStats>& stats) {
  std::string line;
  for (std::size_t i = 0; i < engines.size(); ++i) {
    if (stats[i].restarts == 0) continue;
    line += (line.empty() ? "started afresh after a fault: " : "; ") + engines[i].label + " " +
            std::to_string(stats[i].restarts) + (stats[i].restarts == 1 ? " time" : " times");
    if (!stats[i].restartsAfter.empty()) line += " (" + FaultsText(stats[i].restartsAfter) + ")";
  }
  return line.empty() ? line : line + "\n";
}

std::string MatchSummary(const std::vector<MatchEngine>& engines, const Standings& standings) {
  return SummaryTable(engines, standings.engines()) + RestartsLine(engines, standings.engines()) +
         TallyLine(standings.tally()) + "\n" + EloLine(standings.tally()) + "\n";
}

}  // namespace fiverow::match
