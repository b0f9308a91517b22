// How the referee talks to an engine, and an engine as the user names it on
// the command line.
//
//   human          a person at the terminal
//   file:COMMAND   an engine run once per move by the Plocha.dat / Tah.dat files
//   pipe:COMMAND   an engine that talks the pipe protocol for a whole game
//   COMMAND        the pipe protocol when the program's file name begins with
//                  "pbrain-", else the file protocol
//
// The program words "fiverow" and "pbrain-fiverow" name the programs built
// beside the referee, which need not be on PATH.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/NameTable.h"

namespace fiverow::match {

enum class Protocol : std::uint8_t { File, Pipe, Human };

inline constexpr tools::NameTable<Protocol, 3> kProtocolNames{{{
    {Protocol::File, "file"},
    {Protocol::Pipe, "pipe"},
    {Protocol::Human, "human"},
}}};

// An engine or a person, as named on the command line.
struct EngineProgram {
  std::string command;            // as given, for people to read
  std::vector<std::string> argv;  // what is run (nothing for a person)
  Protocol protocol = Protocol::File;
};

// "file", "pipe", "human".
std::string_view ProtocolName(Protocol protocol);
std::optional<Protocol> ProtocolNamed(std::string_view name);

// What follows the last "/" of `path`: all of it when it has none.
std::string_view FileNameOf(std::string_view path);

// Whether the engine given on the command line is a person.
bool NamesHuman(std::string_view given);

// Where commands are resolved: the folder the referee was started in (empty
// when unknown), the program search path, and the referee's own folder.
struct CommandPlace {
  std::string workingDir;
  std::string searchPath;
  std::string toolFolder;
};
// This process's.
CommandPlace ThisCommandPlace();

// The fiverow beside the referee.
std::string DefaultEngineCommand(const CommandPlace& place);

// The engine `given` names. Throws UsageError for a command that cannot be
// split and RefereeError for one that cannot be run.
EngineProgram ChooseEngine(const std::string& given, const CommandPlace& place);

}  // namespace fiverow::match
