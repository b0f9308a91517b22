#include "files/TextFile.h"

namespace fiverow {

namespace {
constexpr char kLf = '\n';
constexpr char kCr = '\r';
}  // namespace

void TextFile::OpenForRead(const char* name) {
  const IoCode code = files_->OpenRead(name, handle_);
  Store(code);
  if (code != io::kOk) return;
  mode_ = Mode::Reading;
  atFileStart_ = true;
  atEnd_ = false;
  next_ = end_ = 0;
}

void TextFile::OpenForWrite(const char* name) {
  const IoCode code = files_->OpenWrite(name, handle_);
  Store(code);
  if (code != io::kOk) return;
  mode_ = Mode::Writing;
  next_ = end_ = 0;
}

bool TextFile::Fill() {
  if (next_ < end_) return true;
  if (atEnd_ || mode_ != Mode::Reading) return false;
  std::size_t got = 0;
  const IoCode code = files_->Read(handle_, buffer_.data(), buffer_.size(), got);
  if (code == io::kBrokenPipe) {  // a writer that went away ends the file
    atEnd_ = true;
    return false;
  }
  if (code != io::kOk) {
    Store(code);
    return false;
  }
  // A Ctrl-Z as the very first byte marks an empty file; anywhere else it is
  // an ordinary character.
  if (got == 0 || (atFileStart_ && buffer_[0] == kCtrlZ)) {
    atEnd_ = true;
    return false;
  }
  atFileStart_ = false;
  next_ = 0;
  end_ = got;
  return true;
}

void TextFile::ReadLine(Line& line, std::int64_t maxLength) {
  line.Clear();
  while (line.length < maxLength && Fill()) {
    const char c = buffer_[next_];
    if (c == kLf) return;  // left for SkipLine
    ++next_;
    if (c != kCr) line.Append(c);
  }
}

void TextFile::SkipLine() {
  while (Fill()) {
    if (buffer_[next_++] == kLf) return;
  }
}

void TextFile::Write(std::string_view text) {
  for (const char c : text) {
    if (end_ == buffer_.size()) {
      Store(files_->Write(handle_, buffer_.data(), end_));
      end_ = 0;
    }
    buffer_[end_++] = c;
  }
}

void TextFile::Close() {
  if (mode_ == Mode::Writing && end_ > 0) {
    const IoCode code = files_->Write(handle_, buffer_.data(), end_);
    end_ = 0;
    if (code != io::kOk) {
      Store(code);
      return;  // the file stays open; the process end releases it
    }
  }
  Store(files_->Close(handle_));
  mode_ = Mode::Closed;
}

}  // namespace fiverow
