// EngineProcess on Windows: a JobProcess, started in the folder its handle
// names.
#include "process/EngineProcess.h"

#include <io.h>

#include <cstdio>

#include "common/win32/WideText.h"
#include "process/RefereeError.h"
#include "process/win32/JobProcess.h"

namespace fiverow::match {

namespace {

// The folder's path, as a current folder may be given: without "\\?\".
std::string FolderPath(int folderFd) {
  const HANDLE folder = reinterpret_cast<HANDLE>(_get_osfhandle(folderFd));
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(folder, path.data(), MAX_PATH, 0);
  if (length >= MAX_PATH) {
    path.resize(length);
    length = ::GetFinalPathNameByHandleW(folder, path.data(), length, 0);
  }
  if (length == 0) throw RefereeError("cannot name an engine's folder");
  path.resize(length);
  if (path.starts_with(L"\\\\?\\UNC\\"))
    path = L"\\\\" + path.substr(8);
  else if (path.starts_with(L"\\\\?\\"))
    path = path.substr(4);
  return tools::Narrowed(path);
}

EngineProcess::Wait Same(JobProcess::Wait wait) { return static_cast<EngineProcess::Wait>(wait); }

}  // namespace

struct EngineProcess::Native {
  JobProcess job;
  std::string output;  // the job's, as last asked for
};

// As on POSIX, so that records and events read the same on both systems.
int KilledAtDeadlineCode() { return 9; }

std::string ExitText(bool signalled, int code) {
  if (!signalled) return "exited with status " + std::to_string(code);
  char text[48];
  std::snprintf(text, sizeof text, "crashed with exception 0x%08X", static_cast<unsigned>(code));
  return text;
}

EngineProcess::EngineProcess(const std::vector<std::string>& argv, int folderFd,
                             const EngineOptions& options)
    : native_(
          new Native{JobProcess(argv, FolderPath(folderFd),
                                {.talking = options.talking, .memoryBudget = options.memoryBudget}),
                     {}}) {}

EngineProcess::~EngineProcess() = default;

const std::optional<EngineExit>& EngineProcess::exit() const {
  const std::optional<JobProcess::Exit>& exit = native_->job.exit();
  if (exit && !exit_) {
    exit_ = Exit{exit->crashed, static_cast<int>(exit->code),
                 static_cast<long>(exit->peakBytes / 1024), std::nullopt, exit->killedForMemory};
  }
  return exit_;
}

const std::string& EngineProcess::output() const {
  native_->output = native_->job.output();
  return native_->output;
}

bool EngineProcess::outputCut() const { return native_->job.outputCut(); }

EngineProcess::Wait EngineProcess::WaitForExit(Clock::time_point deadline) {
  return Same(native_->job.WaitForExit(deadline));
}

EngineProcess::Wait EngineProcess::ReadLine(Clock::time_point deadline, TextLine& line) {
  return Same(native_->job.ReadLine(deadline, line));
}

bool EngineProcess::TakeWaitingLine(TextLine& line) { return native_->job.TakeWaitingLine(line); }

EngineProcess::Wait EngineProcess::Send(std::string_view bytes, Clock::time_point deadline) {
  return Same(native_->job.Send(bytes, deadline));
}

// The job's memory limit is the kernel's to hold.
bool EngineProcess::CheckMemory() { return true; }

void EngineProcess::Pause() { native_->job.Pause(); }

void EngineProcess::Resume() { native_->job.Resume(); }

void EngineProcess::Finish() { native_->job.Finish(); }

}  // namespace fiverow::match
