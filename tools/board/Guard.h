// Who may use the board: every request must carry the server's random token
// (?t=TOKEN) and name the server in its Host header, so that neither another
// user of the machine nor a web site (by a DNS name rebound to 127.0.0.1)
// can drive it; a request from a page of another origin is refused too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fiverow::board {

// 32 random bytes from the kernel (getrandom), as 64 hexadecimal digits.
// Throws RefereeError when the kernel gives none.
std::string RandomHex(std::size_t bytes = 32);

// Whether two texts are equal, in a time that does not depend on where they
// differ.
bool SameSecret(std::string_view a, std::string_view b);

// Whether the address is a loopback one (127.0.0.0/8, ::1).
bool IsLoopback(std::string_view address);

// Whether the address is a wildcard (0.0.0.0, ::), which listens on every
// interface.
bool IsWildcard(std::string_view address);

// The address as it stands in a URL and a Host header: "[::1]" for IPv6.
std::string HostText(std::string_view address);

class Guard {
 public:
  // Requests to `port` of a server listening on `address`: by a loopback
  // name or that address. A wildcard address admits any Host, the token
  // alone guarding it.
  Guard(std::string token, std::string_view address, int port);

  // Why a request is refused, or nothing. `host` and `origin` are the
  // headers' values (empty when absent), `token` the query's t.
  std::optional<std::string> Refusal(std::string_view host, std::string_view origin,
                                     std::string_view token) const;

  const std::string& token() const { return token_; }

 private:
  std::string token_;
  std::vector<std::string> hosts_;  // empty: any
};

}  // namespace fiverow::board
