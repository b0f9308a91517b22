#include "output/Replay.h"

#include <fcntl.h>

#include <ostream>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "game/BoardText.h"
#include "output/GameText.h"
#include "output/Record.h"
#include "process/OutputCheck.h"
#include "process/RefereeError.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

GameRecord ReadRecordFile(const std::string& file) {
  const tools::FileRead read = tools::ReadRegularFile(AT_FDCWD, file.c_str(), kRecordLimit, true);
  const std::string shownFile = tools::ShownText(file);
  if (read.error != 0) throw RefereeError(SystemErrorText("cannot read " + shownFile, read.error));
  if (read.notRegular) throw RefereeError(shownFile + " is not a regular file");
  if (read.cut) {
    throw RefereeError(shownFile + " is over " + std::to_string(kRecordLimit / 1024) +
                       " KiB, too large for a game record");
  }
  std::string error;
  std::optional<GameRecord> record = ParseRecord(read.bytes, error);
  if (!record) throw RefereeError(shownFile + ": " + error);
  return *record;
}

void ReplayGame(const std::string& file, Show show, bool colour, std::ostream& out) {
  const GameRecord record = ReadRecordFile(file);
  out << EngineLine("x", {record.xCommand, {}, record.protocols[Side::X]})
      << EngineLine("o", {record.oCommand, {}, record.protocols[Side::O]});
  if (record.rule != Rule::Freestyle) out << "rule: " << RuleName(record.rule) << "\n";
  out << "opening: " << OpeningText(record.opening) << "\n";
  Position position = StartPosition(record.opening, kStandardBoardSize);
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
  out << "result: " << ResultText(record.winner) << ": " << tools::ShownText(record.reason)
      << " after " << MovesText(record.moves.size()) << "\n";
  CheckOutput(out);
}

}  // namespace fiverow::match
