#include "output/EventStream.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>
#include <random>

#include "common/EscapedText.h"
#include "common/NameTable.h"
#include "output/GameText.h"
#include "output/MatchEvents.h"
#include "output/OutputFile.h"
#include "process/RefereeError.h"
#include "protocol/Text.h"
#include "stats/Median.h"
#include "stats/RatingFit.h"

namespace fiverow::match {

namespace {

// In the order written, "event" first.
using Json = nlohmann::ordered_json;

Json Number(double value) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value == 0 ? 0.0 : value;  // no -0
}

Json Cell(Move move) { return Json::array({move.x, move.y}); }

Json SideName(Side side) { return std::string(1, StoneChar(side)); }

Json Cells(const std::vector<Move>& moves) {
  Json cells = Json::array();
  for (const Move move : moves) cells.push_back(Cell(move));
  return cells;
}

Json Name(std::string_view name) { return std::string(name); }

Json LimitsJson(const EngineLimits& limits, const TimeControl& time) {
  Json info = Json::array();
  for (const auto& [key, value] : limits.info) info.push_back({{"key", key}, {"value", value}});
  return {{"turnSeconds", Number(time.turnSeconds)},
          {"matchSeconds", time.matchSeconds ? Json(*time.matchSeconds) : Json(nullptr)},
          {"incrementSeconds", time.incrementSeconds},
          {"marginSeconds", time.marginSeconds},
          {"startSeconds", limits.startSeconds},
          {"memoryBytes", limits.memoryBytes ? Json(*limits.memoryBytes) : Json(nullptr)},
          {"info", std::move(info)}};
}

Json OpeningsJson(const OpeningsSource& source) {
  using Kind = OpeningsSource::Kind;
  Json openings = {{"source", source.kind == Kind::Fixed    ? "fixed"
                              : source.kind == Kind::Random ? "random"
                                                            : "file"}};
  if (source.kind == Kind::Fixed) openings["opening"] = Cells(source.opening);
  if (source.kind == Kind::File) {
    openings["file"] = tools::ShownText(source.file);
    openings["format"] = Name(OpeningFormatName(source.format));
    openings["order"] = Name(kOrderNames.NameOf(source.order));
    openings["count"] = source.count;
    openings["digest"] = source.digest;
  }
  openings["symmetries"] = source.symmetries;
  openings["seed"] = source.seed;
  return openings;
}

// A failed engine's report, line by line, each escaped as shown.
Json OutputLines(std::string_view output) {
  Json lines = Json::array();
  while (const auto line = protocol::TakeLine(output)) lines.push_back(tools::EscapeText(*line));
  return lines;
}

// 16 hex digits, new for each run.
std::string RunId() {
  std::random_device device;
  std::string seed;
  for (int i = 0; i < 4; ++i) seed += std::to_string(device());
  seed += std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return events::DigestOf(seed);
}

Json StandingsJson(const Standings& standings) {
  const Crosstable& table = standings.crosstable();
  // Three engines or more are rated together; two have the Elo difference.
  const std::vector<FittedRating> ratings =
      standings.engines().size() > 2 ? FitRatings(table) : std::vector<FittedRating>{};
  Json engines = Json::array();
  Json points = Json::array();
  Json games = Json::array();
  for (std::size_t engine = 0; engine < standings.engines().size(); ++engine) {
    const EngineStats& stats = standings.engines()[engine];
    engines.push_back({{"wins", stats.wins},
                       {"draws", stats.draws},
                       {"losses", stats.losses},
                       {"illegal", stats.illegalMoves},
                       {"timeOuts", stats.timeOuts},
                       {"crashes", stats.crashes},
                       {"restarts", stats.restarts},
                       {"points", table.Points(engine)},
                       {"games", table.Games(engine)},
                       {"medianMoveSeconds", Median(stats.moveSeconds)}});
    if (engine < ratings.size() && ratings[engine].rated) {
      engines.back()["rating"] = {{"elo", Number(ratings[engine].elo)},
                                  {"margin", Number(ratings[engine].margin)}};
    }
    Json pointsRow = Json::array();
    Json gamesRow = Json::array();
    for (std::size_t opponent = 0; opponent < table.Engines(); ++opponent) {
      pointsRow.push_back(table.Points(engine, opponent));
      gamesRow.push_back(table.Games(engine, opponent));
    }
    points.push_back(std::move(pointsRow));
    games.push_back(std::move(gamesRow));
  }
  const RatingTally& tally = standings.tally();
  Json elo = nullptr;
  if (const std::optional<EloEstimate> estimate = EstimateElo(tally)) {
    elo = {{"elo", Number(estimate->elo)},
           {"margin", Number(estimate->margin)},
           {"los", estimate->los}};
  }
  return {{"engines", std::move(engines)},
          {"points", std::move(points)},
          {"games", std::move(games)},
          {"tally",
           {{"wins", tally.Wins()},
            {"draws", tally.Draws()},
            {"losses", tally.Losses()},
            {"pairs", tally.Pairs()}}},
          {"elo", std::move(elo)}};
}

std::string Line(const Json& event) {
  // Everything put in is valid UTF-8 already; replace is a last guard.
  return event.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// One game's moves and notes, from the thread that plays it.
class GameFeed final : public GameEvents {
 public:
  GameFeed(EventStream& stream, int game) : stream_(stream), game_(game) {}

  void OnMove(const Position&, Move move, Side side, double seconds) override {
    stream_.Write(Line({{"event", events::kMove},
                        {"game", game_},
                        {"side", SideName(side)},
                        {"move", Cell(move)},
                        {"seconds", seconds}}));
  }
  void OnNote(const EngineNote& note) override {
    stream_.Write(Line({{"event", events::kNote},
                        {"game", game_},
                        {"side", SideName(note.side)},
                        {"kind", NoteKeyword(note.kind)},
                        {"text", tools::EscapeText(note.text)}}));
  }

 private:
  EventStream& stream_;
  int game_;
};

}  // namespace

std::string OpeningsDigest(const std::vector<Opening>& openings) {
  std::string text;
  for (const Opening& opening : openings) text += OpeningText(opening) + "\n";
  return events::DigestOf(text);
}

std::string_view EndingName(Ending ending) {
  static constexpr tools::NameTable<Ending, 12> kNames{{{
      {Ending::Five, "five"},
      {Ending::BoardFull, "board-full"},
      {Ending::DrawAfter, "draw-after"},
      {Ending::Resigned, "resigned"},
      {Ending::BadText, "bad-text"},
      {Ending::Occupied, "occupied"},
      {Ending::Forbidden, "forbidden"},
      {Ending::TimeOut, "time-out"},
      {Ending::ExitStatus, "exit-status"},
      {Ending::Signal, "signal"},
      {Ending::Folder, "folder"},
      {Ending::Memory, "memory"},
  }}};
  return kNames.NameOf(ending);
}

EventStream::EventStream(const std::string& path, const MatchPlan& plan, OpeningsSource openings)
    : path_(path), plan_(plan), openings_(std::move(openings)) {
  file_ = OpenOutputStream(path, "the events file");
}

EventStream::~EventStream() {
  if (file_ != nullptr) std::fclose(file_);
}

void EventStream::MatchStarted() {
  Json engines = Json::array();
  for (const MatchEngine& engine : plan_.engines) {
    engines.push_back({{"label", engine.label},
                       {"command", tools::ShownText(engine.program.command)},
                       {"protocol", ProtocolName(engine.program.protocol)},
                       {"limits", LimitsJson(engine.limits, engine.time)}});
  }
  Json sprt = nullptr;
  if (plan_.sprt) {
    sprt = {{"elo0", plan_.sprt->elo0},
            {"elo1", plan_.sprt->elo1},
            {"alpha", plan_.sprt->alpha},
            {"beta", plan_.sprt->beta}};
  }
  // What decides the games, and so names the match.
  const Json described = {
      {"engines", std::move(engines)},
      {"games", plan_.games},
      {"size", plan_.boardSize},
      {"rule", RuleName(plan_.rule)},
      {"gauntlet", plan_.pairing.gauntlet},
      {"rounds", plan_.pairing.rounds},
      {"gamesPerPair", plan_.pairing.gamesPerPair},
      {"drawAfter", plan_.drawAfter ? Json(*plan_.drawAfter) : Json(nullptr)},
      {"openings", OpeningsJson(openings_)},
      {"sprt", std::move(sprt)},
  };
  Json event = {{"event", events::kMatchStarted},
                {"format", events::kFormat},
                {"id", events::DigestOf(Line(described))},
                {"run", RunId()}};
  event.update(described);
  Write(Line(event));
  Check();
}

std::unique_ptr<GameEvents> EventStream::GameStarted(const GameSetup& setup) {
  Json opening = Json::array();
  for (const Move move : setup.opening) opening.push_back(Cell(move));
  Write(Line({{"event", events::kGameStarted},
              {"game", setup.game},
              {"x", setup.engines[Side::X]},
              {"o", setup.engines[Side::O]},
              {"opening", std::move(opening)}}));
  return std::make_unique<GameFeed>(*this, setup.game);
}

void EventStream::GameEnded(const PlayedGame& played, const Standings& standings) {
  const GameResult& result = played.result;
  games_ = played.setup.game;
  const int perRound =
      std::max(1, static_cast<int>(PairsOf(plan_.pairing).size()) * plan_.pairing.gamesPerPair);
  Write(
      Line({{"event", events::kGameEnded},
            {"game", played.setup.game},
            {"round", (played.setup.game - 1) / perRound + 1},
            {"x", played.setup.engines[Side::X]},
            {"o", played.setup.engines[Side::O]},
            {"winner", result.winner ? SideName(*result.winner) : Json(nullptr)},
            {"ending", EndingName(result.ending)},
            {"reason", tools::ShownText(result.reason)},
            {"moves", result.moves.size()},
            {"opening", Cells(played.setup.opening)},
            {"line", Cells(result.moves)},
            {"seconds", {{"x", result.moveSeconds[Side::X]}, {"o", result.moveSeconds[Side::O]}}},
            {"names",
             {tools::EscapeText(result.names[Side::X]), tools::EscapeText(result.names[Side::O])}},
            {"engineOutput", OutputLines(result.engineOutput)},
            {"engineOutputCut", result.engineOutputCut},
            {"standings", StandingsJson(standings)}}));
  Check();
}

void EventStream::SprtUpdated(const SprtParameters&, const SprtState& state) {
  const char* decision = state.decision == SprtDecision::AcceptH0   ? "H0"
                         : state.decision == SprtDecision::AcceptH1 ? "H1"
                                                                    : "continue";
  Write(Line({{"event", events::kSprt},
              {"games", games_},
              {"llr", Number(state.llr)},
              {"lower", state.lower},
              {"upper", state.upper},
              {"decision", decision}}));
  Check();
}

void EventStream::MatchEnded(const Standings& standings) {
  Write(Line({{"event", events::kMatchEnded},
              {"games", games_},
              {"standings", StandingsJson(standings)}}));
  Check();
}

void EventStream::Write(const std::string& line) {
  const std::lock_guard lock(mutex_);
  if (error_ != 0) return;
  errno = 0;
  // Written through at once, so that a reader sees each event as it comes.
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
      std::fputc('\n', file_) == EOF || std::fflush(file_) != 0)
    error_ = errno != 0 ? errno : EIO;
}

void EventStream::Check() {
  const std::lock_guard lock(mutex_);
  if (error_ != 0) {
    throw RefereeError(
        SystemErrorText("cannot write the events file " + tools::ShownText(path_), error_));
  }
}

}  // namespace fiverow::match
