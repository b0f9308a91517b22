// What the referee reports: game records, the summary, the command line and
// the board as text.
#include <gtest/gtest.h>

#include "ToolRun.h"
#include "cli/MatchOptions.h"
#include "common/EscapedText.h"
#include "game/BoardText.h"
#include "match/Standings.h"
#include "output/ProtocolLog.h"
#include "output/Record.h"
#include "stats/Median.h"

namespace fiverow::match {
namespace {

// After the moves o is to move, so only x can have won (by o's fault).
GameRecord SampleRecord() {
  return {"build/fiverow",
          "python3 /x/engine.py",
          {{9, 9}, {10, 10}},
          Side::X,
          "B (o) played 9,9, an occupied cell",
          {{1, 2}, {3, 4}, {12, 0}}};
}

TEST(GameRecords, ReadBackWhatWasWritten) {
  const GameRecord record = SampleRecord();
  std::string error;
  const auto back = ParseRecord(FormatRecord(record), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->xCommand, record.xCommand);
  EXPECT_EQ(back->oCommand, record.oCommand);
  EXPECT_EQ(back->opening, record.opening);
  EXPECT_EQ(back->winner, record.winner);
  EXPECT_EQ(back->reason, record.reason);
  EXPECT_EQ(back->moves, record.moves);

  // The protocols, the rule and the engines' lines, in their places.
  GameRecord full = record;
  full.protocols[Side::O] = Protocol::Pipe;
  full.rule = Rule::Standard;
  full.notes = {{0, Side::O, NoteKind::Message, "hello\nthere"}, {3, Side::X, NoteKind::Debug, ""}};
  const std::string fullText = FormatRecord(full);
  EXPECT_NE(fullText.find("o MESSAGE hello\\nthere\n1,2\n"), std::string::npos) << fullText;
  const auto fullBack = ParseRecord(fullText, error);
  ASSERT_TRUE(fullBack) << error;
  EXPECT_EQ(fullBack->protocols[Side::O], Protocol::Pipe);
  EXPECT_EQ(fullBack->rule, Rule::Standard);
  ASSERT_EQ(fullBack->notes.size(), 2u);
  EXPECT_EQ(fullBack->notes[0].text, "hello\nthere");
  EXPECT_EQ(fullBack->notes[1].beforeMove, 3u);
  EXPECT_EQ(fullBack->notes[1].kind, NoteKind::Debug);

  // Any command reads back exactly, whatever its bytes.
  GameRecord odd = record;
  odd.opening.clear();
  odd.moves.clear();
  odd.winner = Side::O;
  odd.xCommand = "sh -c 'printf \"a\\nb\"'\nsecond line\r\x1b\\";
  const auto oddBack = ParseRecord(FormatRecord(odd), error);
  ASSERT_TRUE(oddBack) << error;
  EXPECT_EQ(oddBack->xCommand, odd.xCommand);
  EXPECT_EQ(oddBack->winner, Side::O);
  EXPECT_TRUE(oddBack->moves.empty());
}

TEST(GameRecords, AreJudgedOnTheirBoardSize) {
  // o, to move, lost: 17,0 is on boards of 18 and more.
  GameRecord record = SampleRecord();
  record.moves = {{1, 2}, {3, 4}, {17, 0}};
  record.boardSize = 15;
  std::string text = FormatRecord(record);
  ASSERT_TRUE(text.starts_with("fiverow-match game record 4\n")) << text;
  std::string error;
  EXPECT_FALSE(ParseRecord(text, error));
  EXPECT_EQ(error, "the move 17,0 is off the board of 15");
  record.boardSize = 18;
  const auto eighteen = ParseRecord(FormatRecord(record), error);
  ASSERT_TRUE(eighteen) << error;
  EXPECT_EQ(eighteen->boardSize, 18);

  // A record of format 3 has no board line: 20 x 20.
  text.replace(0, text.find('\n'), "fiverow-match game record 3");
  text.erase(text.find("board: 15\n"), 10);
  const auto third = ParseRecord(text, error);
  ASSERT_TRUE(third) << error;
  EXPECT_EQ(third->boardSize, 20);
}

TEST(GameRecords, ReadRecordsOfTheFirstFormatAsWritten) {
  std::string error;
  const auto back = ParseRecord(
      "fiverow-match game record\nx: ./my\\ engine\no: b\nopening: \nresult: o wins\n"
      "reason: A (x) wrote \"\\x1b\" instead of a move\nmoves:\n",
      error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->xCommand, "./my\\ engine");
  EXPECT_EQ(back->reason, "A (x) wrote \"\\x1b\" instead of a move");
}

TEST(GameRecords, ToleratesCarriageReturns) {
  std::string text;
  for (const char c : FormatRecord(SampleRecord())) {
    if (c == '\n') text += '\r';
    text += c;
  }
  std::string error;
  const auto back = ParseRecord(text, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->moves.size(), 3u);
}

TEST(GameRecords, RejectMalformedOnes) {
  const std::string good = FormatRecord(SampleRecord());
  std::string error;
  EXPECT_FALSE(ParseRecord("hello\n", error));
  EXPECT_FALSE(ParseRecord(good.substr(0, good.find("result:")), error));
  std::string badResult = good;
  badResult.replace(badResult.find("x wins"), 6, "maybe");
  EXPECT_FALSE(ParseRecord(badResult, error));
  EXPECT_FALSE(ParseRecord(good + "20,20\n", error));
  EXPECT_FALSE(ParseRecord(good + "9,9\n", error));  // an opening stone's cell
  EXPECT_NE(error.find("occupied"), std::string::npos);

  GameRecord five = SampleRecord();
  five.opening.clear();
  five.moves = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {4, 0}};
  EXPECT_TRUE(ParseRecord(FormatRecord(five), error)) << error;
  EXPECT_FALSE(ParseRecord(FormatRecord(five) + "4,1\n", error));
  EXPECT_NE(error.find("after five"), std::string::npos) << error;
  five.winner = Side::O;
  EXPECT_FALSE(ParseRecord(FormatRecord(five), error));
  EXPECT_NE(error.find("contradicts"), std::string::npos) << error;
  five.winner.reset();
  EXPECT_FALSE(ParseRecord(FormatRecord(five), error));
  // A draw without a five was adjudicated.
  GameRecord drawn = SampleRecord();
  drawn.winner.reset();
  EXPECT_TRUE(ParseRecord(FormatRecord(drawn), error)) << error;

