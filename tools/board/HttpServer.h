// The board's routes (cpp-httplib) served on the requests whose heads the
// front has read: one request a connection, on a pool of threads, the rest
// of each request read by its deadline and its body bounded.
#pragma once

#include <httplib.h>

#include <optional>
#include <string>

#include "board/Front.h"

namespace fiverow::board {

// The largest body a request may have, once decoded.
constexpr std::size_t kLargestBody = 64 * 1024;

class HttpServer final : public httplib::Server {
 public:
  HttpServer(Front& front, std::size_t threads);
  ~HttpServer() override;

  // Serves the front's requests until Stop(), and returns once every one
  // has been answered; false when listening failed.
  bool Serve();
  // From any thread: the front stops, and every response streaming ends.
  void Stop();

 private:
  Front& front_;
  httplib::ThreadPool pool_;
  bool finished_ = false;
};

// Answers with JSON, or with {"problem": ...}.
void SendJson(httplib::Response& response, const std::string& json, int status = 200);
void SendProblem(httplib::Response& response, int status, const std::string& problem);

// A request's body, read as it comes: nothing once it passes kLargestBody
// (the answer then set to 413) or cannot be read (400).
std::optional<std::string> BodyOf(const httplib::ContentReader& reader,
                                  httplib::Response& response);

}  // namespace fiverow::board
