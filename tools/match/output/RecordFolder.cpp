#include "output/RecordFolder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/HandleFiles.h"
#include "process/RefereeError.h"

namespace fiverow::match {

namespace {

constexpr long kHighestNumber = 999999999;

// The number of a record's name "game-NNN.txt"; 0 for any other name.
long RecordNumber(std::string_view name) {
  if (!name.starts_with("game-") || !name.ends_with(".txt")) return 0;
  const std::string_view digits = name.substr(5, name.size() - 9);
  long number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return 0;
  return number;
}

}  // namespace

RecordFolder::RecordFolder(const std::string& path, int games,
                           const std::vector<MatchEngine>& engines)
    : path_(path), engines_(engines) {
  int error = 0;
  folder_ = tools::MakeOrOpenFolder(path, error);
  if (!folder_) throw RefereeError(SystemErrorText("cannot open the record folder " + path, error));
  if ((error = tools::CheckWritableFolder(folder_.get())) != 0)
    throw RefereeError(SystemErrorText("cannot write into the record folder " + path, error));

  std::vector<std::string> names;
  if ((error = tools::ListFolder(folder_.get(), names)) != 0)
    throw RefereeError(SystemErrorText("cannot list the record folder " + path, error));
  for (const std::string& name : names) last_ = std::max(last_, RecordNumber(name));
  if (last_ > kHighestNumber - games) {
    throw RefereeError("the record folder " + path + " already holds " + NameOf(0) +
                       ": no numbers left for " + std::to_string(games) + " more");
  }
}

std::string RecordFolder::NameOf(int game) const {
  char name[32];
  std::snprintf(name, sizeof name, "game-%03ld.txt", last_ + game);
  return name;
}

void RecordFolder::Write(int game, const GameRecord& record) const {
  const std::string name = NameOf(game);
  if (const int error =
          tools::CreateNewFile(folder_.get(), name.c_str(), FormatRecord(record), 0666);
      error != 0) {
    throw RefereeError(
        SystemErrorText("cannot write the game record " + path_ + "/" + name, error));
  }
}

void RecordFolder::GameEnded(const PlayedGame& played, const Standings&) {
  Write(played.setup.game, RecordOf(played, engines_));
}

}  // namespace fiverow::match
