// Standard input and output through POSIX read(2) and write(2).

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "console/os_io.h"

namespace console {
namespace {

// Waits until `fd` is ready for `events`; used when a descriptor that was
// left non-blocking by whoever started us reports EAGAIN.
void wait_until_ready(int fd, short events) {
  pollfd entry{};
  entry.fd = fd;
  entry.events = events;
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
}

class PosixInput final : public ByteSource {
 public:
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        wait_until_ready(STDIN_FILENO, POLLIN);
        continue;
      }
      return -1;
    }
  }
};

class PosixOutput final : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(STDOUT_FILENO, data, size);
      if (n > 0) {
        data += n;
        size -= static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        wait_until_ready(STDOUT_FILENO, POLLOUT);
      } else {
        return;  // closed, full or gone: the rest of this output is dropped
      }
    }
  }
};

PosixInput input;
PosixOutput output;

}  // namespace

void prepare_standard_streams() {
  // A reader that went away must not end the program; write() then fails
  // with EPIPE, which is ignored like every other output error.
  (void)::signal(SIGPIPE, SIG_IGN);
}

ByteSource& standard_input() { return input; }
ByteSink& standard_output() { return output; }

}  // namespace console
