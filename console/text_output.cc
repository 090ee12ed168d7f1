#include "console/text_output.h"

namespace console {

void TextOutput::put(char c) {
  if (c == '\n') {
    append('\r');
    append('\n');
    flush();
  } else {
    append(c);
  }
}

void TextOutput::write(std::string_view text) {
  for (const char c : text) put(c);
}

void TextOutput::write_number(std::int32_t value) {
  // Work on the magnitude as unsigned so that INT32_MIN needs no special case.
  auto magnitude = static_cast<std::uint32_t>(value);
  if (value < 0) {
    put('-');
    magnitude = 0U - magnitude;
  }
  // MUTANT_OK(constant): 11 changes nothing; 9 overflows on INT32_MIN's tenth digit, which the
  // sanitizers' run of the same row reports
  char digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10U);
    magnitude /= 10U;
  } while (magnitude != 0U);
  while (count > 0) put(digits[--count]);
}

void TextOutput::append(char c) {
  if (size_ == sizeof pending_) flush();
  pending_[size_++] = c;
}

void TextOutput::flush() {
  if (size_ == 0) return;
  const int failure = sink_.write(pending_, size_);
  if (error_ == 0) error_ = failure;
  size_ = 0;
}

}  // namespace console
