// fiverow-match as its users run it: against fiverow and against engines that
// misbehave, with the right result, reason and exit status every time.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "Contains.h"
#include "ToolRun.h"
#include "protocol/Numbers.h"

namespace fiverow::testing {
namespace {

const std::string kMatch = FIVEROW_MATCH_PATH;
const std::string kEngine = FIVEROW_ENGINE_PATH;
const std::string kFakeEngine = FIVEROW_FAKE_ENGINE_PATH;

// x and o both have four in a row and x moves: the game ends at once.
const std::string kQuickWin = "5,10 5,15 6,10 6,15 7,10 7,15 8,10 8,15";

std::string Mode(const std::string& mode) { return kFakeEngine + " file " + mode; }

// Runs the referee with its temporary folders in `tmp`.
ToolResult Match(const TempFolder& tmp, std::vector<std::string> args) {
  args.insert(args.begin(), kMatch);
  return RunTool(args, tmp.path(), {{"TMPDIR", tmp.path()}, {"NO_COLOR", "1"}});
}

std::vector<int> PidsIn(const std::string& path) {
  std::istringstream text(ReadWholeFile(path));
  std::vector<int> pids;
  for (int pid; text >> pid;) pids.push_back(pid);
  return pids;
}

bool AllGoneSoon(const std::vector<int>& pids) {
  for (int i = 0; i < 100; ++i) {
    bool any = false;
    for (const int pid : pids) any = any || ProcessAlive(pid);
    if (!any) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Only the folder's own temporary entries: the referee leaves none behind.
int WorkFolders(const TempFolder& tmp) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.path())) {
    if (entry.path().filename().string().starts_with("fiverow-match-")) ++count;
  }
  return count;
}

TEST(MatchGames, SelfPlayByDefaultEndsInFiveAndCleansUp) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "end"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "game 1 (x A, o B): ")) << result.out;
  EXPECT_TRUE(Contains(result.out, "in a row with")) << result.out;
  EXPECT_TRUE(Contains(result.out, "A: " + kEngine + "\n")) << result.out;
  EXPECT_EQ(WorkFolders(tmp), 0);
}

TEST(MatchGames, TheEngineIsToldWhichSideItPlays) {
  // x and o both have four in a row and x moves: fiverow as x must complete
  // its own five rather than play for o.
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", "--opening", kQuickWin});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "A wins: A (x) made five in a row with 4,10 after 1 move"))
      << result.out;
}

TEST(MatchGames, ShowEachPrintsEveryMove) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--opening", kQuickWin});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "game 1, opening:")) << result.out;
  EXPECT_TRUE(Contains(result.out, "move 1: x (A) 4,10 in ")) << result.out;
  EXPECT_TRUE(Contains(result.out, " 10 .  .  .  . [x] x  x  x  x ")) << result.out;
}

TEST(MatchFaults, AnOccupiedCellLoses) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", kEngine, Mode("occupied")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "A wins: B (o) played 10,10, an occupied cell after 1 move"))
      << result.out;
}

TEST(MatchFaults, GarbageLoses) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", Mode("garbage"), kEngine});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(
      result.out, "B wins: A (x) wrote \"hello\" instead of a move x,y in 0..19 after 0 moves"))
      << result.out;
}

TEST(MatchFaults, RunningOverTheTimeLimitLosesAndIsKilledWithItsChildren) {
  const TempFolder tmp;
  const std::string pidFile = tmp / "pids";
  const ToolResult result =
      Match(tmp, {"--show", "none", "--time-limit", "0.3", Mode("sleep " + pidFile), kEngine});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "B wins: A (x) ran over the time limit of 0.3 s")) << result.out;
  EXPECT_LT(result.seconds, 3.0);
  const std::vector<int> pids = PidsIn(pidFile);
  ASSERT_EQ(pids.size(), 2u);
  EXPECT_TRUE(AllGoneSoon(pids));
  EXPECT_EQ(WorkFolders(tmp), 0);
}

TEST(MatchFaults, ANonZeroExitLosesAndItsReportIsShown) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", kEngine, Mode("fail")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "A wins: B (o) exited with status 1 after 1 move"))
      << result.out;
  EXPECT_TRUE(Contains(result.out, "    | engine failure: cannot think\n")) << result.out;
}

