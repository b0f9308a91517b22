#include "output/Replay.h"

#include <ostream>

#include "common/EscapedText.h"
#include "game/BoardText.h"
#include "output/GameFile.h"
#include "output/GameText.h"
#include "process/InputFile.h"
#include "process/OutputCheck.h"
#include "process/RefereeError.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

GameRecord ReadGameFile(const std::string& file, int game) {
  const std::string bytes = ReadInputFile(file, kSgfLimit, "a game record or an SGF file");
  std::string error;
  std::optional<GameRecord> record = ParseGameFile(bytes, game, error);
  if (!record) throw RefereeError(tools::ShownText(file) + ": " + error);
  return *record;
}

void ReplayGame(const std::string& file, int game, Show show, bool colour, std::ostream& out) {
  const GameRecord record = ReadGameFile(file, game);
  out << EngineLine("x", {record.xCommand, {}, record.protocols[Side::X]})
      << EngineLine("o", {record.oCommand, {}, record.protocols[Side::O]});
  if (record.rule != Rule::Freestyle) out << "rule: " << RuleName(record.rule) << "\n";
  if (record.boardSize != kStandardBoardSize)
    out << "board: " << record.boardSize << " x " << record.boardSize << "\n";
  out << "opening: " << OpeningText(record.opening) << "\n";
  Position position = StartPosition(record.opening, record.boardSize);
  if (show == Show::Each && position.StoneCount() > 0)
    out << RenderBoard(position, std::nullopt, colour);
  std::optional<Move> last;
  std::size_t note = 0;
  for (std::size_t i = 0; i <= record.moves.size(); ++i) {
    for (; note < record.notes.size() && record.notes[note].beforeMove <= i; ++note) {
      if (show == Show::Each) out << NoteLine(record.notes[note], "");
    }
    if (i == record.moves.size()) break;
    const Side side = SideToMove(position);
    last = record.moves[i];
    position.Place(*last, side);
    if (show == Show::Each) {
      out << "move " << i + 1 << ": " << StoneChar(side) << " " << protocol::CellText(*last) << "\n"
          << RenderBoard(position, last, colour);
    }
  }
  if (show == Show::End) out << RenderBoard(position, last, colour);
  out << "result: " << ResultText(record.winner);
  if (!record.reason.empty()) out << ": " << tools::ShownText(record.reason);
  out << " after " << MovesText(record.moves.size()) << "\n";
  CheckOutput(out);
}

}  // namespace fiverow::match
