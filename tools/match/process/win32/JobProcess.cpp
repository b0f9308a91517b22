#include "process/win32/JobProcess.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/win32/WideText.h"
#include "process/RefereeError.h"
#include "process/win32/PreciseWait.h"
#include "process/win32/StopEvent.h"
#include "process/win32/WindowsCommandLine.h"

namespace fiverow::match {

namespace {

// As on POSIX: the output kept, and the longest line.
constexpr std::size_t kKeptOutput = 64 * 1024;
constexpr std::size_t kLongestLine = 4096;
constexpr DWORD kPipeBuffer = 64 * 1024;
// How long the processes of a terminated job may take to go.
constexpr int kEndWaitMs = 5000;

[[noreturn]] void Fail(const std::string& what) {
  throw RefereeError(what + ": " + tools::WindowsErrorText(::GetLastError()));
}

// Child ends of pipes are inheritable only while one process is being
// started, so no other engine ever inherits them, whatever the system does
// with the list of handles to inherit.
std::mutex gStarting;

struct Pipe {
  UniqueHandle read;
  UniqueHandle write;
};

// A pipe whose end `childEnd` (0: read, 1: write) the child inherits.
Pipe MakePipe(int childEnd) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, kPipeBuffer)) Fail("cannot create a pipe");
  Pipe pipe{UniqueHandle(read), UniqueHandle(write)};
  ::SetHandleInformation(childEnd == 0 ? write : read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

using ProcessCall = LONG(NTAPI*)(HANDLE);
ProcessCall NtdllCall(const char* name) {
  return reinterpret_cast<ProcessCall>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

bool WriteAll(HANDLE to, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kPipeBuffer));
    if (!::WriteFile(to, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

// The threads that read the process's output and write its input, so that
// no wait of the referee ever blocks on a pipe.
struct JobProcess::Streams {
  std::mutex mutex;
  // Set while lines wait or the output has ended.
  UniqueHandle news{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::condition_variable room;  // lines were taken
  protocol::LineSplitter lines{kLongestLine};
  bool linesEnded = true;
  std::string output;
  bool outputCut = false;
  bool closing = false;

  // Talking: its input, written by a thread of its own.
  UniqueHandle input;
  std::condition_variable toWrite;
  std::string pending;
  bool writeFailed = false;
  UniqueHandle written{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};

  std::vector<std::thread> threads;

  void KeepOutput(UniqueHandle from) {
    threads.emplace_back([this, pipe = std::move(from)] {
      char buffer[4096];
      DWORD got = 0;
      while (::ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        const std::lock_guard lock(mutex);
        const std::size_t space = kKeptOutput - std::min(kKeptOutput, output.size());
        output.append(buffer, std::min<std::size_t>(space, got));
        if (got > space) outputCut = true;
      }
    });
  }

  void SplitLines(UniqueHandle from) {
    linesEnded = false;
    threads.emplace_back([this, pipe = std::move(from)] {
      char buffer[4096];
      DWORD got = 0;
      while (::ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        std::unique_lock lock(mutex);
        room.wait(lock, [this] { return !lines.Full() || closing; });
        if (!closing) lines.Add(std::string_view(buffer, got));
        if (lines.HasLine()) ::SetEvent(news.get());
      }
      const std::lock_guard lock(mutex);
      lines.Finish();
      linesEnded = true;
      ::SetEvent(news.get());
    });
  }

  void WriteInput() {
    threads.emplace_back([this] {
      std::unique_lock lock(mutex);
      while (true) {
        toWrite.wait(lock, [this] { return !pending.empty() || closing; });
        if (pending.empty()) return;
        const std::string bytes = std::move(pending);
        pending.clear();
        lock.unlock();
        const bool ok = WriteAll(input.get(), bytes);
        lock.lock();
        if (!ok) writeFailed = true;
        if (pending.empty() || writeFailed) ::SetEvent(written.get());
        if (writeFailed) return;
      }
    });
  }

  void Close() {
    {
      const std::lock_guard lock(mutex);
      closing = true;
    }
    room.notify_all();
    toWrite.notify_all();
    // The job's processes have all gone: every read meets the end of its
    // pipe and every write fails.
    for (std::thread& thread : threads) thread.join();
    threads.clear();
  }
};

JobProcess::JobProcess(const std::vector<std::string>& argv, const std::string& folder,
                       const EngineOptions& options)
    : streams_(std::make_unique<Streams>()) {
  job_.Reset(::CreateJobObjectW(nullptr, nullptr));
  if (!job_) Fail("cannot create a job object");
  // No breakaway for its children; kill-on-close ends them all with the
  // referee; an unhandled exception ends a process without a dialog.
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  if (options.memoryBudget) {
    limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_JOB_MEMORY;
    limits.JobMemoryLimit = static_cast<SIZE_T>(*options.memoryBudget);
  }
  if (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits))
    Fail("cannot limit a job object");
  port_.Reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT notify{};
  notify.CompletionPort = port_.get();
  if (port_)
    ::SetInformationJobObject(job_.get(), JobObjectAssociateCompletionPortInformation, &notify,
                              sizeof notify);

  StartLine start = StartLineFor(argv);
  const std::wstring where = tools::Widened(folder);
  PROCESS_INFORMATION started{};
  {
    const std::lock_guard lock(gStarting);
    Pipe input;
    Pipe lines;
    Pipe output = MakePipe(1);
    if (options.talking) {
      input = MakePipe(0);
      lines = MakePipe(1);
    } else {
      SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
      input.read.Reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr));
      if (!input.read) Fail("cannot open NUL");
    }
    HANDLE inherited[3] = {input.read.get(), output.write.get(), lines.write.get()};
    const DWORD inheritedCount = options.talking ? 3 : 2;

    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributes(size);
    STARTUPINFOEXW info{};
    info.StartupInfo.cb = sizeof info;
    info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    info.StartupInfo.hStdInput = input.read.get();
    info.StartupInfo.hStdOutput = options.talking ? lines.write.get() : output.write.get();
    info.StartupInfo.hStdError = output.write.get();
    info.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (!::InitializeProcThreadAttributeList(info.lpAttributeList, 1, 0, &size) ||
        !::UpdateProcThreadAttribute(info.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                     inherited, inheritedCount * sizeof(HANDLE), nullptr, nullptr))
      Fail("cannot prepare a process");
    // Started suspended, so that it is in its job before it runs at all.
    const BOOL created = ::CreateProcessW(
        start.application.c_str(), start.commandLine.data(), nullptr, nullptr, TRUE,
        CREATE_SUSPENDED | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT |
            EXTENDED_STARTUPINFO_PRESENT,
        nullptr, where.c_str(), &info.StartupInfo, &started);
    const DWORD error = ::GetLastError();
    ::DeleteProcThreadAttributeList(info.lpAttributeList);
    if (!created) {
      ::SetLastError(error);
      Fail("cannot start " + argv.front());
    }
    process_.Reset(started.hProcess);
    const UniqueHandle thread(started.hThread);
    if (!::AssignProcessToJobObject(job_.get(), process_.get())) {
      const DWORD assignError = ::GetLastError();
      ::TerminateProcess(process_.get(), 1);
      ::SetLastError(assignError);
      Fail("cannot put " + argv.front() + " in its job");
    }
    streams_->input = std::move(input.write);
    if (options.talking) streams_->SplitLines(std::move(lines.read));
    streams_->KeepOutput(std::move(output.read));
    ::ResumeThread(thread.get());
  }
  if (options.talking) streams_->WriteInput();
}

JobProcess::~JobProcess() { Finish(); }

JobProcess::Wait JobProcess::WaitForExit(Clock::time_point deadline) {
  if (exit_) return Wait::Exited;
  switch (WaitUntil({process_.get(), StopEvent()}, deadline)) {
    case 0: RecordExit(); return Wait::Exited;
    case 1: return Wait::StopRequested;
    default: return Wait::DeadlinePassed;
  }
}

JobProcess::Wait JobProcess::ReadLine(Clock::time_point deadline, protocol::TextLine& line) {
  while (Clock::now() < deadline || deadline == Clock::time_point::max()) {
    bool ended = false;
    {
      const std::lock_guard lock(streams_->mutex);
      if (streams_->lines.HasLine()) {
        line = streams_->lines.Take();
        streams_->room.notify_all();
        if (!streams_->lines.HasLine() && !streams_->linesEnded) ::ResetEvent(streams_->news.get());
        return Wait::Ready;
      }
      ended = streams_->linesEnded;
    }
    int woken = 0;
    if (exit_) {
      // What it wrote before it exited is still handed over.
      if (ended) return Wait::Exited;
      woken = WaitUntil({streams_->news.get(), StopEvent()}, deadline);
      if (woken == 1) woken = 2;
    } else if (ended) {
      woken = WaitUntil({process_.get(), StopEvent()}, deadline);
      if (woken >= 0) ++woken;
    } else {
      woken = WaitUntil({streams_->news.get(), process_.get(), StopEvent()}, deadline);
    }
    if (woken == 1) RecordExit();
    if (woken == 2) return Wait::StopRequested;
    if (woken < 0) break;
  }
  return Wait::DeadlinePassed;
}

bool JobProcess::TakeWaitingLine(protocol::TextLine& line) {
  const std::lock_guard lock(streams_->mutex);
  if (!streams_->lines.HasLine()) return false;
  line = streams_->lines.Take();
  streams_->room.notify_all();
  return true;
}

JobProcess::Wait JobProcess::Send(std::string_view bytes, Clock::time_point deadline) {
  {
    const std::lock_guard lock(streams_->mutex);
    if (streams_->writeFailed || exit_) return Wait::InputClosed;
    streams_->pending.append(bytes);
    ::ResetEvent(streams_->written.get());
  }
  streams_->toWrite.notify_all();
  switch (WaitUntil({streams_->written.get(), StopEvent()}, deadline)) {
    case 0: {
      const std::lock_guard lock(streams_->mutex);
      return streams_->writeFailed ? Wait::InputClosed : Wait::Ready;
    }
    case 1: return Wait::StopRequested;
    default: return Wait::DeadlinePassed;
  }
}

std::vector<unsigned long> JobProcess::ProcessIds() const {
  std::vector<ULONG_PTR> buffer(64);
  while (true) {
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR));
    const bool listed =
        ::QueryInformationJobObject(job_.get(), JobObjectBasicProcessIdList, list, bytes, nullptr);
    if (listed || ::GetLastError() == ERROR_MORE_DATA) {
      if (list->NumberOfProcessIdsInList >= list->NumberOfAssignedProcesses)
        return {list->ProcessIdList, list->ProcessIdList + list->NumberOfProcessIdsInList};
      buffer.resize(2 + 2 * list->NumberOfAssignedProcesses);
      continue;
    }
    return {};
  }
}

