#include "MemoryFileSystem.h"

#include <algorithm>

namespace fiverow::testing {

namespace {
const char* StepName(FileStep step) {
  switch (step) {
    case FileStep::OpenRead: return "OpenRead";
    case FileStep::OpenWrite: return "OpenWrite";
    case FileStep::Read: return "Read";
    case FileStep::Write: return "Write";
    case FileStep::Close: return "Close";
  }
  return "?";
}
}  // namespace

std::optional<IoCode> MemoryFileSystem::Inject(FileStep step, const std::string& name) {
  log.push_back(std::string(StepName(step)) + " " + name);
  int& count = stepCounts_[{static_cast<int>(step), name}];
  const int index = count++;
  if (fault) return fault(step, name, index);
  return std::nullopt;
}

IoCode MemoryFileSystem::OpenRead(const char* name, FileHandle& handle) {
  if (auto code = Inject(FileStep::OpenRead, name)) return *code;
  if (!files.contains(name)) return io::kFileNotFound;
  handles_.push_back({name, 0, true});
  handle = static_cast<FileHandle>(handles_.size() - 1);
  return io::kOk;
}

IoCode MemoryFileSystem::OpenWrite(const char* name, FileHandle& handle) {
  if (auto code = Inject(FileStep::OpenWrite, name)) return *code;
  files[name].clear();
  handles_.push_back({name, 0, true});
  handle = static_cast<FileHandle>(handles_.size() - 1);
  return io::kOk;
}

IoCode MemoryFileSystem::Read(FileHandle handle, char* buffer, std::size_t capacity,
                              std::size_t& got) {
  got = 0;
  OpenFile& file = handles_.at(static_cast<std::size_t>(handle));
  if (auto code = Inject(FileStep::Read, file.name)) return *code;
  const std::string& bytes = files.at(file.name);
  got = std::min({capacity, readChunk, bytes.size() - std::min(file.position, bytes.size())});
  bytes.copy(buffer, got, file.position);
  file.position += got;
  return io::kOk;
}

IoCode MemoryFileSystem::Write(FileHandle handle, const char* data, std::size_t size) {
  OpenFile& file = handles_.at(static_cast<std::size_t>(handle));
  if (auto code = Inject(FileStep::Write, file.name)) return *code;
  files[file.name].append(data, size);
  return io::kOk;
}

IoCode MemoryFileSystem::Close(FileHandle handle) {
  OpenFile& file = handles_.at(static_cast<std::size_t>(handle));
  if (auto code = Inject(FileStep::Close, file.name)) return *code;
  file.open = false;
  return io::kOk;
}

int MemoryFileSystem::OpenCount() const {
  return static_cast<int>(
      std::count_if(handles_.begin(), handles_.end(), [](const OpenFile& f) { return f.open; }));
}

}  // namespace fiverow::testing
