// Text-mode output: the console's newline convention and line flushing.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_TEXT_OUTPUT_H_
#define QUIRVELANDOSTRABIK_CONSOLE_TEXT_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/os_io.h"

namespace console {

/// Collects the bytes of one line and hands them to a ByteSink when the line
/// ends. Every newline goes out as CR LF and ends the line with exactly one
/// write of everything pending; every other byte (BEL, CR, 0xFF, ...) is
/// passed through unchanged. A failed write does not change what is written
/// next; the first failure is kept for the exit status. `sink` must outlive
/// this object.
class TextOutput {
 public:
  explicit TextOutput(ByteSink& sink) : sink_(sink) {}
  /// Writes out whatever is pending; the program's own lines are all ended.
  ~TextOutput() { flush(); }
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  /// Writes one byte; '\n' ends the line.
  void put(char c);
  /// Writes `text` byte by byte, as put() does.
  void write(std::string_view text);
  /// Writes `value` in decimal: a '-' for negative values, no leading zeros.
  void write_number(std::int32_t value);
  /// Ends the line: CR LF, then one write of the pending bytes.
  void end_line() { put('\n'); }

  /// The error number of the first failed write, or 0 if none failed.
  int error() const { return error_; }

 private:
  // A line longer than the buffer (none of the program's lines is) goes out in
  // more than one write.
  void append(char c);
  void flush();

  ByteSink& sink_;
  char pending_[kLineSize] = {};
  std::size_t size_ = 0;
  int error_ = 0;
};

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_TEXT_OUTPUT_H_
