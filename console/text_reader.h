// Buffered readers of text-mode input, and the formatted integer extraction.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_TEXT_READER_H_
#define QUIRVELANDOSTRABIK_CONSOLE_TEXT_READER_H_

#include <cstddef>
#include <cstdint>

#include "console/text_mode_input.h"

namespace console {

/// A buffered reader with its own buffer and its own end-of-input state, over
/// the text-mode input of a handle that other readers may share. None sees
/// what another buffered. Once this reader has met end of input it stays
/// there: later calls return kEndOfInput without reading again.
class TextReader {
 public:
  // MUTANT_OK(constant): any value that is no byte will do
  static constexpr int kEndOfInput = -1;

  /// `input` and `buffer` (`read_size` > 0 bytes) must outlive the reader.
  TextReader(TextModeInput& input, char* buffer, std::size_t read_size)
      : input_(input), buffer_(buffer), read_size_(read_size) {}
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  /// Returns the next byte (0 to 255) and consumes it, or kEndOfInput.
  int get();
  /// Returns the next byte without consuming it, or kEndOfInput.
  int peek();

 private:
  // Refills the buffer from one text-mode read; false at end of input.
  bool fill();

  TextModeInput& input_;
  char* const buffer_;
  const std::size_t read_size_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
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
