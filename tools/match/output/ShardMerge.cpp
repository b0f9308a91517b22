#include "output/ShardMerge.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

#include "common/EscapedText.h"
#include "output/EventStream.h"
#include "output/MatchEvents.h"
#include "output/OpeningsLine.h"
#include "process/RefereeError.h"

namespace fiverow::match {

namespace {

using Json = nlohmann::json;

// The fields of "match-started" that are not the match's own.
constexpr const char* kOwnFields[] = {"event", "run"};

struct NoSinks final : MatchSink {};

// An event that no match writes.
struct Invalid : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A whole number that an int holds: a larger one is no match's.
int IntOf(const Json& value) {
  const auto number = value.get<long long>();
  if (!value.is_number_integer() || number < std::numeric_limits<int>::min() ||
      number > std::numeric_limits<int>::max() || (value.is_number_unsigned() && number < 0))
    throw Invalid("a number out of range");
  return static_cast<int>(number);
}

Move CellOf(const Json& cell) { return {IntOf(cell.at(0)), IntOf(cell.at(1))}; }

std::vector<Move> CellsOf(const Json& cells) {
  std::vector<Move> moves;
  for (const Json& cell : cells) moves.push_back(CellOf(cell));
  return moves;
}

std::optional<Side> SideOf(const Json& side) {
  if (side.is_null()) return std::nullopt;
  return side.get<std::string>() == "o" ? Side::O : Side::X;
}

Ending EndingNamed(const std::string& name) {
  for (int value = 0; value <= static_cast<int>(Ending::Memory); ++value) {
    const auto ending = static_cast<Ending>(value);
    if (EndingName(ending) == name) return ending;
  }
  throw Invalid("unknown ending \"" + tools::ShownText(name) + "\"");
}

std::string Unescaped(const Json& text) {
  const std::string escaped = text.get<std::string>();
  return tools::UnescapeText(escaped).value_or(escaped);
}

// The plan of the match as "match-started" describes it.
MatchPlan PlanOf(const Json& started) {
  MatchPlan plan;
  for (const Json& described : started.at("engines")) {
    MatchEngine engine;
    engine.label = EngineLabel(plan.engines.size());
    engine.program.command = described.at("command").get<std::string>();
    engine.program.protocol =
        ProtocolNamed(described.at("protocol").get<std::string>()).value_or(Protocol::File);
    plan.engines.push_back(std::move(engine));
  }
  plan.games = IntOf(started.at("games"));
  plan.boardSize = IntOf(started.at("size"));
  plan.rule = RuleNamed(started.at("rule").get<std::string>()).value_or(Rule::Freestyle);
  plan.pairing = {plan.engines.size(), started.at("gauntlet").get<bool>(),
                  IntOf(started.at("rounds")), IntOf(started.at("gamesPerPair"))};
  if (const Json& after = started.at("drawAfter"); !after.is_null()) plan.drawAfter = IntOf(after);
  if (plan.engines.size() < 2 || plan.games < 1 || plan.boardSize < kSmallestBoardSize ||
      plan.boardSize > kLargestBoardSize)
    throw Invalid("the match it describes cannot be played");
  if (const Json& sprt = started.at("sprt"); !sprt.is_null()) {
    plan.sprt = SprtParameters{sprt.at("elo0").get<double>(), sprt.at("elo1").get<double>(),
                               sprt.at("alpha").get<double>(), sprt.at("beta").get<double>()};
  }
  return plan;
}

PlayedGame GameOf(const Json& ended, const MatchPlan& plan) {
  PlayedGame played;
  played.setup.game = IntOf(ended.at("game"));
  played.setup.engines[Side::X] = ended.at("x").get<EngineIndex>();
  played.setup.engines[Side::O] = ended.at("o").get<EngineIndex>();
  played.setup.opening = CellsOf(ended.at("opening"));
  GameResult& result = played.result;
  result.boardSize = plan.boardSize;
  result.rule = plan.rule;
  result.opening = played.setup.opening;
  result.moves = CellsOf(ended.at("line"));
  // Only what a game can be: engines of the match, distinct cells on the board.
  const EngineIndex engines = plan.engines.size();
  const PerSide<EngineIndex>& sides = played.setup.engines;
  if (sides[Side::X] >= engines || sides[Side::O] >= engines || sides[Side::X] == sides[Side::O])
    throw Invalid("the game's engines are not two of the match's");
  std::vector<bool> taken(static_cast<std::size_t>(plan.boardSize * plan.boardSize));
  for (const std::vector<Move>* moves : {&result.opening, &result.moves}) {
    for (const Move move : *moves) {
      if (move.x < 0 || move.y < 0 || move.x >= plan.boardSize || move.y >= plan.boardSize ||
          taken[static_cast<std::size_t>(move.y * plan.boardSize + move.x)])
        throw Invalid("the game's stones are not on distinct cells of the board");
      taken[static_cast<std::size_t>(move.y * plan.boardSize + move.x)] = true;
    }
  }
  for (const Side side : kSides) {
    const std::string name(1, StoneChar(side));
    result.moveSeconds[side] = ended.at("seconds").at(name).get<std::vector<double>>();
    result.names[side] = Unescaped(ended.at("names").at(side == Side::X ? 0 : 1));
  }
  result.winner = SideOf(ended.at("winner"));
  result.ending = EndingNamed(ended.at("ending").get<std::string>());
  result.reason = tools::ShownText(ended.at("reason").get<std::string>());
  // The report's lines, each escaped: each line again, to be split and
  // escaped again as the game's line shows it.
  for (const Json& line : ended.value("engineOutput", Json::array()))
    result.engineOutput += Unescaped(line) + "\n";
  result.engineOutputCut = ended.value("engineOutputCut", false);
  return played;
}

// The name of the first field in which two descriptions of a match differ.
std::string FirstDifference(const Json& one, const Json& other) {
  for (const auto& [name, value] : one.items()) {
    if (std::find(std::begin(kOwnFields), std::end(kOwnFields), name) != std::end(kOwnFields))
      continue;
    if (!other.contains(name) || other.at(name) != value) return name;
  }
  return "id";
}

// Where the openings come from, as "match-started" describes them.
OpeningsSource OpeningsOf(const Json& openings) {
  OpeningsSource source;
  const std::string kind = openings.at("source").get<std::string>();
  source.kind = kind == "random" ? OpeningsSource::Kind::Random
                : kind == "file" ? OpeningsSource::Kind::File
                                 : OpeningsSource::Kind::Fixed;
  source.seed = openings.at("seed").get<std::uint64_t>();
  source.symmetries = openings.at("symmetries").get<bool>();
  if (source.kind == OpeningsSource::Kind::File) {
    source.file = openings.at("file").get<std::string>();
    source.order = kOrderNames.Named(openings.at("order").get<std::string>())
                       .value_or(OpeningOrder::Sequential);
    source.count = openings.at("count").get<std::size_t>();
  }
  return source;
}

}  // namespace

MergedShards ReadShards(const std::vector<std::string>& files) {
  MergedShards merged;
  Json match;
  std::string matchFile;
  std::map<int, std::string> fileOf;
  for (const std::string& file : files) {
    const std::string shown = tools::ShownText(file);
    // Not a FIFO, which would wait for a writer, nor a device, which may never end.
    std::error_code failed;
    if (std::filesystem::exists(file, failed) && !std::filesystem::is_regular_file(file, failed))
      throw RefereeError(shown + " is not a regular file");
    std::ifstream in(file);
    if (!in) throw RefereeError(SystemErrorText("cannot read the events file " + shown, errno));
    std::string line;
    int number = 0;
    bool started = false;
    while (std::getline(in, line)) {
      ++number;
      // Move and note events are not needed: game-ended holds the game whole.
      const bool wanted = line.find("\"event\":\"match-") != std::string::npos ||
                          line.find("\"event\":\"game-ended\"") != std::string::npos;
      if (!wanted) continue;
      // A last line without its end is still being written, or was cut off.
      if (in.eof()) break;
      const std::string where = shown + " line " + std::to_string(number);
      try {
        const Json event = events::ParsedEvent(line);
        if (event.is_discarded())
          throw RefereeError(where + ": not an event of a match: not JSON, or nested too deep");
        if (const std::optional<std::string> problem = events::EventProblem(event))
          throw RefereeError(where + ": " + *problem);
        const std::string name = event.at("event").get<std::string>();
        if (name == "match-started") {
          if (started) throw RefereeError(where + ": a second match starts in the file");
          started = true;
          if (event.value("format", 1) < 2) {
            throw RefereeError(shown +
                               " was written by an earlier fiverow-match, whose events do not "
                               "describe the games whole");
          }
          if (matchFile.empty()) {
            match = event;
            matchFile = shown;
            merged.plan = PlanOf(event);
            merged.openings = OpeningsLine(OpeningsOf(event.at("openings")));
            merged.restarts.assign(merged.plan.engines.size(), 0);
          } else if (event.at("id") != match.at("id")) {
            throw RefereeError(shown + " is a shard of another match than " + matchFile + " (" +
                               FirstDifference(event, match) + " differ)");
          }
        } else if (!started) {
          throw RefereeError(where + ": an event before the match starts");
        } else if (name == "game-ended") {
          PlayedGame played = GameOf(event, merged.plan);
          const int game = played.setup.game;
          if (game < 1 || game > merged.plan.games)
            throw RefereeError(where + ": no game " + std::to_string(game) + " in the match");
          if (const auto [at, added] = fileOf.emplace(game, shown); !added) {
            throw RefereeError("game " + std::to_string(game) + " is in both " + at->second +
                               " and " + shown);
          }
          merged.games.emplace(game, std::move(played));
        } else if (name == "match-ended") {
          const Json& engines = event.at("standings").at("engines");
          for (std::size_t engine = 0; engine < merged.restarts.size(); ++engine)
            merged.restarts[engine] += IntOf(engines.at(engine).at("restarts"));
        }
      } catch (const Json::exception& error) {
        throw RefereeError(where + ": not an event of a match: " + error.what());
      } catch (const Invalid& error) {
        throw RefereeError(where + ": " + error.what());
      }
    }
    if (in.bad())
      throw RefereeError(SystemErrorText("cannot read the events file " + shown, errno));
    if (!started)
      throw RefereeError(shown + " holds no match: its first event is not match-started");
  }
  if (files.empty()) throw RefereeError("no events files to merge");
  return merged;
}

MergeCheck CheckShards(const MergedShards& merged, std::optional<int> through) {
  MergeCheck check;
  Standings standings(merged.plan.engines.size());
  NoSinks none;
  const int last = std::min(through.value_or(merged.plan.games), merged.plan.games);
  // Missing games are the gaps between those read, which may be few of many.
  int next = 1;
  const auto addMissing = [&check](int first, int end) {
    if (first <= end) check.missing.push_back({first, end});
  };
  for (const auto& [game, played] : merged.games) {
    if (game > last) break;
    addMissing(next, game - 1);
    next = game + 1;
    if (check.missing.empty() && ReportGame(merged.plan, played, standings, none)) {
      check.decidedAt = game;
      return check;
    }
  }
  addMissing(next, last);
  return check;
}

void ReportShards(const MergedShards& merged, MatchSink& sinks) {
  sinks.MatchStarted();
  Standings standings(merged.plan.engines.size());
  for (const auto& [game, played] : merged.games) {
    if (ReportGame(merged.plan, played, standings, sinks)) break;
  }
  for (EngineIndex engine = 0; engine < merged.restarts.size(); ++engine)
    standings.SetRestarts(engine, merged.restarts[engine]);
  sinks.MatchEnded(standings);
}

std::string GameListText(const std::vector<GameRange>& ranges) {
  std::string text;
  for (const auto& [first, last] : ranges) {
    if (!text.empty()) text += ", ";
    text += std::to_string(first);
    if (last > first) {
      text += '-';
      text += std::to_string(last);
    }
  }
  return text;
}

}  // namespace fiverow::match
