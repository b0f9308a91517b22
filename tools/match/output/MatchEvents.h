// The events of fiverow-match --events, described once: every event's name
// and fields with their shapes. The writer (EventStream) holds to it and
// readers (fiverow-board --watch, a merge of event files) check each line
// against it before they use it.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace fiverow::match::events {

// The format's version, in "match-started"; fields are only ever added.
inline constexpr int kFormat = 2;

inline constexpr std::string_view kMatchStarted = "match-started";
inline constexpr std::string_view kGameStarted = "game-started";
inline constexpr std::string_view kMove = "move";
inline constexpr std::string_view kNote = "note";
inline constexpr std::string_view kGameEnded = "game-ended";
inline constexpr std::string_view kSprt = "sprt";
inline constexpr std::string_view kMatchEnded = "match-ended";

enum class Check : bool {
  // As a reader takes a line: the fields of the first format must be there,
  // later ones are checked when present, fields not described are let be.
  Read,
  // As the writer writes: every field described is there, and no other.
  Written,
};

// What is wrong with `event` as an event of this format, or nothing: an
// unknown event, a field missing, of the wrong shape, or standings whose
// crosstable is not one row and column per engine.
std::optional<std::string> EventProblem(const nlohmann::json& event, Check check = Check::Read);

// A digest of `text`, 16 hex digits: the same on every platform.
std::string DigestOf(std::string_view text);

}  // namespace fiverow::match::events
