#include "console/text_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "dialogue/dialogue.h"
#include "scripted_io.h"

namespace console {
namespace {

using testing_io::kConsole;
using testing_io::kPipe;
using testing_io::Read;
using testing_io::ScriptedSource;
using testing_io::SourceKind;
using Sizes = std::vector<std::size_t>;

// Everything `reader` delivers until end of input.
std::string drain(TextReader& reader) {
  std::string bytes;
  for (int c = reader.get(); c != TextReader::kEndOfInput; c = reader.get()) {
    bytes += static_cast<char>(c);
  }
  return bytes;
}

std::string convert(SourceKind kind, std::initializer_list<Read> reads) {
  ScriptedSource source(kind, reads);
  char buffer[dialogue::kCharacterReadSize];
  TextModeInput reader_input(source);
  TextReader reader(reader_input, buffer, sizeof buffer);
  return drain(reader);
}

TEST(TextReader, CarriageReturns) {
  EXPECT_EQ(convert(kPipe, {"ab\r\ncd\r\n"}), "ab\ncd\n");
  EXPECT_EQ(convert(kPipe, {"a\rb\r\r\n"}), "a\rb\r\n") << "a CR not before LF is a byte";
  EXPECT_EQ(convert(kPipe, {"\r\n\r\n"}), "\n\n");
  EXPECT_EQ(convert(kPipe, {"\n\r"}), "\n\r") << "LF CR is no pair";
  EXPECT_EQ(convert(kPipe, {"ab\r", "\ncd"}), "ab\ncd") << "CR LF split across two reads";
  EXPECT_EQ(convert(kPipe, {"ab\r", "x\n"}), "ab\rx\n") << "the byte read ahead is kept";
  EXPECT_EQ(convert(kPipe, {"ab\r", "\r", "\n"}), "ab\r\n") << "the byte read ahead is a CR itself";
  EXPECT_EQ(convert(kPipe, {"a\r", std::string("\0b", 2)}), std::string("a\r\0b", 4))
      << "the byte read ahead is a NUL";
  EXPECT_EQ(convert(kPipe, {"ab\r"}), "ab\r") << "CR at the very end of input";
  EXPECT_EQ(convert(kPipe, {"\r"}), "\r");

  // Reads of one byte: the byte read ahead after a CR is a CR itself.
  ScriptedSource source(kPipe, {"a\r", "\r\n"});
  TextModeInput input(source);
  std::string bytes;
  for (char byte; input.read(&byte, 1) == 1;) bytes += byte;
  EXPECT_EQ(bytes, "a\r\n");

  // The end of input is no bytes, whatever lies before the caller's buffer.
  struct {
    char before = '\r';
    char buffer[4];
  } memory;
  EXPECT_EQ(input.read(memory.buffer, sizeof memory.buffer), 0U);
}

TEST(TextReader, CtrlZ) {
  EXPECT_EQ(convert(kConsole, {"ab\x1a"
                               "cd\n",
                               "ef\n"}),
            "abef\n")
      << "cuts the rest of its read only";
  EXPECT_EQ(convert(kConsole, {"\x1a"
                               "ab\n",
                               "cd\n"}),
            "")
      << "first in a read: end of input";
  EXPECT_EQ(convert(kConsole, {"ab\n", "\x1a\n", "cd\n"}), "ab\n");
  EXPECT_EQ(convert(kConsole, {"ab\r\x1a\n"}), "ab\r") << "CR before the cut looks no further";
  EXPECT_EQ(convert(kConsole, {"ab\r", "\x1a", "cd\n"}), "ab\r") << "Ctrl-Z read ahead ends input";
  EXPECT_EQ(convert(kConsole, {"a\x1a\x1a", "b\r\n\x1a"}), "ab\n");
}

// The same reads from a console and from a pipe, taken by the name's reader
// until its end of input, then by a second reader of the same handle. On a
// console a Ctrl-Z ends one read; from a pipe it ends the input for good, and
// nothing after it is read again, whichever reader asks.
TEST(TextModeInput, CtrlZEndsOneConsoleReadButAPipeForGood) {
  struct Case {
    std::vector<Read> reads;
    const char* console_first;
    const char* console_second;
    const char* pipe_first;
    const char* pipe_second;
    std::size_t pipe_reads;  // by both readers together
  } const cases[] = {
      {{"ab\x1a"
        "cd\n",
        "ef\n", "", "gh\n"},
       "abef\n",
       "gh\n",
       "ab",
       "",
       1},
      {{"\x1a"
        "ab\n",
        "cd\n"},
       "",
       "cd\n",
       "",
       "",
       1},
      {{"ab\r\x1a", "cd\n"}, "ab\rcd\n", "", "ab\r", "", 1},
      {{"ab\r", "\x1a", "cd\n"}, "ab\r", "cd\n", "ab\r", "", 2},  // read ahead after a CR
      {{"ab\n", "", "cd\n"}, "ab\n", "cd\n", "ab\n", "cd\n", 4},  // no Ctrl-Z: reads on
      {{"ab\r", "", "cd\n"}, "ab\r", "cd\n", "ab\r", "cd\n", 4},  // an end read ahead
  };
  for (const Case& c : cases) {
    for (const SourceKind kind : {kConsole, kPipe}) {
      ScriptedSource source(kind, c.reads);
      TextModeInput input(source);
      char first_buffer[dialogue::kCharacterReadSize];
      char second_buffer[dialogue::kIntegerReadSize];
      TextReader first(input, first_buffer, sizeof first_buffer);
      TextReader second(input, second_buffer, sizeof second_buffer);
      const std::string first_bytes = drain(first);
      const std::string second_bytes = drain(second);
      const std::string what =
          std::string(kind == kConsole ? "console" : "pipe") + ", first read: " + c.reads[0].bytes;
      if (kind == kConsole) {
        EXPECT_EQ(first_bytes, c.console_first) << what;
        EXPECT_EQ(second_bytes, c.console_second) << what;
      } else {
        EXPECT_EQ(first_bytes, c.pipe_first) << what;
        EXPECT_EQ(second_bytes, c.pipe_second) << what;
        EXPECT_EQ(source.requested_sizes().size(), c.pipe_reads) << what;
      }
    }
  }
}

TEST(TextReader, EndOfInputAndErrorsStayWithoutFurtherReads) {
  {
    ScriptedSource source(kPipe, {"ab", "", "cd\n"});
    char buffer[16];
    TextModeInput reader_input(source);
    TextReader reader(reader_input, buffer, sizeof buffer);
    EXPECT_EQ(drain(reader), "ab");
    EXPECT_EQ(reader.get(), TextReader::kEndOfInput);
    EXPECT_EQ(reader.peek(), TextReader::kEndOfInput);
    EXPECT_EQ(source.requested_sizes().size(), 2U);
    EXPECT_EQ(source.remaining(), 1U) << "cd must never be read";
  }
  {
    ScriptedSource source(kPipe, {"ab", Read::error(), "cd\n"});
    char buffer[16];
    TextModeInput reader_input(source);
    TextReader reader(reader_input, buffer, sizeof buffer);
    EXPECT_EQ(drain(reader), "ab");
    EXPECT_EQ(reader.get(), TextReader::kEndOfInput);
    EXPECT_EQ(source.remaining(), 1U);
  }
  {
    ScriptedSource source(kPipe, {"ab\r", "", "cd\n"});
    char buffer[16];
    TextModeInput reader_input(source);
    TextReader reader(reader_input, buffer, sizeof buffer);
    EXPECT_EQ(drain(reader), "ab\r") << "end of input met while looking ahead";
    EXPECT_EQ(source.remaining(), 1U);
  }
  {
    // A terminal: a literal CR ends one read, a lone CR the next, then Ctrl-D.
    // The CR read ahead is delivered with that end of input, not looked past.
    ScriptedSource source(kConsole, {"ab\r", "\r", "", "x\n"});
    char buffer[16];
    TextModeInput reader_input(source);
    TextReader reader(reader_input, buffer, sizeof buffer);
    EXPECT_EQ(drain(reader), "ab\r\r");
    EXPECT_EQ(source.requested_sizes(), (Sizes{16, 1, 15}));
    EXPECT_EQ(source.remaining(), 1U) << "x is for the next reader";
  }
  {
    // Each read meets its own error; the first one's number is kept.
    ScriptedSource source(kConsole, {Read::returning(-EPERM), Read::error()});
    TextModeInput input(source);
    char byte = 0;
    EXPECT_EQ(input.read(&byte, 1), 0U);
    EXPECT_EQ(input.read(&byte, 1), 0U);
    EXPECT_EQ(input.error(), EPERM);
  }
  {
    ScriptedSource source(kConsole, {"\x1a", "cd\n"});
    char buffer[16];
    TextModeInput reader_input(source);
    TextReader reader(reader_input, buffer, sizeof buffer);
    EXPECT_EQ(reader.get(), TextReader::kEndOfInput);
    EXPECT_EQ(reader.get(), TextReader::kEndOfInput);
    EXPECT_EQ(source.remaining(), 1U);
  }
}

TEST(TextReader, ReadsAskForTheReaderSizeAndOnlyWhenTheBufferIsEmpty) {
  const std::string big(20000, 'a');
  ScriptedSource source(kPipe, {big});
  char name_buffer[dialogue::kCharacterReadSize];
  TextModeInput reader_input(source);
  TextReader reader(reader_input, name_buffer, sizeof name_buffer);
  for (std::size_t i = 0; i < dialogue::kCharacterReadSize; ++i) ASSERT_EQ(reader.get(), 'a');
  EXPECT_EQ(source.requested_sizes(), (Sizes{16384}));
  EXPECT_EQ(reader.get(), 'a');
  EXPECT_EQ(source.requested_sizes(), (Sizes{16384, 16384}));

  ScriptedSource small_source(kPipe, {big});
  char answer_buffer[dialogue::kIntegerReadSize];
  TextModeInput answer_reader_input(small_source);
  TextReader answer_reader(answer_reader_input, answer_buffer, sizeof answer_buffer);
  EXPECT_EQ(answer_reader.peek(), 'a');
  EXPECT_EQ(small_source.requested_sizes(), (Sizes{1024}));

  ScriptedSource split(kPipe, {"ab\r", "\n"});
  TextModeInput lookahead_reader_input(split);
  TextReader lookahead_reader(lookahead_reader_input, answer_buffer, sizeof answer_buffer);
  EXPECT_EQ(drain(lookahead_reader), "ab\n");
  EXPECT_EQ(split.requested_sizes(), (Sizes{1024, 1, 1024})) << "one byte read ahead";

  ScriptedSource carriage_returns(kPipe, {"a\r", "\r\r\r\r\r\r\r\r\n"});
  TextModeInput cr_reader_input(carriage_returns);
  TextReader cr_reader(cr_reader_input, answer_buffer, sizeof answer_buffer);
  EXPECT_EQ(drain(cr_reader), "a\r\r\r\r\r\r\r\r\n");
  EXPECT_EQ(carriage_returns.requested_sizes(), (Sizes{1024, 1, 1023, 1024}))
      << "a CR read ahead continues with a full read, not a read per CR";
}

TEST(TextReader, TwoReadersOnOneSourceNeverShareBufferedBytesOrEndOfInput) {
  ScriptedSource source(kPipe, {"peter\n42\n", "", "x\n"});
  char name_buffer[dialogue::kCharacterReadSize];
  char answer_buffer[dialogue::kIntegerReadSize];
  TextModeInput input(source);
  TextReader name_reader(input, name_buffer, sizeof name_buffer);
  TextReader answer_reader(input, answer_buffer, sizeof answer_buffer);
  EXPECT_EQ(name_reader.get(), 'p');
  EXPECT_EQ(drain(name_reader), "eter\n42\n");
  EXPECT_EQ(answer_reader.get(), 'x') << "42 stayed with the name reader";
  EXPECT_EQ(name_reader.get(), TextReader::kEndOfInput);
}

struct Extraction {
  bool ok;
  std::int32_t value;
  std::string rest;  // what the reader still holds afterwards
};

Extraction extract(std::initializer_list<Read> reads) {
  ScriptedSource source(kConsole, reads);
  char buffer[dialogue::kIntegerReadSize];
  TextModeInput reader_input(source);
  TextReader reader(reader_input, buffer, sizeof buffer);
  Extraction e{false, 12345, ""};
  e.ok = extract_integer(reader, &e.value);
  e.rest = drain(reader);
  return e;
}

TEST(ExtractInteger, SkipsWhitespaceThenTakesSignAndDigits) {
  Extraction e = extract({"42\n"});
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.value, 42);
  EXPECT_EQ(e.rest, "\n");