TEST(MatchFaults, ProcessesLeftBehindByAMoveAreKilled) {
  const TempFolder tmp;
  const std::string pidFile = tmp / "pids";
  const ToolResult result = Match(
      tmp, {"--show", "none", "--opening", "0,0", Mode("occupied"), Mode("straggler " + pidFile)});
  EXPECT_EQ(result.status, 0) << result.err;
  // The straggler plays 1,0 legally, then the other engine plays 0,0.
  EXPECT_TRUE(Contains(result.out, "B wins: A (x) played 0,0, an occupied cell after 1 move"))
      << result.out;
  const std::vector<int> pids = PidsIn(pidFile);
  ASSERT_EQ(pids.size(), 2u);
  EXPECT_TRUE(AllGoneSoon(pids));
}

TEST(MatchGames, AFullBoardIsADraw) {
  // A full board without five: x where (x + 2y) mod 4 < 2. The opening leaves
  // one cell of each side free; the engines fill them.
  std::string opening;
  std::vector<Move> xs;
  std::vector<Move> os;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) ((x + 2 * y) % 4 < 2 ? xs : os).push_back({x, y});
  }
  xs.pop_back();
  os.pop_back();
  for (std::size_t i = 0; i < xs.size(); ++i) {
    opening += protocol::CellText(xs[i]) + " " + protocol::CellText(os[i]) + " ";
  }
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", "--opening", opening});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "draw: the board is full after 2 moves")) << result.out;
}

TEST(MatchSeries, SwapsSidesOnEachRandomOpeningAndSumsUp) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--games", "4", "--seed", "5", "--record", "records"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "random openings, seed 5")) << result.out;
  EXPECT_TRUE(Contains(result.out, "game 1 of 4 (x A, o B)")) << result.out;
  EXPECT_TRUE(Contains(result.out, "game 2 of 4 (x B, o A)")) << result.out;
  EXPECT_TRUE(Contains(result.out, "engine   wins  draws  losses")) << result.out;

  // Self-play is deterministic: the swapped game is the same game with the
  // engines' labels exchanged.
  std::string error;
  const std::string first = ReadWholeFile(tmp / "records/game-001.txt");
  const std::string second = ReadWholeFile(tmp / "records/game-002.txt");
  const auto openingOf = [](const std::string& text) {
    const std::size_t at = text.find("opening:");
    return text.substr(at, text.find('\n', at) - at);
  };
  EXPECT_EQ(openingOf(first), openingOf(second));
  EXPECT_EQ(first.substr(first.find("moves:")), second.substr(second.find("moves:")));
  EXPECT_NE(openingOf(first), openingOf(ReadWholeFile(tmp / "records/game-003.txt")));
  // The summary: every game was won by someone or drawn.
  int wins = 0;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("A ") || line.starts_with("B ")) {
      std::istringstream fields(line.substr(1));
      int w = 0;
      fields >> w;
      wins += w;
    }
  }
  EXPECT_LE(wins, 4);
  EXPECT_GE(wins, 2);
}

// x's longest line is an overline: forbidden under renju, a move by the
// rules and no fault of the engine's process, which is not started afresh.
TEST(MatchOpenings, ARenjuFoulOfAPipeEngineLosesWithoutARestart) {
  const TempFolder tmp;
  const std::string pipe = "pipe:" + kFakeEngine + " pipe legal";
  const ToolResult result =
      Match(tmp, {"--games", "3", "--rule", "renju", "--opening",
                  "5,10 5,15 6,10 6,15 7,10 7,15 9,10 9,15 10,10 10,15", pipe, pipe});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "A (x) made a forbidden overline at 8,10")) << result.out;
  EXPECT_FALSE(Contains(result.out, "started afresh")) << result.out;
}

