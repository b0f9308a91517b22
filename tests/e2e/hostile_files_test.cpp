// The built program against game files no referee should hand it: a line of
// hundreds of megabytes, directories, FIFOs and a device that is always full.
// Each case runs the real binary in a fresh directory and checks its exit
// status, its report, its time and its peak memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#ifndef FIVEROW_BINARY
#error "FIVEROW_BINARY must name the built program"
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct Ended {
  bool timedOut = false;
  int exitStatus = -1;  // -1 when ended by a signal
  long peakRssKiB = 0;
  Clock::duration took{};
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fiverow-hostile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path Path(const char* name) const { return dir_ / name; }

  void Write(const char* name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  // Runs the program in the directory, with standard output and error in
  // files of their own, and kills it once `limit` has passed.
  Ended Run(Clock::duration limit = 10s) const {
    const std::string out = (dir_ / "stdout.txt").string();
    const std::string err = (dir_ / "stderr.txt").string();
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int inFd = ::open("/dev/null", O_RDONLY);
      if (outFd < 0 || errFd < 0 || inFd < 0 || ::chdir(dir_.c_str()) != 0) ::_exit(126);
      ::dup2(inFd, 0);
      ::dup2(outFd, 1);
      ::dup2(errFd, 2);
      ::execl(FIVEROW_BINARY, FIVEROW_BINARY, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    Ended ended;
    if (pid < 0) return ended;
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
      if (Clock::now() - start > limit) {
        ended.timedOut = true;
        ::kill(pid, SIGKILL);
        ::wait4(pid, &status, 0, &usage);
        break;
      }
      std::this_thread::sleep_for(2ms);
    }
    ended.took = Clock::now() - start;
    if (WIFEXITED(status)) ended.exitStatus = WEXITSTATUS(status);
    ended.peakRssKiB = usage.ru_maxrss;
    ended.out = Slurp(out);
    ended.err = Slurp(err);
    fs::remove(out);
    fs::remove(err);
    return ended;
  }

  fs::path dir_;
};

std::string Rows(int count) {
  std::string text;
  for (int y = 0; y < count; ++y) text += std::string(20, '-') + "\n";
  return text;
}

// Three stones of code 1 on row 10; with "o" in Tah.dat the move is 7,10.
std::string ThreeInRow() {
  std::string text;
  for (int y = 0; y < 20; ++y)
    text += (y == 10 ? "--------xxx---------" : std::string(20, '-')) + "\n";
  return text;
}

void ExpectReport(const Ended& ended, const char* kind, const std::string& message) {
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 1);
  const std::string head = std::string("Exception ") + kind + " in module fiverow at ";
  ASSERT_EQ(ended.out.substr(0, head.size()), head) << ended.out;
  const std::string location = ended.out.substr(head.size(), 8);
  EXPECT_EQ(location.find_first_not_of("0123456789ABCDEF"), std::string::npos) << ended.out;
  EXPECT_EQ(ended.out.substr(head.size() + 8, 2), ".\n") << ended.out;
  EXPECT_EQ(ended.out.substr(ended.out.find('\n') + 1), message + ".\r\n");
  EXPECT_EQ(ended.err, "");
}

// ---- A line of hundreds of megabytes --------------------------------------

TEST_F(HostileFiles, AHugeLineIsReadInBoundedMemoryAndTime) {
  // Row 0 holds its 20 cells, then 400 MiB of NUL bytes before its LF; the
  // file is sparse, so it is written in an instant and takes no disk space.
  constexpr off_t kHugeLine = off_t{400} << 20;
  {
    const int fd = ::open(Path("Plocha.dat").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string head(20, '-');
    const std::string tail = std::string(1, '\n').append(Rows(19));
    ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::lseek(fd, kHugeLine, SEEK_SET), kHugeLine);
    ASSERT_EQ(::write(fd, tail.data(), tail.size()), static_cast<ssize_t>(tail.size()));
    ::close(fd);
  }
  Write("Tah.dat", "o");

  const Ended ended = Run(30s);
  fs::remove(Path("Plocha.dat"));
  ASSERT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 0) << ended.out;
  EXPECT_EQ(Slurp(Path("Tah.dat")), "10,10");  // still an empty board
  // The line is never held: memory stays at what the program needs anyway.
  // Sanitizers add their own fixed overhead.
  RecordProperty("peak_rss_kib", std::to_string(ended.peakRssKiB));
  const long limitKiB = kSanitized ? 96 * 1024 : 16 * 1024;
  EXPECT_LT(ended.peakRssKiB, limitKiB);
  EXPECT_LT(ended.took, 10s);
}

