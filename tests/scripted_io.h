// Scripted operating-system reads and recorded writes, for tests.

#ifndef QUIRVELANDOSTRABIK_TESTS_SCRIPTED_IO_H_
#define QUIRVELANDOSTRABIK_TESTS_SCRIPTED_IO_H_

#include <cerrno>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "console/os_io.h"
#include "console/utf16_console.h"

namespace testing_io {

/// One scripted read of a source of `Text` (std::string for bytes,
/// std::u16string for a console's UTF-16 units): the units it returns, or
/// the negative value it returns instead.
template <typename Text>
struct BasicRead {
  // Implicit, so that a script reads as a list of strings.
  // cppcheck-suppress noExplicitConstructor
  BasicRead(const typename Text::value_type* bytes) : bytes(bytes) {}
  // cppcheck-suppress noExplicitConstructor
  BasicRead(Text bytes) : bytes(std::move(bytes)) {}
  /// A read that fails (EIO).
  static BasicRead error() { return returning(-EIO); }
  /// A read that returns `result` (< 0) and nothing else.
  static BasicRead returning(std::ptrdiff_t result) {
    BasicRead r{Text()};
    r.result = result;
    return r;
  }
  Text bytes;
  std::ptrdiff_t result = 0;  // < 0: returned instead of `bytes`
};
using Read = BasicRead<std::string>;
using UnitsRead = BasicRead<std::u16string>;

/// What a scripted source stands for: a console (a character device, where a
/// Ctrl-Z cuts only its own read) or a pipe (like a file, where a Ctrl-Z ends
/// the input for good).
enum SourceKind { kConsole, kPipe };

/// Answers each read with the next scripted read: a scripted read longer
/// than the size asked for is split, the rest answering the next read. An
/// empty entry, and every read after the script, returns 0.
template <typename Text>
class Script {
 public:
  explicit Script(std::vector<BasicRead<Text>> reads) : reads_(std::move(reads)) {}

  std::ptrdiff_t read(typename Text::value_type* buffer, std::size_t size);

  /// The size asked for by each read() so far, in order.
  const std::vector<std::size_t>& requested_sizes() const { return requested_; }
  /// Scripted reads not yet consumed (a partly consumed one counts).
  std::size_t remaining() const { return reads_.size() - next_; }

 private:
  std::vector<BasicRead<Text>> reads_;
  std::size_t next_ = 0;
  std::vector<std::size_t> requested_;
};

/// A scripted byte source: a console or a pipe.
class ScriptedSource final : public console::ByteSource, public Script<std::string> {
 public:
  ScriptedSource(SourceKind kind, std::initializer_list<Read> reads)
      : Script(std::vector<Read>(reads)), kind_(kind) {}
  ScriptedSource(SourceKind kind, std::vector<Read> reads)
      : Script(std::move(reads)), kind_(kind) {}

  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    return Script::read(buffer, size);
  }
  bool is_character_device() const override { return kind_ == kConsole; }

 private:
  SourceKind kind_;
};

/// A scripted console of UTF-16 units.
class ScriptedUnits final : public console::Utf16Source, public Script<std::u16string> {
 public:
  explicit ScriptedUnits(std::vector<UnitsRead> reads) : Script(std::move(reads)) {}

  std::ptrdiff_t read(char16_t* units, std::size_t size) override {
    return Script::read(units, size);
  }
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
