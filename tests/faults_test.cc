// The built program under hostile standard streams and signals. POSIX only:
// the streams are set up as a POSIX shell or service manager would.

#include <signal.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "expected_output.h"

namespace {

using expected::kClosing;
using expected::kScreenHeader;

using testing_io::ChildProcess;
using testing_io::StdinFrom;
using testing_io::StdoutTo;

const std::string kProgram = testing_io::program_under_test(QUIRVELANDOSTRABIK_PROGRAM);

const std::string kPeterRun = kScreenHeader + expected::kPeterReading + kClosing;
const std::string kEmptyRun = kScreenHeader + "Quersumme des Namens: 0\r\n" + kClosing;

TEST(Faults, AReaderThatWentAwayIsNoFailure) {
  const std::string peter = testing_io::temporary_file("peter\n");
  for (const StdoutTo& out : {StdoutTo::pipe_reader_gone(), StdoutTo::file("/dev/null")}) {
    ChildProcess child(kProgram, StdinFrom::file(peter), out);
    EXPECT_EQ(child.error_output(), "") << "stdout kind " << out.kind << " " << out.path;
    EXPECT_EQ(child.wait_for_exit(), 0);
  }
  // A reader that stops after the header, as `| head` does: the rest of the
  // output is dropped, and the closing wait is still reached.
  ChildProcess child(kProgram, StdinFrom::pipe());
  EXPECT_EQ(child.read_output_until(kScreenHeader), kScreenHeader);
  child.close_output();
  child.write_input("peter\n");
  EXPECT_TRUE(child.still_running_after(100));
  child.write_input("42\n");
  EXPECT_EQ(child.error_output(), "");
  EXPECT_EQ(child.wait_for_exit(), 0);
}

TEST(Faults, UnreadableStandardInputIsAFailureButEmptyInputIsNot) {
  ChildProcess directory(kProgram, StdinFrom::file("/"));
  EXPECT_EQ(directory.read_all_output(), kEmptyRun);
  EXPECT_EQ(directory.error_output(), "quirvelandostrabik: standard input: Is a directory\r\n");
  EXPECT_EQ(directory.wait_for_exit(), 1);

  for (const StdinFrom& in :
       {StdinFrom::file("/dev/null"), StdinFrom::file(testing_io::temporary_file(""))}) {
    ChildProcess child(kProgram, in);
    EXPECT_EQ(child.read_all_output(), kEmptyRun) << "stdin " << in.path;
    EXPECT_EQ(child.error_output(), "");
    EXPECT_EQ(child.wait_for_exit(), 0);
  }
}

TEST(Faults, EndlessInputIsReadOnlyAsFarAsNeeded) {
  // NUL counts 0, is no whitespace and no digit: 100 of them make the name and
  // the next one ends the closing wait.
  ChildProcess child(kProgram, StdinFrom::file("/dev/zero"));
  std::string expected = kScreenHeader + "\r\nDen Buchstaben zugeordnete Zahlenwerte:\r\n\r\n";
  for (int i = 0; i < 100; ++i) expected += std::string("\0: 0\r\n", 6);
  expected += "Quersumme des Namens: 0\r\n" + kClosing;
  EXPECT_EQ(child.read_all_output(), expected);
  EXPECT_EQ(child.wait_for_exit(), 0);

  std::string endless_y;
  for (int i = 0; i < 40000; ++i) endless_y += "y\n";
  ChildProcess yes(kProgram, StdinFrom::file(testing_io::temporary_file(endless_y)));
  EXPECT_EQ(yes.read_all_output(),
            kScreenHeader + "\r\nDen Buchstaben zugeordnete Zahlenwerte:\r\n\r\ny: 1\r\n" +
                "Quersumme des Namens: 1\r\n" + kClosing);
  EXPECT_EQ(yes.wait_for_exit(), 0);
}

TEST(Faults, HarmlessSignalsWhileBlockedLoseNothing) {
  ChildProcess child(kProgram, StdinFrom::pipe());
  child.read_output_until(kScreenHeader);
  for (int i = 0; i < 20; ++i) {
    child.send_signal(i % 2 == 0 ? SIGWINCH : SIGCHLD);
    child.send_signal(SIGURG);
  }
  child.write_input("pet");
  EXPECT_TRUE(child.still_running_after(50));
  child.send_signal(SIGWINCH);
  child.write_input("er\n");
  child.read_output_until(kClosing);
  for (int i = 0; i < 20; ++i) child.send_signal(SIGCHLD);
  child.write_input("x\n");
  EXPECT_EQ(child.wait_for_exit(), 0);
  EXPECT_EQ(child.read_all_output(), kPeterRun);
}

TEST(Faults, SlowNonBlockingPipeGetsEveryLineWholeAndInOrder) {
  ChildProcess child(kProgram, StdinFrom::file(testing_io::temporary_file("peter\n")),
                     StdoutTo::nearly_full_pipe());
  const std::string& output = child.read_all_output();
  ASSERT_GE(output.size(), testing_io::kPipeFillerSize);
  EXPECT_EQ(output.substr(0, testing_io::kPipeFillerSize),
            std::string(testing_io::kPipeFillerSize, testing_io::kPipeFiller));
  EXPECT_EQ(output.substr(testing_io::kPipeFillerSize), kPeterRun);
  EXPECT_EQ(child.wait_for_exit(), 0);
}

}  // namespace
