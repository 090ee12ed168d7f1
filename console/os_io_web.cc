// Standard input and output on a web page, whose console is a character
// device like any other console: each read waits for the next line typed
// there, and the program is suspended meanwhile (Asyncify), so the code above
// this file reads and writes exactly as it does everywhere else.
//
// The page passes the console in as the module's `stdio` object:
//   read(size)        -> Promise of a Uint8Array of 1 to `size` bytes, or of
//                        none at end of input; more is a failed read (EIO),
//                        reported as the console's error;
//   write(fd, bytes)  -> shows the bytes of standard output (1) or standard
//                        error (2); the Uint8Array is the page's to keep.

#include <emscripten.h>

#include <errno.h>

#include <climits>

#include "console/os_io.h"

// clang-format off
// Returns the number of bytes read, or -1 for a read that failed.
EM_ASYNC_JS(int, web_read, (char* buffer, int size), {
  const bytes = await Module['stdio'].read(size);
  // More than was asked for would land past the end of the program's buffer.
  // A failed read instead ends the program as any failed read does: with its
  // error line and exit status 1.
  if (bytes.length > size) {
    console.error('the console handed over ' + bytes.length + ' bytes for a read of ' + size);
    return -1;
  }
  HEAPU8.set(bytes, buffer);
  return bytes.length;
});

EM_JS(void, web_write, (int fd, const char* data, int size), {
  Module['stdio'].write(fd, HEAPU8.slice(data, data + size));
});
// clang-format on

namespace console {
namespace {

int clamp_count(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

class WebInput final : public ByteSource {
 public:
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    const int n = web_read(buffer, clamp_count(size));
    return n >= 0 ? n : -EIO;
  }
  bool is_character_device() const override { return true; }
};

class WebOutput final : public ByteSink {
 public:
  explicit WebOutput(int fd) : fd_(fd) {}

  // The page's console takes every byte.
  int write(const char* data, std::size_t size) override {
    while (size > 0) {
      const int n = clamp_count(size);
      web_write(fd_, data, n);
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return 0;
  }

 private:
  int fd_;
};

WebInput input;
WebOutput output(1);
WebOutput error_output(2);

}  // namespace

void prepare_standard_streams() {}

ByteSource& standard_input() { return input; }
ByteSink& standard_output() { return output; }
ByteSink& standard_error() { return error_output; }

}  // namespace console
