// A terminal that speaks UTF-8, made the code page 850 console the program
// expects: typed characters arrive as their code page 850 bytes, and every
// byte written shows as its code page 850 character.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_UTF8_TERMINAL_H_
#define QUIRVELANDOSTRABIK_CONSOLE_UTF8_TERMINAL_H_

#include <cstddef>

#include "console/os_io.h"

namespace console {

/// Whether the locale that the environment names speaks UTF-8. The first of
/// `lc_all`, `lc_ctype` and `lang` (the variables' values, null when unset)
/// that is set and not empty decides: a character set of UTF-8 in any
/// spelling counts, and so do C, POSIX and no locale at all, since a
/// terminal of today speaks UTF-8 even then. Any other character set, named
/// or implied (de_DE is ISO-8859-1), does not.
bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

/// A UTF-8 terminal's input as code page 850 bytes. Each UTF-8 character
/// becomes its code page byte, or '?' when the code page lacks it; each byte
/// of an invalid sequence becomes '?'. A character split between two reads
/// is joined: the read that ends inside it delivers what came before, and
/// the read that cannot deliver even one byte without the rest reads on.
/// The bytes below 0x80, line ends and Ctrl-Z (0x1A) among them, pass
/// unchanged. Each read of the terminal asks for as many bytes as the
/// caller does, less those of a character begun in the last read (a read of
/// fewer than four bytes asks for all of them). `raw` must outlive this
/// object.
class Utf8TerminalInput final : public ByteSource {
 public:
  explicit Utf8TerminalInput(ByteSource& raw) : raw_(raw) {}

  std::ptrdiff_t read(char* buffer, std::size_t size) override;
  bool is_character_device() const override { return raw_.is_character_device(); }

 private:
  // MUTANT_OK(constant): with 4, a read of four bytes goes through ready_ too, to the same bytes
  static constexpr std::size_t kMaxHeld = 3;  // a 4-byte character but its last byte

  // Converts data[0, size) in place; returns how many code page bytes it
  // made. Unless `at_end`, a character not yet complete at the end is kept
  // in held_ instead.
  std::size_t convert(char* data, std::size_t size, bool at_end);

  ByteSource& raw_;
  char held_[kMaxHeld] = {};  // the start of a character, read but not complete
  std::size_t held_size_ = 0;
  // The bytes of a read too small for what it made, and the end of input or
  // error that comes after them.
  // MUTANT_OK(constant): a larger buffer changes nothing
  char ready_[2 * kMaxHeld] = {};
  // MUTANT_OK(constant): ready_ is empty while ready_end_ is 0, wherever it begins
  std::size_t ready_begin_ = 0;
  std::size_t ready_end_ = 0;
  bool end_waiting_ = false;
  // MUTANT_OK(constant): set whenever end_waiting_ is
  std::ptrdiff_t end_result_ = 0;
};

/// Shows every byte written as a code page 850 console does, in UTF-8 for a
/// terminal: the bell, backspace, tab, line feed and carriage return act;
/// every other control byte and 0x7F show as the console font's glyphs, so
/// that no byte can act on the terminal. A write of up to kLineSize bytes
/// (every line the program writes) stays one write. `sink` must outlive this object.
class Utf8TerminalOutput final : public ByteSink {
 public:
  explicit Utf8TerminalOutput(ByteSink& sink) : sink_(sink) {}

  int write(const char* data, std::size_t size) override;

 private:
  ByteSink& sink_;
};

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_UTF8_TERMINAL_H_