  // By the standard rule an overline does not end the game.
  GameRecord six = SampleRecord();
  six.opening = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {4, 0}, {4, 1}, {5, 0}, {15, 15}};
  six.moves = {{3, 0}, {9, 9}, {12, 12}};
  six.winner = Side::X;
  six.rule = Rule::Standard;
  EXPECT_TRUE(ParseRecord(FormatRecord(six), error)) << error;
  six.rule = Rule::Freestyle;
  EXPECT_FALSE(ParseRecord(FormatRecord(six), error));
}

TEST(GameRecords, UnderRenjuAForbiddenMoveOfXEndsTheGame) {
  // x's 0,0 makes a four in its row and one in its column.
  GameRecord renju = SampleRecord();
  renju.rule = Rule::Renju;
  renju.opening = {{1, 0}, {10, 10}, {2, 0}, {12, 10}, {3, 0}, {14, 10},
                   {0, 1}, {10, 12}, {0, 2}, {12, 12}, {0, 3}, {14, 12}};
  renju.moves = {{0, 0}};
  renju.winner = Side::O;
  std::string error;
  EXPECT_TRUE(ParseRecord(FormatRecord(renju), error)) << error;
  EXPECT_FALSE(ParseRecord(FormatRecord(renju) + "5,5\n", error));
  EXPECT_NE(error.find("comes after a forbidden move"), std::string::npos) << error;
  // By another rule the move is legal, and o, to move, lost.
  renju.rule = Rule::Standard;
  EXPECT_FALSE(ParseRecord(FormatRecord(renju), error));
  EXPECT_NE(error.find("contradicts"), std::string::npos) << error;
}

