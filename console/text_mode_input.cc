#include "console/text_mode_input.h"

#include <cstring>

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

}  // namespace

std::size_t TextModeInput::raw_read(char* buffer, std::size_t size) {
  const std::ptrdiff_t n = raw_.read(buffer, size);
  // MUTANT_OK(relational, constant): a read of 0 bytes returns 0 either way
  if (n > 0) return static_cast<std::size_t>(n);
  // MUTANT_OK(relational, constant): a read of 0 bytes keeps the error number 0
  if (n < 0 && error_ == 0) error_ = static_cast<int>(-n);
  return 0;
}

std::size_t TextModeInput::resolve_cr(char* buffer) {
  // MUTANT_OK(constant): the read below sets it before it is looked at
  char next = 0;
  if (raw_read(&next, 1) == 0) {
    end_after_cr_ = true;  // reported by the next read, after the CR
  } else if (next == '\n') {
    buffer[0] = '\n';
    return 1;
  } else {
    lookahead_ = static_cast<unsigned char>(next);
  }
  buffer[0] = '\r';
  return 1;
}

void TextModeInput::met_ctrl_z() {
  if (!raw_.is_character_device()) ended_ = true;
}

std::size_t TextModeInput::read(char* buffer, std::size_t size) {
  if (ended_) return 0;
  if (end_after_cr_) {
    end_after_cr_ = false;
    return 0;
  }
  if (held_cr_) {
    held_cr_ = false;
    return resolve_cr(buffer);
  }

  // MUTANT_OK(constant): both branches below set it
  std::size_t n = 0;
  if (lookahead_ >= 0) {
    buffer[0] = static_cast<char>(lookahead_);
    lookahead_ = -1;  // MUTANT_OK(constant): any negative value is no byte
    n = 1;
    // Carrying on with a full read after a CR costs nothing more than its own
    // look-ahead would, and a run of CRs does not take a read per byte.
    // MUTANT_OK(constant): for a read of two, the one byte more is read
    // just as the CR's look-ahead would read it
    if (buffer[0] == '\r' && size > 1) {
      n += raw_read(buffer + 1, size - 1);
      if (n == 1) end_after_cr_ = true;
    }
  } else {
    n = raw_read(buffer, size);
    if (n == 0) return 0;
  }

  const void* ctrl_z = std::memchr(buffer, kCtrlZ, n);
  if (ctrl_z != nullptr) {
    met_ctrl_z();
    n = static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - buffer);
    // MUTANT_OK(delete): with the cut at the first byte, what follows returns 0 too
    if (n == 0) return 0;
  }
  n = collapse_crlf(buffer, n);

  // A CR before a Ctrl-Z cut is followed by Ctrl-Z, not LF; a CR before end
  // of input by nothing.
  if (ctrl_z == nullptr && !end_after_cr_ && buffer[n - 1] == '\r') {
    if (n == 1) return resolve_cr(buffer);
    held_cr_ = true;
    --n;
  }
  return n;
}

}  // namespace console
