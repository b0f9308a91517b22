// The brain's whole conversation with a manager, over two byte streams.
#pragma once

#include <functional>
#include <string_view>

#include "brain/LineReader.h"

namespace fiverow::brain {

// Writes all the bytes at once; false when that failed.
using WriteBytes = std::function<bool(std::string_view bytes)>;

// Answers each command line with its reply, ended by CR LF and written before
// any more input is read, until END, the end of the input or a failed write.
void Serve(const ReadBytes& read, const WriteBytes& write);

}  // namespace fiverow::brain
