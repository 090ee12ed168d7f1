#include "numerology/evaluate_name.h"

#include <gtest/gtest.h>

#include <string>

#include "dialogue/dialogue.h"
#include "expected_output.h"
#include "scripted_io.h"

namespace numerology {
namespace {

using expected::kLetterHeader;

using testing_io::kConsole;
using testing_io::kPipe;
using testing_io::Read;
using testing_io::RecordingSink;
using testing_io::ScriptedSource;
using testing_io::SourceKind;

struct Evaluation {
  std::string output;
  std::size_t writes;
  std::string unread;  // what the reader still held afterwards
  std::size_t reads;
};

Evaluation evaluate(SourceKind kind, std::initializer_list<Read> reads) {
  ScriptedSource source(kind, reads);
  RecordingSink sink;
  char buffer[dialogue::kCharacterReadSize];
  console::TextModeInput reader_input(source);
  console::TextReader reader(reader_input, buffer, sizeof buffer);
  {
    console::TextOutput out(sink);
    evaluate_name(reader, out);
  }
  Evaluation e{sink.text(), sink.writes.size(), "", source.requested_sizes().size()};
  for (int c = reader.get(); c != console::TextReader::kEndOfInput; c = reader.get()) {
    e.unread += static_cast<char>(c);
  }
  return e;
}

TEST(EvaluateName, ReportsEachCharacterUnderOneHeaderThenTheTotal) {
  EXPECT_EQ(evaluate(kPipe, {"peter\n"}).output, kLetterHeader +
                                                     "p: 8\r\ne: 5\r\nt: 4\r\ne: 5\r\nr: 2\r\n"
                                                     "Quersumme des Namens: 24\r\n"
                                                     "2. Quersumme des Namens: 6\r\n");
  EXPECT_EQ(evaluate(kPipe, {"Anna\n"}).output,
            kLetterHeader +
                "A: 0\r\nn: 5\r\nn: 5\r\na: 1\r\nQuersumme des Namens: 11\r\n"
                "2. Quersumme des Namens: 2\r\n");
  EXPECT_EQ(evaluate(kPipe, {"a b\r\n"}).output,
            kLetterHeader + "a: 1\r\n : 0\r\nb: 2\r\nQuersumme des Namens: 3\r\n")
      << "a blank is a character; the CR of CR LF is not";
  EXPECT_EQ(evaluate(kPipe, {"a\rb\n"}).output,
            kLetterHeader + "a: 1\r\n\r: 0\r\nb: 2\r\nQuersumme des Namens: 3\r\n")
      << "a lone CR is echoed as it is";
  EXPECT_EQ(evaluate(kPipe, {std::string("\xE4\0\xFF\n", 4)}).output,
            kLetterHeader + "\xE4: 0\r\n" + std::string("\0: 0\r\n", 6) +
                "\xFF: 0\r\nQuersumme des Namens: 0\r\n");
  EXPECT_EQ(evaluate(kPipe, {"peter\n"}).writes, 3U + 5U + 2U) << "one write per line";
}

TEST(EvaluateName, EmptyNameWritesOnlyTheTotal) {
  EXPECT_EQ(evaluate(kPipe, {"\n"}).output, "Quersumme des Namens: 0\r\n");
  EXPECT_EQ(evaluate(kPipe, {"\r\n"}).output, "Quersumme des Namens: 0\r\n");
  EXPECT_EQ(evaluate(kPipe, {""}).output, "Quersumme des Namens: 0\r\n");
  EXPECT_EQ(evaluate(kPipe, {"\x1a"
                             "abc\n"})
                .output,
            "Quersumme des Namens: 0\r\n");
  EXPECT_EQ(evaluate(kPipe, {Read::error()}).output, "Quersumme des Namens: 0\r\n");
}

TEST(EvaluateName, EndOfInputEndsTheNameLikeALineFeed) {
  const Evaluation e = evaluate(kConsole, {"ab"});
  EXPECT_EQ(e.output, kLetterHeader + "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n");
  EXPECT_EQ(e.reads, 2U) << "no read after end of input";
  EXPECT_EQ(evaluate(kConsole, {"ab", Read::error(), "cd\n"}).output,
            kLetterHeader + "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n");
  EXPECT_EQ(evaluate(kConsole, {"ab\x1a"
                                "cd\n",
                                "ef\n"})
                .output,
            kLetterHeader +
                "a: 1\r\nb: 2\r\ne: 5\r\nf: 8\r\nQuersumme des Namens: 16\r\n"
                "2. Quersumme des Namens: 7\r\n")
      << "Ctrl-Z after characters drops the rest of that line only";
  EXPECT_EQ(evaluate(kConsole, {"ab", "\x1a", "cd\n"}).output,
            kLetterHeader + "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n");
}

TEST(EvaluateName, TakesAtMostOneHundredCharacters) {
  std::string expected_lines;
  for (int i = 0; i < 100; ++i) expected_lines += "f: 8\r\n";
  const std::string reading = kLetterHeader + expected_lines + "Quersumme des Namens: 800\r\n" +
                              "2. Quersumme des Namens: 8\r\n";

  Evaluation e = evaluate(kPipe, {std::string(100, 'f') + "\n"});
  EXPECT_EQ(e.output, reading);
  EXPECT_EQ(e.unread, "\n") << "the line feed after 100 characters stays unread";

  e = evaluate(kPipe, {std::string(150, 'f') + "\nnext\n"});
  EXPECT_EQ(e.output, reading);
  EXPECT_EQ(e.unread, std::string(50, 'f') + "\nnext\n");

  e = evaluate(kPipe, {std::string(99, 'f') + "a\n"});
  const std::string tail =
      "a: 1\r\nQuersumme des Namens: 793\r\n2. Quersumme des Namens: 100\r\n"
      "2. Quersumme des Namens: 10\r\n3. Quersumme des Namens: 1\r\n";
  ASSERT_GT(e.output.size(), tail.size());
  EXPECT_EQ(e.output.substr(e.output.size() - tail.size()), tail);

  std::vector<Read> one_byte_reads;
  one_byte_reads.reserve(120);
  for (int i = 0; i < 120; ++i) one_byte_reads.emplace_back(std::string(1, 'p'));
  ScriptedSource source(kPipe, one_byte_reads);
  RecordingSink sink;
  char buffer[dialogue::kCharacterReadSize];
  console::TextModeInput reader_input(source);
  console::TextReader reader(reader_input, buffer, sizeof buffer);
  {
    console::TextOutput out(sink);
    evaluate_name(reader, out);
  }
  EXPECT_EQ(source.requested_sizes().size(), 100U) << "no read past the hundredth character";
  EXPECT_NE(sink.text().find("Quersumme des Namens: 800\r\n"), std::string::npos);
}

TEST(EvaluateName, EveryByteValueIsEchoedAsReadWithItsNumber) {
  const char* const groups[] = {"", "aijqy", "bkr", "cgls", "dmt", "ehnx", "uvw", "oz", "fp"};
  int expected_value[256] = {};
  for (int number = 1; number <= 8; ++number) {
    for (const char* c = groups[number]; *c != '\0'; ++c)
      expected_value[static_cast<unsigned char>(*c)] = number;
  }
  for (int byte = 0; byte <= 0xFF; ++byte) {
    const char c = static_cast<char>(byte);
    const std::string output = evaluate(kPipe, {std::string(1, c) + "\n"}).output;
    if (c == '\n' || c == '\r' || c == '\x1a') {
      // Line feed, CR LF, and Ctrl-Z first in a read: no character at all.
      EXPECT_EQ(output, "Quersumme des Namens: 0\r\n") << "byte " << byte;
      continue;
    }
    const std::string number = std::to_string(expected_value[byte]);
    EXPECT_EQ(output,
              kLetterHeader + c + ": " + number + "\r\nQuersumme des Namens: " + number + "\r\n")
        << "byte " << byte;
  }
}

// However the operating system splits or cuts the reads, the reading is the
// one of the name the reader delivers.
TEST(EvaluateName, ReadBoundariesAndCtrlZCutsChangeOnlyWhatTheNameIs) {
  const std::string peter = evaluate(kConsole, {"peter\n"}).output;
  EXPECT_EQ(evaluate(kConsole, {"p", "e", "t", "e", "r", "\n"}).output, peter);
  EXPECT_EQ(evaluate(kConsole, {"peter\r", "\n"}).output, peter);
  EXPECT_EQ(evaluate(kConsole, {"pet", "er\r\n"}).output, peter);

  const std::string line = "peter\n";
  for (std::size_t cut = 0; cut <= line.size(); ++cut) {
    const std::string before = line.substr(0, cut);
    std::string name;  // what a console delivers: the line up to Ctrl-Z, then the next line
    if (cut == 0) {
      name = "";
    } else if (before.back() == '\n') {
      name = "peter";
    } else {
      name = before + "ab";
    }
    EXPECT_EQ(evaluate(kConsole, {before + "\x1a" + line.substr(cut), "ab\n"}).output,
              evaluate(kConsole, {name + "\n"}).output)
        << "Ctrl-Z at " << cut;
  }
}

}  // namespace
}  // namespace numerology
