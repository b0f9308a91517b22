// Standard input is not waitable on Windows when it is a pipe: a thread of
// its own reads it, a byte at a time, and hands each over.
#include "process/StandardInput.h"

#include <io.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "process/RefereeError.h"
#include "process/StopSignals.h"
#include "process/win32/PreciseWait.h"
#include "process/win32/StopEvent.h"

namespace fiverow::match {

namespace {

struct Reader {
  std::mutex mutex;
  std::condition_variable taken;
  const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool has = false;
  bool ended = false;
  char byte = 0;

  Reader() {
    std::thread([this] {
      const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
      while (true) {
        char c = 0;
        DWORD got = 0;
        const bool read = ::ReadFile(input, &c, 1, &got, nullptr) && got == 1;
        std::unique_lock lock(mutex);
        has = read;
        ended = !read;
        byte = c;
        ::SetEvent(ready);
        if (!read) return;
        taken.wait(lock, [this] { return !has; });
      }
    }).detach();
  }
};

}  // namespace

InputByte ReadInputByte(Clock::time_point deadline, char& c) {
  static Reader reader;
  switch (WaitUntil({reader.ready, StopEvent()}, deadline)) {
    case 0: break;
    case 1:
      if (StopRequested()) throw Interrupted();
      return InputByte::TimedOut;
    default: return InputByte::TimedOut;
  }
  std::lock_guard lock(reader.mutex);
  if (!reader.has) return InputByte::End;
  c = reader.byte;
  reader.has = false;
  ::ResetEvent(reader.ready);
  reader.taken.notify_all();
  return InputByte::Byte;
}

bool InputIsTerminal() { return _isatty(0) != 0; }

}  // namespace fiverow::match
