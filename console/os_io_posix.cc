// Standard input and output through POSIX read(2) and write(2).

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
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
      return -errno;
    }
  }

  // Asked only when a Ctrl-Z arrives, so a run without one pays no system
  // call for it.
  bool is_character_device() const override {
    struct stat status {};
    return ::fstat(STDIN_FILENO, &status) == 0 && S_ISCHR(status.st_mode);
  }
};

class PosixOutput final : public ByteSink {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}

  int write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n > 0) {
        data += n;
        size -= static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        wait_until_ready(fd_, POLLOUT);
      } else {
        // Closed, full or gone: the rest of this output is dropped. A write
        // that takes nothing and reports nothing would never end the loop.
        if (n == 0) return EIO;
        return errno == EPIPE ? 0 : errno;
      }
    }
    return 0;
  }

 private:
  int fd_;
};

PosixInput input;
PosixOutput output(STDOUT_FILENO);
PosixOutput error_output(STDERR_FILENO);

}  // namespace

void prepare_standard_streams() {
  // A reader that went away must not end the program; write() then fails
  // with EPIPE, and the rest of the output is dropped.
  (void)::signal(SIGPIPE, SIG_IGN);
}

ByteSource& standard_input() { return input; }
ByteSink& standard_output() { return output; }
ByteSink& standard_error() { return error_output; }

}  // namespace console
