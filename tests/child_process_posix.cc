#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "child_process.h"

// POSIX leaves declaring it to the program; glibc's <unistd.h> declares it
// too, but only for _GNU_SOURCE.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace testing_io {
namespace {

constexpr int kPatienceMs = 20000;

void check(bool ok, const char* what) {
  if (!ok)
    throw std::runtime_error(std::string(what) + ": " + std::generic_category().message(errno));
}

// A pipe whose ends the child does not inherit, except those dup2'ed to its
// standard streams.
void make_pipe(int ends[2]) {
  check(::pipe(ends) == 0, "pipe");
  for (int i = 0; i < 2; ++i) check(::fcntl(ends[i], F_SETFD, FD_CLOEXEC) == 0, "FD_CLOEXEC");
}

struct TemporaryFiles {
  ~TemporaryFiles() {
    for (const std::string& path : paths) ::unlink(path.c_str());
  }
  std::vector<std::string> paths;
};
TemporaryFiles temporary_files;

}  // namespace

struct ChildProcess::Impl {
  pid_t pid = -1;
  int input = -1;   // the test's end of the child's stdin pipe
  int output = -1;  // the test's end of the child's stdout pipe
  int errors = -1;  // the test's end of the child's stderr pipe
  int status = -1;
  bool reaped = false;
  bool slow = false;  // drain a few bytes at a time

  // Reads what is there; false once the output has ended or time ran out.
  bool read_some(std::string& received) {
    if (output < 0) return false;
    if (slow) {
      const timespec pause{0, 2000000L};
      ::nanosleep(&pause, nullptr);
    }
    pollfd entry{output, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kPatienceMs);
    if (ready <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(output, buffer, slow ? 7 : sizeof buffer);
    if (n <= 0) return false;
    received.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  bool reap(int options) {
    if (reaped) return true;
    int raw = 0;
    const pid_t r = ::waitpid(pid, &raw, options);
    if (r != pid) return false;
    reaped = true;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }
};

ChildProcess::ChildProcess(const std::string& program, const StdinFrom& stdin_from,
                           const StdoutTo& stdout_to)
    : impl_(new Impl) {
  (void)::signal(SIGPIPE, SIG_IGN);  // the test writes to children that may have ended

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int in_pipe[2] = {-1, -1};
  switch (stdin_from.kind) {
    case StdinFrom::kPipe:
      make_pipe(in_pipe);
      impl_->input = in_pipe[1];
      posix_spawn_file_actions_adddup2(&actions, in_pipe[0], STDIN_FILENO);
      break;
    case StdinFrom::kFile:
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, stdin_from.path.c_str(), O_RDONLY,
                                       0);
      break;
    case StdinFrom::kClosed:
      posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
      break;
  }

  int out_pipe[2] = {-1, -1};
  switch (stdout_to.kind) {
    case StdoutTo::kPipe:
    case StdoutTo::kPipeReaderGone:
    case StdoutTo::kNearlyFullPipe:
      make_pipe(out_pipe);
      posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
      break;
    case StdoutTo::kFile:
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdout_to.path.c_str(), O_WRONLY,
                                       0);
      break;
    case StdoutTo::kClosed:
      posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
      break;
  }
  if (stdout_to.kind == StdoutTo::kPipeReaderGone) {
    ::close(out_pipe[0]);
    out_pipe[0] = -1;
  }
  if (stdout_to.kind == StdoutTo::kNearlyFullPipe) {
    // Shrink the pipe to one page, fill all but a few bytes of it, and make
    // the child's writes non-blocking so that they meet EAGAIN.
#ifdef F_SETPIPE_SZ
    check(::fcntl(out_pipe[1], F_SETPIPE_SZ, 4096) >= 0, "F_SETPIPE_SZ");
#else
    throw std::runtime_error("a nearly full pipe needs F_SETPIPE_SZ (Linux)");
#endif
    const std::string filler(kPipeFillerSize, kPipeFiller);
    check(::write(out_pipe[1], filler.data(), filler.size()) == static_cast<ssize_t>(filler.size()),
          "fill pipe");
    check(::fcntl(out_pipe[1], F_SETFL, O_NONBLOCK) == 0, "O_NONBLOCK");
    impl_->slow = true;
  }
  impl_->output = out_pipe[0];

  int err_pipe[2] = {-1, -1};
  make_pipe(err_pipe);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
  impl_->errors = err_pipe[0];

  // The test ignores SIGPIPE; the child must start with the default action,
  // so that only the program itself can protect it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  const int error = ::posix_spawn(&impl_->pid, argv[0], &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (out_pipe[1] >= 0) ::close(out_pipe[1]);
  if (in_pipe[0] >= 0) ::close(in_pipe[0]);
  ::close(err_pipe[1]);
  errno = error;
  check(error == 0, "posix_spawn");
}

ChildProcess::~ChildProcess() {
  if (!impl_->reaped) {
    ::kill(impl_->pid, SIGKILL);
    impl_->reap(0);
  }
  if (impl_->input >= 0) ::close(impl_->input);
  if (impl_->output >= 0) ::close(impl_->output);
  if (impl_->errors >= 0) ::close(impl_->errors);
}

void ChildProcess::write_input(std::string_view bytes) {
  check(impl_->input >= 0, "write_input without a pipe");
  const ssize_t n = ::write(impl_->input, bytes.data(), bytes.size());
  check(n == static_cast<ssize_t>(bytes.size()), "write");
}

void ChildProcess::close_input() {
  if (impl_->input >= 0) ::close(impl_->input);
  impl_->input = -1;
}

void ChildProcess::close_output() {
  if (impl_->output >= 0) ::close(impl_->output);
  impl_->output = -1;
}

std::string ChildProcess::error_output() {
  wait_for_exit();
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(impl_->errors, buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

bool ChildProcess::still_running_after(int milliseconds) {
  const timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  ::nanosleep(&pause, nullptr);
  return !impl_->reap(WNOHANG);
}

bool ChildProcess::read_some() { return impl_->read_some(received_); }

void ChildProcess::send_signal(int signal) { ::kill(impl_->pid, signal); }

int ChildProcess::wait_for_exit() {
  for (int waited = 0; waited < kPatienceMs; waited += 10) {
    if (impl_->reap(WNOHANG)) return impl_->status;
    const timespec pause{0, 10000000L};
    ::nanosleep(&pause, nullptr);
  }
  return -1;
}

std::string temporary_file(std::string_view bytes) {
  char path[] = "/tmp/quirvelandostrabik-input-XXXXXX";
  const int fd = ::mkstemp(path);
  check(fd >= 0, "mkstemp");
  const ssize_t n = ::write(fd, bytes.data(), bytes.size());
  ::close(fd);
  check(n == static_cast<ssize_t>(bytes.size()), "write");
  temporary_files.paths.emplace_back(path);
  return path;
}

}  // namespace testing_io
