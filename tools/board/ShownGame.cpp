#include "board/ShownGame.h"

#include "board/Json.h"
#include "common/EscapedText.h"
#include "output/GameText.h"
#include "output/Replay.h"

namespace fiverow::board {

namespace {

Json RecordJson(const match::GameRecord& record) {
  using match::Side;
  Json notes = Json::array();
  for (const match::EngineNote& note : record.notes) {
    notes.push_back({{"before", note.beforeMove},
                     {"side", SideJson(note.side)},
                     {"kind", match::NoteKeyword(note.kind)},
                     {"text", tools::EscapeText(note.text)}});
  }
  const auto engine = [&](const std::string& command, Side side) {
    return Json{{"command", tools::ShownText(command)},
                {"protocol", match::ProtocolName(record.protocols[side])}};
  };
  return {{"x", engine(record.xCommand, Side::X)},
          {"o", engine(record.oCommand, Side::O)},
          {"rule", match::RuleName(record.rule)},
          {"size", record.boardSize},
          {"opening", CellsJson(record.opening)},
          {"moves", CellsJson(record.moves)},
          {"winner", record.winner ? SideJson(*record.winner) : Json(nullptr)},
          {"reason", tools::ShownText(record.reason)},
          {"notes", std::move(notes)}};
}

}  // namespace

std::string ShownGameJson(const std::string& file) {
  return JsonText(RecordJson(match::ReadGameFile(file)));
}

}  // namespace fiverow::board
