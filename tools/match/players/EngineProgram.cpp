#include "players/EngineProgram.h"

#include "common/UsageError.h"
#include "players/CommandLine.h"
#include "process/ProgramPaths.h"
#include "process/RefereeError.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

constexpr std::string_view kFilePrefix = "file:";
constexpr std::string_view kPipePrefix = "pipe:";
constexpr std::string_view kPipeProgramPrefix = "pbrain-";

}  // namespace

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of(BackslashEscapes() ? "/" : "/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ProtocolName(Protocol protocol) { return kProtocolNames.NameOf(protocol); }

std::optional<Protocol> ProtocolNamed(std::string_view name) { return kProtocolNames.Named(name); }

bool NamesHuman(std::string_view given) { return given == "human"; }

CommandPlace ThisCommandPlace() {
  CommandPlace place;
  place.workingDir = CurrentFolder();
  place.toolFolder = FolderOf(OwnExecutablePath());
  place.searchPath = ProgramSearchPath(place.toolFolder);
  return place;
}

std::string DefaultEngineCommand(const CommandPlace& place) {
  return ProgramCandidate(place.toolFolder, "fiverow");
}

EngineProgram ChooseEngine(const std::string& given, const CommandPlace& place) {
  EngineProgram engine;
  engine.command = given;
  if (NamesHuman(given)) {
    engine.protocol = Protocol::Human;
    return engine;
  }
  std::string_view command = given;
  std::optional<Protocol> forced;
  if (command.starts_with(kFilePrefix)) forced = Protocol::File;
  if (command.starts_with(kPipePrefix)) forced = Protocol::Pipe;
  static_assert(kFilePrefix.size() == kPipePrefix.size());
  if (forced) command.remove_prefix(kFilePrefix.size());

  std::string error;
  auto words = SplitCommandLine(command, error);
  if (!words) throw tools::UsageError(error);
  engine.protocol = forced.value_or(
      FileNameOf(words->front()).starts_with(kPipeProgramPrefix) ? Protocol::Pipe : Protocol::File);
  std::string& program = words->front();
  if (program == "fiverow" || program == "pbrain-fiverow") {
    const std::string beside = ProgramCandidate(place.toolFolder, program);
    int failure = 0;
    if (ProgramPathKind(beside, failure) == PathKind::Program) program = beside;
  }
  words = ResolveCommand(std::move(*words), place.workingDir, place.searchPath, error);
  if (!words) throw RefereeError(error);
  engine.argv = std::move(*words);
  return engine;
}

}  // namespace fiverow::match