TEST(MatchSummary, ChargesEachEndingToTheRightEngine) {
  Standings standings(2);
  PlayedGame played;
  played.setup.engines[Side::X] = 1;  // B plays x
  played.setup.engines[Side::O] = 0;
  GameResult& result = played.result;
  result.winner = Side::O;  // A wins as o
  result.ending = Ending::TimeOut;
  standings.Add(played);
  result.winner = Side::X;  // B wins as x
  result.ending = Ending::Occupied;
  standings.Add(played);
  result.ending = Ending::ExitStatus;
  standings.Add(played);
  result.ending = Ending::Forbidden;
  standings.Add(played);
  result.ending = Ending::Resigned;
  standings.Add(played);
  result.winner.reset();
  result.ending = Ending::BoardFull;
  standings.Add(played);

  const EngineStats& a = standings.engines()[0];
  const EngineStats& b = standings.engines()[1];
  EXPECT_EQ(a.wins, 1);
  EXPECT_EQ(a.losses, 4);
  EXPECT_EQ(a.illegalMoves, 2);
  EXPECT_EQ(a.crashes, 1);
  EXPECT_EQ(a.draws, 1);
  EXPECT_EQ(b.wins, 4);
  EXPECT_EQ(b.losses, 1);
  EXPECT_EQ(b.timeOuts, 1);
  EXPECT_EQ(b.draws, 1);
  EXPECT_EQ(standings.tally().Wins(), 1);
  EXPECT_EQ(standings.tally().Losses(), 4);
}

TEST(MatchSummary, MedianOfMoveTimes) {
  EXPECT_EQ(Median({}), 0.0);
  EXPECT_EQ(Median({3.0, 1.0, 2.0}), 2.0);
  EXPECT_EQ(Median({4.0, 1.0, 3.0, 2.0}), 2.5);
}

TEST(MatchOptionsParsing, DefaultsSuitOneGameOrAMatch) {
  const MatchOptions one = ParseMatchOptions({});
  EXPECT_EQ(one.TotalGames(), 1);
  EXPECT_EQ(one.ShowOrDefault(), Show::Each);
  EXPECT_FALSE(one.RandomOpenings());
  const MatchOptions many = ParseMatchOptions({"--games", "20"});
  EXPECT_EQ(many.ShowOrDefault(), Show::None);
  EXPECT_TRUE(many.RandomOpenings());
  EXPECT_TRUE(ParseMatchOptions({"--seed", "3"}).RandomOpenings());
  // A person sees the end of each game.
  const MatchOptions person = ParseMatchOptions({"human"});
  EXPECT_EQ(person.ShowOrDefault(), Show::End);
  const MatchOptions given = ParseMatchOptions({"--games=6", "--opening", "9,9 10,10", "a", "b c"});
  EXPECT_FALSE(given.RandomOpenings());
  EXPECT_EQ(given.engineCommands, (std::vector<std::string>{"a", "b c"}));
}

TEST(MatchOptionsParsing, TournamentsCountTheirGamesAndTakeValuesPerEngine) {
  // Three engines play every pair twice a round; a gauntlet of four, the
  // first against three others.
  EXPECT_EQ(ParseMatchOptions({"a", "b", "c"}).TotalGames(), 6);
  EXPECT_EQ(ParseMatchOptions({"--gauntlet", "--games", "4", "--rounds", "2", "a", "b", "c", "d"})
                .TotalGames(),
            24);
  const MatchOptions options =
      ParseMatchOptions({"--time-limit", "2", "--time-limit", "B:0.5", "--engine-option",
                         "C:hash_size=64 MB", "a", "b", "c"});
  EXPECT_EQ(options.timeLimit.For(0), 2.0);
  EXPECT_EQ(options.timeLimit.For(1), 0.5);
  ASSERT_EQ(options.engineOptions.size(), 1u);
  EXPECT_EQ(options.engineOptions[0].engine, 2u);
  EXPECT_EQ(options.engineOptions[0].value, "64 MB");
}

