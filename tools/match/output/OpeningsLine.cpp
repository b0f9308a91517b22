#include "output/OpeningsLine.h"

#include "common/EscapedText.h"

namespace fiverow::match {

std::string OpeningsLine(const OpeningsSource& source) {
  const std::string seed = std::to_string(source.seed);
  if (source.kind == OpeningsSource::Kind::Random) return "random openings, seed " + seed;
  if (source.kind != OpeningsSource::Kind::File) return "";
  const bool shuffled = source.order == OpeningOrder::Random;
  std::string line = std::to_string(source.count) + (source.count == 1 ? " opening" : " openings") +
                     " from " + tools::ShownText(source.file) +
                     (shuffled ? ", shuffled" : ", in order") +
                     (source.symmetries ? ", in random symmetries" : "");
  if (shuffled || source.symmetries) line += ", seed " + seed;
  return line;
}

}  // namespace fiverow::match