TEST(MatchOpenings, AFileIsReadWholeAndARenjuFoulLoses) {
  const TempFolder tmp;
  // x on 1,0 2,0 3,0 0,1 0,2 0,3: x's first free cell, 0,0, makes a four in
  // its row and one in its column.
  WriteWholeFile(
      tmp / "renju.txt",
      "# offsets from 10,10\n\n"
      "-9,-10, 0,0, -8,-10, 2,0, -7,-10, 4,0, -10,-9, 0,2, -10,-8, 2,2, -10,-7, 4,2\r\n");
  const ToolResult result =
      Match(tmp, {"--games", "2", "--rule", "renju", "--openings", "renju.txt", "--record",
                  "records", Mode("first"), Mode("first")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "\n1 opening from renju.txt, in order\n")) << result.out;
  const std::string foul = "made a forbidden double-four at 0,0 after 1 move\n";
  EXPECT_TRUE(Contains(result.out, "game 1 of 2 (x A, o B): B wins: A (x) " + foul)) << result.out;
  EXPECT_TRUE(Contains(result.out, "game 2 of 2 (x B, o A): A wins: B (x) " + foul)) << result.out;
  EXPECT_TRUE(
      Contains(ReadWholeFile(tmp / "records/game-002.txt"),
               "rule: renju\nboard: 20\nopening: 1,0 10,10 2,0 12,10 3,0 14,10 0,1 10,12 0,2 "
               "12,12 0,3 14,12\nresult: o wins\n"));
  const ToolResult replayed = Match(tmp, {"--replay", "records/game-001.txt", "--show", "none"});
  EXPECT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_TRUE(Contains(replayed.out, "rule: renju\n")) << replayed.out;
  EXPECT_TRUE(Contains(replayed.out, "result: o wins: A (x) " + foul)) << replayed.out;

  // A bad line is refused with its place before any game; a file that
  // cannot be read is the referee's failure.
  WriteWholeFile(tmp / "xy.txt", "# x,y pairs\n9,9 10,10\n");
  const ToolResult misread = Match(tmp, {"--openings", "xy.txt"});
  EXPECT_EQ(misread.status, 2);
  EXPECT_TRUE(Contains(misread.err, "fiverow-match: xy.txt:2: bad cell \"9,9 10,10\""))
      << misread.err;
  EXPECT_TRUE(misread.out.empty()) << misread.out;
  const ToolResult missing = Match(tmp, {"--openings", "missing.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "cannot read missing.txt: No such file")) << missing.err;
  EXPECT_EQ(Match(tmp, {"--openings", "/dev/zero"}).status, 1);
  EXPECT_EQ(WorkFolders(tmp), 0);
}

// The output with the times taken out: they differ from run to run.
std::string WithoutTimes(const std::string& text) {
  std::string kept = text;
  for (std::size_t ms = kept.find(" ms"); ms != std::string::npos; ms = kept.find(" ms", ms)) {
    std::size_t start = kept.find_last_not_of("0123456789.", ms - 1) + 1;
    if (start == ms) {  // not a time
      ms += 3;
      continue;
    }
    start = kept.find_last_not_of(' ', start - 1) + 1;
    kept.erase(start, ms - start);
    ms = start + 3;
  }
  return kept;
}

TEST(MatchSeries, GamesPlayedAtOnceReportAsIfPlayedOneAfterAnother) {
  const TempFolder tmp;
  const std::vector<std::string> match = {"--games", "7", "--seed", "11", "--show", "end"};
  std::vector<std::string> sequential = match;
  sequential.insert(sequential.end(), {"--record", "one"});
  std::vector<std::string> parallel = match;
  parallel.insert(parallel.end(), {"--record", "four", "--concurrency", "4"});
  const ToolResult one = Match(tmp, sequential);
  const ToolResult four = Match(tmp, parallel);
  ASSERT_EQ(one.status, 0) << one.err;
  ASSERT_EQ(four.status, 0) << four.err;
  EXPECT_TRUE(Contains(one.out, "Elo difference: 0.0 +/- 147.2 (95%), LOS 50.0%")) << one.out;
  EXPECT_EQ(WithoutTimes(four.out), WithoutTimes(one.out));
  for (const char* record : {"/game-001.txt", "/game-004.txt", "/game-007.txt"}) {
    EXPECT_EQ(ReadWholeFile(tmp / "four" + record), ReadWholeFile(tmp / "one" + record));
  }
  EXPECT_EQ(WorkFolders(tmp), 0);
}

TEST(MatchSeries, TheSprtStopsAtTheDecidingPairAgainstAWeakEngine) {
  const TempFolder tmp;
  const ToolResult result =
      Match(tmp, {"--games", "200", "--concurrency", "2", "--sprt",
                  "elo0=0,elo1=10,alpha=0.05,beta=0.05", kEngine, Mode("first")});
  EXPECT_EQ(result.status, 0) << result.err;
  // Every game won: H1 is accepted after 12 pairs (see the rating tests).
  EXPECT_TRUE(Contains(result.out, "\nSPRT: llr 2.50 (-2.94, 2.94) [0, 10]\n")) << result.out;
  EXPECT_TRUE(Contains(result.out, "game 24 of 200 (x B, o A): A wins")) << result.out;
  EXPECT_TRUE(Contains(result.out, "SPRT: llr 2.95 (-2.94, 2.94) [0, 10], H1 accepted\n"))
      << result.out;
  EXPECT_FALSE(Contains(result.out, "game 25")) << result.out;
  EXPECT_TRUE(Contains(result.out,
                       "\nElo difference: inf +/- inf (95%), LOS 100.0%\n"
                       "SPRT: H1 accepted after 24 of at most 200 games\n"))
      << result.out;
  EXPECT_EQ(WorkFolders(tmp), 0);
}

TEST(MatchRecords, ReplayShowsTheGameAgain) {
  const TempFolder tmp;
  const ToolResult played = Match(tmp, {"--show", "end", "--seed", "3", "--record", "records"});
  ASSERT_EQ(played.status, 0) << played.err;
  const ToolResult replayed = Match(tmp, {"--replay", "records/game-001.txt", "--show", "end"});
  EXPECT_EQ(replayed.status, 0) << replayed.err;
  // The final board is the same.
  const std::string board = played.out.substr(played.out.find("    0  1  2"));
  const std::string replayedBoard = replayed.out.substr(replayed.out.find("    0  1  2"));
  EXPECT_EQ(board.substr(0, board.find("game 1")),
            replayedBoard.substr(0, replayedBoard.find("result:")));
  EXPECT_TRUE(Contains(replayed.out, "result: ")) << replayed.out;

  WriteWholeFile(tmp / "broken.txt", "fiverow-match game record\nx: a\n");
  const ToolResult broken = Match(tmp, {"--replay", "broken.txt"});
  EXPECT_EQ(broken.status, 1);
  EXPECT_TRUE(Contains(broken.err, "broken.txt")) << broken.err;
  EXPECT_EQ(Match(tmp, {"--replay", "missing.txt"}).status, 1);
}

TEST(MatchRecords, NumberOnAfterThoseThereAndKeepAnyCommand) {
  const TempFolder tmp;
  std::filesystem::create_directory(tmp / "records");
  WriteWholeFile(tmp / "records/game-007.txt", "mine");
  const std::string odd = kEngine + "\n--ignored";  // a line end in the command
  const ToolResult played =
      Match(tmp, {"--games", "2", "--opening", kQuickWin, "--record", "records", odd, kEngine});
  ASSERT_EQ(played.status, 0) << played.err;
  EXPECT_EQ(ReadWholeFile(tmp / "records/game-007.txt"), "mine");
  const ToolResult replayed = Match(tmp, {"--replay", "records/game-008.txt"});
  EXPECT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_TRUE(Contains(replayed.out, "x: " + kEngine + "\\n--ignored\n")) << replayed.out;
  EXPECT_TRUE(std::filesystem::exists(tmp / "records/game-009.txt"));

  // A folder that cannot take records is found before the first game.
  WriteWholeFile(tmp / "file", "");
  const ToolResult refused = Match(tmp, {"--opening", kQuickWin, "--record", "file"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "record folder file: Not a directory")) << refused.err;
  EXPECT_FALSE(Contains(refused.out, "game 1")) << refused.out;
}

TEST(MatchRecords, ReplayReadsOnlyARegularFileOfBoundedSize) {
  const TempFolder tmp;
  const ToolResult device = Match(tmp, {"--replay", "/dev/zero"});
  EXPECT_EQ(device.status, 1);
  EXPECT_TRUE(Contains(device.err, "/dev/zero is not a regular file")) << device.err;
  WriteWholeFile(tmp / "huge.txt", "");
  std::filesystem::resize_file(tmp / "huge.txt", 8 << 20);
  const ToolResult huge = Match(tmp, {"--replay", "huge.txt"});
  EXPECT_EQ(huge.status, 1);
  EXPECT_TRUE(Contains(huge.err, "too large for a game record")) << huge.err;
}

// The last board shown in `text` before `end`.
std::string LastBoard(const std::string& text, const std::string& end) {
  const std::size_t stop = text.find(end);
  const std::size_t start = text.rfind("    0  1  2", stop);
  return start == std::string::npos ? "" : text.substr(start, stop - start);
}

TEST(MatchBoardSizes, A15By15GameReplaysAlikeFromItsRecordAndItsSgf) {
  const TempFolder tmp;
  const std::string earlier = "(;GM[4]FF[4]SZ[20]RE[B+T];B[jj])\n";
  WriteWholeFile(tmp / "games.sgf", earlier);
  const std::string pipe = "pipe:" + kFakeEngine + " pipe legal";
  const ToolResult played = Match(tmp, {"--board-size", "15", "--games", "2", "--show", "end",
                                        "--record", "records", "--sgf", "games.sgf", pipe, pipe});
  ASSERT_EQ(played.status, 0) << played.err;
  const std::string board = LastBoard(played.out, "game 1 of 2");
  EXPECT_TRUE(Contains(board, "\n 14 .  .")) << board;
  EXPECT_FALSE(Contains(board, "\n 15 ")) << board;

  // Appended after what the file held, a tree a game.
  const std::string sgf = ReadWholeFile(tmp / "games.sgf");
  EXPECT_TRUE(sgf.starts_with(earlier + "(;GM[4]FF[4]CA[UTF-8]SZ[15]PB[fiverow_fake_engine]"))
      << sgf;
  EXPECT_TRUE(Contains(sgf.substr(earlier.size() + 1), ")\n(;GM[4]FF[4]CA[UTF-8]SZ[15]")) << sgf;
  const ToolResult fromRecord = Match(tmp, {"--replay", "records/game-001.txt", "--show", "end"});
  ASSERT_EQ(fromRecord.status, 0) << fromRecord.err;
  EXPECT_EQ(LastBoard(fromRecord.out, "result:"), board);
  const ToolResult fromSgf = Match(tmp, {"--replay", "games.sgf", "--game", "2", "--show", "end"});
  ASSERT_EQ(fromSgf.status, 0) << fromSgf.err;
  EXPECT_EQ(LastBoard(fromSgf.out, "result:"), board);
  EXPECT_TRUE(Contains(fromSgf.out, "o: fiverow_fake_engine\nboard: 15 x 15\n")) << fromSgf.out;
}

// What a replay keeps is the chosen game's main line and a few root
// properties, not the nodes of the file: 8 MB of comments replay within
// 48 MB of address space. The sanitizers' runtimes need more than that.
TEST(MatchReplay, AnSgfFileCostsLittleMoreThanItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "an address-space limit is not for a sanitizer's runtime";
#endif
  const TempFolder tmp;
  std::string sgf = "(;GM[4]FF[4]SZ[20]RE[B+]C[long];B[jj]";
  while (sgf.size() < (8u << 20)) sgf += ";C[a note]";
  WriteWholeFile(tmp / "long.sgf", sgf + ")\n");
  const ToolResult replay = RunTool(
      {"/bin/sh", "-c", "ulimit -v 49152 && exec \"$0\" --replay long.sgf --show none", kMatch},
      tmp.path());
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_TRUE(Contains(replay.out, "result: x wins: long after 1 move")) << replay.out;
}

TEST(MatchBoardSizes, FileEnginesAndUnwritableSgfFilesAreRefusedBeforeTheFirstGame) {
  const TempFolder tmp;
  const std::string pipe = "pipe:" + kFakeEngine + " pipe legal";
  const ToolResult fileEngine = Match(tmp, {"--board-size", "15", pipe, kEngine});
  EXPECT_EQ(fileEngine.status, 2);
  EXPECT_TRUE(Contains(fileEngine.err, "--board-size 15 needs pipe engines or people: B (" +
                                           kEngine + ") speaks the file protocol"))
      << fileEngine.err;
  EXPECT_EQ(fileEngine.out, "");

  std::filesystem::create_directory(tmp / "folder");
  const ToolResult folder = Match(tmp, {"--sgf", "folder", pipe, pipe});
  EXPECT_EQ(folder.status, 1);
  EXPECT_TRUE(Contains(folder.err, "cannot write the SGF file folder: Is a directory"))
      << folder.err;
  EXPECT_FALSE(Contains(folder.out, "game 1")) << folder.out;
}

TEST(MatchUsage, AFailedWriteToStandardOutputEndsTheMatchAfterCleaningUp) {
  const TempFolder tmp;
  const ToolResult full =
      RunTool({"/bin/sh", "-c", "exec \"$0\" --opening \"$1\" >/dev/full", kMatch, kQuickWin},
              tmp.path(), {{"TMPDIR", tmp.path()}});
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(Contains(full.err, "cannot write to standard output: No space left on device"))
      << full.err;
  EXPECT_EQ(WorkFolders(tmp), 0);
  const ToolResult help =
      RunTool({"/bin/sh", "-c", "exec \"$0\" --help >/dev/full", kMatch}, tmp.path());
  EXPECT_EQ(help.status, 1);
  EXPECT_TRUE(Contains(help.err, "cannot write to standard output")) << help.err;
}

TEST(MatchUsage, AnOutputFileThatCannotBeWrittenStopsTheMatch) {
  const TempFolder tmp;
  ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);
  for (const std::string option : {"--log", "--events", "--sgf"}) {
    const ToolResult fifo = Match(tmp, {option, "fifo", "--opening", kQuickWin});
    EXPECT_EQ(fifo.status, 1) << option;
    EXPECT_TRUE(Contains(fifo.err, " fifo: a FIFO that nothing reads")) << fifo.err;
  }
  const std::string pipe = "pipe:" + kFakeEngine + " pipe legal";
  const ToolResult full = Match(tmp, {"--log", "/dev/full", pipe, pipe});
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(Contains(full.err, "cannot write the log /dev/full: No space left on device"))
      << full.err;
}

TEST(MatchUsage, BadUsageExitsWithTwoAndAHint) {
  const TempFolder tmp;
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--show", "sometimes"},
                                               {"--games", "0"},
                                               {"--concurrency", "0"},
                                               {"--sprt", "elo0=0,elo1=5,alpha=0.05,beta=0.05"},
                                               {"--bogus"},
                                               {"--opening", "1,1 1,1"},
                                               {"engine 'unclosed"}}) {
    const ToolResult result = Match(tmp, args);
    EXPECT_EQ(result.status, 2) << args.front();
    EXPECT_TRUE(Contains(result.err, "--help")) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
  const ToolResult help = Match(tmp, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.out, "Usage: fiverow-match")) << help.out;
}

