// A console that reads and writes UTF-16 (the Windows console's own API),
// made the code page 850 console the program expects, whatever code page the
// console has: typed characters arrive as their code page 850 bytes, and
// every byte written shows as its code page 850 character.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_UTF16_CONSOLE_H_
#define QUIRVELANDOSTRABIK_CONSOLE_UTF16_CONSOLE_H_

#include <cerrno>
#include <cstddef>

#include "console/os_io.h"

namespace console {

/// A console's input as UTF-16 code units, one console read at a time.
class Utf16Source {
 public:
  /// What read() returns when Ctrl-C or Ctrl-Break interrupted it before
  /// any unit came: no input, and no end of it either.
  static constexpr std::ptrdiff_t kInterrupted = -EINTR;

  /// Reads at most `size` (> 0) code units into `units`. Returns how many
  /// (> 0), 0 at end of input, kInterrupted, or another negative value on a
  /// read error.
  virtual std::ptrdiff_t read(char16_t* units, std::size_t size) = 0;

 protected:
  ~Utf16Source() = default;  // never destroyed through this interface
};

/// A console's output as UTF-16 code units.
class Utf16Sink {
 public:
  /// Writes all `size` code units, as one write when the console takes them
  /// whole. Returns 0, or the error number of the failed write.
  virtual int write(const char16_t* units, std::size_t size) = 0;

 protected:
  ~Utf16Sink() = default;
};

/// A UTF-16 console's input as code page 850 bytes. Each character becomes
/// its code page byte, or '?' when the code page lacks it; a surrogate pair
/// split between two reads is joined, and a lone surrogate is '?'. The
/// characters below U+0080, line ends and Ctrl-Z (0x1A) among them, pass
/// unchanged, so that the console's line editing and Ctrl-Z keep their
/// meaning. An interrupted console read is read again. Each read asks the
/// console for as many code units as the caller asks for bytes, up to 16384.
/// `raw` must outlive this object.
class Utf16ConsoleInput final : public ByteSource {
 public:
  explicit Utf16ConsoleInput(Utf16Source& raw) : raw_(raw) {}

  std::ptrdiff_t read(char* buffer, std::size_t size) override;
  bool is_character_device() const override { return true; }

 private:
  // MUTANT_OK(constant): a unit more or less a read only splits a line that long elsewhere
  static constexpr std::size_t kMaxUnits = 16384;

  Utf16Source& raw_;
  // MUTANT_OK(constant): a larger buffer changes nothing
  char16_t units_[kMaxUnits + 1] = {};  // a held high surrogate, then a read
  char16_t held_ = 0;                   // a high surrogate that ended the last read, or 0
  // A byte made that did not fit the caller's buffer (a lone high surrogate
  // held from the last read takes one more byte than the read brought), and
  // the end of input or error that comes after what was made.
  // MUTANT_OK(constant): set whenever has_extra_ is
  char extra_ = 0;
  bool has_extra_ = false;
  bool end_waiting_ = false;
  // MUTANT_OK(constant): set whenever end_waiting_ is
  std::ptrdiff_t end_result_ = 0;
};

/// Shows every byte written as a code page 850 console does, in UTF-16: the
/// bell, backspace, tab, line feed and carriage return act; every other
/// control byte and 0x7F show as the console font's glyphs. A write of up to
/// kLineSize bytes stays one write. `sink` must outlive this object.
class Utf16ConsoleOutput final : public ByteSink {
 public:
  explicit Utf16ConsoleOutput(Utf16Sink& sink) : sink_(sink) {}

  int write(const char* data, std::size_t size) override;

 private:
  Utf16Sink& sink_;
};

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_UTF16_CONSOLE_H_
