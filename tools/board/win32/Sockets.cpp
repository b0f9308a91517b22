// Winsock: started once, before the first socket; no socket is inherited by
// the engines the board starts.
#include "board/Sockets.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

#include "process/RefereeError.h"

namespace fiverow::board {

namespace {

bool Started() {
  static const bool started = [] {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

// Non-blocking and not inherited, or closed.
Socket Prepared(SOCKET socket) {
  u_long yes = 1;
  if (socket == INVALID_SOCKET) return kNoSocket;
  if (::ioctlsocket(socket, static_cast<long>(FIONBIO), &yes) != 0 ||
      !::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0)) {
    ::closesocket(socket);
    return kNoSocket;
  }
  return socket;
}

std::string AddressText(const sockaddr_storage& place, int* port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (place.ss_family == AF_INET) {
    auto v4 = reinterpret_cast<const sockaddr_in&>(place);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    if (port) *port = ntohs(v4.sin_port);
  } else if (place.ss_family == AF_INET6) {
    auto v6 = reinterpret_cast<const sockaddr_in6&>(place);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    if (port) *port = ntohs(v6.sin6_port);
  }
  return text;
}

int SizeOf(const IpAddress& address) {
  return address.v6 ? static_cast<int>(sizeof(sockaddr_in6))
                    : static_cast<int>(sizeof(sockaddr_in));
}

sockaddr_storage PlaceOf(const IpAddress& address, int port) {
  sockaddr_storage place{};
  if (address.v6) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(place);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<u_short>(port));
    std::memcpy(&v6.sin6_addr, address.bytes.data(), 16);
  } else {
    auto& v4 = reinterpret_cast<sockaddr_in&>(place);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<u_short>(port));
    std::memcpy(&v4.sin_addr, address.bytes.data(), 4);
  }
  return place;
}

}  // namespace

std::optional<IpAddress> ParseAddress(std::string_view text) {
  if (!Started()) return std::nullopt;
  const std::string terminated(text);
  IpAddress address;
  if (::inet_pton(AF_INET, terminated.c_str(), address.bytes.data()) == 1) return address;
  address.v6 = true;
  if (::inet_pton(AF_INET6, terminated.c_str(), address.bytes.data()) == 1) return address;
  return std::nullopt;
}

Socket ListeningSocket(const IpAddress& address, int port, int& bound) {
  if (!Started()) return kNoSocket;
  sockaddr_storage place = PlaceOf(address, port);
  const Socket listening = Prepared(::socket(place.ss_family, SOCK_STREAM, IPPROTO_TCP));
  if (listening == kNoSocket) return kNoSocket;
  // Windows lets another program bind a port in use unless it is exclusive.
  const BOOL yes = TRUE;
  ::setsockopt(listening, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
               sizeof yes);
  // An IPv6 address takes IPv4 too (as on Linux), so "::" is every address.
  const DWORD no = 0;
  if (address.v6)
    ::setsockopt(listening, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&no),
                 sizeof no);
  int size = sizeof place;
  if (::bind(listening, reinterpret_cast<sockaddr*>(&place), SizeOf(address)) != 0 ||
      ::listen(listening, SOMAXCONN) != 0 ||
      ::getsockname(listening, reinterpret_cast<sockaddr*>(&place), &size) != 0) {
    ::closesocket(listening);
    return kNoSocket;
  }
  AddressText(place, &bound);
  return listening;
}

Socket AcceptOne(Socket listening, std::string& peer, bool& outOfFiles) {
  sockaddr_storage place{};
  int size = sizeof place;
  const SOCKET accepted = ::accept(listening, reinterpret_cast<sockaddr*>(&place), &size);
  const int error = ::WSAGetLastError();
  outOfFiles = accepted == INVALID_SOCKET && (error == WSAEMFILE || error == WSAENOBUFS);
  const Socket socket = Prepared(accepted);
  if (socket != kNoSocket) peer = AddressText(place, nullptr);
  return socket;
}

std::ptrdiff_t Receive(Socket socket, char* to, std::size_t size) {
  const int got = ::recv(socket, to, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
  if (got == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? kNotYet : -1;
  return got;
}

std::ptrdiff_t SendSome(Socket socket, const char* from, std::size_t size) {
  const int sent = ::send(socket, from, static_cast<int>(std::min<std::size_t>(size, 1 << 30)), 0);
  if (sent == SOCKET_ERROR) return ::WSAGetLastError() == WSAEWOULDBLOCK ? kNotYet : -1;
  return sent;
}

void CloseSocket(Socket socket) { ::closesocket(socket); }

void EndOf(Socket socket, bool peer, std::string& ip, int& port) {
  sockaddr_storage place{};
  int size = sizeof place;
  auto* address = reinterpret_cast<sockaddr*>(&place);
  if ((peer ? ::getpeername(socket, address, &size) : ::getsockname(socket, address, &size)) == 0)
    ip = AddressText(place, &port);
}

int Poll(std::vector<Polled>& sockets, int milliseconds) {
  std::vector<WSAPOLLFD> polled;
  polled.reserve(sockets.size());
  for (const Polled& socket : sockets)
    polled.push_back({socket.socket, static_cast<SHORT>(socket.write ? POLLOUT : POLLIN), 0});
  const int ready = ::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), milliseconds);
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    sockets[i].ready = ready > 0 && polled[i].revents != 0;
    sockets[i].failed = ready > 0 && (polled[i].revents & (POLLERR | POLLNVAL)) != 0;
  }
  return ready == SOCKET_ERROR ? -1 : ready;
}

// A datagram socket on loopback that sends to itself.
Wakeup::Wakeup() {
  if (Started()) {
    IpAddress loopback;
    loopback.bytes = {127, 0, 0, 1};
    sockaddr_storage place = PlaceOf(loopback, 0);
    int size = sizeof(sockaddr_in);
    socket_ = Prepared(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (socket_ != kNoSocket &&
        (::bind(socket_, reinterpret_cast<sockaddr*>(&place), size) != 0 ||
         ::getsockname(socket_, reinterpret_cast<sockaddr*>(&place), &size) != 0 ||
         ::connect(socket_, reinterpret_cast<sockaddr*>(&place), size) != 0)) {
      ::closesocket(socket_);
      socket_ = kNoSocket;
    }
  }
  if (socket_ == kNoSocket) {
    throw match::RefereeError("cannot make a loopback socket (Winsock error " +
                              std::to_string(::WSAGetLastError()) + ")");
  }
}

Wakeup::~Wakeup() { ::closesocket(socket_); }

void Wakeup::Wake() { ::send(socket_, "!", 1, 0); }

}  // namespace fiverow::board
