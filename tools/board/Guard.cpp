#include "board/Guard.h"

#include <algorithm>
#include <cctype>

#include "board/RandomBytes.h"
#include "board/Sockets.h"

namespace fiverow::board {

namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::string random(bytes, '\0');
  FillRandom(random.data(), bytes);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char byte : random) {
    const auto value = static_cast<unsigned char>(byte);
    hex += kDigits[value >> 4];
    hex += kDigits[value & 15];
  }
  return hex;
}

bool SameSecret(std::string_view a, std::string_view b) {
  unsigned difference = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto other = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
    difference |= static_cast<unsigned>(static_cast<unsigned char>(a[i]) ^ other);
  }
  return difference == 0;
}

bool IsLoopback(std::string_view address) {
  const std::optional<IpAddress> parsed = ParseAddress(address);
  if (!parsed) return false;
  if (!parsed->v6) return parsed->bytes[0] == 127;
  const std::array<unsigned char, 16> loopback = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return parsed->bytes == loopback;
}

bool IsWildcard(std::string_view address) {
  const std::optional<IpAddress> parsed = ParseAddress(address);
  return parsed && parsed->bytes == std::array<unsigned char, 16>{};
}

std::string HostText(std::string_view address) {
  const std::string text(address);
  return text.find(':') == std::string::npos ? text : "[" + text + "]";
}

Guard::Guard(std::string token, std::string_view address, int port) : token_(std::move(token)) {
  if (IsWildcard(address)) return;
  std::vector<std::string> names = {"localhost", "127.0.0.1", "[::1]", Lowered(HostText(address))};
  for (const std::string& name : names) {
    hosts_.push_back(name + ":" + std::to_string(port));
    if (port == 80) hosts_.push_back(name);
  }
}

std::optional<std::string> Guard::Refusal(std::string_view host, std::string_view origin,
                                          std::string_view token) const {
  if (!SameSecret(token, token_)) return "this address needs the token that fiverow-board printed";
  if (!hosts_.empty() && std::find(hosts_.begin(), hosts_.end(), Lowered(host)) == hosts_.end()) {
    return "the Host header names another server";
  }
  // A page's own requests come from its own origin.
  if (!origin.empty() && Lowered(origin) != "http://" + Lowered(host))
    return "a page of another site may not use this server";
  return std::nullopt;
}

}  // namespace fiverow::board
