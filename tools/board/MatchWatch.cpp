#include "board/MatchWatch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "board/FollowedFile.h"
#include "common/EscapedText.h"
#include "common/UniqueFd.h"
#include "game/Position.h"
#include "output/MatchEvents.h"

namespace fiverow::board {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr std::size_t kNotesKept = 12;
constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kPollBytes = 16 * 1024 * 1024;  // at most, read at once
// The start of the file, kept to know it written anew: the first event names
// its run.
constexpr std::size_t kStartKept = 4 * 1024;
constexpr std::size_t kMostEngines = 256;

// A string from the file, made safe to show; anything else is refused.
std::string Text(const Json& value) { return tools::ShownText(value.get<std::string>()); }

int Whole(const Json& value, int low, int high) {
  const auto number = value.get<long long>();
  if (number < low || number > high) throw std::out_of_range("out of range");
  return static_cast<int>(number);
}

// The game an event is of.
int GameOf(const Json& event) { return Whole(event.at("game"), 1, 1 << 30); }

// Only the figures of standings and ratings: numbers, "inf" and "-inf",
// null, and lists and objects of them, a few levels deep.
Json Figures(const Json& value, int depth = 0) {
  if (value.is_number() || value.is_null() || value.is_boolean()) return value;
  if (value.is_string() && (value == "inf" || value == "-inf")) return value;
  if (depth > 3 || !(value.is_array() || value.is_object())) return nullptr;
  Json kept = value.is_array() ? Json::array() : Json::object();
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (value.is_array()) {
      kept.push_back(Figures(*it, depth + 1));
    } else if (it.key().size() <= 32 && std::all_of(it.key().begin(), it.key().end(), [](char c) {
                 return std::isalnum(static_cast<unsigned char>(c));
               })) {
      kept[it.key()] = Figures(*it, depth + 1);
    }
  }
  return kept;
}

// Standings of the shape described, for the match's engines.
Json StandingsOf(const Json& standings, int engines) {
  if (standings.at("engines").size() != static_cast<std::size_t>(engines))
    throw std::out_of_range("standings of other engines");
  return Figures(standings);
}

}  // namespace

MatchWatch::MatchWatch(std::string path) : path_(std::move(path)) {
  status_ = "waiting for " + tools::ShownText(path_) + " to be written";
}

MatchWatch::~MatchWatch() { Stop(); }

void MatchWatch::Start() {
  thread_ = std::thread([this] { Run(); });
}

void MatchWatch::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    CloseFollowers();
  }
  if (thread_.joinable()) thread_.join();
}

void MatchWatch::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    lock.unlock();
    const bool read = Poll();
    lock.lock();
    changed_.wait_for(lock, read ? std::chrono::milliseconds(0) : kPollInterval,
                      [this] { return stopping_; });
  }
}

bool MatchWatch::Poll() {
  std::string status;
  std::vector<std::string> lines;
  bool reset = false;
  if (file_ && !StillNamed(file_.get(), path_)) {
    file_.Reset();  // replaced, or gone: the next file is a match of its own
  }
  struct stat now {};
  if (!file_ && ::stat(path_.c_str(), &now) == 0) {
    file_.Reset(OpenFollowed(path_));
    if (!file_ || ::fstat(file_.get(), &opened_) != 0 || !S_ISREG(opened_.st_mode)) {
      status = tools::ShownText(path_) + (file_ ? " is not a regular file" : " cannot be read");
      file_.Reset();
    } else {
      offset_ = 0;
      reset = true;
    }
  }
  std::size_t read = 0;
  if (file_) {
    struct stat grown {};
    if ((::fstat(file_.get(), &grown) == 0 && grown.st_size < offset_) || !SameStart()) {
      offset_ = 0;  // written anew from the start
      reset = true;
    }
    if (reset) {
      partial_.clear();
      dropping_ = false;
      start_.clear();
    }
    // On to the end of the file while lines are skipped, which costs
    // nothing; the lines kept are taken a megabyte or so at a time.
    char block[kReadBlock];
    std::size_t kept = 0;
    while (read < kPollBytes && kept < kLineLimit) {
      const std::ptrdiff_t got = ReadAt(file_.get(), block, sizeof block, offset_);
      if (got < 0) status = "cannot read " + tools::ShownText(path_) + ": " + std::strerror(errno);
      if (got <= 0) break;
      const auto size = static_cast<std::size_t>(got);
      if (start_.size() < kStartKept)
        start_.append(block, std::min(size, kStartKept - start_.size()));
      kept += Split({block, size}, lines);
      offset_ += got;
      read += size;
      if (size < sizeof block) break;
    }
  }
  const std::lock_guard lock(mutex_);
  if (reset) Reset();
  bool changed = reset || !lines.empty();
  if ((file_ || !status.empty()) && status_ != status) {
    status_ = status;
    changed = true;
  }
  for (const std::string& line : lines) Take(line);
  if (changed) Changed();
  return read > 0;
}

