// Standard input and output through the C runtime's _read and _write, with
// both streams in binary mode: all text-mode conversion is ours, so the bytes
// are the same as on every other system. A stream that is a console is read
// and written in UTF-16 instead, through the code page 850 table, so that
// every console shows what the German console shows whatever its code page.

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

#include <climits>
#include <cstdio>

#include "console/os_io.h"
#include "console/utf16_console.h"

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

// ReadConsoleW and WriteConsoleW take a DWORD count.
DWORD clamp_units(std::size_t size) {
  return size > INT_MAX ? static_cast<DWORD>(INT_MAX) : static_cast<DWORD>(size);
}

// A console's own UTF-16 reads of the standard input handle. The console
// keeps its line editing, echo and Enter; a Ctrl-Z arrives as U+001A.
class ConsoleUnitsInput final : public Utf16Source {
 public:
  std::ptrdiff_t read(char16_t* units, std::size_t size) override {
    HANDLE console = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD n = 0;
    // Ctrl-C or Ctrl-Break ends a line being typed with no characters and
    // ERROR_OPERATION_ABORTED, while the console's handler runs on a thread
    // of its own; the call itself reports success. A read of nothing with
    // the error still clear is a real end of input.
    ::SetLastError(ERROR_SUCCESS);
    const BOOL ok = ::ReadConsoleW(console, units, clamp_units(size), &n, nullptr);
    if (n == 0 && ::GetLastError() == ERROR_OPERATION_ABORTED) return kInterrupted;
    if (ok == 0) return -EIO;
    return static_cast<std::ptrdiff_t>(n);
  }
};

// A console's own UTF-16 writes to a standard handle.
class ConsoleUnitsOutput final : public Utf16Sink {
 public:
  explicit ConsoleUnitsOutput(DWORD which) : which_(which) {}

  int write(const char16_t* units, std::size_t size) override {
    while (size > 0) {
      HANDLE console = ::GetStdHandle(which_);
      DWORD n = 0;
      if (::WriteConsoleW(console, units, clamp_units(size), &n, nullptr) == 0 || n == 0)
        return EIO;
      units += n;
      size -= n;
    }
    return 0;
  }

 private:
  DWORD which_;
};

Win32Input file_input;
Win32Output file_output(1);
Win32Output file_error_output(2);
ConsoleUnitsInput console_units_input;
ConsoleUnitsOutput console_units_output(STD_OUTPUT_HANDLE);
ConsoleUnitsOutput console_units_error_output(STD_ERROR_HANDLE);
Utf16ConsoleInput console_input(console_units_input);
Utf16ConsoleOutput console_output(console_units_output);
Utf16ConsoleOutput console_error_output(console_units_error_output);

ByteSource* input = &file_input;
ByteSink* output = &file_output;
ByteSink* error_output = &file_error_output;

// Whether the standard handle `which` is a console.
bool is_console(DWORD which) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

}  // namespace

void prepare_standard_streams() {
  // Fails harmlessly when a stream is not open.
  (void)::_setmode(0, _O_BINARY);
  (void)::_setmode(1, _O_BINARY);
  (void)::_setmode(2, _O_BINARY);

  // Each stream that is a console is converted on its own; files and pipes
  // keep their bytes. The console's code page stays as the shell set it.
  if (is_console(STD_INPUT_HANDLE)) input = &console_input;
  if (is_console(STD_OUTPUT_HANDLE)) output = &console_output;
  if (is_console(STD_ERROR_HANDLE)) error_output = &console_error_output;
}

ByteSource& standard_input() { return *input; }
ByteSink& standard_output() { return *output; }
ByteSink& standard_error() { return *error_output; }

}  // namespace console
