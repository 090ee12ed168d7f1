// What the fuzz targets of the byte conversions share: a script of raw reads
// drawn from the fuzz input, its reference (each stretch up to an end or an
// error delivered as one read), and the transcript of a layer read until
// every stretch has ended.
//
// A layer passes when, read in sizes drawn from the input (1 byte
// included), each into a heap buffer of exactly that size, it delivers what
// it delivers for the reference taken in large reads: the same bytes, each
// end or error once and after the bytes before it.

#ifndef QUIRVELANDOSTRABIK_FUZZ_SPLIT_READS_H_
#define QUIRVELANDOSTRABIK_FUZZ_SPLIT_READS_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

#include "scripted_io.h"

namespace split_reads {

inline void require(bool condition) {
  if (!condition) std::abort();
}

constexpr int kEnd = -1;
constexpr int kError = -2;

/// A script of raw reads and its reference; `stretches` counts the ends
/// and errors of both, the one after the script included.
template <typename Text>
struct Drawn {
  std::vector<testing_io::BasicRead<Text>> script;
  std::vector<testing_io::BasicRead<Text>> reference;
  std::size_t stretches = 0;
  std::size_t units = 0;
};

/// Draws up to 24 reads: text of 1 to 40 units, an end, an error, or (with
/// `interrupts`) a read that `interrupted` returns.
template <typename Text>
Drawn<Text> draw(FuzzedDataProvider& data, bool interrupts, std::ptrdiff_t interrupted = 0) {
  Drawn<Text> drawn;
  Text stretch;
  const auto end_stretch = [&](testing_io::BasicRead<Text> end) {
    if (!stretch.empty()) drawn.reference.emplace_back(stretch);
    drawn.reference.push_back(end);
    stretch.clear();
    ++drawn.stretches;
  };
  for (int reads = data.ConsumeIntegralInRange(0, 24); reads > 0; --reads) {
    switch (data.ConsumeIntegralInRange(0, 7)) {
      case 0:
        drawn.script.emplace_back(Text());
        end_stretch(Text());
        break;
      case 1:
        drawn.script.push_back(testing_io::BasicRead<Text>::error());
        end_stretch(testing_io::BasicRead<Text>::error());
        break;
      case 2:
        if (interrupts) {
          drawn.script.push_back(testing_io::BasicRead<Text>::returning(interrupted));
          break;
        }
        [[fallthrough]];
      default: {
        Text text(data.ConsumeIntegralInRange<std::size_t>(1, 40), 0);
        std::generate(text.begin(), text.end(),
                      [&data] { return data.ConsumeIntegral<typename Text::value_type>(); });
        drawn.units += text.size();
        stretch += text;
        drawn.script.emplace_back(std::move(text));
      }
    }
  }
  end_stretch(Text());
  return drawn;
}

/// Reads with `read(buffer, size)` (bytes > 0, 0 at an end, < 0 on an
/// error) until `stretches` ends and errors have come, each read into a heap
/// buffer of exactly the size `next_size()` gives. The transcript holds
/// each byte delivered (0 to 255), kEnd and kError. A layer that makes more
/// than `max_reads` reads without finishing fails.
template <typename Read, typename Size>
std::vector<int> transcript(Read read, Size next_size, std::size_t stretches,
                            std::size_t max_reads) {
  std::vector<int> delivered;
  std::size_t ended = 0;
  for (std::size_t reads = 0; ended < stretches; ++reads) {
    require(reads < max_reads);
    const std::size_t size = next_size();
    const auto buffer = std::make_unique<char[]>(size);
    const std::ptrdiff_t n = read(buffer.get(), size);
    require(n <= static_cast<std::ptrdiff_t>(size));
    if (n <= 0) {
      delivered.push_back(n == 0 ? kEnd : kError);
      ++ended;
    }
    for (std::ptrdiff_t i = 0; i < n; ++i) {
      delivered.push_back(static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]));
    }
  }
  return delivered;
}

/// The sizes a caller asks for: drawn from what is left of the input, from
/// 1 to 24 bytes, and 1 once the input is used up.
inline auto drawn_sizes(FuzzedDataProvider& data) {
  return [&data] { return data.ConsumeIntegralInRange<std::size_t>(1, 24); };
}

/// One large read: larger than any script's text.
inline std::size_t large() { return 4096; }

}  // namespace split_reads

#endif  // QUIRVELANDOSTRABIK_FUZZ_SPLIT_READS_H_
