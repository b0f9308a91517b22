#include "output/MatchEvents.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace fiverow::match::events {

namespace {

using Json = nlohmann::json;

enum class Kind : std::uint8_t {
  Whole,   // an integer from 0
  Number,  // any number
  Figure,  // a number, or "inf" or "-inf"
  Text,
  Flag,
  Side,  // "x" or "o"
  Cell,  // [x, y]
  List,
  Object,
};

// Whether a field must be there.
enum class Presence : std::uint8_t {
  Always,
  Added,      // since the second format: written always, read when present
  Sometimes,  // written only where it applies
};

struct Field;

struct Shape {
  Kind kind = Kind::Object;
  bool nullable = false;
  std::vector<Field> fields;   // of an Object
  std::vector<Shape> element;  // of a List, its one element
  bool crosstable = false;     // standings: a row and a column per engine
};

struct Field {
  std::string name;
  Shape shape;
  Presence presence = Presence::Always;
};

Shape S(Kind kind) {
  Shape shape;
  shape.kind = kind;
  return shape;
}
Shape OrNull(Shape shape) {
  shape.nullable = true;
  return shape;
}
Shape ListOf(Shape element) {
  Shape shape = S(Kind::List);
  shape.element.push_back(std::move(element));
  return shape;
}
Shape ObjectOf(std::vector<Field> fields) {
  Shape shape = S(Kind::Object);
  shape.fields = std::move(fields);
  return shape;
}
Field Added(std::string name, Shape shape) {
  return {std::move(name), std::move(shape), Presence::Added};
}
Field Sometimes(std::string name, Shape shape) {
  return {std::move(name), std::move(shape), Presence::Sometimes};
}

const Shape kWhole = S(Kind::Whole);
const Shape kNumber = S(Kind::Number);
const Shape kFigure = S(Kind::Figure);
const Shape kText = S(Kind::Text);
const Shape kFlag = S(Kind::Flag);
const Shape kSide = S(Kind::Side);
const Shape kCells = ListOf(S(Kind::Cell));

Shape StandingsShape() {
  Shape standings = ObjectOf({
      {"engines", ListOf(ObjectOf({
                      {"wins", kWhole},
                      {"draws", kWhole},
                      {"losses", kWhole},
                      {"illegal", kWhole},
                      {"timeOuts", kWhole},
                      {"crashes", kWhole},
                      {"restarts", kWhole},
                      {"points", kNumber},
                      {"games", kWhole},
                      {"medianMoveSeconds", kNumber},
                      Sometimes("rating", ObjectOf({{"elo", kFigure}, {"margin", kFigure}})),
                  }))},
      {"points", ListOf(ListOf(kNumber))},
      {"games", ListOf(ListOf(kWhole))},
      {"tally",
       ObjectOf(
           {{"wins", kWhole}, {"draws", kWhole}, {"losses", kWhole}, {"pairs", ListOf(kWhole)}})},
      {"elo", OrNull(ObjectOf({{"elo", kFigure}, {"margin", kFigure}, {"los", kNumber}}))},
  });
  standings.crosstable = true;
  return standings;
}

// Each event by name, "event" aside.
const std::map<std::string, Shape, std::less<>>& Described() {
  static const auto events = [] {
    const Shape limits = ObjectOf({
        {"turnSeconds", kFigure},
        {"matchSeconds", OrNull(kNumber)},
        {"incrementSeconds", kNumber},
        {"marginSeconds", kNumber},
        {"startSeconds", kNumber},
        {"memoryBytes", OrNull(kWhole)},
        {"info", ListOf(ObjectOf({{"key", kText}, {"value", kText}}))},
    });
    const Shape engine = ObjectOf({
        {"label", kText},
        {"command", kText},
        {"protocol", kText},
        Added("limits", limits),
    });
    const Shape openings = ObjectOf({
        {"source", kText},  // "fixed", "random" or "file"
        Sometimes("opening", kCells),
        Sometimes("file", kText),
        Sometimes("format", kText),
        Sometimes("order", kText),
        Sometimes("count", kWhole),
        Sometimes("digest", kText),
        {"symmetries", kFlag},
        {"seed", kWhole},
    });
    const Shape sprt = OrNull(
        ObjectOf({{"elo0", kNumber}, {"elo1", kNumber}, {"alpha", kNumber}, {"beta", kNumber}}));
    const Shape standings = StandingsShape();
    return std::map<std::string, Shape, std::less<>>{
        {std::string(kMatchStarted), ObjectOf({
                                         Added("format", kWhole),
                                         Added("id", kText),
                                         Added("run", kText),
                                         {"engines", ListOf(engine)},
                                         {"games", kWhole},
                                         {"size", kWhole},
                                         {"rule", kText},
                                         Added("gauntlet", kFlag),
                                         Added("rounds", kWhole),
                                         Added("gamesPerPair", kWhole),
                                         Added("drawAfter", OrNull(kWhole)),
                                         Added("openings", openings),
                                         Sometimes("sprt", sprt),
                                     })},
        {std::string(kGameStarted),
         ObjectOf({{"game", kWhole}, {"x", kWhole}, {"o", kWhole}, {"opening", kCells}})},
        {std::string(kMove), ObjectOf({{"game", kWhole},
                                       {"side", kSide},
                                       {"move", S(Kind::Cell)},
                                       Added("seconds", kNumber)})},
        {std::string(kNote),
         ObjectOf({{"game", kWhole}, {"side", kSide}, {"kind", kText}, {"text", kText}})},
        {std::string(kGameEnded),
         ObjectOf({
             {"game", kWhole},
             Added("round", kWhole),
             {"x", kWhole},
             {"o", kWhole},
             {"winner", OrNull(kSide)},
             {"ending", kText},
             {"reason", kText},
             {"moves", kWhole},
             Added("opening", kCells),
             Added("line", kCells),
             Added("seconds", ObjectOf({{"x", ListOf(kNumber)}, {"o", ListOf(kNumber)}})),
             Added("names", ListOf(kText)),
             Added("engineOutput", ListOf(kText)),
             Added("engineOutputCut", kFlag),
             {"standings", standings},
         })},
        {std::string(kSprt), ObjectOf({{"games", kWhole},
                                       {"llr", kFigure},
                                       {"lower", kNumber},
                                       {"upper", kNumber},
                                       {"decision", kText}})},
        {std::string(kMatchEnded), ObjectOf({Added("games", kWhole), {"standings", standings}})},
    };
  }();
  return events;
}

bool IsCell(const Json& value) {
  return value.is_array() && value.size() == 2 && value[0].is_number_integer() &&
         value[1].is_number_integer() && value[0] >= 0 && value[1] >= 0;
}

std::optional<std::string> ProblemOf(const Json& value, const Shape& shape, Check check,
                                     const std::string& where);

// A row and a column per engine, in "points" and "games".
bool Square(const Json& standings) {
  const std::size_t engines = standings.at("engines").size();
  for (const char* table : {"points", "games"}) {
    if (standings.at(table).size() != engines) return false;
    for (const Json& row : standings.at(table))
      if (row.size() != engines) return false;
  }
  return true;
}

std::optional<std::string> ObjectProblem(const Json& value, const Shape& shape, Check check,
                                         const std::string& where) {
  for (const Field& field : shape.fields) {
    const auto found = value.find(field.name);
    const std::string at = where.empty() ? field.name : where + "." + field.name;
    if (found == value.end()) {
      if (field.presence == Presence::Always ||
          (field.presence == Presence::Added && check == Check::Written))
        return at + " is missing";
      continue;
    }
    if (auto problem = ProblemOf(*found, field.shape, check, at)) return problem;
  }
  if (check == Check::Written) {
    for (auto it = value.begin(); it != value.end(); ++it) {
      const bool described =
          (where.empty() && it.key() == "event") ||
          std::any_of(shape.fields.begin(), shape.fields.end(),
                      [&](const Field& field) { return field.name == it.key(); });
      if (!described) return (where.empty() ? "" : where + ".") + it.key() + " is not described";
    }
  }
  if (shape.crosstable && !Square(value)) return where + " is not a row and column per engine";
  return std::nullopt;
}

std::optional<std::string> ProblemOf(const Json& value, const Shape& shape, Check check,
                                     const std::string& where) {
  if (value.is_null() && shape.nullable) return std::nullopt;
  bool fits = false;
  switch (shape.kind) {
    case Kind::Whole:
      fits = value.is_number_unsigned() || (value.is_number_integer() && value >= 0);
      break;
    case Kind::Number: fits = value.is_number(); break;
    case Kind::Figure: fits = value.is_number() || value == "inf" || value == "-inf"; break;
    case Kind::Text: fits = value.is_string(); break;
    case Kind::Flag: fits = value.is_boolean(); break;
    case Kind::Side: fits = value == "x" || value == "o"; break;
    case Kind::Cell: fits = IsCell(value); break;
    case Kind::List:
      if (!value.is_array()) break;
      for (const Json& element : value) {
        if (auto problem = ProblemOf(element, shape.element.front(), check, where)) return problem;
      }
      return std::nullopt;
    case Kind::Object:
      if (!value.is_object()) break;
      return ObjectProblem(value, shape, check, where);
  }
  if (fits) return std::nullopt;
  return where + " is not of its shape";
}

}  // namespace

std::optional<std::string> EventProblem(const Json& event, Check check) {
  if (!event.is_object()) return "not a JSON object";
  const auto name = event.find("event");
  if (name == event.end() || !name->is_string()) return "no event name";
  const auto found = Described().find(name->get_ref<const std::string&>());
  if (found == Described().end()) return "an unknown event";
  if (auto problem = ObjectProblem(event, found->second, check, ""))
    return found->first + ": " + *problem;
  return std::nullopt;
}

std::string DigestOf(std::string_view text) {
  // FNV-1a, 64 bits.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string digest(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) digest[static_cast<std::size_t>(i)] = kHex[hash & 15];
  return digest;
}

}  // namespace fiverow::match::events
