// Paths to engine programs as the platform writes and finds them: "/" and
// PATH with colons on POSIX; "\" or "/", drive letters, PATH with
// semicolons and ".exe" on Windows.
#pragma once

#include <string>
#include <string_view>

namespace fiverow::match {

// Whether a backslash in an engine command escapes the next character
// (POSIX), rather than separating folders (Windows).
bool BackslashEscapes();

// A word with no folder in it, to be looked up in the search path.
bool IsBareName(std::string_view word);
bool IsAbsolutePath(std::string_view path);
std::string JoinPath(const std::string& folder, const std::string& name);

// Where a bare program name is looked for, in order: PATH (POSIX; the
// system's default path without one), or beside the referee, in the working
// folder, then on PATH (Windows). Folders are separated by SearchPathSeparator().
std::string ProgramSearchPath(const std::string& toolFolder);
char SearchPathSeparator();
// The file a bare program name stands for in `folder` (Windows: with ".exe"
// when it has no extension).
std::string ProgramCandidate(const std::string& folder, const std::string& name);

// The working folder; empty when unknown.
std::string CurrentFolder();
// The folder part of a path; "." for none.
std::string FolderOf(const std::string& path);

// What a path names, for starting it as a program. `error` (an errno) says
// why it cannot be run, for Unrunnable.
enum class PathKind { Program, Folder, OtherFile, Unrunnable };
PathKind ProgramPathKind(const std::string& path, int& error);
// Whether anything exists at `path`.
bool PathExists(const std::string& path);

}  // namespace fiverow::match
