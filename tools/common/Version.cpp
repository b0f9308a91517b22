#include "common/Version.h"

namespace fiverow::tools {

const char* const kFiverowVersion = FIVEROW_VERSION;

std::string VersionText(const std::string& program) {
  return program + " " + kFiverowVersion + "\n";
}

}  // namespace fiverow::tools
