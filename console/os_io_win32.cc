// Standard input and output through the C runtime's _read and _write, with
// both streams in binary mode: all text-mode conversion is ours, so the bytes
// are the same as on every other system.

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

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
    // begins with 0x1A; TextModeInput turns that into end of input.
    const int n = ::_read(0, buffer, clamp_count(size));
    return n >= 0 ? n : -errno;
  }

  // Asked only when a Ctrl-Z arrives. The C runtime's descriptor 0 is the
  // process's standard input handle. A handle that is not open has no file
  // type and counts as no device.
  bool is_character_device() const override {
    HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) == FILE_TYPE_CHAR;
  }
};

// A write to a pipe whose reader has closed it: the reader's choice, not a
// failure. The C runtime reports it as EPIPE or, depending on its version,
// leaves only the system's error code.
bool reader_gone() {
  return errno == EPIPE || _doserrno == ERROR_NO_DATA || _doserrno == ERROR_BROKEN_PIPE;
}

class Win32Output final : public ByteSink {
 public:
  explicit Win32Output(int fd) : fd_(fd) {}

  int write(const char* data, std::size_t size) override {
    while (size > 0) {
      errno = 0;
      _doserrno = 0;
      const int n = ::_write(fd_, data, clamp_count(size));
      if (n > 0) {
        data += n;
        size -= static_cast<std::size_t>(n);
      } else {
        // Closed, full or gone: the rest is dropped.
        if (reader_gone()) return 0;
        return errno != 0 ? errno : EIO;
      }
    }
    return 0;
  }

 private:
  int fd_;
};

Win32Input input;
Win32Output output(1);
Win32Output error_output(2);

}  // namespace

void prepare_standard_streams() {
  // Fails harmlessly when a stream is not open.
  (void)::_setmode(0, _O_BINARY);
  (void)::_setmode(1, _O_BINARY);
  (void)::_setmode(2, _O_BINARY);
}

ByteSource& standard_input() { return input; }
ByteSink& standard_output() { return output; }
ByteSink& standard_error() { return error_output; }

}  // namespace console