void JobProcess::Pause() {
  if (paused_ || exit_) return;
  static const ProcessCall suspend = NtdllCall("NtSuspendProcess");
  paused_ = true;
  // Until no process is left running: one may start another meanwhile.
  std::vector<unsigned long> done;
  for (bool more = true; more && suspend != nullptr;) {
    more = false;
    for (const unsigned long id : ProcessIds()) {
      if (std::find(done.begin(), done.end(), id) != done.end()) continue;
      done.push_back(id);
      more = true;
      const UniqueHandle each(::OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, id));
      if (each) suspend(each.get());
    }
  }
}

void JobProcess::Resume() {
  if (!paused_) return;
  static const ProcessCall resume = NtdllCall("NtResumeProcess");
  paused_ = false;
  for (const unsigned long id : ProcessIds()) {
    const UniqueHandle each(::OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, id));
    if (each && resume != nullptr) resume(each.get());
  }
}

void JobProcess::RecordExit() {
  if (exit_) return;
  Exit exit;
  DWORD code = 0;
  ::GetExitCodeProcess(process_.get(), &code);
  exit.code = static_cast<int>(code);
  exit.signalled = (code & 0xC0000000u) == 0xC0000000u;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  if (::QueryInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                  sizeof limits, nullptr))
    exit.peakResidentKiB = static_cast<long>(limits.PeakJobMemoryUsed / 1024);
  DWORD message = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED detail = nullptr;
  while (port_ && ::GetQueuedCompletionStatus(port_.get(), &message, &key, &detail, 0))
    if (message == JOB_OBJECT_MSG_JOB_MEMORY_LIMIT) exit.killedForMemory = true;
  exit_ = exit;
  // Its exit ends the rest of the job at once, as a process group on POSIX.
  ::TerminateJobObject(job_.get(), 1);
}

void JobProcess::Finish() {
  if (finished_) return;
  finished_ = true;
  ::TerminateJobObject(job_.get(), 1);
  ::WaitForSingleObject(process_.get(), kEndWaitMs);
  RecordExit();
  // Every process of the job gone, so its pipes are closed.
  for (int waited = 0; waited < kEndWaitMs; ++waited) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts{};
    if (!::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &counts,
                                     sizeof counts, nullptr) ||
        counts.ActiveProcesses == 0)
      break;
    ::Sleep(1);
  }
  streams_->Close();
}

const std::string& JobProcess::output() const {
  const std::lock_guard lock(streams_->mutex);
  output_ = streams_->output;
  return output_;
}

bool JobProcess::outputCut() const {
  const std::lock_guard lock(streams_->mutex);
  return streams_->outputCut;
}

}  // namespace fiverow::match
