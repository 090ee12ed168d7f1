#include "console/text_reader.h"

#include <cstring>
#include <limits>

namespace console {
namespace {

constexpr char kCtrlZ = '\x1a';

// Turns every CR LF pair in data[0, size) into LF, in place; returns the new
// size. A CR without a following LF is left alone.
std::size_t collapse_crlf(char* data, std::size_t size) {
  std::size_t out = 0;
  for (std::size_t in = 0; in < size; ++in) {
    if (data[in] == '\r' && in + 1 < size && data[in + 1] == '\n') continue;
    data[out++] = data[in];
  }
  return out;
}

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
  begin_ = end_ = 0;

  std::size_t size = 0;
  if (lookahead_ != kEndOfInput) {
    // The byte read ahead starts this read. Anything but a CR is delivered on
    // its own: reading more now could block although the byte may complete
    // what the caller waits for. A CR needs its own look-ahead anyway, so the
    // read goes on in full; otherwise a run of CRs would cost a read per byte.
    buffer_[0] = static_cast<char>(lookahead_);
    lookahead_ = kEndOfInput;
    size = 1;
    if (buffer_[0] == '\r' && read_size_ > 1) {
      const std::ptrdiff_t n = source_.read(buffer_ + 1, read_size_ - 1);
      if (n > 0) {
        size += static_cast<std::size_t>(n);
      } else {
        at_end_ = true;  // after the CR has been delivered
      }
    }
  } else {
    const std::ptrdiff_t n = source_.read(buffer_, read_size_);
    if (n <= 0) {
      at_end_ = true;
      return false;
    }
    size = static_cast<std::size_t>(n);
  }

  if (buffer_[0] == kCtrlZ) {
    at_end_ = true;
    return false;
  }
  const void* ctrl_z = std::memchr(buffer_, kCtrlZ, size);
  if (ctrl_z != nullptr)
    size = static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - buffer_);
  size = collapse_crlf(buffer_, size);

  // A CR that ended the raw read may be the first half of a CR LF split
  // across two reads. A CR before a Ctrl-Z cut is followed by Ctrl-Z: no LF.
  if (ctrl_z == nullptr && !at_end_ && buffer_[size - 1] == '\r') {
    char next = 0;
    if (source_.read(&next, 1) != 1) {
      at_end_ = true;  // after this read's bytes have been delivered
    } else if (next == '\n') {
      buffer_[size - 1] = '\n';
    } else {
      lookahead_ = static_cast<unsigned char>(next);
    }
  }
  end_ = size;
  return true;
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
