// pbrain-fiverow's commands and replies, in-process, grouped by behaviour.
#include <gtest/gtest.h>

#include <algorithm>

#include "brain/Serve.h"
#include "core/UTypes.h"

namespace fiverow::testing {
namespace {

// Everything the brain writes for `input`, handed to it `chunk` bytes a read.
std::string Converse(std::string_view input, std::size_t chunk = 4096) {
  std::string output;
  brain::Serve(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({chunk, capacity, input.size()});
        input.copy(buffer, n);
        input.remove_prefix(n);
        return n;
      },
      [&](std::string_view bytes) { return output.append(bytes), true; });
  return output;
}

TEST(BrainSession, PlaysAGameCommandByCommand) {
  EXPECT_EQ(Converse("START 20\r\nBEGIN\r\nTURN 10,11\r\nPLAY 0,0\r\nTAKEBACK 0,0\r\n"
                     "TAKEBACK 0,0\r\nRESTART\r\nBEGIN\r\nRECTSTART 20,20\r\n"
                     "INFO timeout_turn 5000\r\nINFO rule\r\nINFO\r\n"),
            "OK\r\n10,10\r\n9,10\r\n0,0\r\nOK\r\nERROR cell 0,0 is empty\r\nOK\r\n10,10\r\nOK\r\n");
}

TEST(BrainSession, BoardTakesStonesInAnyOrderAndRepliesAfterDone) {
  // Own stones (F 1) at 3..6,15 make a four; the brain completes its five at
  // the first free end. An empty BOARD gets the opening move.
  EXPECT_EQ(Converse("START 20\nBOARD\n6,15,1\n10,5,2\n3,15,1\n\n5,15,1\n4,15,1\nDONE\n"
                     "BOARD\nDONE\n"),
            "OK\r\n2,15\r\n10,10\r\n");
}

TEST(BrainSession, RefusedBoardGetsOneErrorAndKeepsThePosition) {
  // After the refusal the position before BOARD stands: 10,10 is still taken.
  for (const auto& [lines, reason] : std::initializer_list<std::pair<const char*, const char*>>{
           {"1,1,3\n", "stones of continuous games (F 3) are not supported"},
           {"1,1,1\n1,1,2\n", "BOARD repeats cell 1,1"},
           {"1,1\n", "malformed BOARD line, expected X,Y,F"},
           {"20,1,1\n", "coordinates outside 0..19"},
           {"1,1,4\n", "F must be 1 (own) or 2 (opponent)"}}) {
    EXPECT_EQ(
        Converse("START 20\nBEGIN\nBOARD\n" + std::string(lines) + "2,2,1\nDONE\nPLAY 10,10\n"),
        "OK\r\n10,10\r\nERROR " + std::string(reason) + "\r\nERROR cell 10,10 is occupied\r\n")
        << lines;
  }
}

TEST(BrainSession, BadCommandsGetAReasonAndServingGoesOn) {
  EXPECT_EQ(Converse("TURN 1,1\nBOARD\n1,1,1\nDONE\nSTART 15\nBEGIN\nRECTSTART 20,15\n"
                     "START 20\nTURN a,1\nTURN 1,1,1\nTURN 1000000,1\nTURN 20,0\nPLAY 0,-1\n"
                     "BEGIN now\nDONE\nSWAP2BOARD\n1,1\nDONE\nFOO 1\nABOUT\n"),
            "ERROR no game: send START 20 first\r\n"
            "ERROR no game: send START 20 first\r\n"
            "ERROR fiverow plays only on a 20x20 board\r\n"
            "ERROR no game: send START 20 first\r\n"
            "ERROR fiverow plays only on a 20x20 board\r\n"
            "OK\r\n"
            "ERROR malformed command, expected TURN X,Y\r\n"
            "ERROR malformed command, expected TURN X,Y\r\n"
            "ERROR malformed command, expected TURN X,Y\r\n"
            "ERROR coordinates outside 0..19\r\n"
            "ERROR malformed command, expected PLAY X,Y\r\n"
            "ERROR malformed command, expected BEGIN\r\n"
            "ERROR DONE without BOARD\r\n"
            "ERROR SWAP2BOARD refused: fiverow has no opening book\r\n"
            "UNKNOWN command not recognised: FOO\r\n"
            "name=\"fiverow\", version=\"" FIVEROW_VERSION "\", author=\"fiverow developers\"\r\n");
}

TEST(BrainSession, FullBoardIsAnError) {
  std::string input = "START 20\nBOARD\n";
  for (int i = 0; i < kPlayCells; ++i) {
    input += std::to_string(i % 20) + "," + std::to_string(i / 20) + "," +
             std::to_string(1 + i % 2) + "\n";
  }
  EXPECT_EQ(Converse(input + "DONE\nTURN 0,0\n"),
            "OK\r\nERROR EBoardFull: Board is full\r\nERROR cell 0,0 is occupied\r\n");
}

TEST(BrainSession, AnyLineEndAndAnyCase) {
  const std::string expected = "OK\r\n10,10\r\n9,10\r\n";
  for (const char* input : {"START 20\r\nBEGIN\r\nTURN 10,11\r\n", "start 20\nBegin\ntUrN 10,11",
                            "\r\n  START 20  \r\rBEGIN\n\n\rTURN 10 , 11\r"}) {
    EXPECT_EQ(Converse(input), expected) << input;
    EXPECT_EQ(Converse(input, 1), expected) << input;
  }
}

TEST(BrainSession, RepliesBeforeReadingOnAndStopsAtEndOrAFailedWrite) {
  // Each chunk is read only once the reply to the line before it is out.
  const std::vector<std::string> chunks = {"START 20\r", "\nBEGIN\n", "END\nABOUT\n"};
  const std::vector<std::string> outputBefore = {"", "OK\r\n", "OK\r\n10,10\r\n"};
  std::size_t reads = 0;
  std::string output;
  brain::Serve(
      [&](char* buffer, std::size_t) {
        if (reads == chunks.size()) return std::size_t{0};
        EXPECT_EQ(output, outputBefore[reads]) << "read " << reads;
        const std::string& chunk = chunks[reads++];
        return chunk.copy(buffer, chunk.size());
      },
      [&](std::string_view bytes) {
        output += bytes;
        return true;
      });
  EXPECT_EQ(reads, chunks.size());
  EXPECT_EQ(output, "OK\r\n10,10\r\n");  // nothing after END

  reads = 0;
  brain::Serve([&](char* buffer, std::size_t) { return chunks[reads++].copy(buffer, 64); },
               [](std::string_view) { return false; });
  EXPECT_EQ(reads, 1u);  // the failed write of OK ends it
}

TEST(BrainSession, LongLinesAreCutAndRefused) {
  const std::string padding(brain::LineReader::kMaxLineLength * 50, ' ');
  EXPECT_EQ(Converse("INFO folder " + padding + "x\nSTART 20" + padding + "1\nSTART 20\n"),
            "ERROR line too long\r\nOK\r\n");
}

}  // namespace
}  // namespace fiverow::testing
