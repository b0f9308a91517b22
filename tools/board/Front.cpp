#include "board/Front.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "board/Guard.h"
#include "process/RefereeError.h"

namespace fiverow::board {

namespace {

constexpr std::string_view kTooLarge =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Content-Length: 35\r\nConnection: close\r\n\r\nthe request's headers are too long\n";

}  // namespace

std::size_t HeadEnd(std::string_view bytes, std::size_t& scanned, std::size_t& lines) {
  for (std::size_t end = bytes.find('\n', scanned); end != std::string_view::npos;
       end = bytes.find('\n', scanned)) {
    const std::size_t start = scanned;
    scanned = end + 1;
    // The empty line after the request line and the headers.
    if (++lines > 1 && end == start + 1 && bytes[start] == '\r') return scanned;
  }
  return 0;
}

Front::Front(const std::string& address, int port) {
  const std::optional<IpAddress> parsed = ParseAddress(address);
  if (parsed) listening_ = ListeningSocket(*parsed, port, port_);
  if (listening_ == kNoSocket) {
    throw match::RefereeError("cannot listen on " + HostText(address) + ":" + std::to_string(port) +
                              " (is the port taken, or the address not this machine's?)");
  }
}

Front::~Front() {
  while (!waiting_.empty()) Drop(waiting_.begin());
  CloseSocket(listening_);
}

bool Front::Run(const std::function<void(Arrival)>& take) {
  std::vector<Polled> polled;
  std::vector<WaitingList::iterator> read;
  for (;;) {
    const FrontClock::time_point now = FrontClock::now();
    while (!waiting_.empty() && waiting_.front().deadline <= now) Drop(waiting_.begin());
    polled = {{stop_.socket()}, {listening_}};
    read.clear();
    for (auto waiting = waiting_.begin(); waiting != waiting_.end(); ++waiting) {
      polled.push_back({waiting->socket});
      read.push_back(waiting);
    }
    int timeout = -1;
    if (!waiting_.empty()) {
      timeout = static_cast<int>(
          std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().deadline - now).count());
    }
    if (Poll(polled, timeout) < 0) return false;
    if (polled[0].ready) break;
    for (std::size_t i = 0; i < read.size(); ++i) {
      if (polled[i + 2].ready) Read(read[i], take);
    }
    if (polled[1].failed) return false;
    if (polled[1].ready) Accept();
  }
  while (!waiting_.empty()) Drop(waiting_.begin());
  return true;
}

void Front::Stop() { stop_.Wake(); }

void Front::Done(Arrival& arrival) {
  CloseSocket(arrival.socket);
  arrival.socket = kNoSocket;
  Forget(arrival.address);
}

void Front::Accept() {
  // A few at a time, so that the heads under way are read meanwhile.
  for (int i = 0; i < 32; ++i) {
    std::string address;
    bool outOfFiles = false;
    const Socket socket = AcceptOne(listening_, address, outOfFiles);
    if (socket == kNoSocket) {
      // Out of files: the oldest head waiting makes room, or the next poll waits a little.
      if (outOfFiles) {
        if (!waiting_.empty()) {
          Drop(waiting_.begin());
          continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return;
    }
    if (waiting_.size() >= kMostWaiting) Drop(waiting_.begin());
    bool full = false;
    {
      const std::lock_guard lock(mutex_);
      full = open_[address] >= kMostPerAddress;
    }
    if (full) {
      // The address's oldest head still to come gives way; without one, the
      // new connection does.
      const auto oldest = std::find_if(waiting_.begin(), waiting_.end(),
                                       [&](const Waiting& w) { return w.address == address; });
      if (oldest == waiting_.end()) {
        CloseSocket(socket);
        continue;
      }
      Drop(oldest);
    }
    {
      const std::lock_guard lock(mutex_);
      ++open_[address];
    }
    waiting_.push_back({socket, std::move(address), FrontClock::now() + kRequestTime, {}});
  }
}

void Front::Read(WaitingList::iterator waiting, const std::function<void(Arrival)>& take) {
  char buffer[4096];
  for (;;) {
    const std::ptrdiff_t got = Receive(waiting->socket, buffer, sizeof buffer);
    if (got == kNotYet) return;
    if (got <= 0) {
      Drop(waiting);
      return;
    }
    waiting->bytes.append(buffer, static_cast<std::size_t>(got));
    const std::size_t head = HeadEnd(waiting->bytes, waiting->scanned, waiting->lines);
    if (head > 0 && head <= kLargestHead && waiting->lines <= kMostHeadLines) {
      Arrival arrival{waiting->socket, std::move(waiting->address), std::move(waiting->bytes), head,
                      waiting->deadline};
      waiting_.erase(waiting);
      take(std::move(arrival));
      return;
    }
    if (waiting->bytes.size() > kLargestHead || waiting->lines > kMostHeadLines) {
      // Told why when it listens; closed either way.
      SendSome(waiting->socket, kTooLarge.data(), kTooLarge.size());
      Drop(waiting);
      return;
    }
  }
}

void Front::Drop(WaitingList::iterator waiting) {
  CloseSocket(waiting->socket);
  Forget(waiting->address);
  waiting_.erase(waiting);
}

void Front::Forget(const std::string& address) {
  const std::lock_guard lock(mutex_);
  const auto open = open_.find(address);
  if (open != open_.end() && --open->second <= 0) open_.erase(open);
}

}  // namespace fiverow::board
