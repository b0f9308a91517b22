#include "match/EngineCommand.h"

#include <sys/stat.h>

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

std::vector<std::string> AnchorPaths(std::vector<std::string> words,
                                     const std::string& workingDir) {
  for (std::string& word : words) {
    if (word.empty() || word.front() == '/') continue;
    const std::string anchored = workingDir + "/" + word;
    struct stat info {};
    if (::stat(anchored.c_str(), &info) == 0) word = anchored;
  }
  return words;
}

}  // namespace fiverow::match
