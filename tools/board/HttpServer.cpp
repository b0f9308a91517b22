#include "board/HttpServer.h"

#include <vector>

#include "board/Json.h"

namespace fiverow::board {

namespace {

// A body's bytes as sent: its chunks' framing may add to it, no more.
constexpr std::size_t kLargestSentBody = 4 * kLargestBody;
constexpr int kWriteMilliseconds = 5000;

// An arrival's bytes, then its socket's until the request's deadline, at
// most kLargestSentBody after the head.
class RequestStream final : public httplib::Stream {
 public:
  explicit RequestStream(Arrival& arrival) : arrival_(arrival) {}

  bool is_readable() const override {
    return taken_ < arrival_.bytes.size() || Wait(false, MillisecondsLeft()) > 0;
  }
  bool is_writable() const override { return Wait(true, kWriteMilliseconds) > 0; }

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
      if (Wait(false, MillisecondsLeft()) <= 0) return -1;
      const std::ptrdiff_t got = Receive(arrival_.socket, to, size);
      if (got == kNotYet) continue;
      if (got > 0) taken_ += static_cast<std::size_t>(got);
      return got;
    }
  }

  ssize_t write(const char* from, std::size_t size) override {
    for (;;) {
      if (!is_writable()) return -1;
      const std::ptrdiff_t sent = SendSome(arrival_.socket, from, size);
      if (sent == kNotYet) continue;
      return sent;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    EndOf(arrival_.socket, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    EndOf(arrival_.socket, false, ip, port);
  }
  socket_t socket() const override { return static_cast<socket_t>(arrival_.socket); }

 private:
  int MillisecondsLeft() const {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(arrival_.deadline - FrontClock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
  }
  int Wait(bool write, int milliseconds) const {
    std::vector<Polled> polled = {{arrival_.socket, write}};
    return Poll(polled, milliseconds);
  }

  Arrival& arrival_;
  std::size_t taken_ = 0;
};

}  // namespace

HttpServer::HttpServer(Front& front, std::size_t threads) : front_(front), pool_(threads) {
  // A response streams while this names a socket (cpp-httplib's sign of a
  // server not stopping).
  svr_sock_ = static_cast<socket_t>(front.listening());
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
