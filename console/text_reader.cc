#include "console/text_reader.h"

#include <limits>

namespace console {
namespace {

bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int TextReader::get() {
  const int c = peek();
  if (c != kEndOfInput) ++begin_;
  return c;
}

int TextReader::peek() {
  if (begin_ == end_ && !fill()) return kEndOfInput;
  return static_cast<unsigned char>(buffer_[begin_]);
}

bool TextReader::fill() {
  if (at_end_) return false;
  begin_ = 0;
  end_ = input_.read(buffer_, read_size_);
  at_end_ = end_ == 0;
  return !at_end_;
}

bool extract_integer(TextReader& reader, std::int32_t* value) {
  while (is_space(reader.peek())) reader.get();

  bool negative = false;
  const int sign = reader.peek();
  if (sign == '+' || sign == '-') {
    negative = sign == '-';
    reader.get();
  }

  // Accumulate the magnitude in 64 bits and stop growing it once it is out of
  // range, so that any number of digits is safe.
  // MUTANT_OK(constant): any limit from 2^31 on stops only magnitudes out of range anyway
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool any_digit = false;
  for (int c = reader.peek(); c >= '0' && c <= '9'; c = reader.peek()) {
    reader.get();
    any_digit = true;
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (c - '0');
  }
  if (!any_digit) return false;

  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<std::int32_t>::max()) {
    *value = std::numeric_limits<std::int32_t>::max();
    return false;
  }
  if (signed_value < std::numeric_limits<std::int32_t>::min()) {
    *value = std::numeric_limits<std::int32_t>::min();
    return false;
  }
  *value = static_cast<std::int32_t>(signed_value);
  return true;
}

}  // namespace console
