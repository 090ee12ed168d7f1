#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "console/os_io.h"

namespace console {
namespace {

std::atomic<int> interruptions{0};
void count_interruption(int /*signal*/) { ++interruptions; }

// A cross build's tests may run under qemu-user, which starts a 32-bit
// program's threads wrongly: joining one fails or hangs.
bool threads_unusable() {
  const char* under_qemu = ::getenv("QUIRVELANDOSTRABIK_TESTS_UNDER_QEMU");  // NOLINT
  return under_qemu != nullptr && *under_qemu != '\0';
}
constexpr const char* kNoThreads = "this test's threads cannot run under qemu-user";

void pause_ms(long ms) {
  const timespec t{0, ms * 1000000L};
  ::nanosleep(&t, nullptr);
}

// Puts a pipe in place of descriptor `fd` and installs a SIGUSR1 handler
// without SA_RESTART, so that a signal interrupts a blocked read or write.
// Everything is undone when the scope ends.
class RedirectedWithSignals {
 public:
  RedirectedWithSignals(int fd, bool non_blocking) : fd_(fd), saved_(::dup(fd)) {
    EXPECT_EQ(::pipe(pipe_), 0);
    EXPECT_GE(::fcntl(pipe_[1], F_SETPIPE_SZ, 4096), 0);
    if (non_blocking) {
      EXPECT_EQ(::fcntl(fd == 0 ? pipe_[0] : pipe_[1], F_SETFL, O_NONBLOCK), 0);
    }
    ::dup2(fd == 0 ? pipe_[0] : pipe_[1], fd);
    struct sigaction action {};
    action.sa_handler = count_interruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ::sigaction(SIGUSR1, &action, &saved_action_);
    interruptions = 0;
  }
  ~RedirectedWithSignals() {
    restore();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
  }
  void restore() {
    if (saved_ < 0) return;
    ::dup2(saved_, fd_);
    ::close(saved_);
    saved_ = -1;
    ::sigaction(SIGUSR1, &saved_action_, nullptr);
  }
  int read_end() const { return pipe_[0]; }
  void close_read_end() {
    ::close(pipe_[0]);
    pipe_[0] = -1;
  }
  int write_end() const { return pipe_[1]; }

 private:
  int fd_;
  int saved_;
  int pipe_[2] = {-1, -1};
  struct sigaction saved_action_ {};
};

TEST(PosixInput, InterruptedAndWouldBlockReadsAreRetriedUntilDataArrives) {
  if (threads_unusable()) GTEST_SKIP() << kNoThreads;
  for (const bool non_blocking : {false, true}) {
    RedirectedWithSignals redirect(STDIN_FILENO, non_blocking);
    const pthread_t reader = ::pthread_self();
    std::thread interrupter([&] {
      for (int i = 0; i < 10; ++i) {
        pause_ms(5);
        ::pthread_kill(reader, SIGUSR1);
      }
      EXPECT_EQ(::write(redirect.write_end(), "abc", 3), 3);
    });
    char buffer[16];
    const std::ptrdiff_t n = standard_input().read(buffer, sizeof buffer);
    interrupter.join();
    redirect.restore();
    ASSERT_EQ(n, 3) << "non-blocking " << non_blocking;
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_GT(interruptions, 0);
  }
}

TEST(PosixOutput, PartialInterruptedAndWouldBlockWritesDeliverEveryByteInOrder) {
  if (threads_unusable()) GTEST_SKIP() << kNoThreads;
  std::string data(300000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 23);
  for (const bool non_blocking : {false, true}) {
    RedirectedWithSignals redirect(STDOUT_FILENO, non_blocking);
    const pthread_t writer = ::pthread_self();
    std::string received;
    std::thread drain([&] {
      // Nothing is read at first: the pipe fills, and a signal interrupts a
      // write that took some of its bytes, then one that took none.
      for (int i = 0; i < 2; ++i) {
        pause_ms(20);
        ::pthread_kill(writer, SIGUSR1);
      }
      pause_ms(20);  // the last one, before a read could let the write go on
      char buffer[1000];
      while (received.size() < data.size()) {
        const ssize_t n = ::read(redirect.read_end(), buffer, sizeof buffer);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
        if (received.size() % 20000 < 1000) ::pthread_kill(writer, SIGUSR1);
      }
    });
    standard_output().write(data.data(), data.size());
    drain.join();
    redirect.restore();
    EXPECT_EQ(received.size(), data.size()) << "non-blocking " << non_blocking;
    EXPECT_TRUE(received == data) << "non-blocking " << non_blocking;
    EXPECT_GT(interruptions, 0);
  }
}

TEST(PosixStreams, FailuresAreReportedWithTheirErrorNumberAndABrokenPipeIsNot) {
  const int saved = ::dup(STDOUT_FILENO);
  ::close(STDOUT_FILENO);
  EXPECT_EQ(standard_output().write("lost\r\n", 6), EBADF);  // must return, not loop
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);

  {
    prepare_standard_streams();  // no death by SIGPIPE
    RedirectedWithSignals redirect(STDOUT_FILENO, false);
    redirect.close_read_end();
    EXPECT_EQ(standard_output().write("gone\r\n", 6), 0) << "the reader went away";
  }

  {
    RedirectedWithSignals redirect(STDOUT_FILENO, false);
    EXPECT_EQ(standard_output().write("x", 1), 0);
    redirect.restore();
    char byte = 0;
    ::fcntl(redirect.read_end(), F_SETFL, O_NONBLOCK);
    EXPECT_EQ(::read(redirect.read_end(), &byte, 1), 1) << "a write of one byte";
    EXPECT_EQ(byte, 'x');
  }

  char buffer[4];
  const int saved_in = ::dup(STDIN_FILENO);
  ::close(STDIN_FILENO);
  EXPECT_EQ(standard_input().read(buffer, sizeof buffer), -EBADF);
  ::dup2(saved_in, STDIN_FILENO);
  ::close(saved_in);
}

}  // namespace
}  // namespace console
