#include "output/GameFile.h"

#include "output/Sgf.h"

namespace fiverow::match {

std::optional<GameRecord> ParseGameFile(std::string_view text, int game, std::string& error) {
  if (LooksLikeSgf(text)) return ParseSgf(text, game, error);
  if (text.size() > kRecordLimit) {
    error = "over " + std::to_string(kRecordLimit / 1024) + " KiB, too large for a game record";
    return std::nullopt;
  }
  if (game != 1) {
    error = "a game record holds one game, not " + std::to_string(game);
    return std::nullopt;
  }
  return ParseRecord(text, error);
}

}  // namespace fiverow::match
