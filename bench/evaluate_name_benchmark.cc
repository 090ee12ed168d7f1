// One name evaluation in memory: a scripted read of the name line, output
// into a sink that drops it. Measures the program's own work per name,
// without process start or system calls.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "console/os_io.h"
#include "console/text_output.h"
#include "console/text_reader.h"
#include "dialogue/dialogue.h"
#include "numerology/evaluate_name.h"

namespace {

// Answers every read with the whole name line, as a console delivers it.
class LineSource final : public console::ByteSource {
 public:
  explicit LineSource(std::string line) : line_(std::move(line)) {}
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    const std::size_t n = line_.size() < size ? line_.size() : size;
    std::memcpy(buffer, line_.data(), n);
    return static_cast<std::ptrdiff_t>(n);
  }
  bool is_character_device() const override { return true; }

 private:
  std::string line_;
};

class CountingSink final : public console::ByteSink {
 public:
  int write(const char* data, std::size_t size) override {
    benchmark::DoNotOptimize(data);
    bytes += size;
    return 0;
  }
  std::size_t bytes = 0;
};

void BM_EvaluateName(benchmark::State& state) {
  const auto length = static_cast<std::size_t>(state.range(0));
  std::string line;
  while (line.size() < length) line += "quirvelandostrabik";
  line.resize(length);
  line += '\n';

  LineSource source(line);
  CountingSink sink;
  char buffer[dialogue::kCharacterReadSize];
  for (auto _ : state) {
    console::TextModeInput reader_input(source);
    console::TextReader reader(reader_input, buffer, sizeof buffer);
    console::TextOutput out(sink);
    numerology::evaluate_name(reader, out);
  }
  benchmark::DoNotOptimize(sink.bytes);
  state.SetItemsProcessed(state.iterations());
  state.counters["output_bytes"] =
      benchmark::Counter(static_cast<double>(sink.bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_EvaluateName)->Arg(5)->Arg(100)->Arg(150);

}  // namespace

BENCHMARK_MAIN();
