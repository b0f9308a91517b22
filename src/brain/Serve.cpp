#include "brain/Serve.h"

#include "brain/Session.h"

namespace fiverow::brain {

void Serve(const ReadBytes& read, const WriteBytes& write) {
  LineReader reader(read);
  Session session;
  while (const std::optional<protocol::TextLine> line = reader.Next()) {
    Session::Step step = session.Handle(line->text, line->cut);
    if (step.end) return;
    if (step.reply.empty()) continue;
    step.reply += "\r\n";
    if (!write(step.reply)) return;  // the manager has gone
  }
}

}  // namespace fiverow::brain