std::size_t MatchWatch::Split(std::string_view block, std::vector<std::string>& lines) {
  std::size_t kept = 0;
  while (!block.empty()) {
    const std::size_t newline = block.find('\n');
    const std::string_view part = block.substr(0, newline);
    if (!dropping_ && part.size() > kLineLimit - partial_.size()) {
      dropping_ = true;
      partial_.clear();
      lines.emplace_back();  // counted as skipped
    } else if (!dropping_) {
      partial_ += part;
    }
    if (newline == std::string_view::npos) break;
    if (!dropping_) {
      kept += partial_.size();
      lines.push_back(std::move(partial_));
    }
    partial_.clear();
    dropping_ = false;
    block.remove_prefix(newline + 1);
  }
  return kept;
}

bool MatchWatch::SameStart() const {
  if (start_.empty()) return true;
  std::string now(start_.size(), '\0');
  return ReadAt(file_.get(), now.data(), now.size(), 0) ==
             static_cast<std::ptrdiff_t>(now.size()) &&
         now == start_;
}

void MatchWatch::Reset() {
  match_ = nullptr;
  size_ = match::kStandardBoardSize;
  boards_.clear();
  results_.clear();
  standings_ = nullptr;
  sprtPoints_.clear();
  sprt_ = nullptr;
  ended_ = false;
  skipped_ = 0;
}

void MatchWatch::Take(std::string_view line) {
  const Json event = match::events::ParsedEvent(line);
  try {
    if (match::events::EventProblem(event)) throw std::invalid_argument("not of its shape");
    Apply(event);
  } catch (const std::exception&) {
    ++skipped_;
  }
}

MatchWatch::Board& MatchWatch::BoardOf(int game) {
  const auto found = boards_.find(game);
  if (found == boards_.end()) throw std::out_of_range("no such game");
  return found->second;
}

