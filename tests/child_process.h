// Runs the built program as a child process, for end-to-end tests.

#ifndef QUIRVELANDOSTRABIK_TESTS_CHILD_PROCESS_H_
#define QUIRVELANDOSTRABIK_TESTS_CHILD_PROCESS_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace testing_io {

/// What the child's standard input is connected to.
struct StdinFrom {
  enum Kind { kPipe, kFile, kClosed } kind = kPipe;
  std::string path;  // for kFile

  static StdinFrom pipe() { return {}; }
  static StdinFrom file(std::string path) { return {kFile, std::move(path)}; }
  static StdinFrom closed() { return {kClosed, {}}; }
};

/// What the child's standard output is connected to.
struct StdoutTo {
  enum Kind {
    kPipe,            // read by the test
    kPipeReaderGone,  // a pipe whose read end the test closed before the start
    kNearlyFullPipe,  // a non-blocking pipe with a few bytes free, drained slowly
    kFile,            // a file or device such as /dev/full
    kClosed,
  } kind = kPipe;
  std::string path;  // for kFile

  static StdoutTo pipe() { return {}; }
  static StdoutTo pipe_reader_gone() { return {kPipeReaderGone, {}}; }
  static StdoutTo nearly_full_pipe() { return {kNearlyFullPipe, {}}; }
  static StdoutTo file(std::string path) { return {kFile, std::move(path)}; }
  static StdoutTo closed() { return {kClosed, {}}; }
};

/// A running child, started with default signal dispositions and its
/// standard error going to a pipe of the test's. Every
/// blocking call gives up after a generous time so that a hanging program
/// fails its test instead of stalling the suite.
class ChildProcess {
 public:
  /// Starts `program` with no arguments.
  ChildProcess(const std::string& program, const StdinFrom& stdin_from,
               const StdoutTo& stdout_to = StdoutTo::pipe());
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// Writes to the child's standard input (kPipe only), as one write.
  void write_input(std::string_view bytes);
  /// Closes the test's end of the standard input pipe: end of input.
  void close_input();
  /// Reads output until everything read so far ends with `suffix`, or until
  /// the output ends; returns everything read since the start.
  const std::string& read_output_until(std::string_view suffix);
  /// Reads output until it ends; returns everything read since the start.
  /// Output that does not go to a pipe of the test's reads as empty. For a
  /// kNearlyFullPipe the filler comes first: see kPipeFiller.
  const std::string& read_all_output();
  /// Closes the test's end of the standard output pipe: the reader goes away.
  void close_output();
  /// Waits for the child to end, then returns all it wrote to standard error.
  std::string error_output();
  /// Sends `signal` to the child (POSIX signal numbers).
  void send_signal(int signal);
  /// True if the child is still running after waiting `milliseconds`.
  bool still_running_after(int milliseconds);
  /// Waits for the child; returns its exit status, or 128 + the signal that
  /// killed it, or -1 if it did not end in time.
  int wait_for_exit();

 private:
  // Appends what the child wrote next to received_; false once the output
  // has ended or nothing arrived in time.
  bool read_some();

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string received_;
};

/// How many filler bytes a kNearlyFullPipe holds before the child starts, and
/// the byte they repeat.
constexpr std::size_t kPipeFillerSize = 4096 - 16;
constexpr char kPipeFiller = '#';

/// The program the end-to-end tests run: the path in the environment variable
/// QUIRVELANDOSTRABIK_TEST_PROGRAM if set, else `built`, the program built
/// beside the tests. Either is started as it is: a program for another
/// machine comes as a launcher that starts it under its emulator.
std::string program_under_test(const char* built);

/// Writes `bytes` to a new temporary file and returns its path; the file is
/// removed at exit of the test process.
std::string temporary_file(std::string_view bytes);

}  // namespace testing_io

#endif  // QUIRVELANDOSTRABIK_TESTS_CHILD_PROCESS_H_
