// Text-mode input: the console's conventions for one input handle.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_TEXT_MODE_INPUT_H_
#define QUIRVELANDOSTRABIK_CONSOLE_TEXT_MODE_INPUT_H_

#include <cstddef>

#include "console/os_io.h"

namespace console {

/// The text-mode state of one input handle, shared by every reader of it.
///
/// Each raw read is converted as a text-mode stream converts it:
///  - a read that begins with Ctrl-Z (0x1A) is end of input;
///  - otherwise the read is cut at its first Ctrl-Z, which is dropped together
///    with everything after it in that read;
///  - CR LF becomes LF; any other CR is an ordinary byte.
///
/// What a Ctrl-Z ends depends on the source. On a character device (a console
/// or a terminal) it ends only the read it came in: the next read reads the
/// next line. From a file or a pipe it ends the input for good: every later
/// read, by any reader, is end of input and reads nothing.
///
/// A CR that ends a raw read may be the first half of a CR LF split across two
/// reads. The bytes before it are delivered at once and the CR is held back.
/// Only when it is asked for is one more byte read to look ahead: LF merges
/// with the CR; any other byte stays here and begins the next read, whichever
/// reader makes it. A byte read ahead is delivered on its own, without reading
/// more (that could block although the byte may be all the caller waits for),
/// unless it is a CR, which needs a look-ahead of its own anyway.
class TextModeInput {
 public:
  /// `raw` must outlive this object.
  explicit TextModeInput(ByteSource& raw) : raw_(raw) {}
  TextModeInput(const TextModeInput&) = delete;
  TextModeInput& operator=(const TextModeInput&) = delete;

  /// Performs one text-mode read of at most `size` (> 0) bytes into `buffer`.
  /// Returns the number of bytes delivered, or 0 at end of input. A failed
  /// read is end of input for this call; its error number is kept. After a
  /// Ctrl-Z from a file or a pipe, returns 0 without reading.
  std::size_t read(char* buffer, std::size_t size);

  /// The error number of the first failed read, or 0 if none failed.
  int error() const { return error_; }

 private:
  // One raw read; 0 at end of input or on failure, which is recorded.
  std::size_t raw_read(char* buffer, std::size_t size);
  // Delivers a CR that was asked for, or the LF it merges with.
  std::size_t resolve_cr(char* buffer);
  // Called for every Ctrl-Z met: from a file or a pipe it ends the input.
  void met_ctrl_z();

  ByteSource& raw_;
  bool held_cr_ = false;  // a CR that ended a raw read, not yet delivered
  // MUTANT_OK(constant): any negative value is none
  int lookahead_ = -1;         // the byte read ahead after a CR, if any
  bool end_after_cr_ = false;  // the look-ahead met end of input
  bool ended_ = false;         // a Ctrl-Z from a file or a pipe: nothing more
  int error_ = 0;
};

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_TEXT_MODE_INPUT_H_
