// Fuzzes the UTF-16 console's input over a script of console reads of
// UTF-16 units (lone surrogates, errors, ends and Ctrl-C interrupts among
// them), in read sizes drawn from the input: every read stays inside its
// buffer, and what arrives is what the same reads give joined and taken
// whole, interrupts left out.
//
// Planted, the slip asks-more-than-size (the console asked for up to 16384
// units whatever the caller's size) was found in 0.15 s, with or without
// the seeds: the bytes of a line read in small reads did not all arrive.

#include <cstddef>
#include <cstdint>
#include <string>

#include "console/utf16_console.h"
#include "split_reads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const auto drawn =
      split_reads::draw<std::u16string>(data, true, console::Utf16Source::kInterrupted);
  const std::size_t max_reads = 2 * (drawn.units + drawn.stretches) + 8;

  testing_io::ScriptedUnits whole_raw(drawn.reference);
  console::Utf16ConsoleInput whole(whole_raw);
  const auto expected =
      split_reads::transcript([&](char* buffer, std::size_t n) { return whole.read(buffer, n); },
                              split_reads::large, drawn.stretches, max_reads);

  testing_io::ScriptedUnits split_raw(drawn.script);
  console::Utf16ConsoleInput split(split_raw);
  split_reads::require(split_reads::transcript(
                           [&](char* buffer, std::size_t n) { return split.read(buffer, n); },
                           split_reads::drawn_sizes(data), drawn.stretches, max_reads) == expected);
  return 0;
}
