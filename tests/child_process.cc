#include "child_process.h"

namespace testing_io {

const std::string& ChildProcess::read_output_until(std::string_view suffix) {
  auto done = [&] {
    return received_.size() >= suffix.size() &&
           received_.compare(received_.size() - suffix.size(), suffix.size(), suffix.data(),
                             suffix.size()) == 0;
  };
  while (!done() && read_some()) {
  }
  return received_;
}

const std::string& ChildProcess::read_all_output() {
  while (read_some()) {
  }
  return received_;
}

}  // namespace testing_io
