#include "scripted_io.h"

#include <cerrno>

#include <algorithm>

namespace testing_io {

std::ptrdiff_t ScriptedSource::read(char* buffer, std::size_t size) {
  requested_.push_back(size);
  if (next_ == reads_.size()) return 0;
  Read& current = reads_[next_];
  if (current.failed) {
    ++next_;
    return -EIO;
  }
  const std::size_t n = std::min(size, current.bytes.size());
  std::copy_n(current.bytes.data(), n, buffer);
  current.bytes.erase(0, n);
  if (current.bytes.empty()) ++next_;
  return static_cast<std::ptrdiff_t>(n);
}

std::string RecordingSink::text() const {
  std::string all;
  for (const std::string& w : writes) all += w;
  return all;
}

}  // namespace testing_io
