// Runs the brain's conversation in-process on a string of input.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "brain/Serve.h"

namespace fiverow::testing {

// Everything the brain writes for `input`, handed to it `chunk` bytes a read.
inline std::string Converse(std::string_view input, std::size_t chunk = 4096) {
  std::string output;
  brain::Serve(
      [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({chunk, capacity, input.size()});
        input.copy(buffer, n);
        input.remove_prefix(n);
        return n;
      },
      [&](std::string_view bytes) {
        output += bytes;
        return true;
      });
  return output;
}

}  // namespace fiverow::testing