// ---- Directories -----------------------------------------------------------

TEST_F(HostileFiles, ADirectoryAsTurnFileEndsWithAReport) {
  Write("Plocha.dat", ThreeInRow());
  fs::create_directory(Path("Tah.dat"));
  ExpectReport(Run(), "EInOutError", "File access denied");
  EXPECT_TRUE(fs::is_directory(Path("Tah.dat")));
}

// ---- FIFOs -----------------------------------------------------------------

TEST_F(HostileFiles, AFifoIsReadLikeAFileWhileAWriterFeedsIt) {
  ASSERT_EQ(::mkfifo(Path("Plocha.dat").c_str(), 0644), 0);
  Write("Tah.dat", "o");
  // Opened for reading and writing, the FIFO has a writer from before the
  // program starts, so the program's reads must wait for data rather than
  // find the end of the file or fail on a read that would block.
  const int fifo = ::open(Path("Plocha.dat").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fifo, 0);
  std::chrono::steady_clock::time_point lastWrite;
  std::thread writer([fifo, &lastWrite] {
    const std::string position = ThreeInRow();
    const std::size_t half = position.size() / 2 + 3;  // ends inside a row
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(::write(fifo, position.data(), half), static_cast<ssize_t>(half));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(::write(fifo, position.data() + half, position.size() - half),
              static_cast<ssize_t>(position.size() - half));
    lastWrite = std::chrono::steady_clock::now();
  });
  const Ended ended = Run();
  const auto returned = std::chrono::steady_clock::now();
  writer.join();
  ::close(fifo);
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 0) << ended.out;
  EXPECT_EQ(ended.out, "");
  EXPECT_EQ(Slurp(Path("Tah.dat")), "7,10");
  EXPECT_GT(returned, lastWrite) << "the program did not wait for the writer";
}

TEST_F(HostileFiles, AFifoWithoutWriterEndsPromptlyWithAReport) {
  ASSERT_EQ(::mkfifo(Path("Plocha.dat").c_str(), 0644), 0);
  Write("Tah.dat", "o");
  const Ended ended = Run(5s);
  ExpectReport(ended, "ERangeError", "Range check error");
  EXPECT_LT(ended.took, 2s);
  EXPECT_EQ(Slurp(Path("Tah.dat")), "o");
}

TEST_F(HostileFiles, AFifoWhoseWriterLeavesEarlyIsAShortFile) {
  ASSERT_EQ(::mkfifo(Path("Plocha.dat").c_str(), 0644), 0);
  Write("Tah.dat", "o");
  const int fifo = ::open(Path("Plocha.dat").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fifo, 0);
  const std::string tenRows = Rows(10);
  ASSERT_EQ(::write(fifo, tenRows.data(), tenRows.size()), static_cast<ssize_t>(tenRows.size()));
  std::thread leaver([fifo] {
    std::this_thread::sleep_for(200ms);
    ::close(fifo);
  });
  const Ended ended = Run(5s);
  leaver.join();
  ExpectReport(ended, "ERangeError", "Range check error");
  EXPECT_EQ(Slurp(Path("Tah.dat")), "o");
}

// ---- A device that is always full ------------------------------------------

TEST_F(HostileFiles, ATurnFileLinkedToDevFullEndsWithDiskFull) {
  Write("Plocha.dat", ThreeInRow());
  fs::create_symlink("/dev/full", Path("Tah.dat"));
  // /dev/full reads as endless NUL bytes, a turn of code 2; the move's write
  // then fails with ENOSPC.
  const Ended ended = Run(5s);
  ExpectReport(ended, "EInOutError", "I/O error 112");
  EXPECT_TRUE(fs::is_symlink(Path("Tah.dat")));
}

}  // namespace
