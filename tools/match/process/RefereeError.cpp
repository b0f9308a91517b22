#include "process/RefereeError.h"

#include <cstring>

namespace fiverow::match {

std::string SystemErrorText(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

}  // namespace fiverow::match
