// EngineProcess on POSIX systems: a ChildProcess.
#include "process/EngineProcess.h"

#include <signal.h>

#include "process/posix/ChildProcess.h"

namespace fiverow::match {

std::unique_ptr<EngineProcess> EngineProcess::Start(const std::vector<std::string>& argv,
                                                    int folderFd, const EngineOptions& options) {
  return std::make_unique<ChildProcess>(argv, folderFd, options);
}

int KilledAtDeadlineCode() { return SIGKILL; }

std::string ExitText(bool signalled, int code) {
  return (signalled ? "was killed by signal " : "exited with status ") + std::to_string(code);
}

}  // namespace fiverow::match
