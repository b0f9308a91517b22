// The referee's process layer on Windows: engines in job objects, quoted
// command lines, pausing, and ending everything an engine started. This
// program is also the engine: run with a mode word, it behaves as one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "common/win32/WideText.h"
#include "process/StopSignals.h"
#include "process/win32/JobProcess.h"
#include "process/win32/WindowsCommandLine.h"
#include "runtime/win32/WinApi.h"

#include <shellapi.h>

namespace fiverow::match {
namespace {

std::string OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return tools::Narrowed(std::wstring_view(path, length));
}

std::string TempFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, path);
  return tools::Narrowed(std::wstring_view(path, length));
}

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool Running(unsigned long id) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return false;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

std::vector<std::string> Engine(std::vector<std::string> words) {
  words.insert(words.begin(), OwnPath());
  return words;
}

Clock::time_point In(double seconds) { return DeadlineAfter(Clock::now(), seconds); }

TEST(WindowsCommandLine, QuotesWordsAsProgramsReadThemBack) {
  const std::vector<std::wstring> words = {
      L"plain",          L"two words",          L"",       L"a\"quote", L"tail\\",
      L"in \\\"x\\\" y", L"back\\\\ slash\\\\", L"kůň \t!"};
  std::wstring line = L"program";
  for (const std::wstring& word : words) line += L" " + QuotedArgument(word);
  int count = 0;
  wchar_t** parsed = ::CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(parsed, nullptr);
  ASSERT_EQ(count, static_cast<int>(words.size()) + 1);
  for (std::size_t i = 0; i < words.size(); ++i) EXPECT_EQ(parsed[i + 1], words[i]) << i;
  ::LocalFree(parsed);
}

TEST(WindowsCommandLine, BatchFilesRunThroughCmdAndKeepTheirWords) {
  const std::string folder = TempFolder();
  const std::string script = folder + "fiverow echo engine.cmd";
  std::ofstream(script) << "@echo off\r\necho [%~1] [%~2]\r\n";
  const StartLine start = StartLineFor({script, "x"});
  EXPECT_NE(start.application.find(L"cmd.exe"), std::wstring::npos);
  JobProcess echo({script, "two words", "C:\\dir name\\"}, folder, {});
  EXPECT_EQ(echo.WaitForExit(In(30)), JobProcess::Wait::Exited);
  echo.Finish();
  EXPECT_EQ(echo.output(), "[two words] [C:\\dir name\\]\r\n");
  ::DeleteFileW(tools::Widened(script).c_str());
}

TEST(WindowsCommandLine, ProgramsAreFoundBesideTheRefereeAsExe) {
  const std::string own = OwnPath();
  const std::string folder = own.substr(0, own.find_last_of('\\'));
  std::string name = own.substr(own.find_last_of('\\') + 1);
  name.resize(name.size() - 4);  // without ".exe"
  EXPECT_EQ(FindProgram(name, folder), folder + "\\" + name + ".exe");
  EXPECT_EQ(FindProgram("no-such-engine-anywhere", folder), "");
}

TEST(JobProcess, TimesOutAHungEngineAndEverythingItStarted) {
  JobProcess hung(Engine({"hang-with-child"}), TempFolder(), {});
  std::vector<unsigned long> ids;
  const Clock::time_point deadline = In(30);
  while (ids.size() < 2 && Clock::now() < deadline) {
    ::Sleep(10);
    ids = hung.ProcessIds();
  }
  ASSERT_EQ(ids.size(), 2u) << "the engine's child never started";
  EXPECT_EQ(hung.WaitForExit(In(0.2)), JobProcess::Wait::DeadlinePassed);
  hung.Finish();
  for (const unsigned long id : ids) EXPECT_FALSE(Running(id)) << id;
  EXPECT_TRUE(hung.ProcessIds().empty());
}

TEST(JobProcess, ACrashIsAnExceptionCodeAndAnExitIsItsStatus) {
  JobProcess crash(Engine({"crash"}), TempFolder(), {});
  EXPECT_EQ(crash.WaitForExit(In(30)), JobProcess::Wait::Exited);
  ASSERT_TRUE(crash.exit());
  EXPECT_TRUE(crash.exit()->signalled);
  EXPECT_EQ(static_cast<unsigned>(crash.exit()->code), 0xC0000005u);

  JobProcess exits(Engine({"exit", "3"}), TempFolder(), {});
  EXPECT_EQ(exits.WaitForExit(In(30)), JobProcess::Wait::Exited);
  EXPECT_FALSE(exits.exit()->signalled);
  EXPECT_EQ(exits.exit()->code, 3);
}

