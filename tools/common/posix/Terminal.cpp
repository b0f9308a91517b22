#include "common/Terminal.h"

#include <unistd.h>

#include <cstdlib>

namespace fiverow::tools {

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

bool ColourWanted(int fd) {
  const char* noColour = std::getenv("NO_COLOR");
  if (noColour != nullptr && *noColour != '\0') return false;
  return ::isatty(fd) == 1;
}

void UseUtf8Console() {}

}  // namespace fiverow::tools
