#include "process/win32/WindowsCommandLine.h"

#include <cwctype>

#include "common/EscapedText.h"
#include "common/win32/WideText.h"
#include "process/RefereeError.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::match {

namespace {

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
  if (text.size() < end.size()) return false;
  text.remove_prefix(text.size() - end.size());
  for (std::size_t i = 0; i < end.size(); ++i)
    if (std::towlower(text[i]) != std::towlower(end[i])) return false;
  return true;
}

std::wstring SystemFolderProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  return std::wstring(folder, length) + L"\\" + name;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A word for a batch file: cmd.exe takes what lies between quotes as it is,
// backslashes included, so the runtime's escapes would stay in the word.
// Only %NAME% is expanded even there; a % followed by %cd:~,% (an empty
// part of a variable) stays a % that starts no name.
std::wstring CmdQuoted(std::wstring_view word) {
  if (!word.empty() && word.find_first_of(L" \t\"&|<>^(),;=%!") == std::wstring_view::npos)
    return std::wstring(word);
  std::wstring quoted = L"\"";
  for (const wchar_t c : word) {
    if (c == L'"') {
      quoted += L"\"\"";
    } else if (c == L'%') {
      quoted += L"%%cd:~,%";
    } else {
      quoted += c;
    }
  }
  return quoted + L"\"";
}

}  // namespace

std::wstring QuotedArgument(std::wstring_view word) {
  if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring_view::npos)
    return std::wstring(word);
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    if (c == L'"') backslashes = 2 * backslashes + 1;
    quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  // Before the closing quote, too.
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

StartLine StartLineFor(const std::vector<std::string>& argv) {
  StartLine start;
  const std::wstring program = tools::Widened(argv.front());
  const bool batch = EndsWithNoCase(program, L".bat") || EndsWithNoCase(program, L".cmd");
  std::wstring words;
  for (const std::string& word : argv) {
    // cmd.exe would end the command at a line break and run the rest.
    if (batch && word.find_first_of("\r\n") != std::string::npos)
      throw RefereeError("cannot pass a line break to a batch file: " + tools::ShownText(word));
    if (!words.empty()) words += L' ';
    words += batch ? CmdQuoted(tools::Widened(word)) : QuotedArgument(tools::Widened(word));
  }
  if (batch) {
    start.application = SystemFolderProgram(L"cmd.exe");
    start.commandLine = L"cmd.exe /d /v:off /s /c \"" + words + L"\"";
  } else {
    start.application = program;
    start.commandLine = words;
  }
  return start;
}

std::string FindProgram(const std::string& name, const std::string& ownFolder) {
  const std::wstring wide = tools::Widened(name);
  const std::size_t dot = wide.find_last_of(L".\\/");
  const bool hasExtension = dot != std::wstring::npos && wide[dot] == L'.';
  std::vector<std::wstring> folders = {tools::Widened(ownFolder), L"."};
  if (const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0); size > 0) {
    std::wstring path(size, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), size));
    std::size_t from = 0;
    while (from <= path.size()) {
      const std::size_t end = std::min(path.find(L';', from), path.size());
      if (end > from) folders.push_back(path.substr(from, end - from));
      from = end + 1;
    }
  }
  for (const std::wstring& folder : folders) {
    if (folder.empty()) continue;
    const std::wstring base = folder + L"\\" + wide;
    if (hasExtension && IsFile(base)) return tools::Narrowed(base);
    if (!hasExtension && IsFile(base + L".exe")) return tools::Narrowed(base + L".exe");
  }
  return {};
}

}  // namespace fiverow::match
