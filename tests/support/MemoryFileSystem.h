// An in-memory stand-in for the platform file layer, so a whole run can be
// driven in-process: files are byte strings by name, and any step can be made
// to fail with a chosen I/O code.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/FileSystem.h"

namespace fiverow::testing {

// The file steps a run performs, for fault injection.
enum class FileStep { OpenRead, OpenWrite, Read, Write, Close };

class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  // Called before every step with the step, the file's name and how many
  // steps of that kind this file has seen so far (0 for the first). A
  // returned code makes the step fail with it, without effect.
  std::function<std::optional<IoCode>(FileStep, const std::string&, int)> fault;

  // Bytes handed out per read; small values exercise block boundaries.
  std::size_t readChunk = 128;

  // Every step in order, e.g. "OpenRead Plocha.dat", for checking what ran.
  std::vector<std::string> log;

  IoCode OpenRead(const char* name, FileHandle& handle) override;
  IoCode OpenWrite(const char* name, FileHandle& handle) override;
  IoCode Read(FileHandle handle, char* buffer, std::size_t capacity, std::size_t& got) override;
  IoCode Write(FileHandle handle, const char* data, std::size_t size) override;
  IoCode Close(FileHandle handle) override;

  int OpenCount() const;

 private:
  struct OpenFile {
    std::string name;
    std::size_t position = 0;
    bool open = false;
  };
  std::optional<IoCode> Inject(FileStep step, const std::string& name);
  std::vector<OpenFile> handles_;
  std::map<std::pair<int, std::string>, int> stepCounts_;
};

}  // namespace fiverow::testing
