// The built program, run as a child process on real files and pipes.

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "expected_output.h"

namespace {

using expected::kClosing;
using expected::kLetterHeader;
using expected::kPeterReading;
using expected::kScreenHeader;

using testing_io::ChildProcess;
using testing_io::StdinFrom;
using testing_io::StdoutTo;

const std::string kProgram = testing_io::program_under_test(QUIRVELANDOSTRABIK_PROGRAM);

struct Outcome {
  std::string output;
  int status;
};

Outcome run_with_file(const std::string& contents) {
  ChildProcess child(kProgram, StdinFrom::file(testing_io::temporary_file(contents)));
  Outcome run;
  run.output = child.read_all_output();
  run.status = child.wait_for_exit();
  return run;
}

TEST(EndToEnd, FileInputIsReadWholeAndTheRunEndsWithoutWaiting) {
  Outcome run = run_with_file("peter\n42\n");
  EXPECT_EQ(run.output, kScreenHeader + kPeterReading + kClosing);
  EXPECT_EQ(run.status, 0);

  run = run_with_file("peter\r\n");
  EXPECT_EQ(run.output, kScreenHeader + kPeterReading + kClosing);
  EXPECT_EQ(run.status, 0);

  run = run_with_file("ab");
  EXPECT_EQ(run.output, kScreenHeader + kLetterHeader +
                            "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n" + kClosing);
  EXPECT_EQ(run.status, 0);

  run = run_with_file("");
  EXPECT_EQ(run.output, kScreenHeader + "Quersumme des Namens: 0\r\n" + kClosing);
  EXPECT_EQ(run.status, 0);

  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += "o: 7\r\n";
  run = run_with_file(std::string(150, 'o') + "\n42\n");
  EXPECT_EQ(run.output, kScreenHeader + kLetterHeader + hundred +
                            "Quersumme des Namens: 700\r\n2. Quersumme des Namens: 7\r\n" +
                            kClosing);
  EXPECT_EQ(run.status, 0);
}

// A stream that cannot be used is reported once on standard error and in the
// exit status; everything else still runs and writes what it can.
TEST(EndToEnd, UnusableStandardStreamsGiveStatusOneAndOneLineEach) {
  ChildProcess no_input(kProgram, StdinFrom::closed());
  EXPECT_EQ(no_input.read_all_output(), kScreenHeader + "Quersumme des Namens: 0\r\n" + kClosing);
  EXPECT_EQ(no_input.error_output(), "quirvelandostrabik: standard input: Bad file descriptor\r\n");
  EXPECT_EQ(no_input.wait_for_exit(), 1);

  const std::string peter = testing_io::temporary_file("peter\n");
  ChildProcess no_output(kProgram, StdinFrom::file(peter), StdoutTo::closed());
  EXPECT_EQ(no_output.error_output(),
            "quirvelandostrabik: standard output: Bad file descriptor\r\n");
  EXPECT_EQ(no_output.wait_for_exit(), 1);

  ChildProcess full(kProgram, StdinFrom::file(peter), StdoutTo::file("/dev/full"));
  EXPECT_EQ(full.error_output(),
            "quirvelandostrabik: standard output: No space left on device\r\n");
  EXPECT_EQ(full.wait_for_exit(), 1);
}

// A pipe fed one line at a time, as a person types: every line is out before
// the next read, and the closing wait outlasts empty and blank lines.
TEST(EndToEnd, PipeFedLineByLineWaitsUntilANonBlankAnswer) {
  for (const char* answer : {"42\n", "-7\n", "x\n", ""}) {
    ChildProcess child(kProgram, StdinFrom::pipe());
    EXPECT_EQ(child.read_output_until(kScreenHeader), kScreenHeader);
    child.write_input("peter\n");
    EXPECT_EQ(child.read_output_until(kClosing), kScreenHeader + kPeterReading + kClosing);
    child.write_input("\n");
    EXPECT_TRUE(child.still_running_after(100)) << "an empty line must not end the wait";
    child.write_input("  \t \r\n");
    EXPECT_TRUE(child.still_running_after(100)) << "a blank line must not end the wait";
    if (*answer != '\0') {
      child.write_input(answer);
    } else {
      child.close_input();
    }
    EXPECT_EQ(child.wait_for_exit(), 0) << "answer " << answer;
    EXPECT_EQ(child.read_all_output(), kScreenHeader + kPeterReading + kClosing);
  }
}

// A CR that ends what the pipe holds is not looked past until it is needed:
// the reading appears at once, and the byte after the CR is the answer.
TEST(EndToEnd, PipeEndingInCrShowsTheReadingAtOnceAndPassesTheNextByteOn) {
  ChildProcess child(kProgram, StdinFrom::pipe());
  child.read_output_until(kScreenHeader);
  child.write_input("peter\nab\r");
  EXPECT_EQ(child.read_output_until(kClosing), kScreenHeader + kPeterReading + kClosing);
  child.write_input("x\n");
  EXPECT_EQ(child.wait_for_exit(), 0) << "the x must end the closing wait";
}

// From a file or a pipe a Ctrl-Z ends the input for good: nothing after it is
// read, whatever the reads return and however a writer splits its writes.
TEST(EndToEnd, CtrlZInAFileOrAPipeEndsTheInputForGood) {
  const std::string ab_reading =
      kScreenHeader + kLetterHeader + "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n" + kClosing;
  Outcome run = run_with_file("ab\x1a" + std::string(16381, 'y') + "cd\n42\n");
  EXPECT_EQ(run.output, ab_reading) << "the second read of a file is not made";
  EXPECT_EQ(run.status, 0);

  ChildProcess name_cut(kProgram, StdinFrom::pipe());
  name_cut.read_output_until(kScreenHeader);
  name_cut.write_input(
      "ab\x1a"
      "cd\n");
  EXPECT_EQ(name_cut.wait_for_exit(), 0) << "the pieces after the Ctrl-Z are not waited for";
  EXPECT_EQ(name_cut.read_all_output(), ab_reading);

  ChildProcess answer_cut(kProgram, StdinFrom::pipe());
  answer_cut.read_output_until(kScreenHeader);
  answer_cut.write_input("peter\n");
  answer_cut.read_output_until(kClosing);
  answer_cut.write_input(
      "  \x1a"
      "42\n");
  EXPECT_EQ(answer_cut.wait_for_exit(), 0) << "the closing wait ends at the Ctrl-Z";
}

}  // namespace
