#include "board/Front.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

#include "board/Guard.h"
#include "process/RefereeError.h"

namespace fiverow::board {

namespace {

constexpr std::string_view kTooLarge =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Content-Length: 35\r\nConnection: close\r\n\r\nthe request's headers are too long\n";

std::string AddressText(const sockaddr_storage& peer) {
  char text[INET6_ADDRSTRLEN] = "";
  if (peer.ss_family == AF_INET) {
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(peer).sin_addr, text, sizeof text);
  } else if (peer.ss_family == AF_INET6) {
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr, text,
                sizeof text);
  }
  return text;
}

int ListeningSocket(const std::string& address, int port, int& bound) {
  sockaddr_storage place{};
  socklen_t size = 0;
  auto& v4 = reinterpret_cast<sockaddr_in&>(place);
  auto& v6 = reinterpret_cast<sockaddr_in6&>(place);
  if (::inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<std::uint16_t>(port));
    size = sizeof v4;
  } else if (::inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<std::uint16_t>(port));
    size = sizeof v6;
  } else {
    return -1;
  }
  const int listening =
      ::socket(place.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (listening < 0) return -1;
  // Not SO_REUSEPORT, which would let a second server share the port and
  // take some of the requests: a taken port is an error.
  const int yes = 1;
  ::setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(listening, reinterpret_cast<sockaddr*>(&place), size) != 0 ||
      ::listen(listening, SOMAXCONN) != 0 ||
      ::getsockname(listening, reinterpret_cast<sockaddr*>(&place), &size) != 0) {
    ::close(listening);
    return -1;
  }
  bound = ntohs(place.ss_family == AF_INET ? v4.sin_port : v6.sin6_port);
  return listening;
}

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
  listening_ = ListeningSocket(address, port, port_);
  if (listening_ < 0) {
    throw match::RefereeError("cannot listen on " + HostText(address) + ":" + std::to_string(port) +
                              " (is the port taken, or the address not this machine's?)");
  }
  stop_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stop_ < 0) {
    ::close(listening_);
    throw match::RefereeError(match::SystemErrorText("cannot make an eventfd", errno));
  }
}

Front::~Front() {
  while (!waiting_.empty()) Drop(waiting_.begin());
  ::close(listening_);
  ::close(stop_);
}

bool Front::Run(const std::function<void(Arrival)>& take) {
  std::vector<pollfd> polled;
  std::vector<WaitingList::iterator> read;
  for (;;) {
    const FrontClock::time_point now = FrontClock::now();
    while (!waiting_.empty() && waiting_.front().deadline <= now) Drop(waiting_.begin());
    polled = {{stop_, POLLIN, 0}, {listening_, POLLIN, 0}};
    read.clear();
    for (auto waiting = waiting_.begin(); waiting != waiting_.end(); ++waiting) {
      polled.push_back({waiting->socket, POLLIN, 0});
      read.push_back(waiting);
    }
    int timeout = -1;
    if (!waiting_.empty()) {
      timeout = static_cast<int>(
          std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().deadline - now).count());
    }
    if (::poll(polled.data(), polled.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (polled[0].revents != 0) break;
    for (std::size_t i = 0; i < read.size(); ++i) {
      if (polled[i + 2].revents != 0) Read(read[i], take);
    }
    if ((polled[1].revents & (POLLERR | POLLNVAL)) != 0) return false;
    if ((polled[1].revents & POLLIN) != 0) Accept();
  }
  while (!waiting_.empty()) Drop(waiting_.begin());
  return true;
}

void Front::Stop() {
  const std::uint64_t one = 1;
  (void)!::write(stop_, &one, sizeof one);
}

void Front::Done(Arrival& arrival) {
  ::close(arrival.socket);
  arrival.socket = -1;
  Forget(arrival.address);
}

void Front::Accept() {
  // A few at a time, so that the heads under way are read meanwhile.
  for (int i = 0; i < 32; ++i) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int socket = ::accept4(listening_, reinterpret_cast<sockaddr*>(&peer), &size,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (socket < 0) {
      // Out of files: the oldest head waiting makes room, or the next poll waits a little.
      if (errno == EMFILE || errno == ENFILE) {
        if (!waiting_.empty()) {
          Drop(waiting_.begin());
          continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return;
    }
    std::string address = AddressText(peer);
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
        ::close(socket);
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
    const ssize_t got = ::recv(waiting->socket, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
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
      (void)!::send(waiting->socket, kTooLarge.data(), kTooLarge.size(), MSG_NOSIGNAL);
      Drop(waiting);
      return;
    }
  }
}

void Front::Drop(WaitingList::iterator waiting) {
  ::close(waiting->socket);
  Forget(waiting->address);
  waiting_.erase(waiting);
}

void Front::Forget(const std::string& address) {
  const std::lock_guard lock(mutex_);
  const auto open = open_.find(address);
  if (open != open_.end() && --open->second <= 0) open_.erase(open);
}

}  // namespace fiverow::board
