#include "runtime/FailureReport.h"

#include <cstdio>

#include "runtime/Console.h"

namespace fiverow {

std::string FormatFailureReport(const RunFailure& failure, std::string_view moduleName) {
  char message[256];
  FormatMessage(failure, message, sizeof message);
  const std::string_view text(message);
  const char* fullStop = !text.empty() && text.back() != '.' ? "." : "";

  char buffer[1024];
  const int length =
      std::snprintf(buffer, sizeof buffer, "Exception %s in module %.*s at %08X.\n%s%s",
                    KindName(failure.kind), static_cast<int>(moduleName.size()), moduleName.data(),
                    static_cast<unsigned>(failure.location), message, fullStop);
  std::string report(buffer, length < 0 ? 0 : static_cast<std::size_t>(length));
  report += "\r\n";
  return report;
}

std::string_view ModuleNameOf(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  if (cut != std::string_view::npos) path.remove_prefix(cut + 1);
  return path.substr(0, kMaxModuleName);
}

std::string RunningModuleName() { return std::string(ModuleNameOf(OwnExecutablePath())); }

void WriteFailureReport(const RunFailure& failure) {
  WriteToStandardOutput(FormatFailureReport(failure, RunningModuleName()));
}

}  // namespace fiverow
