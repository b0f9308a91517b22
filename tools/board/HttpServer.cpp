#include "board/HttpServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "board/Json.h"

namespace fiverow::board {

namespace {

// A body's bytes as sent: its chunks' framing may add to it, no more.
constexpr std::size_t kLargestSentBody = 4 * kLargestBody;
constexpr int kWriteMilliseconds = 5000;

void AddressOf(int socket, bool peer, std::string& ip, int& port) {
  sockaddr_storage place{};
  socklen_t size = sizeof place;
  auto* address = reinterpret_cast<sockaddr*>(&place);
  if ((peer ? ::getpeername(socket, address, &size) : ::getsockname(socket, address, &size)) != 0)
    return;
  char text[INET6_ADDRSTRLEN] = "";
  if (place.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(place);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (place.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(place);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

// An arrival's bytes, then its socket's until the request's deadline, at
// most kLargestSentBody after the head.
class RequestStream final : public httplib::Stream {
 public:
  explicit RequestStream(Arrival& arrival) : arrival_(arrival) {}

  bool is_readable() const override {
    return taken_ < arrival_.bytes.size() || Wait(POLLIN, MillisecondsLeft()) > 0;
  }
  bool is_writable() const override { return Wait(POLLOUT, kWriteMilliseconds) > 0; }

  ssize_t read(char* to, std::size_t size) override {
    const std::size_t most = arrival_.headSize + kLargestSentBody;
    if (taken_ >= most) return -1;
    size = std::min(size, most - taken_);
    if (taken_ < arrival_.bytes.size()) {
      size = std::min(size, arrival_.bytes.size() - taken_);
      arrival_.bytes.copy(to, size, taken_);
      taken_ += size;
      return static_cast<ssize_t>(size);
    }
    for (;;) {
      if (Wait(POLLIN, MillisecondsLeft()) <= 0) return -1;
      const ssize_t got = ::recv(arrival_.socket, to, size, 0);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got > 0) taken_ += static_cast<std::size_t>(got);
      return got;
    }
  }

  ssize_t write(const char* from, std::size_t size) override {
    for (;;) {
      if (!is_writable()) return -1;
      const ssize_t sent = ::send(arrival_.socket, from, size, MSG_NOSIGNAL);
      if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      return sent;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(arrival_.socket, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(arrival_.socket, false, ip, port);
  }
  socket_t socket() const override { return arrival_.socket; }

 private:
  int MillisecondsLeft() const {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(arrival_.deadline - FrontClock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
  }
  int Wait(short events, int milliseconds) const {
    pollfd polled{arrival_.socket, events, 0};
    int ready = 0;
    while ((ready = ::poll(&polled, 1, milliseconds)) < 0 && errno == EINTR) {
    }
    return ready;
  }

  Arrival& arrival_;
  std::size_t taken_ = 0;
};

}  // namespace

HttpServer::HttpServer(Front& front, std::size_t threads) : front_(front), pool_(threads) {
  // A response streams while this names a socket (cpp-httplib's sign of a
  // server not stopping).
  svr_sock_ = front.listening();
}

HttpServer::~HttpServer() {
  svr_sock_ = INVALID_SOCKET;
  if (!finished_) pool_.shutdown();
}

bool HttpServer::Serve() {
  const bool listened = front_.Run([this](Arrival arrival) {
    pool_.enqueue([this, arrival]() mutable {
      if (svr_sock_ != INVALID_SOCKET) {
        RequestStream stream(arrival);
        bool closed = true;
        process_request(stream, true, closed, nullptr);
      }
      front_.Done(arrival);
    });
  });
  svr_sock_ = INVALID_SOCKET;
  pool_.shutdown();
  finished_ = true;
  return listened;
}

void HttpServer::Stop() {
  svr_sock_ = INVALID_SOCKET;
  front_.Stop();
}

void SendJson(httplib::Response& response, const std::string& json, int status) {
  response.status = status;
  response.set_content(json, "application/json");
}

void SendProblem(httplib::Response& response, int status, const std::string& problem) {
  SendJson(response, JsonText({{"problem", problem}}), status);
}

std::optional<std::string> BodyOf(const httplib::ContentReader& reader,
                                  httplib::Response& response) {
  std::string body;
  bool tooLarge = false;
  const bool whole = reader([&](const char* data, std::size_t size) {
    tooLarge = size > kLargestBody - body.size();
    if (!tooLarge) body.append(data, size);
    return !tooLarge;
  });
  if (whole) return body;
  response.status = tooLarge ? 413 : response.status > 0 ? response.status : 400;
  const std::string problem = response.status == 413 ? "the request is larger than 64 KiB"
                                                     : "the request's body did not come whole";
  response.set_content(JsonText({{"problem", problem}}), "application/json");
  return std::nullopt;
}

}  // namespace fiverow::board
