#include "board/Streams.h"

#include <thread>

#include "board/HttpServer.h"

namespace fiverow::board {

namespace {

constexpr int kMostStreams = 32;
// A stream says it is alive this often, which also finds pages gone.
constexpr auto kHeartbeat = std::chrono::seconds(10);
// At most ten updates a second to a page; each carries the latest state.
constexpr auto kStreamPause = std::chrono::milliseconds(100);

}  // namespace

bool Streams::Open(httplib::Response& response, std::shared_ptr<Followed> followed,
                   std::function<void()> closed) {
  if (++open_ > kMostStreams) {
    --open_;
    SendProblem(response, 503, "too many pages follow this server at once");
    return false;
  }
  auto seen = std::make_shared<std::uint64_t>(0);
  response.set_chunked_content_provider(
      "text/event-stream",
      [followed, seen](std::size_t, httplib::DataSink& sink) {
        const std::optional<Snapshot> next = followed->Next(*seen, kHeartbeat);
        if (!next) {
          sink.done();
          return true;
        }
        const std::string text =
            next->version == *seen ? ": waiting\n\n" : "data: " + next->json + "\n\n";
        *seen = next->version;
        if (!sink.write(text.data(), text.size())) return false;
        std::this_thread::sleep_for(kStreamPause);
        return true;
      },
      [this, closed](bool) {
        closed();
        --open_;
      });
  return true;
}

}  // namespace fiverow::board
