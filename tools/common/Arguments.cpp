#include "common/Arguments.h"

namespace fiverow::tools {

bool Arguments::Next() {
  if (next_ >= args_.size()) return false;
  name_ = args_[next_++];
  attached_.reset();
  const std::size_t equals = name_.find('=');
  if (name_.starts_with("--") && equals != std::string::npos) {
    attached_ = name_.substr(equals + 1);
    name_.resize(equals);
  }
  return true;
}

std::string Arguments::Value() {
  if (attached_) return *attached_;
  if (next_ >= args_.size()) throw UsageError(name_ + " needs a value");
  return args_[next_++];
}

void Arguments::NoValue() const {
  if (attached_) throw UsageError(name_ + " takes no value");
}

}  // namespace fiverow::tools
