#include "dialogue/dialogue.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "expected_output.h"
#include "scripted_io.h"

namespace dialogue {
namespace {

using expected::kClosing;
using expected::kScreenHeader;

using testing_io::kConsole;
using testing_io::kPipe;
using testing_io::Read;
using testing_io::RecordingSink;
using testing_io::ScriptedSource;

TEST(RunDialogue, PeterFromTheConsoleByteForByteAndLineByLine) {
  ScriptedSource source(kConsole, {"peter\r\n", "42\r\n"});
  RecordingSink sink;
  EXPECT_EQ(run_dialogue(source, sink), 0);
  EXPECT_EQ(sink.writes, (std::vector<std::string>{
                             "\r\n",
                             "\r\n",
                             "\r\n",
                             "*****************Quirvelandostrabik***************\r\n",
                             "\abitte Namen eingeben: \r\n",
                             "\r\n",
                             "\r\n",
                             "Den Buchstaben zugeordnete Zahlenwerte:\r\n",
                             "\r\n",
                             "p: 8\r\n",
                             "e: 5\r\n",
                             "t: 4\r\n",
                             "e: 5\r\n",
                             "r: 2\r\n",
                             "Quersumme des Namens: 24\r\n",
                             "2. Quersumme des Namens: 6\r\n",
                             "Ende: Taste druecken\r\n",
                         }));
  EXPECT_EQ(source.remaining(), 0U);
  EXPECT_EQ(source.requested_sizes(), (std::vector<std::size_t>{16384, 1024}));
}

TEST(RunDialogue, ClosingWaitReadsAfreshAndWaitsThroughBlankLines) {
  struct Case {
    std::vector<Read> reads;
    std::size_t left_unread;
  } const cases[] = {
      {{"peter\n42\n", "x\n", "never\n"}, 1},  // 42 stayed in the name reader's buffer
      {{"peter\n", "\n", "   \n", "\t\n", "-7\n", "never\n"}, 1},
      {{"peter\n", "\r\n", "x", "never\n"}, 1},
      {{"peter\n", "\n", ""}, 0},
      {{"", "\n", "42\n", "never\n"}, 1},  // end of the name, not of the wait
      {{"\x1a\r\n", "\x1a\r\n", "never\n"}, 1},
      {{"peter\n", Read::error(), "never\n"}, 1},
  };
  for (const Case& c : cases) {
    ScriptedSource source(kConsole, c.reads);
    RecordingSink sink;
    EXPECT_EQ(run_dialogue(source, sink), 0);
    EXPECT_EQ(source.remaining(), c.left_unread) << "first read: " << c.reads[0].bytes;
    EXPECT_EQ(sink.text().substr(sink.text().size() - kClosing.size()), kClosing);
  }
}

// The byte read ahead after a CR that ended a read belongs to standard input,
// not to the reader that read it: here the x is the closing answer.
TEST(RunDialogue, ByteReadAheadAfterATrailingCrReachesTheClosingWait) {
  ScriptedSource source(kPipe, {"peter\nab\r", "x\n", "never\n"});
  RecordingSink sink;
  EXPECT_EQ(run_dialogue(source, sink), 0);
  EXPECT_EQ(sink.text(), kScreenHeader + expected::kPeterReading + kClosing);
  EXPECT_EQ(source.requested_sizes(), (std::vector<std::size_t>{16384, 1}))
      << "one byte read ahead, taken by the closing wait; never is not read";
}

TEST(ExitStatus, AReadErrorInTheNameEndsItAndIsReportedOnce) {
  ScriptedSource source(kPipe, {"pe", Read::error(), "x\n", "never\n"});
  RecordingSink sink;
  console::TextModeInput input(source);
  console::TextOutput output(sink);
  EXPECT_EQ(run_dialogue(input, output), 0);
  EXPECT_EQ(sink.text(), kScreenHeader + expected::kLetterHeader +
                             "p: 8\r\ne: 5\r\nQuersumme des Namens: 13\r\n"
                             "2. Quersumme des Namens: 4\r\n" +
                             kClosing);
  EXPECT_EQ(source.remaining(), 1U) << "the closing wait read afresh and took x";

  RecordingSink errors;
  EXPECT_EQ(exit_status(input, output, errors), 1);
  EXPECT_EQ(errors.text(),
            "quirvelandostrabik: standard input: " +
                std::string(std::strerror(EIO)) +  // NOLINT(concurrency-mt-unsafe)
                "\r\n");

  ScriptedSource good(kPipe, {"peter\n", "x\n"});
  console::TextModeInput good_input(good);
  RecordingSink ignored;
  console::TextOutput good_output(ignored);
  run_dialogue(good_input, good_output);
  EXPECT_EQ(exit_status(good_input, good_output, errors), 0);
  EXPECT_EQ(errors.writes.size(), 1U) << "nothing more on standard error";
}

// Space freed after a full disk: the first line is lost, the rest goes out.
// The lost line still makes the run a failure.
TEST(ExitStatus, AFailedWriteIsReportedThoughLaterWritesSucceed) {
  ScriptedSource source(kPipe, {"peter\n"});
  RecordingSink sink(0, ENOSPC);
  console::TextModeInput input(source);
  console::TextOutput output(sink);
  run_dialogue(input, output);
  EXPECT_EQ("\r\n" + sink.text(), kScreenHeader + expected::kPeterReading + kClosing);

  RecordingSink errors;
  EXPECT_EQ(exit_status(input, output, errors), 1);
  EXPECT_EQ(errors.text(),
            "quirvelandostrabik: standard output: " +
                std::string(std::strerror(ENOSPC)) +  // NOLINT(concurrency-mt-unsafe)
                "\r\n");
}

TEST(RunDialogue, EmptyInputGivesTotalZeroAndEnds) {
  ScriptedSource source(kPipe, {});
  RecordingSink sink;
  EXPECT_EQ(run_dialogue(source, sink), 0);
  EXPECT_EQ(sink.text(), kScreenHeader + "Quersumme des Namens: 0\r\n" + kClosing);
  EXPECT_EQ(source.requested_sizes(), (std::vector<std::size_t>{16384, 1024}));
}

TEST(RunDialogue, NameWithoutLineEndIsReportedOnce) {
  ScriptedSource source(kPipe, {"ab"});
  RecordingSink sink;
  EXPECT_EQ(run_dialogue(source, sink), 0);
  EXPECT_EQ(sink.text(), kScreenHeader +
                             "\r\nDen Buchstaben zugeordnete Zahlenwerte:\r\n\r\n"
                             "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n" +
                             kClosing);
}

// Answers every read with as many bytes as asked for, forever.
class EndlessSource final : public console::ByteSource {
 public:
  explicit EndlessSource(std::string pattern) : pattern_(std::move(pattern)) {}
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    sizes.push_back(size);
    for (std::size_t i = 0; i < size; ++i) buffer[i] = pattern_[(offset_ + i) % pattern_.size()];
    offset_ += size;
    return static_cast<std::ptrdiff_t>(size);
  }
  bool is_character_device() const override { return false; }
  std::vector<std::size_t> sizes;

 private:
  std::string pattern_;
  std::size_t offset_ = 0;
};

TEST(RunDialogue, EndlessInputTakesOneReadPerReader) {
  for (const std::string& pattern : {std::string("a"), std::string("y\n"), std::string(1, '\0')}) {
    EndlessSource source(pattern);
    RecordingSink sink;
    EXPECT_EQ(run_dialogue(source, sink), 0);
    EXPECT_EQ(source.sizes, (std::vector<std::size_t>{16384, 1024})) << "pattern " << pattern;
  }
}

}  // namespace
}  // namespace dialogue
