// Game records: what the referee writes, reads back and judges.
#include <gtest/gtest.h>

#include "output/Record.h"

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

}  // namespace
}  // namespace fiverow::match
