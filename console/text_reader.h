// Text-mode input: one buffered reader of standard input.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_TEXT_READER_H_
#define QUIRVELANDOSTRABIK_CONSOLE_TEXT_READER_H_

#include <cstddef>
#include <cstdint>

#include "console/os_io.h"

namespace console {

/// Bytes per read of the character reader that takes the name.
constexpr std::size_t kCharacterReadSize = 16384;
/// Bytes per read of the reader behind the formatted integer extraction.
constexpr std::size_t kIntegerReadSize = 1024;

/// A buffered reader with its own buffer and its own end-of-input state.
///
/// Each raw read is converted as a text-mode console stream converts it:
///  - a read that begins with Ctrl-Z (0x1A) is end of input;
///  - otherwise the read is cut at its first Ctrl-Z, which is dropped together
///    with everything after it in that read;
///  - CR LF becomes LF; any other CR is an ordinary byte. When CR is the last
///    byte a read returned, one more byte is read to look ahead: LF merges with
///    the CR; anything else starts the next read, which is that byte alone
///    unless it is a CR again.
/// A read that returns 0 bytes or fails is end of input. Once met, end of input
/// stays: later calls return kEndOfInput without reading again.
///
/// Several readers may share one source; none sees what another buffered.
class TextReader {
 public:
  static constexpr int kEndOfInput = -1;

  /// `source` and `buffer` (`read_size` > 0 bytes) must outlive the reader.
  TextReader(ByteSource& source, char* buffer, std::size_t read_size)
      : source_(source), buffer_(buffer), read_size_(read_size) {}
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  /// Returns the next byte (0 to 255) and consumes it, or kEndOfInput.
  int get();
  /// Returns the next byte without consuming it, or kEndOfInput.
  int peek();

 private:
  // Refills the buffer from one raw read; false at end of input.
  bool fill();

  ByteSource& source_;
  char* const buffer_;
  const std::size_t read_size_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  int lookahead_ = kEndOfInput;  // byte read ahead after a trailing CR
  bool at_end_ = false;
};

/// Formatted extraction of one signed 32-bit decimal integer: skips leading
/// whitespace (blank, \t, \n, \v, \f, \r), then takes an optional sign and
/// the digits. The first byte that cannot continue the number stays unread.
/// Returns false, with `*value` untouched, when no digit follows; returns
/// false with `*value` clamped to the nearest limit when the number does not
/// fit. Blocks for as long as the reader delivers only whitespace.
bool extract_integer(TextReader& reader, std::int32_t* value);

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_TEXT_READER_H_
