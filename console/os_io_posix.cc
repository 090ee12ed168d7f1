// Standard input and output through POSIX read(2) and write(2). A terminal
// that speaks UTF-8 is made the code page 850 console the program expects;
// files and pipes keep their bytes.

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/os_io.h"
#include "console/utf8_terminal.h"

namespace console {
namespace {

// Waits until `fd` is ready for `events`; used when a descriptor that was
// left non-blocking by whoever started us reports EAGAIN.
void wait_until_ready(int fd, short events) {
  pollfd entry{};
  entry.fd = fd;
  entry.events = events;
  // A poll of one open descriptor fails only when a signal interrupts it.
  // MUTANT_OK(relational, constant): this only waits; whenever a poll returns, early or not,
  // the read's or the write's own loop tries again and comes back here if it must
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {  // GCOVR_EXCL_BR_LINE
  }
}

class PosixInput final : public ByteSource {
 public:
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      // EWOULDBLOCK is EAGAIN on Linux: never the second without the first.
      // MUTANT_OK(logical): the two are one
      if (errno == EAGAIN || errno == EWOULDBLOCK) {  // GCOVR_EXCL_BR_LINE
        // MUTANT_OK(delete): it only waits; without it the loop reads again at once
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
    // A descriptor that has just been read from has a status.
    // GCOVR_EXCL_BR_START
    return ::fstat(STDIN_FILENO, &status) == 0 && S_ISCHR(status.st_mode);
    // GCOVR_EXCL_BR_STOP
  }
};

class PosixOutput final : public ByteSink {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}

  int write(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      // MUTANT_OK(relational, constant): n is never 0 (see below)
      if (n > 0) {
        data += n;
        size -= static_cast<std::size_t>(n);
        // MUTANT_OK(relational, constant): n is never 0
      } else if (n < 0 && errno == EINTR) {  // GCOVR_EXCL_BR_LINE: n is never 0, as below
        // MUTANT_OK(delete): the loop goes on either way
        continue;
        // MUTANT_OK(relational, constant, logical): n is never 0, and the two errors are one
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {  // GCOVR_EXCL_BR_LINE
        // MUTANT_OK(delete): it only waits; without it the loop writes again at once
        wait_until_ready(fd_, POLLOUT);
      } else {
        // Closed, full or gone: the rest of this output is dropped. A write
        // that takes nothing and reports nothing would never end the loop
        // (no system's write(2) of a nonzero size does that today).
        // MUTANT_OK(constant, delete): never taken, as said above
        if (n == 0) return EIO;  // GCOVR_EXCL_LINE
        return errno == EPIPE ? 0 : errno;
      }
    }
    return 0;
  }

 private:
  int fd_;
};

PosixInput raw_input;
PosixOutput raw_output(STDOUT_FILENO);
PosixOutput raw_error_output(STDERR_FILENO);
Utf8TerminalInput terminal_input(raw_input);
Utf8TerminalOutput terminal_output(raw_output);
Utf8TerminalOutput terminal_error_output(raw_error_output);

ByteSource* input = &raw_input;
ByteSink* output = &raw_output;
ByteSink* error_output = &raw_error_output;

}  // namespace

void prepare_standard_streams() {
  // A reader that went away must not end the program; write() then fails
  // with EPIPE, and the rest of the output is dropped.
  (void)::signal(SIGPIPE, SIG_IGN);

  // A terminal whose locale speaks UTF-8 is made a code page 850 console,
  // each stream on its own; files and pipes stay as they are. The locale
  // variables' text decides, since a static program has no locale files to
  // read, and is asked only when there is a terminal at all.
  // Standard error's conversion shows nowhere: its one line, strerror's in
  // the C locale, is ASCII, the same bytes converted or not.
  const bool terminal[] = {::isatty(STDIN_FILENO) == 1, ::isatty(STDOUT_FILENO) == 1,
                           // MUTANT_OK(relational, constant): its conversion shows nowhere
                           ::isatty(STDERR_FILENO) == 1};
  // MUTANT_OK(constant, delete): this only saves the locale's look-up
  if (!terminal[0] && !terminal[1] && !terminal[2]) return;
  // NOLINTNEXTLINE(concurrency-mt-unsafe): single-threaded, before any I/O.
  if (!locale_is_utf8(::getenv("LC_ALL"), ::getenv("LC_CTYPE"), ::getenv("LANG"))) return;
  if (terminal[0]) input = &terminal_input;
  if (terminal[1]) output = &terminal_output;
  // MUTANT_OK(constant, condition, delete): standard error's conversion shows nowhere
  if (terminal[2]) error_output = &terminal_error_output;
}

ByteSource& standard_input() { return *input; }
ByteSink& standard_output() { return *output; }
ByteSink& standard_error() { return *error_output; }

}  // namespace console