  e = extract({"\n", "   \n", " \t\v\f\r-7 9\n"});
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.value, -7);
  EXPECT_EQ(e.rest, " 9\n");

  e = extract({"+0012x"});
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.value, 12);
  EXPECT_EQ(e.rest, "x");

  e = extract({"4", "2", ""});
  EXPECT_TRUE(e.ok) << "digits across reads, then end of input";
  EXPECT_EQ(e.value, 42);
}

TEST(ExtractInteger, FailsWithoutDigitsAndClampsOutOfRange) {
  Extraction e = extract({"x\n"});
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.value, 12345) << "value untouched";
  EXPECT_EQ(e.rest, "x\n") << "the letter stays unread";

  e = extract({"-\n"});
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.rest, "\n");

  e = extract({"  \n \n", ""});
  EXPECT_FALSE(e.ok) << "end of input after whitespace";

  e = extract({"\x1a"});
  EXPECT_FALSE(e.ok);

  e = extract({"2147483647 -2147483648"});
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.value, 2147483647);

  e = extract({"-2147483648"});
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.value, -2147483647 - 1);

  e = extract({"2147483648\n"});
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.value, 2147483647);
  EXPECT_EQ(e.rest, "\n");

  e = extract({"-21474836480\n"});
  EXPECT_FALSE(e.ok) << "a digit past the lowest value";
  EXPECT_EQ(e.value, -2147483647 - 1);

  e = extract({"-" + std::string(5000, '9') + "\n"});
  EXPECT_FALSE(e.ok) << "digits beyond one buffer and any range";
  EXPECT_EQ(e.value, -2147483647 - 1);
  EXPECT_EQ(e.rest, "\n");
}

}  // namespace
}  // namespace console
