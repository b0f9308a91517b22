// The JSON the page is sent and sends.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/UTypes.h"
#include "game/Sides.h"

namespace fiverow::board {

using Json = nlohmann::json;

// Compact text; any malformed UTF-8 that slipped through is replaced.
inline std::string JsonText(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// [x, y].
inline Json CellJson(Move cell) { return Json::array({cell.x, cell.y}); }

// [[x, y], ...].
inline Json CellsJson(const std::vector<Move>& cells) {
  Json list = Json::array();
  for (const Move cell : cells) list.push_back(CellJson(cell));
  return list;
}

// "x", "o".
inline Json SideJson(match::Side side) { return std::string(1, match::StoneChar(side)); }

// A cell [x, y] of a board of `size`, or nothing.
inline std::optional<Move> CellOf(const Json& value, int size) {
  if (!value.is_array() || value.size() != 2 || !value[0].is_number_integer() ||
      !value[1].is_number_integer())
    return std::nullopt;
  const auto x = value[0].get<long long>();
  const auto y = value[1].get<long long>();
  if (x < 0 || y < 0 || x >= size || y >= size) return std::nullopt;
  return Move{static_cast<Int32>(x), static_cast<Int32>(y)};
}

// "x" or "o", or nothing.
inline std::optional<match::Side> SideOf(const Json& value) {
  if (value == "x") return match::Side::X;
  if (value == "o") return match::Side::O;
  return std::nullopt;
}

}  // namespace fiverow::board
