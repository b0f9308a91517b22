// What the referee reports: game records, the summary, the command line and
// the board as text.
#include <gtest/gtest.h>

#include "match/BoardView.h"
#include "match/MatchOptions.h"
#include "match/Record.h"
#include "match/Summary.h"

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

TEST(MatchSummary, ChargesEachEndingToTheRightEngine) {
  PerPlayer<EngineStats> stats;
  GameSetup bIsX;
  bIsX.xPlayer = Player::B;
  GameResult result;
  result.winner = Side::O;  // A wins as o
  result.ending = Ending::TimeOut;
  CountGame(stats, bIsX, result);
  result.winner = Side::X;  // B wins as x
  result.ending = Ending::Occupied;
  CountGame(stats, bIsX, result);
  result.ending = Ending::ExitStatus;
  CountGame(stats, bIsX, result);
  result.winner.reset();
  result.ending = Ending::BoardFull;
  CountGame(stats, bIsX, result);

  EXPECT_EQ(stats[Player::A].wins, 1);
  EXPECT_EQ(stats[Player::A].losses, 2);
  EXPECT_EQ(stats[Player::A].illegalMoves, 1);
  EXPECT_EQ(stats[Player::A].crashes, 1);
  EXPECT_EQ(stats[Player::A].draws, 1);
  EXPECT_EQ(stats[Player::B].wins, 2);
  EXPECT_EQ(stats[Player::B].losses, 1);
  EXPECT_EQ(stats[Player::B].timeOuts, 1);
  EXPECT_EQ(stats[Player::B].draws, 1);
}

TEST(MatchSummary, MedianOfMoveTimes) {
  EXPECT_EQ(Median({}), 0.0);
  EXPECT_EQ(Median({3.0, 1.0, 2.0}), 2.0);
  EXPECT_EQ(Median({4.0, 1.0, 3.0, 2.0}), 2.5);
}

TEST(MatchOptionsParsing, DefaultsSuitOneGameOrAMatch) {
  const MatchOptions one = ParseMatchOptions({});
  EXPECT_EQ(one.games, 1);
  EXPECT_DOUBLE_EQ(one.timeLimit, 5.0);
  EXPECT_EQ(one.ShowOrDefault(), Show::Each);
  EXPECT_FALSE(one.RandomOpenings());
  const MatchOptions many = ParseMatchOptions({"--games", "20"});
  EXPECT_EQ(many.ShowOrDefault(), Show::None);
  EXPECT_TRUE(many.RandomOpenings());
  EXPECT_TRUE(ParseMatchOptions({"--seed", "3"}).RandomOpenings());
  // A person is untimed unless asked, and sees the end of each game.
  const MatchOptions person = ParseMatchOptions({"human"});
  EXPECT_FALSE(person.Limits().moveLimitGiven);
  EXPECT_EQ(person.ShowOrDefault(), Show::End);
}

TEST(MatchOptionsParsing, RejectsBadUsage) {
  const std::vector<std::vector<std::string>> bad = {
      {"--games", "0"},       {"--games", "x"},         {"--time-limit", "0"},
      {"--time-limit", "-1"}, {"--time-limit", "nan"},  {"--time-limit"},
      {"--show", "some"},     {"--opening", "9,9 9,9"}, {"--frobnicate"},
      {"a", "b", "c"},        {"--keep=yes"},           {"--replay", "f", "engine"},
      {"--seed", "-3"},       {"--rule", "renju"},      {"--max-memory", "0"},
      {"--match-time", "x"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseMatchOptions(args), UsageError) << args.front();
  }
  EXPECT_NO_THROW(ParseMatchOptions({"--replay", "f", "--show", "end"}));
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

}  // namespace
}  // namespace fiverow::match
