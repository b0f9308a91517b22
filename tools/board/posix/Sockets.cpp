#include "board/Sockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "process/RefereeError.h"

namespace fiverow::board {

namespace {

std::string AddressText(const sockaddr_storage& place, int* port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (place.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(place);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    if (port) *port = ntohs(v4.sin_port);
  } else if (place.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(place);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    if (port) *port = ntohs(v6.sin6_port);
  }
  return text;
}

}  // namespace

std::optional<IpAddress> ParseAddress(std::string_view text) {
  const std::string terminated(text);
  IpAddress address;
  if (::inet_pton(AF_INET, terminated.c_str(), address.bytes.data()) == 1) return address;
  address.v6 = true;
  if (::inet_pton(AF_INET6, terminated.c_str(), address.bytes.data()) == 1) return address;
  return std::nullopt;
}

Socket ListeningSocket(const IpAddress& address, int port, int& bound) {
  sockaddr_storage place{};
  socklen_t size = 0;
  auto& v4 = reinterpret_cast<sockaddr_in&>(place);
  auto& v6 = reinterpret_cast<sockaddr_in6&>(place);
  if (address.v6) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<std::uint16_t>(port));
    std::memcpy(&v6.sin6_addr, address.bytes.data(), 16);
    size = sizeof v6;
  } else {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<std::uint16_t>(port));
    std::memcpy(&v4.sin_addr, address.bytes.data(), 4);
    size = sizeof v4;
  }
  const int listening =
      ::socket(place.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (listening < 0) return kNoSocket;
  // Not SO_REUSEPORT, which would let a second server share the port and
  // take some of the requests: a taken port is an error.
  const int yes = 1;
  ::setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (::bind(listening, reinterpret_cast<sockaddr*>(&place), size) != 0 ||
      ::listen(listening, SOMAXCONN) != 0 ||
      ::getsockname(listening, reinterpret_cast<sockaddr*>(&place), &size) != 0) {
    ::close(listening);
    return kNoSocket;
  }
  bound = ntohs(address.v6 ? v6.sin6_port : v4.sin_port);
  return listening;
}

Socket AcceptOne(Socket listening, std::string& peer, bool& outOfFiles) {
  sockaddr_storage place{};
  socklen_t size = sizeof place;
  const int socket = ::accept4(listening, reinterpret_cast<sockaddr*>(&place), &size,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
  outOfFiles = socket < 0 && (errno == EMFILE || errno == ENFILE);
  if (socket >= 0) peer = AddressText(place, nullptr);
  return socket < 0 ? kNoSocket : socket;
}

std::ptrdiff_t Receive(Socket socket, char* to, std::size_t size) {
  for (;;) {
    const ssize_t got = ::recv(socket, to, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kNotYet;
    return got;
  }
}

std::ptrdiff_t SendSome(Socket socket, const char* from, std::size_t size) {
  for (;;) {
    const ssize_t sent = ::send(socket, from, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kNotYet;
    return sent;
  }
}

void CloseSocket(Socket socket) { ::close(socket); }

void EndOf(Socket socket, bool peer, std::string& ip, int& port) {
  sockaddr_storage place{};
  socklen_t size = sizeof place;
  auto* address = reinterpret_cast<sockaddr*>(&place);
  if ((peer ? ::getpeername(socket, address, &size) : ::getsockname(socket, address, &size)) == 0)
    ip = AddressText(place, &port);
}

int Poll(std::vector<Polled>& sockets, int milliseconds) {
  std::vector<pollfd> polled;
  polled.reserve(sockets.size());
  for (const Polled& socket : sockets)
    polled.push_back({socket.socket, static_cast<short>(socket.write ? POLLOUT : POLLIN), 0});
  int ready = 0;
  while ((ready = ::poll(polled.data(), polled.size(), milliseconds)) < 0 && errno == EINTR) {
  }
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    sockets[i].ready = ready > 0 && polled[i].revents != 0;
    sockets[i].failed = ready > 0 && (polled[i].revents & (POLLERR | POLLNVAL)) != 0;
  }
  return ready;
}

Wakeup::Wakeup() {
  socket_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (socket_ < 0)
    throw match::RefereeError(match::SystemErrorText("cannot make an eventfd", errno));
}

Wakeup::~Wakeup() { ::close(socket_); }

void Wakeup::Wake() {
  const std::uint64_t one = 1;
  (void)!::write(socket_, &one, sizeof one);
}

}  // namespace fiverow::board