TEST(MatchUsage, TheRefereesOwnFailuresExitWithOne) {
  const TempFolder tmp;
  const ToolResult noEngine = Match(tmp, {tmp / "no-such-engine"});
  EXPECT_EQ(noEngine.status, 1);
  EXPECT_TRUE(Contains(noEngine.err, "cannot start the engine")) << noEngine.err;
  EXPECT_EQ(WorkFolders(tmp), 0);

  const ToolResult noFolder = RunTool({kMatch}, tmp.path(), {{"TMPDIR", tmp / "missing"}});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_TRUE(Contains(noFolder.err, "cannot create a folder")) << noFolder.err;

  // A folder passes for executable, but is refused before the match.
  const ToolResult folder = Match(tmp, {tmp.path()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_TRUE(Contains(folder.err, "it is a folder")) << folder.err;
  EXPECT_EQ(folder.out, "");

  // More games at once than the open files allow are refused up front.
  const ToolResult crowded = RunTool(
      {"/bin/sh", "-c",
       "ulimit -Sn 256 && ulimit -Hn 256 && exec \"$0\" --concurrency 128 --games 256", kMatch},
      tmp.path(), {{"TMPDIR", tmp.path()}});
  EXPECT_EQ(crowded.status, 1);
  EXPECT_TRUE(Contains(crowded.err, "open files, but the limit is 256")) << crowded.err;
  EXPECT_EQ(WorkFolders(tmp), 0);
}

TEST(MatchPlayers, AScriptWithoutAnInterpreterLineRunsInTheShell) {
  const TempFolder tmp;
  WriteWholeFile(tmp / "engine", "echo 4,10 >Tah.dat\n");
  ::chmod((tmp / "engine").c_str(), 0755);
  const ToolResult result = Match(tmp, {"--show", "none", "--opening", kQuickWin, tmp / "engine"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "A wins: A (x) made five in a row with 4,10")) << result.out;
}

TEST(MatchUsage, KeepLeavesTheEnginesFoldersWithTheLastFiles) {
  const TempFolder tmp;
  const ToolResult result = Match(tmp, {"--show", "none", "--keep", "--opening", kQuickWin});
  EXPECT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(WorkFolders(tmp), 1);
  for (const auto& entry : std::filesystem::directory_iterator(tmp.path())) {
    if (!entry.path().filename().string().starts_with("fiverow-match-")) continue;
    EXPECT_TRUE(Contains(result.err, entry.path().string())) << result.err;
    EXPECT_TRUE(std::filesystem::exists(entry.path() / "A" / "Plocha.dat"));
    EXPECT_EQ(ReadWholeFile((entry.path() / "A" / "Tah.dat").string()), "4,10");
    EXPECT_TRUE(std::filesystem::is_directory(entry.path() / "B"));
  }
}

// The moves of a record, from its "moves:" line on.
std::string RecordedMoves(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  return text.substr(text.find("\nmoves:"));
}

TEST(MatchPlayers, FiverowPlaysTheSameGamesByEitherProtocol) {
  // The two games of an opening give each engine either colour.
  const TempFolder tmp;
  const std::vector<std::string> games = {"--games", "2", "--seed", "4", "--record"};
  std::vector<std::string> file = games;
  file.insert(file.end(), {"file", "fiverow", "fiverow"});
  std::vector<std::string> mixed = games;
  mixed.insert(mixed.end(), {"mixed", "fiverow", "pbrain-fiverow"});
  ASSERT_EQ(Match(tmp, file).status, 0);
  const ToolResult result = Match(tmp, mixed);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(result.out, "B: pbrain-fiverow (pipe protocol)\n")) << result.out;
  for (const std::string game : {"/game-001.txt", "/game-002.txt"}) {
    EXPECT_EQ(RecordedMoves(tmp / ("mixed" + game)), RecordedMoves(tmp / ("file" + game))) << game;
  }
}

TEST(MatchPlayers, APersonTypesMovesIsRefusedBadOnesAndMayResign) {
  const TempFolder tmp;
  const ToolResult result = RunTool(
      {"/bin/sh", "-c",
       "printf '10,10\\nhello\\n1 0,1 0\\n 9 , 9\\nquit\\n' | exec \"$0\" fiverow human", kMatch},
      tmp.path(), {{"TMPDIR", tmp.path()}, {"NO_COLOR", "1"}});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string prompt = "B (o) to move, type x,y (column,row) or quit: ";
  EXPECT_TRUE(Contains(result.out, prompt + "10,10\nrefused: 10,10 is occupied\n" + prompt +
                                       "hello\nrefused: \"hello\" is not x,y"))
      << result.out;
  // Blanks only around the numbers: "1 0" is not 10.
  EXPECT_TRUE(Contains(result.out, "refused: \"1 0,1 0\" is not x,y")) << result.out;
  // fiverow's reply to 9,9 is marked on the board the person sees next.
  EXPECT_TRUE(Contains(result.out, "  9 .  .  .  .  .  .  .  .  .  o [x] .")) << result.out;
  EXPECT_TRUE(Contains(result.out, "A wins: B (o) resigned after 3 moves")) << result.out;
}

}  // namespace
}  // namespace fiverow::testing
