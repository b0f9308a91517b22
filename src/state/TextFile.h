// The run's one text-file handle: a buffered reader and writer over
// the platform file layer, with the line rules of both game files.
//
// Like a classic text file it does not raise on a failed step: the step stores
// its I/O code in `ioResult`, and the caller's I/O check turns that into a
// failure. A step that succeeds leaves `ioResult` as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/FileSystem.h"
#include "state/Line.h"

namespace fiverow {

class TextFile {
 public:
  static constexpr std::size_t kBufferSize = 128;  // output, written out at Close
  // Input is fetched in larger blocks: a line of hundreds of megabytes is then
  // read in a fraction of a second, and no rule depends on the block size.
  static constexpr std::size_t kReadBlockSize = 64 * 1024;
  static constexpr char kCtrlZ = 26;

  // The I/O code of the latest failed step since the last I/O check, 0 if none.
  IoCode ioResult = io::kOk;

  void Attach(FileSystem& files) { files_ = &files; }

  void OpenForRead(const char* name);
  void OpenForWrite(const char* name);

  // Reads one line into `line`: every byte up to the next LF or the end of the
  // file, with every CR left out. The line keeps its first characters and
  // counts all of them (Line).
  void ReadLine(Line& line);
  // Reads only the first `count` characters of a line (at most those a Line
  // keeps) and leaves the rest of it unread.
  void ReadLineHead(Line& line, std::int64_t count);
  // Skips to the start of the next line: through the next LF, or to the end.
  void SkipLine();

  // Appends text to the output buffer; it reaches the file at Close.
  void Write(std::string_view text);

  // Writes out buffered output, then closes. A failed write-out leaves the
  // file open.
  void Close();

 private:
  enum class Mode : unsigned char { Closed, Reading, Writing };

  // Reads the line up to `limit` characters; past the characters a Line keeps,
  // only the count of the rest is taken.
  void ReadLineUpTo(Line& line, std::int64_t limit);
  // Ensures at least one unread byte is buffered; false at the end of the file
  // (or after a failed read, whose code is stored).
  bool Fill();
  void Store(IoCode code) {
    if (code != io::kOk) ioResult = code;
  }

  FileSystem* files_ = nullptr;
  FileHandle handle_ = 0;
  Mode mode_ = Mode::Closed;
  bool atFileStart_ = false;
  bool atEnd_ = false;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  std::array<char, kReadBlockSize> buffer_{};
};

}  // namespace fiverow
