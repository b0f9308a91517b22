// The page's files (tools/board/page/), built into the program: the build
// writes their bytes into a generated source (EmbedPage.cmake).
#pragma once

#include <span>
#include <string_view>

namespace fiverow::board {

struct PageFile {
  std::string_view name;  // "index.html"
  std::string_view type;  // its Content-Type
  std::string_view bytes;
};

std::span<const PageFile> PageFiles();

}  // namespace fiverow::board
