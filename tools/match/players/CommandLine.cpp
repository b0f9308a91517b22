#include "players/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    } else if (c == '\\' && i + 1 < text.size()) {
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

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::vector<std::string>> ResolveCommand(std::vector<std::string> words,
                                                       const std::string& workingDir,
                                                       std::string_view searchPath,
                                                       std::string& error) {
  const auto absolute = [&workingDir](const std::string& path) {
    return path.front() == '/' || workingDir.empty() ? path : workingDir + "/" + path;
  };
  std::string& program = words.front();
  if (program.find('/') == std::string::npos) {
    std::string found;
    for (std::size_t at = 0; found.empty() && at <= searchPath.size();) {
      const std::size_t end = std::min(searchPath.find(':', at), searchPath.size());
      const std::string folder(searchPath.substr(at, end - at));
      const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
      if (IsExecutableFile(candidate)) found = absolute(candidate);
      at = end + 1;
    }
    if (found.empty() || found.front() != '/') {
      error = "cannot start the engine \"" + program + "\": not found on PATH";
      return std::nullopt;
    }
    program = found;
  }
  for (std::string& word : words) {
    if (word.empty() || word.front() == '/' || word.find('/') == std::string::npos) continue;
    if (workingDir.empty()) {
      if (&word != &program) continue;  // names nothing: there is no current folder
      error = "cannot tell the current folder, against which \"" + word + "\" is meant";
      return std::nullopt;
    }
    const std::string anchored = workingDir + "/" + word;
    struct stat info {};
    if (&word == &program || ::stat(anchored.c_str(), &info) == 0) word = anchored;
  }
  if (::access(program.c_str(), X_OK) != 0) {
    error = "cannot start the engine \"" + program + "\": " + std::strerror(errno);
    return std::nullopt;
  }
  // A folder can be searched, not run; nor can anything but a file.
  struct stat info {};
  if (::stat(program.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = "cannot start the engine \"" + program +
            "\": " + (S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
    return std::nullopt;
  }
  return words;
}

}  // namespace fiverow::match
