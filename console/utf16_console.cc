#include "console/utf16_console.h"

#include <algorithm>

#include "console/code_page_850.h"

namespace console {
namespace {

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::ptrdiff_t Utf16ConsoleInput::read(char* buffer, std::size_t size) {
  if (has_extra_) {
    has_extra_ = false;
    buffer[0] = extra_;
    return 1;
  }
  if (end_waiting_) {
    end_waiting_ = false;
    return end_result_;
  }
  for (;;) {
    std::size_t count = 0;
    if (held_ != 0) units_[count++] = held_;
    held_ = 0;
    // Ctrl-C or Ctrl-Break: the console's handler decides whether the
    // program ends; if it goes on, so does the read.
    std::ptrdiff_t n;
    do {
      n = raw_.read(units_ + count, std::min(size, kMaxUnits));
    } while (n == Utf16Source::kInterrupted);
    if (n > 0) {
      count += static_cast<std::size_t>(n);
      // A high surrogate that ends the read waits for its low one.
      if (is_high_surrogate(units_[count - 1])) held_ = units_[--count];
    } else if (count == 0) {
      return n;
    } else {
      // A held high surrogate broke off: its '?' first, the end after it.
      end_waiting_ = true;
      end_result_ = n;
    }
    // Every character makes one byte, and a pair two units, so only a lone
    // held surrogate can make one byte more than fits.
    std::size_t made = 0;
    for (std::size_t i = 0; i < count; ++i) {
      // A pair is one character, from U+10000 up, where the code page has
      // none; a lone surrogate is none either. Both give '?', the pair's
      // from its high surrogate.
      const auto byte = static_cast<char>(byte_of_character(units_[i]));
      // MUTANT_OK(relational, constant): a pair with a stale unit past the read gives '?', as
      // the lone surrogate does
      if (is_high_surrogate(units_[i]) && i + 1 < count && is_low_surrogate(units_[i + 1])) ++i;
      if (made < size) {
        buffer[made++] = byte;
      } else {
        extra_ = byte;
        has_extra_ = true;
      }
    }
    if (made > 0) return static_cast<std::ptrdiff_t>(made);
    // Only a high surrogate came: its low one is on its way.
  }
}

int Utf16ConsoleOutput::write(const char* data, std::size_t size) {
  char16_t units[kLineSize];
  while (size > 0) {
    const std::size_t n = std::min(size, kLineSize);
    // Every character of the code page lies below U+10000: one unit each.
    // MUTANT_OK(relational): a unit past n is never written out (the
    // sanitizers report the overflow at kLineSize)
    for (std::size_t i = 0; i < n; ++i) {
      units[i] = static_cast<char16_t>(written_character(static_cast<unsigned char>(data[i])));
    }
    const int failure = sink_.write(units, n);
    if (failure != 0) return failure;
    data += n;
    size -= n;
  }
  return 0;
}

}  // namespace console