TEST(MatchOptionsParsing, RejectsBadUsage) {
  const std::vector<std::vector<std::string>> bad = {
      {"--games", "0"},
      {"--games", "x"},
      {"--time-limit", "0"},
      {"--time-limit", "-1"},
      {"--time-limit", "nan"},
      {"--time-limit"},
      {"--show", "some"},
      {"--opening", "9,9 9,9"},
      {"--frobnicate"},
      {"--keep=maybe"},
      {"--replay", "f", "engine"},
      {"--seed", "-3"},
      {"--rule", "gomoku"},
      {"--openings", "f", "--opening", "9,9"},
      {"--opening", "9,9", "--openings", "f"},
      {"--openings-format", "pos"},
      {"--openings-order", "random"},
      {"--symmetries"},
      {"--openings", "f", "--openings-format", "sgf"},
      {"--openings", "f", "--openings-order", "shuffled"},
      {"--replay", "f", "--openings", "g"},
      {"--max-memory", "0"},
      {"--match-time", "x"},
      {"--replay", "f", "--rule", "standard", "--time-limit", "3"},
      {"--replay", "f", "--games", "3"},
      {"a", "b", "c", "--games", "3"},
      {"--time-limit", "C:1"},
      {"--engine-option", "B:time_left=1"},
      {"--engine-option", "B:hash=\x01"},
      {"--gauntlet"},
      {"a", "b", "c", "--games", "10", "--sprt", "elo0=0,elo1=5,alpha=0.05,beta=0.05"},
      {"--board-size", "14"},
      {"--board-size", "23"},
      {"--opening", "15,0", "--board-size", "15"},  // read at the size given after it
      {"--game", "2"},
      {"--replay", "f", "--sgf", "g"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseMatchOptions(args), UsageError) << args.front() << " " << args.back();
  }
  EXPECT_NO_THROW(ParseMatchOptions({"--replay", "f", "--show", "end", "--game", "2"}));
  EXPECT_EQ(ParseMatchOptions({"--board-size", "22", "--opening", "21,21"}).opening,
            (Opening{{21, 21}}));
}

TEST(BoardText, MarksTheLastMoveAndColoursOnlyWhenAsked) {
  Position position;
  position.Place({0, 0}, Side::X);
  position.Place({19, 19}, Side::O);
  const std::string plain = RenderBoard(position, Move{19, 19}, false);
  EXPECT_EQ(plain.find('\033'), std::string::npos);
  EXPECT_NE(plain.find("  0 x  . "), std::string::npos);
  EXPECT_NE(plain.find(" 19 .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  . [o]\n"),
            std::string::npos);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 21);
  EXPECT_NE(RenderBoard(position, Move{19, 19}, true).find('\033'), std::string::npos);
}

TEST(ProtocolLog, CutsLongLinesAndCountsWhatIsTooMuch) {
  const fiverow::testing::TempFolder folder;
  const std::string path = folder / "log.txt";
  {
    ProtocolLog log(path);
    log.OnLine({1, "A", true, "START 20"});
    log.OnLine({1, "A", false, std::string(2000, 'x') + "\x1b"});
    const std::string block(4096, 'y');
    for (int i = 0; i < 2600; ++i) log.OnLine({2, "B", false, block});
    PlayedGame played;
    played.setup.game = 2;
    log.GameEnded(played, Standings(2));
  }
  const std::string text = fiverow::testing::ReadWholeFile(path);
  EXPECT_NE(text.find(" game 1 A > START 20\n"), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find(" game 1 A < " + std::string(1024, 'x') + " [cut]\n"), std::string::npos);
  EXPECT_NE(text.find("game 2 B sent 167977 more bytes, not written\n"), std::string::npos);
  EXPECT_LT(text.size(), 10'600'000u);
}

// Characters that reorder or break text are escaped like control bytes,
// and still read back exactly.
TEST(EscapedText, HidesFormatCharactersAndKeepsOtherText) {
  const std::string text = "A\u202eB\u2066C\u200bD \u00e9\u4e2d";
  EXPECT_EQ(tools::EscapeText(text),
            "A\\xe2\\x80\\xaeB\\xe2\\x81\\xa6C\\xe2\\x80\\x8bD \u00e9\u4e2d");
  EXPECT_EQ(tools::UnescapeText(tools::EscapeText(text)), text);
}

}  // namespace
}  // namespace fiverow::match
