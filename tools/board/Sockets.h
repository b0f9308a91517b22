// The few socket calls the board makes, each platform's in posix/ or win32/:
// non-blocking TCP sockets, waits on many at once, and a wake-up for them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fiverow::board {

#ifdef _WIN32
using Socket = std::uintptr_t;  // a SOCKET
#else
using Socket = int;
#endif
inline constexpr Socket kNoSocket = static_cast<Socket>(-1);

// A numeric IPv4 or IPv6 address.
struct IpAddress {
  bool v6 = false;
  std::array<unsigned char, 16> bytes{};  // the first 4 for IPv4
};
std::optional<IpAddress> ParseAddress(std::string_view text);

// Non-blocking, listening on `address` and `port` (any free one for 0);
// `bound` is the port taken. kNoSocket when it cannot.
Socket ListeningSocket(const IpAddress& address, int port, int& bound);

// A waiting connection, non-blocking, and its peer's address: kNoSocket when
// there is none, `outOfFiles` set when the process has no room for it.
Socket AcceptOne(Socket listening, std::string& peer, bool& outOfFiles);

// What Receive and SendSome return besides a count: nothing can move yet.
inline constexpr std::ptrdiff_t kNotYet = -2;
// Bytes received, 0 at the end, kNotYet, or -1 on a failure.
std::ptrdiff_t Receive(Socket socket, char* to, std::size_t size);
// Bytes sent, kNotYet, or -1 on a failure (never a signal).
std::ptrdiff_t SendSome(Socket socket, const char* from, std::size_t size);

void CloseSocket(Socket socket);

// The address and port of either end of a connection.
void EndOf(Socket socket, bool peer, std::string& ip, int& port);

struct Polled {
  Socket socket;
  bool write = false;  // waits to write rather than to read
  bool ready = false;  // set: it can, or it failed
  bool failed = false;
};
// Waits at most `milliseconds` (forever when negative) until one of `sockets`
// is ready: how many are, or -1 when the wait failed.
int Poll(std::vector<Polled>& sockets, int milliseconds);

// A socket that a Wake() from any thread makes readable, for good.
class Wakeup {
 public:
  Wakeup();  // throws RefereeError when it cannot
  ~Wakeup();
  Wakeup(const Wakeup&) = delete;
  Wakeup& operator=(const Wakeup&) = delete;
  Socket socket() const { return socket_; }
  void Wake();

 private:
  Socket socket_ = kNoSocket;
};

}  // namespace fiverow::board
