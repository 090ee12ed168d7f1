// Scripted operating-system reads and recorded writes, for tests.

#ifndef QUIRVELANDOSTRABIK_TESTS_SCRIPTED_IO_H_
#define QUIRVELANDOSTRABIK_TESTS_SCRIPTED_IO_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "console/os_io.h"

namespace testing_io {

/// One scripted read: the bytes it returns, or a failure (EIO).
struct Read {
  // Implicit, so that a script reads as a list of strings.
  // cppcheck-suppress noExplicitConstructor
  Read(const char* bytes) : bytes(bytes) {}
  // cppcheck-suppress noExplicitConstructor
  Read(std::string bytes) : bytes(std::move(bytes)) {}
  static Read error() {
    Read r("");
    r.failed = true;
    return r;
  }
  std::string bytes;
  bool failed = false;
};

/// What a scripted source stands for: a console (a character device, where a
/// Ctrl-Z cuts only its own read) or a pipe (like a file, where a Ctrl-Z ends
/// the input for good).
enum SourceKind { kConsole, kPipe };

/// Answers each read() with the next scripted read: a scripted read longer
/// than the size asked for is split, the rest answering the next read. An
/// empty entry, and every read after the script, returns 0.
class ScriptedSource final : public console::ByteSource {
 public:
  ScriptedSource(SourceKind kind, std::initializer_list<Read> reads) : kind_(kind), reads_(reads) {}
  ScriptedSource(SourceKind kind, std::vector<Read> reads)
      : kind_(kind), reads_(std::move(reads)) {}

  std::ptrdiff_t read(char* buffer, std::size_t size) override;
  bool is_character_device() const override { return kind_ == kConsole; }

  /// The size asked for by each read() so far, in order.
  const std::vector<std::size_t>& requested_sizes() const { return requested_; }
  /// Scripted reads not yet consumed (a partly consumed one counts).
  std::size_t remaining() const { return reads_.size() - next_; }

 private:
  SourceKind kind_;
  std::vector<Read> reads_;
  std::size_t next_ = 0;
  std::vector<std::size_t> requested_;
};

/// Records every write() separately. Every write succeeds, except the one
/// numbered `failing_write` (counted from 0), if set: it takes nothing and
/// reports `failure`.
class RecordingSink final : public console::ByteSink {
 public:
  RecordingSink() = default;
  RecordingSink(std::size_t failing_write, int failure)
      : failing_write_(failing_write), failure_(failure) {}

  int write(const char* data, std::size_t size) override {
    if (attempts_++ == failing_write_) return failure_;
    writes.emplace_back(data, size);
    return 0;
  }

  /// All bytes written, joined.
  std::string text() const;

  std::vector<std::string> writes;

 private:
  std::size_t attempts_ = 0;
  std::size_t failing_write_ = static_cast<std::size_t>(-1);
  int failure_ = 0;
};

}  // namespace testing_io

#endif  // QUIRVELANDOSTRABIK_TESTS_SCRIPTED_IO_H_