TEST(JobProcess, TalksLineByLineAndNeverBlocksOnAnEngineThatDoesNotRead) {
  JobProcess echo(Engine({"echo"}), TempFolder(), {.talking = true, .memoryBudget = {}});
  ASSERT_EQ(echo.Send("first\r\nsecond\n", In(30)), JobProcess::Wait::Ready);
  protocol::TextLine line;
  ASSERT_EQ(echo.ReadLine(In(30), line), JobProcess::Wait::Ready);
  EXPECT_EQ(line.text, "first");
  ASSERT_EQ(echo.ReadLine(In(30), line), JobProcess::Wait::Ready);
  EXPECT_EQ(line.text, "second");
  ASSERT_EQ(echo.Send("last\nquit\n", In(30)), JobProcess::Wait::Ready);
  ASSERT_EQ(echo.ReadLine(In(30), line), JobProcess::Wait::Ready);
  EXPECT_EQ(line.text, "last");
  EXPECT_EQ(echo.ReadLine(In(30), line), JobProcess::Wait::Exited);

  JobProcess deaf(Engine({"hang-with-child"}), TempFolder(), {.talking = true, .memoryBudget = {}});
  EXPECT_EQ(deaf.Send(std::string(1 << 20, 'x'), In(0.3)), JobProcess::Wait::DeadlinePassed);
  EXPECT_EQ(deaf.ReadLine(In(0.1), line), JobProcess::Wait::DeadlinePassed);
}

TEST(JobProcess, PausedEnginesDoNothingUntilResumed) {
  JobProcess spin(Engine({"spin-with-child"}), TempFolder(), {});
  std::vector<unsigned long> ids;
  const Clock::time_point deadline = In(30);
  while (ids.size() < 2 && Clock::now() < deadline) {
    ::Sleep(10);
    ids = spin.ProcessIds();
  }
  ASSERT_EQ(ids.size(), 2u);
  // Both write a dot every few milliseconds while they run.
  const auto grows = [&spin](std::size_t from) {
    for (const Clock::time_point end = In(30); Clock::now() < end; ::Sleep(10))
      if (spin.output().size() > from) return true;
    return false;
  };
  ASSERT_TRUE(grows(0));
  spin.Pause();
  ::Sleep(300);
  const std::size_t paused = spin.output().size();
  ::Sleep(300);
  EXPECT_EQ(spin.output().size(), paused);
  spin.Resume();
  EXPECT_TRUE(grows(paused));
}

TEST(JobProcess, AStopEndsEveryWait) {
  JobProcess hung(Engine({"hang-with-child"}), TempFolder(), {.talking = true, .memoryBudget = {}});
  InterruptWaits();
  protocol::TextLine line;
  EXPECT_EQ(hung.WaitForExit(In(30)), JobProcess::Wait::StopRequested);
  EXPECT_EQ(hung.ReadLine(In(30), line), JobProcess::Wait::StopRequested);
}

TEST(JobProcess, TheMemoryBudgetIsTheJobsLimitAndItsPeakIsReported) {
  if (UnderWine())
    GTEST_SKIP() << "wine neither enforces a job's memory limit nor reports its peak";
  JobProcess greedy(Engine({"allocate", "256"}), TempFolder(), {.memoryBudget = 64u << 20});
  EXPECT_EQ(greedy.WaitForExit(In(30)), JobProcess::Wait::Exited);
  greedy.Finish();
  EXPECT_TRUE(greedy.exit()->killedForMemory);
  EXPECT_LE(greedy.exit()->peakResidentKiB, 64 << 10);

  JobProcess modest(Engine({"allocate", "16"}), TempFolder(), {.memoryBudget = 64u << 20});
  EXPECT_EQ(modest.WaitForExit(In(30)), JobProcess::Wait::Exited);
  EXPECT_EQ(modest.exit()->code, 0);
  EXPECT_GE(modest.exit()->peakResidentKiB, 16 << 10);
}

// The engine's modes.
void StartSelf(const char* mode) {
  std::wstring line = L"\"" + tools::Widened(OwnPath()) + L"\" " + tools::Widened(mode);
  STARTUPINFOW info{};
  info.cb = sizeof info;
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info,
                       &started)) {
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
  }
}

int RunMode(int argc, char** argv) {
  const std::string mode = argv[1];
  if (mode == "hang-with-child" || mode == "spin-with-child") {
    StartSelf(mode == "hang-with-child" ? "hang" : "spin");
    if (mode == "hang-with-child") ::Sleep(INFINITE);
  }
  if (mode == "hang") ::Sleep(INFINITE);
  if (mode == "spin" || mode == "spin-with-child")
    while (std::fputc('.', stdout) != EOF && std::fflush(stdout) == 0) ::Sleep(5);
  if (mode == "crash") {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  if (mode == "exit" && argc > 2) return std::atoi(argv[2]);
  if (mode == "echo") {
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") std::cout << line << std::endl;
    return 0;
  }
  if (mode == "allocate" && argc > 2) {
    const std::size_t bytes = static_cast<std::size_t>(std::atoi(argv[2])) << 20;
    char* block = static_cast<char*>(::VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    if (block == nullptr) return 1;
    std::memset(block, 1, bytes);
    return 0;
  }
  return 2;
}

}  // namespace
}  // namespace fiverow::match

int main(int argc, char** argv) {
  if (argc > 1 && argv[1][0] != '-') return fiverow::match::RunMode(argc, argv);
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
