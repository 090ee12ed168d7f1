#include "console/utf8_terminal.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "console/code_page_850.h"

namespace console {
namespace {

constexpr char kUnknown = '?';

// How many bytes the character that `lead` starts has; 0 for a byte that
// starts none (a continuation byte, C0, C1, F5 to FF).
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;  // C0 and C1 start only overlong forms
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

// Whether `byte` may be byte number `index` (1 to 3) of the character that
// `lead` starts. The second byte's narrower ranges shut out overlong forms,
// surrogates and code points above U+10FFFF.
bool continues(unsigned char lead, std::size_t index, unsigned char byte) {
  if (index == 1) {
    if (lead == 0xE0) return byte >= 0xA0 && byte <= 0xBF;
    if (lead == 0xED) return byte >= 0x80 && byte <= 0x9F;
    if (lead == 0xF0) return byte >= 0x90 && byte <= 0xBF;
    if (lead == 0xF4) return byte >= 0x80 && byte <= 0x8F;
  }
  return byte >= 0x80 && byte <= 0xBF;
}

char32_t code_point(const unsigned char* bytes, std::size_t length) {
  // MUTANT_OK(constant): entries 0 and 1 are never used, and the bits the others could lose or gain
  // make characters the code page lacks (from U+0400 on)
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = bytes[0] & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (bytes[i] & 0x3FU);
  return c;
}

// Writes `c` in UTF-8 to `out`; returns the number of bytes (1 to 3: every
// character a console shows lies below U+10000).
std::size_t encode(char32_t c, char* out) {
  // MUTANT_OK(relational, constant): no character of the code page lies from U+007F to U+009F
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  // MUTANT_OK(relational, constant): nor from U+0193 to U+2016
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (c >> 12));
  out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (c & 0x3F));
  return 3;
}

// Whether [begin, end) spells UTF-8, compared without case, hyphens or
// underscores (UTF-8, utf8, UTF_8).
bool spells_utf8(const char* begin, const char* end) {
  const char* rest = "utf8";
  for (const char* c = begin; c != end; ++c) {
    if (*c == '-' || *c == '_') continue;
    // MUTANT_OK(relational): only U, T and F must fold; an A or a Z fails either way
    const char lower = *c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c;
    if (*rest == '\0' || lower != *rest) return false;
    ++rest;
  }
  return *rest == '\0';
}

// Whether a locale's name, language[_territory][.codeset][@modifier], has
// UTF-8 as its character set.
bool names_utf8(const char* locale) {
  const char* name_end = locale + std::strcspn(locale, ".@");
  if (*name_end == '.')
    return spells_utf8(name_end + 1, name_end + 1 + std::strcspn(name_end + 1, "@"));
  // No character set named: the C and POSIX locales are taken as UTF-8, and
  // so is a bare UTF-8 (as some systems set LC_CTYPE); every other locale's
  // own is an older one (de_DE is ISO-8859-1, de_DE@euro ISO-8859-15).
  const auto length = static_cast<std::size_t>(name_end - locale);
  return (length == 1 && locale[0] == 'C') ||
         (length == 5 && std::strncmp(locale, "POSIX", 5) == 0) || spells_utf8(locale, name_end);
}

}  // namespace

bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  const char* const values[] = {lc_all, lc_ctype, lang};
  const auto* deciding = std::find_if(std::begin(values), std::end(values), [](const char* value) {
    return value != nullptr && value[0] != '\0';
  });
  return deciding == std::end(values) || names_utf8(*deciding);
}

std::size_t Utf8TerminalInput::convert(char* data, std::size_t size, bool at_end) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  std::size_t out = 0;
  std::size_t in = 0;
  // Each byte made uses up at least one byte read, so `out` never passes `in`.
  while (in < size) {
    const std::size_t length = sequence_length(bytes[in]);
    std::size_t have = 1;
    while (have < length && in + have < size && continues(bytes[in], have, bytes[in + have])) {
      ++have;
    }
    if (length == 1) {
      data[out++] = data[in++];
      // MUTANT_OK(constant): a length of 1 took the branch above
    } else if (length != 0 && have == length) {
      data[out++] = static_cast<char>(byte_of_character(code_point(bytes + in, length)));
      in += length;
    } else if (length != 0 && in + have == size && !at_end) {
      held_size_ = have;
      std::memcpy(held_, data + in, have);
      break;
    } else {
      // A byte that starts no character, or whose character breaks off:
      // it is '?', and whatever follows it is taken on its own.
      data[out++] = kUnknown;
      ++in;
    }
  }
  return out;
}

std::ptrdiff_t Utf8TerminalInput::read(char* buffer, std::size_t size) {
  for (;;) {
    if (ready_begin_ < ready_end_) {
      const std::size_t n = std::min(size, ready_end_ - ready_begin_);
      std::memcpy(buffer, ready_ + ready_begin_, n);
      ready_begin_ += n;
      return static_cast<std::ptrdiff_t>(n);
    }
    if (end_waiting_) {
      end_waiting_ = false;
      return end_result_;
    }
    // The start of a character held from the last read goes in front of
    // what this read brings: in the caller's buffer, unless that is too
    // small to take both.
    const bool own_buffer = size <= kMaxHeld;
    char* work = own_buffer ? ready_ : buffer;
    const std::size_t held = held_size_;
    std::memcpy(work, held_, held);
    held_size_ = 0;
    const std::ptrdiff_t n = raw_.read(work + held, own_buffer ? size : size - held);
    const bool at_end = n <= 0;
    const std::size_t made =
        convert(work, held + (at_end ? 0 : static_cast<std::size_t>(n)), at_end);
    if (at_end) {
      // MUTANT_OK(delete, constant): with nothing made, the loop's next pass returns the same end
      if (made == 0) return n;
      // The held bytes broke off: their '?'s first, the end after them.
      end_waiting_ = true;
      end_result_ = n;
    }
    if (own_buffer) {
      ready_begin_ = 0;
      ready_end_ = made;
    } else if (made > 0) {
      return static_cast<std::ptrdiff_t>(made);
    }
    // Nothing made yet: only the start of a character came, and its rest
    // is on its way.
  }
}

int Utf8TerminalOutput::write(const char* data, std::size_t size) {
  // MUTANT_OK(constant): a larger buffer changes nothing
  char utf8[3 * kLineSize];
  while (size > 0) {
    const std::size_t n = std::min(size, kLineSize);
    std::size_t length = 0;
    for (std::size_t i = 0; i < n; ++i) {
      length += encode(written_character(static_cast<unsigned char>(data[i])), utf8 + length);
    }
    const int failure = sink_.write(utf8, length);
    if (failure != 0) return failure;
    data += n;
    size -= n;
  }
  return 0;
}

}  // namespace console
