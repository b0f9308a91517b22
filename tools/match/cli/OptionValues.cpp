#include "cli/OptionValues.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "cli/MatchOptions.h"
#include "common/EscapedText.h"
#include "match/Match.h"
#include "output/NumberText.h"

namespace fiverow::match {

std::uint64_t ParseSeed(const std::string& option, const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) {
    throw UsageError(option + " needs a whole number from 0 to " + std::to_string(UINT64_MAX) +
                     ", not \"" + text + "\"");
  }
  return value;
}

EngineValue ParseEngineValue(const std::string& option, const std::string& text) {
  EngineValue given;
  given.value = text;
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return given;
  given.engine = EngineNamed(text.substr(0, colon));
  if (!given.engine) {
    throw UsageError(option +
                     " takes VALUE or E:VALUE with E an engine's letter (A, B, ...), not \"" +
                     tools::ShownText(text) + "\"");
  }
  given.value = text.substr(colon + 1);
  return given;
}

EngineInfo ParseEngineInfo(const std::string& option, const std::string& text) {
  // What the referee tells engines itself, and must stay as it says.
  static constexpr std::string_view kOwnKeys[] = {
      "timeout_turn", "timeout_match", "time_left", "max_memory", "rule", "game_type", "folder"};
  const EngineValue given = ParseEngineValue(option, text);
  const std::size_t equals = given.value.find('=');
  if (!given.engine || equals == std::string::npos || equals == 0) {
    throw UsageError(option + " takes E:KEY=VALUE, e.g. B:hash_size=64, not \"" +
                     tools::ShownText(text) + "\"");
  }
  EngineInfo info{*given.engine, given.value.substr(0, equals), given.value.substr(equals + 1)};
  const bool wordKey = std::all_of(info.key.begin(), info.key.end(), [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '_';
  });
  if (!wordKey)
    throw UsageError(option + ": a key is letters, digits and _, not \"" +
                     tools::ShownText(info.key) + "\"");
  // Keys are compared in any case, as engines read them.
  std::string lower = info.key;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (std::find(std::begin(kOwnKeys), std::end(kOwnKeys), lower) != std::end(kOwnKeys))
    throw UsageError(option + ": the referee sends INFO " + lower + " itself");
  if (std::any_of(info.value.begin(), info.value.end(),
                  [](unsigned char c) { return c < 0x20 || c == 0x7f; })) {
    throw UsageError(option + ": the value of " + info.key + " holds a control character");
  }
  return info;
}

namespace {

template <typename Enum, std::size_t kCount>
Enum ParseNamed(const std::string& option, const tools::NameTable<Enum, kCount>& names,
                const std::string& text) {
  if (const std::optional<Enum> value = names.Named(text)) return *value;
  throw UsageError(option + " takes " + names.Choices() + ", not \"" + tools::ShownText(text) +
                   "\"");
}

}  // namespace

Rule ParseRule(const std::string& text) { return ParseNamed("--rule", kRuleNames, text); }

OpeningFormat ParseOpeningFormat(const std::string& text) {
  return ParseNamed("--openings-format", kFormatNames, text);
}

OpeningOrder ParseOpeningOrder(const std::string& text) {
  return ParseNamed("--openings-order", kOrderNames, text);
}

Show ParseShow(const std::string& text) { return ParseNamed("--show", kShowNames, text); }

SprtParameters ParseSprtParameters(std::string_view text) {
  const std::string form =
      "elo0=E0,elo1=E1,alpha=A,beta=B, e.g. elo0=0,elo1=10,alpha=0.05,beta=0.05";
  constexpr std::array<std::string_view, 4> kNames = {"elo0", "elo1", "alpha", "beta"};
  std::array<std::optional<double>, 4> values;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view part =
        text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) {
      throw UsageError(
          "--sprt takes " + form + "; " +
          (part.empty() ? "a part is empty" : "\"" + std::string(part) + "\" is not name=value"));
    }
    const std::string name(part.substr(0, equals));
    const std::string number(part.substr(equals + 1));
    const auto known = std::find(kNames.begin(), kNames.end(), name);
    if (known == kNames.end()) {
      throw UsageError("--sprt has no parameter \"" + name +
                       "\"; it takes elo0, elo1, alpha and beta");
    }
    auto& value = values[static_cast<std::size_t>(known - kNames.begin())];
    if (value) throw UsageError("--sprt was given " + name + " twice");
    const bool probability = name == "alpha" || name == "beta";
    const char* first = number.data() + (number.starts_with('+') ? 1 : 0);
    const char* end = number.data() + number.size();
    double parsed = 0;
    const auto [stop, error] = std::from_chars(first, end, parsed);
    const bool ok = error == std::errc() && stop == end && std::isfinite(parsed) &&
                    (probability ? parsed > 0 && parsed < 1 : std::abs(parsed) <= kMaxSprtElo);
    if (!ok) {
      throw UsageError(
          "--sprt " + name + " needs " +
          (probability ? "a number above 0 and below 1" : "an Elo difference from -1000 to 1000") +
          ", not \"" + number + "\"");
    }
    value = parsed;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (!values[i]) {
      throw UsageError("--sprt takes " + form + "; " + std::string(kNames[i]) + " is missing");
    }
  }
  const SprtParameters parameters{*values[0], *values[1], *values[2], *values[3]};
  if (parameters.elo0 >= parameters.elo1)
    throw UsageError("--sprt needs elo0 below elo1, not " + ShortText(parameters.elo0) + " and " +
                     ShortText(parameters.elo1));
  // Otherwise the bounds meet or cross, and the first result decides.
  if (parameters.alpha + parameters.beta >= 1)
    throw UsageError("--sprt needs alpha + beta below 1");
  return parameters;
}

}  // namespace fiverow::match
