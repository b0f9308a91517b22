// The referee's rules: fives, move text, the side marker, openings, their
// notations and schedules, and command lines.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <tuple>

#include "MemoryFileSystem.h"
#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "game/Judge.h"
#include "game/Opening.h"
#include "game/OpeningNotation.h"
#include "game/Position.h"
#include "game/Rules.h"
#include "game/TimeControl.h"
#include "match/OpeningSchedule.h"
#include "match/Schedule.h"
#include "players/FileProtocol.h"

namespace fiverow::match {
namespace {

Position WithStones(std::initializer_list<Move> xs, std::initializer_list<Move> os) {
  Position position;
  for (const Move cell : xs) position.Place(cell, Side::X);
  for (const Move cell : os) position.Place(cell, Side::O);
  return position;
}

TEST(FiveInARow, CountsUnbrokenLinesOnEveryAxis) {
  EXPECT_TRUE(WithStones({{3, 4}, {4, 4}, {5, 4}, {6, 4}, {7, 4}}, {}).CompletesFive({5, 4}));
  EXPECT_TRUE(WithStones({{0, 15}, {0, 16}, {0, 17}, {0, 18}, {0, 19}}, {}).CompletesFive({0, 19}));
  EXPECT_TRUE(WithStones({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}, {}).CompletesFive({1, 1}));
  EXPECT_TRUE(WithStones({}, {{19, 0}, {18, 1}, {17, 2}, {16, 3}, {15, 4}}).CompletesFive({17, 2}));
}

TEST(FiveInARow, SixAlsoWinsButFourOrABrokenLineDoNot) {
  const Position six = WithStones({{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}}, {});
  EXPECT_EQ(six.LongestLineThrough({2, 9}), 6);
  EXPECT_TRUE(six.CompletesFive({2, 9}));
  EXPECT_FALSE(WithStones({{0, 9}, {1, 9}, {2, 9}, {3, 9}}, {}).CompletesFive({3, 9}));
  EXPECT_FALSE(WithStones({{0, 9}, {1, 9}, {3, 9}, {4, 9}, {5, 9}}, {}).CompletesFive({3, 9}));
  EXPECT_FALSE(WithStones({{0, 9}, {1, 9}, {3, 9}, {4, 9}}, {{2, 9}}).CompletesFive({2, 9}));
}

TEST(FiveInARow, TheStandardRuleWinsWithExactlyFiveOnSomeAxis) {
  const Position six = WithStones({{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}}, {});
  EXPECT_TRUE(Wins(six, {5, 9}, Rule::Freestyle));
  EXPECT_FALSE(Wins(six, {5, 9}, Rule::Standard));
  // An overline on one axis and exactly five on another wins.
  const Position both = WithStones(
      {{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}, {5, 5}, {5, 6}, {5, 7}, {5, 8}}, {});
  EXPECT_TRUE(Wins(both, {5, 9}, Rule::Standard));
}

// One clock for every game: the turn limit, or the match time left when
// less, which each move spends and the increment refills; the board takes
// the whole time control as the referee does.
TEST(TimeControl, TheClockSpendsAndRefillsTheMatchTime) {
  GameClock clock({5, 10, 2, 0.5});
  EXPECT_EQ(clock.Limit(), 5);
  clock.Spend(7);  // 3 left, and 2 more
  EXPECT_EQ(clock.Limit(), 5);
  clock.Spend(4.5);  // 0.5 left, and 2 more
  EXPECT_EQ(clock.Limit(), 2.5);
  EXPECT_EQ(clock.Margin(), 0.5);
  EXPECT_EQ(clock.TimeOutReason(),
            "ran out of its match time of 10 s: no move came within it plus the margin of 0.5 s");
  EXPECT_EQ(GameClock({3, std::nullopt, 2, 0}).TimeOutReason(),
            "ran over the time limit of 3 s: no move came within it plus the margin of 0 s");
}

// The one judge: where a stone may go, and what it brings about by each rule.
TEST(Judge, PlacesAndJudgesByTheRule) {
  Position position = WithStones({{0, 9}, {1, 9}, {2, 9}, {4, 9}, {5, 9}}, {{9, 0}});
  Position standard = position;
  EXPECT_EQ(PlaceStone(position, {3, 9}, Side::X, Rule::Freestyle).verdict, Verdict::Wins);
  EXPECT_EQ(PlaceStone(standard, {3, 9}, Side::X, Rule::Standard).verdict, Verdict::Continues);
  EXPECT_EQ(standard.At({3, 9}), 'x');
  Position renju = WithStones({{0, 9}, {1, 9}, {2, 9}, {4, 9}, {5, 9}}, {});
  const Judgement foul = PlaceStone(renju, {3, 9}, Side::X, Rule::Renju);
  EXPECT_EQ(foul.verdict, Verdict::Forbidden);
  EXPECT_EQ(foul.foul, Foul::Overline);
  EXPECT_EQ(PlaceStone(renju, {3, 9}, Side::O, Rule::Renju).verdict, Verdict::Occupied);
  EXPECT_EQ(PlaceStone(renju, {20, 0}, Side::O, Rule::Renju).verdict, Verdict::OffBoard);
}

TEST(FiveInARow, DoesNotWrapAroundTheBoardEdge) {
  EXPECT_FALSE(WithStones({{17, 3}, {18, 3}, {19, 3}, {0, 4}, {1, 4}}, {}).CompletesFive({19, 3}));
}

MoveFile Wrote(std::string text, bool cut = false) {
  MoveFile file;
  file.text = std::move(text);
  file.cut = cut;
  return file;
}

TEST(MoveText, AcceptsXCommaYOnAnEmptyCell) {
  const Position position;
  EXPECT_EQ(JudgeMoveText(Wrote("3,17"), position).move, (Move{3, 17}));
  EXPECT_EQ(JudgeMoveText(Wrote("19,0"), position).move, (Move{19, 0}));
  EXPECT_EQ(JudgeMoveText(Wrote("0,0\r\n"), position).move, (Move{0, 0}));
}

TEST(MoveText, RejectsAnythingElseAsBadText) {
  const Position position;
  for (const char* text :
       {"", "20,1", "1,20", "-1,2", " 3,4", "3, 4", "3;4", "34", "3,4,5", "1,2x", "100,1"}) {
    const MoveVerdict verdict = JudgeMoveText(Wrote(text), position);
    EXPECT_FALSE(verdict.move) << text;
    EXPECT_EQ(verdict.fault, Ending::BadText) << text;
  }
  // Shown escaped, and a cut shown as such even where the kept bytes are a move.
  EXPECT_EQ(JudgeMoveText(Wrote("\x1b[2K9,9\n\\"), position).reason,
            "wrote \"\\x1b[2K9,9\\n\\\\\" instead of a move x,y in 0..19");
  EXPECT_EQ(JudgeMoveText(Wrote("1,1", true), position).reason,
            "wrote \"1,1\" (cut) instead of a move x,y in 0..19");
}

TEST(MoveText, AnOccupiedCellIsItsOwnFault) {
  const MoveVerdict verdict = JudgeMoveText(Wrote("4,5"), WithStones({}, {{4, 5}}));
  EXPECT_FALSE(verdict.move);
  EXPECT_EQ(verdict.fault, Ending::Occupied);
  EXPECT_EQ(verdict.reason, "played 4,5, an occupied cell");
}

// The files the referee writes, read back by fiverow's own readers: the engine
// must see the referee's stones and play the side it was given.
TEST(GameFiles, TheEngineReadsThePositionAndPlaysTheGivenSide) {
  const Position position = WithStones({{0, 0}, {19, 19}}, {{5, 7}});
  for (const Side side : {Side::X, Side::O}) {
    fiverow::testing::MemoryFileSystem files;
    files.files["Plocha.dat"] = PositionFileText(position);
    files.files["Tah.dat"] = std::string(1, TurnMarkerFor(side)) + "\n";
    RunState state;
    state.textFile.Attach(files);
    ReadPosition(state);
    ReadTurn(state);
    EXPECT_EQ(state.emptyCount, 397);
    EXPECT_EQ(state.board.cell(0, 0), CellCodeOf('x'));
    EXPECT_EQ(state.board.cell(19, 19), CellCodeOf('x'));
    EXPECT_EQ(state.board.cell(5, 7), CellCodeOf('o'));
    EXPECT_EQ(state.ownCode, state.board.cell(side == Side::X ? 0 : 5, side == Side::X ? 0 : 7));
  }
}

TEST(Openings, AlternateFromXAndRejectBadOnes) {
  std::string error;
  const auto opening = ParseOpening("  9,9 10,10\t9,10 ", 20, Rule::Freestyle, error);
  ASSERT_TRUE(opening);
  EXPECT_EQ(*opening, (Opening{{9, 9}, {10, 10}, {9, 10}}));
  EXPECT_EQ(OpeningText(*opening), "9,9 10,10 9,10");
  EXPECT_TRUE(ParseOpening("", 20, Rule::Freestyle, error)->empty());

  EXPECT_FALSE(ParseOpening("9,9 20,3", 20, Rule::Freestyle, error));
  EXPECT_NE(error.find("20,3"), std::string::npos);
  EXPECT_FALSE(ParseOpening("9,9 9,9", 20, Rule::Freestyle, error));
  EXPECT_NE(error.find("two stones"), std::string::npos);
  EXPECT_FALSE(ParseOpening("0,0 0,1 1,0 1,1 2,0 2,1 3,0 3,1 4,0", 20, Rule::Freestyle, error));
  EXPECT_NE(error.find("five"), std::string::npos);
  // Six in a row wins only where the rule says so.
  const std::string six = "0,0 0,5 1,0 1,5 2,0 2,5 4,0 4,5 5,0 5,5 3,0";
  EXPECT_FALSE(ParseOpening(six, 20, Rule::Freestyle, error));
  EXPECT_EQ(error, "the opening already has five in a row through 3,0");
  EXPECT_TRUE(ParseOpening(six, 20, Rule::Standard, error));
  EXPECT_TRUE(ParseOpening(six, 20, Rule::Renju, error));
}

TEST(Openings, RandomOnesAreReproducibleBalancedAndCentral) {
  OpeningSchedule first = OpeningSchedule::Random(42, 20);
  OpeningSchedule second = OpeningSchedule::Random(42, 20);
  OpeningSchedule other = OpeningSchedule::Random(43, 20);
  // The openings every earlier version made for this seed, asked for out of
  // order.
  EXPECT_EQ(OpeningText(first.At(5)), "8,12 9,10 9,8 8,7");
  EXPECT_EQ(OpeningText(first.At(0)), "7,9 11,7 12,9 11,8");
  EXPECT_EQ(OpeningText(first.At(3)), "10,9 11,11 8,12 11,7");
  std::set<std::string> seen;
  for (std::size_t i = 0; i < 50; ++i) {
    const Opening opening = first.At(i);
    EXPECT_EQ(opening, second.At(i));
    seen.insert(OpeningText(opening));
    ASSERT_EQ(opening.size(), 4u);  // two stones a side
    std::set<std::pair<int, int>> cells;
    for (const Move cell : opening) cells.insert({cell.x, cell.y});
    EXPECT_EQ(cells.size(), 4u);
    for (const Move cell : opening) {
      EXPECT_GE(cell.x, 7);
      EXPECT_LE(cell.x, 12);
      EXPECT_GE(cell.y, 7);
      EXPECT_LE(cell.y, 12);
    }
  }
  EXPECT_GT(seen.size(), 45u);
  EXPECT_NE(OpeningText(first.At(0)), OpeningText(other.At(0)));
}

std::string LineText(std::string_view line, OpeningFormat format, int size = 20) {
  std::string error;
  const std::optional<Opening> opening =
      ParseOpeningLine(line, format, size, Rule::Freestyle, error);
  return opening ? OpeningText(*opening) : error;
}

TEST(OpeningNotation, ReadsEachFormatForTheBoardSize) {
  EXPECT_EQ(LineText("8,-3, 6,-4, 5,-4", OpeningFormat::Offset), "18,7 16,6 15,6");
  EXPECT_EQ(LineText(" 0,0,  -1,1\t", OpeningFormat::Offset), "10,10 9,11");
  EXPECT_EQ(LineText("0,0, -1,1", OpeningFormat::Offset, 15), "7,7 6,8");
  EXPECT_EQ(LineText("d3e5f6d7", OpeningFormat::Pos), "3,2 4,4 5,5 3,6");
  EXPECT_EQ(LineText("a1T20", OpeningFormat::Pos), "0,0 19,19");
  EXPECT_EQ(LineText("9,9 10,10", OpeningFormat::Xy), "9,9 10,10");
}

TEST(OpeningNotation, RefusesMalformedOffBoardTakenAndWonOpenings) {
  // Blank-separated pairs are not offsets: an xy file is never misread.
  EXPECT_EQ(LineText("0,0 1,1", OpeningFormat::Offset),
            "bad cell \"0,0 1,1\" (expected dx,dy from the centre, moves separated by \", \")");
  for (const char* line : {"0,0,1,1", "0,0, ", "1", "a,b", "0,+1", "0,0,, 1,1"}) {
    EXPECT_NE(LineText(line, OpeningFormat::Offset).find("bad cell"), std::string::npos) << line;
  }
  EXPECT_EQ(LineText("0,0, 10,0", OpeningFormat::Offset),
            "bad cell \"10,0\" (20,10 is off the 20 x 20 board)");
  EXPECT_EQ(LineText("0,0, -10,-10", OpeningFormat::Offset), "10,10 0,0");
  EXPECT_EQ(LineText("x9", OpeningFormat::Pos),
            "bad cell \"x9\" (expected a column a..t and a row 1..20 on the 20 x 20 board, moves "
            "written together)");
  for (const char* line : {"a0", "a21", "d3 e5", "3d", "d", "d3,e5", "\x1b[2J"}) {
    EXPECT_NE(LineText(line, OpeningFormat::Pos).find("bad cell"), std::string::npos) << line;
  }
  EXPECT_NE(LineText("p1", OpeningFormat::Pos, 15).find("a..o"), std::string::npos);
  EXPECT_EQ(LineText("0,0, 1,1, 0,0", OpeningFormat::Offset),
            "the opening places two stones on 10,10");
  EXPECT_EQ(LineText("a1a2b1b2c1c2d1d2e1", OpeningFormat::Pos),
            "the opening already has five in a row through 4,0");
}

TEST(OpeningNotation, TheEightSymmetriesAreDistinctAndOnTheBoard) {
  for (const int size : {15, 20}) {
    const Opening opening{{1, 0}, {3, 2}, {7, 2}};
    std::set<std::string> images;
    for (int symmetry = 0; symmetry < kSymmetries; ++symmetry) {
      const Opening image = Symmetric(opening, symmetry, size);
      images.insert(OpeningText(image));
      std::string error;
      EXPECT_TRUE(CheckOpening(image, size, Rule::Freestyle, error)) << error;
    }
    EXPECT_EQ(images.size(), 8u);
    EXPECT_EQ(Symmetric(opening, 0, size), opening);
  }
  EXPECT_EQ(OpeningText(Symmetric({{1, 0}}, 1, 20)), "19,1");  // a quarter turn
  EXPECT_EQ(OpeningText(Symmetric({{1, 0}}, 4, 20)), "18,0");  // a mirror image
}

TEST(OpeningsFromAList, PlayInOrderOrAFreshShufflePerPass) {
  std::vector<Opening> list;
  for (Int32 i = 0; i < 5; ++i) list.push_back({{i, 0}});
  OpeningSchedule sequential =
      OpeningSchedule::FromList(list, OpeningOrder::Sequential, false, 1, 20);
  EXPECT_EQ(sequential.At(7), list[2]);
  EXPECT_EQ(sequential.At(0), list[0]);

  OpeningSchedule shuffled = OpeningSchedule::FromList(list, OpeningOrder::Random, false, 9, 20);
  OpeningSchedule again = OpeningSchedule::FromList(list, OpeningOrder::Random, false, 9, 20);
  std::vector<std::string> passes(4);
  for (std::size_t k = 0; k < 20; ++k) passes[k / 5] += OpeningText(shuffled.At(k)) + " ";
  std::set<std::string> orders;
  for (const std::string& pass : passes) {
    std::multiset<std::string> entries;
    std::istringstream words(pass);
    for (std::string word; words >> word;) entries.insert(word);
    EXPECT_EQ(entries, (std::multiset<std::string>{"0,0", "1,0", "2,0", "3,0", "4,0"})) << pass;
    orders.insert(pass);
  }
  EXPECT_GT(orders.size(), 1u);              // reshuffled, not repeated
  EXPECT_EQ(again.At(13), shuffled.At(13));  // by the seed, at random access
  EXPECT_EQ(again.At(2), shuffled.At(2));
}

TEST(OpeningsFromAList, SymmetriesAreChosenPerIndexBySeed) {
  const std::vector<Opening> list{{{1, 0}, {3, 2}}};
  OpeningSchedule schedule = OpeningSchedule::FromList(list, OpeningOrder::Sequential, true, 4, 20);
  OpeningSchedule same = OpeningSchedule::FromList(list, OpeningOrder::Sequential, true, 4, 20);
  std::set<std::string> images;
  for (std::size_t k = 0; k < 64; ++k) {
    const Opening opening = schedule.At(k);
    EXPECT_EQ(opening, schedule.At(k));
    EXPECT_EQ(opening, same.At(k));
    images.insert(OpeningText(opening));
  }
  EXPECT_EQ(images.size(), 8u);
}

// Every pair plays each of the round's openings twice, colours swapped, and
// every pair of a round the same openings; a gauntlet pairs only the first.
TEST(Schedules, PairEveryEngineOnTheSameOpeningsEachRound) {
  Schedule robin({3, false, 2, 2}, OpeningSchedule::Random(5, 20));
  ASSERT_EQ(robin.games(), 12);
  OpeningSchedule openings = OpeningSchedule::Random(5, 20);
  std::string played;
  for (int game = 1; game <= robin.games(); ++game) {
    const GameSetup setup = robin.At(game);
    EXPECT_EQ(setup.game, game);
    EXPECT_EQ(setup.opening, openings.At(game > 6 ? 1 : 0)) << game;
    played += std::to_string(setup.engines[Side::X]) + std::to_string(setup.engines[Side::O]) + " ";
  }
  EXPECT_EQ(played, "01 10 02 20 12 21 01 10 02 20 12 21 ");
  Schedule gauntlet({4, true, 1, 4}, OpeningSchedule::Fixed({}));
  played.clear();
  for (int game = 1; game <= gauntlet.games(); ++game) {
    const GameSetup setup = gauntlet.At(game);
    played += std::to_string(setup.engines[Side::X]) + std::to_string(setup.engines[Side::O]) + " ";
  }
  EXPECT_EQ(played, "01 10 01 10 02 20 02 20 03 30 03 30 ");
}

}  // namespace
}  // namespace fiverow::match
