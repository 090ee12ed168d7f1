#include "child_process.h"

#include <cstdlib>

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

std::string program_under_test(const char* built) {
  const char* chosen =
      std::getenv("QUIRVELANDOSTRABIK_TEST_PROGRAM");  // NOLINT(concurrency-mt-unsafe)
  return chosen != nullptr && *chosen != '\0' ? chosen : built;
}

const std::string& ChildProcess::read_all_output() {
  while (read_some()) {
  }
  return received_;
}

}  // namespace testing_io
