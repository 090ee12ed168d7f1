// Standard input and output through the C runtime's _read and _write, with
// both streams in binary mode: all text-mode conversion is ours, so the bytes
// are the same as on every other system.

#include <fcntl.h>
#include <io.h>

#include <climits>
#include <cstdio>

#include "console/os_io.h"

namespace console {
namespace {

// _read and _write take an unsigned int count.
unsigned int clamp_count(std::size_t size) {
  return size > INT_MAX ? static_cast<unsigned int>(INT_MAX) : static_cast<unsigned int>(size);
}

class Win32Input final : public ByteSource {
 public:
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    // On a console, Ctrl-Z at the start of a line arrives as a read that
    // begins with 0x1A; TextReader turns that into end of input.
    return ::_read(0, buffer, clamp_count(size));
  }
};

class Win32Output final : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override {
    while (size > 0) {
      const int n = ::_write(1, data, clamp_count(size));
      if (n <= 0) return;  // closed, full or gone: the rest is dropped
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }
};

Win32Input input;
Win32Output output;

}  // namespace

void prepare_standard_streams() {
  // Fails harmlessly when a stream is not open.
  (void)::_setmode(0, _O_BINARY);
  (void)::_setmode(1, _O_BINARY);
}

ByteSource& standard_input() { return input; }
ByteSink& standard_output() { return output; }

}  // namespace console
