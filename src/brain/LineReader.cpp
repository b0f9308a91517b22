#include "brain/LineReader.h"

namespace fiverow::brain {

std::optional<protocol::TextLine> LineReader::Next() {
  while (!lines_.HasLine()) {
    if (atEnd_) return std::nullopt;
    const std::size_t got = read_(block_.data(), block_.size());
    if (got == 0) {
      atEnd_ = true;
      lines_.Finish();
    } else {
      lines_.Add({block_.data(), got});
    }
  }
  return lines_.Take();
}

}  // namespace fiverow::brain
