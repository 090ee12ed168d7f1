#include "scripted_io.h"

#include <algorithm>

namespace testing_io {

template <typename Text>
std::ptrdiff_t Script<Text>::read(typename Text::value_type* buffer, std::size_t size) {
  requested_.push_back(size);
  if (next_ == reads_.size()) return 0;
  BasicRead<Text>& current = reads_[next_];
  if (current.result < 0) {
    ++next_;
    return current.result;
  }
  const std::size_t n = std::min(size, current.bytes.size());
  std::copy_n(current.bytes.data(), n, buffer);
  current.bytes.erase(0, n);
  if (current.bytes.empty()) ++next_;
  return static_cast<std::ptrdiff_t>(n);
}

template class Script<std::string>;
template class Script<std::u16string>;

std::string RecordingSink::text() const {
  std::string all;
  for (const std::string& w : writes) all += w;
  return all;
}

}  // namespace testing_io
