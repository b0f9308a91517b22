#include "output/SgfFile.h"

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "output/OutputFile.h"
#include "output/Sgf.h"
#include "process/RefereeError.h"

namespace fiverow::match {

SgfFile::SgfFile(const std::string& path, const std::vector<MatchEngine>& engines)
    : path_(tools::ShownText(path)), engines_(engines) {
  file_ = OpenOutputFile(path, true, "the SGF file");
}

void SgfFile::GameEnded(const PlayedGame& played, const Standings&) {
  const GameResult& result = played.result;
  PerSide<std::string> players;
  for (const Side side : kSides)
    players[side] = SgfPlayerName(engines_[played.setup.engines[side]], result.names[side]);
  const std::string tree = FormatSgf(RecordOf(played, engines_), players, result.ending);
  if (const int error = tools::WriteAll(file_.get(), tree); error != 0)
    throw RefereeError(SystemErrorText("cannot write the SGF file " + path_, error));
}

std::string SgfPlayerName(const MatchEngine& engine, const std::string& name) {
  return name.empty() ? engine.label + ": " + engine.program.command : name;
}

}  // namespace fiverow::match