void MatchWatch::Apply(const Json& event) {
  namespace events = match::events;
  const std::string kind = event.at("event").get<std::string>();
  const int engines = match_.is_null() ? 0 : static_cast<int>(match_["engines"].size());
  if (kind == events::kMatchStarted) {
    Reset();
    Json list = Json::array();
    for (const Json& engine : event.at("engines")) {
      list.push_back({{"label", Text(engine.at("label"))},
                      {"command", Text(engine.at("command"))},
                      {"protocol", Text(engine.at("protocol"))}});
      if (list.size() > kMostEngines) throw std::out_of_range("too many engines");
    }
    size_ = Whole(event.at("size"), 1, match::kLargestBoardSize);
    match_ = {{"engines", std::move(list)},
              {"games", Whole(event.at("games"), 0, 1 << 30)},
              {"size", size_},
              {"rule", Text(event.at("rule"))},
              {"sprt", Figures(event.value("sprt", Json()))}};
  } else if (match_.is_null()) {
    throw std::invalid_argument("no match started");
  } else if (kind == events::kGameStarted) {
    const int game = GameOf(event);
    Board board;
    board.x = Whole(event.at("x"), 0, engines - 1);
    board.o = Whole(event.at("o"), 0, engines - 1);
    for (const Json& stone : event.at("opening")) {
      const std::optional<Move> cell = CellOf(stone, size_);
      if (!cell || board.stones.size() >= static_cast<std::size_t>(size_ * size_))
        throw std::out_of_range("a stone off the board");
      board.stones.push_back(*cell);
    }
    boards_[game] = std::move(board);
    // The oldest ended games give way, then the oldest of all.
    while (boards_.size() > kBoardsKept) {
      auto gone = std::find_if(boards_.begin(), boards_.end(),
                               [](const auto& entry) { return !entry.second.result.is_null(); });
      boards_.erase(gone != boards_.end() ? gone : boards_.begin());
    }
  } else if (kind == events::kMove) {
    Board& board = BoardOf(GameOf(event));
    const std::optional<Move> cell = CellOf(event.at("move"), size_);
    if (!cell || board.stones.size() >= static_cast<std::size_t>(size_ * size_))
      throw std::out_of_range("a move off the board");
    board.stones.push_back(*cell);
  } else if (kind == events::kNote) {
    Board& board = BoardOf(GameOf(event));
    board.notes.push_back({{"side", SideJson(SideOf(event.at("side")).value())},
                           {"kind", Text(event.at("kind"))},
                           {"text", Text(event.at("text"))}});
    if (board.notes.size() > kNotesKept) board.notes.pop_front();
  } else if (kind == events::kGameEnded) {
    const int game = GameOf(event);
    const Json& winner = event.at("winner");
    Json result = {{"game", game},
                   {"x", Whole(event.at("x"), 0, engines - 1)},
                   {"o", Whole(event.at("o"), 0, engines - 1)},
                   {"winner", winner.is_null() ? Json(nullptr) : SideJson(SideOf(winner).value())},
                   {"ending", Text(event.at("ending"))},
                   {"reason", Text(event.at("reason"))},
                   {"moves", Whole(event.at("moves"), 0, 1 << 20)}};
    if (const auto found = boards_.find(game); found != boards_.end())
      found->second.result = result;
    results_.push_back(std::move(result));
    if (results_.size() > kResultsKept) results_.pop_front();
    standings_ = StandingsOf(event.at("standings"), engines);
  } else if (kind == events::kSprt) {
    const Json& llr = event.at("llr");
    sprt_ = {{"llr", Figures(llr)},
             {"lower", event.at("lower").get<double>()},
             {"upper", event.at("upper").get<double>()},
             {"decision", Text(event.at("decision"))}};
    if (llr.is_number() && std::isfinite(llr.get<double>())) {
      sprtPoints_.emplace_back(Whole(event.at("games"), 0, 1 << 30), llr.get<double>());
    }
    if (sprtPoints_.size() > kSprtPointsKept) {
      // Every other point goes, the last one stays.
      std::vector<std::pair<int, double>> thinned;
      for (std::size_t i = sprtPoints_.size() % 2; i < sprtPoints_.size(); i += 2)
        thinned.push_back(sprtPoints_[i]);
      sprtPoints_ = std::move(thinned);
    }
  } else if (kind == events::kMatchEnded) {
    standings_ = StandingsOf(event.at("standings"), engines);
    ended_ = true;
  } else {
    throw std::invalid_argument("unknown event");
  }
}

std::string MatchWatch::SnapshotJson(std::uint64_t version) const {
  Json boards = Json::array();
  for (const auto& [game, board] : boards_) {
    boards.push_back({{"game", game},
                      {"x", board.x},
                      {"o", board.o},
                      {"stones", CellsJson(board.stones)},
                      {"result", board.result},
                      {"notes", Json(board.notes)}});
  }
  Json points = Json::array();
  for (const auto& [games, llr] : sprtPoints_) points.push_back({games, llr});
  Json sprt = sprt_;
  if (!sprt.is_null()) sprt["points"] = std::move(points);
  return JsonText({{"version", version},
                   {"file", tools::ShownText(path_)},
                   {"status", status_},
                   {"match", match_},
                   {"boards", std::move(boards)},
                   {"results", Json(results_)},
                   {"standings", standings_},
                   {"sprt", std::move(sprt)},
                   {"ended", ended_},
                   {"skipped", skipped_}});
}

}  // namespace fiverow::board
