// Fuzzes text-mode input from a pipe over a script of reads, in read sizes
// drawn from the input, directly and through a TextReader with a drawn
// buffer size: every read stays inside its buffer, and what arrives is what
// the same reads give joined and taken whole. (From a console, where a
// Ctrl-Z cuts only the read it came in, where reads are cut matters by
// design; the dialogue fuzzer covers that.)
//
// Planted, a slip that lost the end of input met right after a CR that
// began a read was found in 9 s from the seeds: a CR and no end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/text_mode_input.h"
#include "console/text_reader.h"
#include "split_reads.h"

namespace {

// Text-mode reads as a byte source's: 0 at an end, -1 when a read failed.
auto reads_of(console::TextModeInput& input) {
  return [&input, error = 0](char* buffer, std::size_t size) mutable -> std::ptrdiff_t {
    const std::size_t n = input.read(buffer, size);
    if (n > 0) return static_cast<std::ptrdiff_t>(n);
    const bool failed = input.error() != error;
    error = input.error();
    return failed ? -1 : 0;
  };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const auto drawn = split_reads::draw<std::string>(data, false);
  const std::size_t max_reads = 2 * (drawn.units + drawn.stretches) + 8;
  const auto reader_size = data.ConsumeIntegralInRange<std::size_t>(1, 24);

  testing_io::ScriptedSource whole_raw(testing_io::kPipe, drawn.reference);
  console::TextModeInput whole(whole_raw);
  const auto expected =
      split_reads::transcript(reads_of(whole), split_reads::large, drawn.stretches, max_reads);

  // A reader delivers the bytes up to the first end or error, then stays at
  // the end.
  testing_io::ScriptedSource reader_raw(testing_io::kPipe, drawn.script);
  console::TextModeInput reader_input(reader_raw);
  const auto buffer = std::make_unique<char[]>(reader_size);
  console::TextReader reader(reader_input, buffer.get(), reader_size);
  std::vector<int> got;
  for (int c; (c = reader.peek()) != console::TextReader::kEndOfInput;) {
    split_reads::require(reader.get() == c);
    got.push_back(c);
  }
  split_reads::require(reader.get() == console::TextReader::kEndOfInput);
  split_reads::require(got.size() < expected.size() &&
                       std::equal(got.begin(), got.end(), expected.begin()) &&
                       expected[got.size()] < 0);

  testing_io::ScriptedSource split_raw(testing_io::kPipe, drawn.script);
  console::TextModeInput split(split_raw);
  split_reads::require(split_reads::transcript(reads_of(split), split_reads::drawn_sizes(data),
                                               drawn.stretches, max_reads) == expected);
  return 0;
}
