#include "state/TextFile.h"

#include <algorithm>
#include <cstring>

namespace fiverow {

namespace {
constexpr char kLf = '\n';
constexpr char kCr = '\r';

const char* Find(char byte, const char* first, const char* last) {
  return static_cast<const char*>(std::memchr(first, byte, static_cast<std::size_t>(last - first)));
}

std::int64_t CountCr(const char* first, const char* last) {
  std::int64_t count = 0;
  for (const char* cr = Find(kCr, first, last); cr != nullptr; cr = Find(kCr, cr + 1, last)) {
    ++count;
  }
  return count;
}
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

void TextFile::ReadLine(Line& line) { ReadLineUpTo(line, INT64_MAX); }

void TextFile::ReadLineHead(Line& line, std::int64_t count) {
  ReadLineUpTo(line, std::min(count, Line::kKept));
}

void TextFile::ReadLineUpTo(Line& line, std::int64_t limit) {
  line.Clear();
  while (line.length < limit && Fill()) {
    const char* const first = buffer_.data() + next_;
    const char* const last = buffer_.data() + end_;
    const char* const lf = Find(kLf, first, last);
    const char* const stop = lf != nullptr ? lf : last;
    const char* p = first;
    while (p != stop && line.length < limit) {
      if (line.length >= Line::kKept) {
        // Past the kept characters only the count matters. Only a whole line
        // gets here: a head is never longer than a Line keeps.
        line.CountUnkept((stop - p) - CountCr(p, stop));
        p = stop;
      } else {
        if (*p != kCr) line.Append(*p);
        ++p;
      }
    }
    next_ = static_cast<std::size_t>(p - buffer_.data());
    if (p == lf) return;  // the LF is left for SkipLine
  }
}

void TextFile::SkipLine() {
  while (Fill()) {
    const char* const lf = Find(kLf, buffer_.data() + next_, buffer_.data() + end_);
    if (lf != nullptr) {
      next_ = static_cast<std::size_t>(lf - buffer_.data()) + 1;
      return;
    }
    next_ = end_;
  }
}

void TextFile::Write(std::string_view text) {
  for (const char c : text) {
    if (end_ == kBufferSize) {
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
