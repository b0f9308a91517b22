#include "players/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "process/ProgramPaths.h"

namespace fiverow::match {

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text,
                                                         std::string& error) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'' || c == '"') {
      std::size_t j = i + 1;
      for (; j < text.size() && text[j] != c; ++j) {
        if (c == '"' && text[j] == '\\' && j + 1 < text.size()) ++j;
        word += text[j];
      }
      if (j == text.size()) {
        error =
            std::string("unclosed ") + c + " in the engine command \"" + std::string(text) + "\"";
        return std::nullopt;
      }
      i = j;
    } else if (c == '\\' && i + 1 < text.size() && BackslashEscapes()) {
      word += text[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(word);
  if (words.empty()) {
    error = "an engine command is empty";
    return std::nullopt;
  }
  return words;
}

std::optional<std::vector<std::string>> ResolveCommand(std::vector<std::string> words,
                                                       const std::string& workingDir,
                                                       std::string_view searchPath,
                                                       std::string& error) {
  const auto absolute = [&workingDir](const std::string& path) {
    return IsAbsolutePath(path) || workingDir.empty() ? path : JoinPath(workingDir, path);
  };
  std::string& program = words.front();
  int failure = 0;
  if (IsBareName(program)) {
    std::string found;
    for (std::size_t at = 0; found.empty() && at <= searchPath.size();) {
      const std::size_t end =
          std::min(searchPath.find(SearchPathSeparator(), at), searchPath.size());
      const std::string folder(searchPath.substr(at, end - at));
      const std::string candidate = ProgramCandidate(folder.empty() ? "." : folder, program);
      if (ProgramPathKind(candidate, failure) == PathKind::Program) found = absolute(candidate);
      at = end + 1;
    }
    if (found.empty() || !IsAbsolutePath(found)) {
      error = "cannot start the engine \"" + program + "\": not found on PATH";
      return std::nullopt;
    }
    program = found;
  }
  for (std::string& word : words) {
    if (word.empty() || IsAbsolutePath(word) || IsBareName(word)) continue;
    if (workingDir.empty()) {
      if (&word != &program) continue;  // names nothing: there is no current folder
      error = "cannot tell the current folder, against which \"" + word + "\" is meant";
      return std::nullopt;
    }
    const std::string anchored = JoinPath(workingDir, word);
    if (&word == &program || PathExists(anchored)) word = anchored;
  }
  // A folder can be searched, not run; nor can anything but a file.
  switch (ProgramPathKind(program, failure)) {
    case PathKind::Unrunnable:
      error = "cannot start the engine \"" + program + "\": " + std::strerror(failure);
      return std::nullopt;
    case PathKind::Folder:
      error = "cannot start the engine \"" + program + "\": it is a folder";
      return std::nullopt;
    case PathKind::OtherFile:
      error = "cannot start the engine \"" + program + "\": it is not a regular file";
      return std::nullopt;
    case PathKind::Program: break;
  }
  return words;
}

}  // namespace fiverow::match
