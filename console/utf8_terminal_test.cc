#include "console/utf8_terminal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "scripted_io.h"

namespace console {
namespace {

using testing_io::kConsole;
using testing_io::Read;
using testing_io::ScriptedSource;

// Everything the terminal delivers in reads of `size` bytes until the script
// is used up: each read's bytes followed by '|', an end of input or an error
// before that as "end|" or "error|".
std::string reads_of(std::vector<Read> script, std::size_t size) {
  ScriptedSource raw(kConsole, std::move(script));
  Utf8TerminalInput terminal(raw);
  std::string delivered;
  char buffer[64];
  for (std::ptrdiff_t n; (n = terminal.read(buffer, size)) > 0 || raw.remaining() > 0;) {
    delivered += n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) + '|'
                       : (n == 0 ? "end|" : "error|");
  }
  return delivered;
}

TEST(Utf8TerminalInput, EachCharacterArrivesAsItsCodePageByte) {
  EXPECT_EQ(reads_of({"J\xC3\xBCrgen\n"}, 64), "J\x81rgen\n|");
  EXPECT_EQ(reads_of({"J\xC3", "\xBCrgen\n"}, 64), "J|\x81rgen\n|") << "split between reads";
  EXPECT_EQ(reads_of({"\xE2", "\x96", "\x91\n"}, 64), "\xB0\n|") << "a read makes nothing";
  EXPECT_EQ(reads_of({"\xC3\x9F\xC3\xBC\n"}, 1), "\xE1|\x81|\n|") << "reads of one byte";
  EXPECT_EQ(reads_of({"\xF0\x9F\x98", "\x80!"}, 64), "?!|") << "a 4-byte character split";
  EXPECT_EQ(reads_of({"\xC3\x87\xC6\x92\xC4\xB1\n"}, 64), "\x80\x9F\xD5\n|")
      << "the code page's first byte, and two of its characters above U+00FF";
  EXPECT_EQ(reads_of({"\xE2\x82\xAC\xF0\x9F\x98\x80\xC4\x9F\xDF\xBF\n"}, 64), "????\n|")
      << "characters outside the code page: euro sign, emoji, g with breve, U+07FF";
  EXPECT_EQ(reads_of({"a\xFF\xC3(\xE2\x82\n\xC0\xAF\xED\xA0\x80\xE0\x80\xAF\n"}, 64),
            "a??"
            "(??\n????????\n|")
      << "invalid sequences, overlong forms and surrogates: a ? for each byte";
  EXPECT_EQ(reads_of({"\xF0\x80\x81\xA1\xF4\x90\x80\x80\n"}, 64), "????????\n|")
      << "an overlong 4-byte form, and a code point above U+10FFFF";
  EXPECT_EQ(reads_of({"\xE0\xA0\x80\xED\x9F\xBF\xF4\x8F\xBF\xBF\n"}, 64), "???\n|")
      << "the first and last characters of the narrower ranges: one ? each";
  EXPECT_EQ(reads_of({"\xE0\xC0\xED"
                      "A\xF0\xC0\xF4"
                      "A\xC3\xC3\xBC\n"},
                     64),
            "???A???A?\x81\n|")
      << "a byte above or below the continuation bytes ends a character";
  EXPECT_EQ(reads_of({"a\xE2\x82", "", "b\n"}, 64), "a|??|end|b\n|")
      << "end of input inside one, and the terminal reads on";
  EXPECT_EQ(reads_of({"\xE2\x82", Read::error(), "b"}, 1), "?|?|error|b|") << "an error";
  EXPECT_EQ(reads_of({"ab\x1a\x04\r\n\x7f"}, 64), "ab\x1a\x04\r\n\x7f|") << "ASCII as it is";
  EXPECT_EQ(reads_of({"\xC3\xBC\xBC", "a\xC3", "\xA4"}, 64), "\x81?|a|\x84|")
      << "a character split at a read's end is not read past it";
  EXPECT_EQ(reads_of({"\xE2\x82", "a"}, 2), "??|a|") << "three bytes made for reads of two";
  EXPECT_EQ(reads_of({"a\xC3", "", "b"}, 64), "a|?|end|b|") << "one byte held, then the end";
  EXPECT_EQ(reads_of({"a\xFF", "b"}, 64), "a?|b|") << "a byte that starts none is never held";
}

// Each end of each UTF-8 range, from both sides: a character gives one byte
// ('?' where the code page lacks it), and each byte of what is none a '?'.
TEST(Utf8TerminalInput, EveryRangeEndsWhereUtf8EndsIt) {
  const struct {
    const char* typed;
    const char* arrives;
  } rows[] = {
      {"\x7F\x80", "\x7F?"},                             // the last ASCII byte, a continuation byte
      {"\xC1\xBF\xC2\xA0\xC3\xBF", "??\xFF\x98"},        // C1 starts none; U+00A0, U+00FF
      {"\xDF\xBF\xE0\xA0\x80", "??"},                    // U+07FF, U+0800
      {"\xE0\x9F\xBF\xE0\xBF\xBF", "????"},              // overlong; U+0FFF
      {"\xED\x7F\x80\xED\x80\x80", "?\x7F??"},           // U+D000
      {"\xEF\xBF\xBF\xF0\x90\x80\x80", "??"},            // U+FFFF, U+10000
      {"\xF0\x8F\xBF\xBF\xF0\xBF\xBF\xBF", "?????"},     // overlong; U+3FFFF
      {"\xF4\x7F\x80\x80\xF4\x80\x80\x80", "?\x7F???"},  // U+100000
      {"\xF5\x80\x80\x80", "????"},
      {"\xC3\x7F\xC3\xC0", "?\x7F??"},              // below and above the continuation bytes
      {"\xE0\xC0\x80\xF0\xC0\x80\x80", "???????"},  // the same after E0 and F0
  };
  for (const auto& row : rows) {
    EXPECT_EQ(reads_of({row.typed}, 64), std::string(row.arrives) + '|') << row.arrives;
  }
}

// A read asks the terminal for the caller's size less the bytes held from a
// split character, and for the whole size when that is below four bytes.
TEST(Utf8TerminalInput, AsksForWhatFitsBehindTheHeldBytes) {
  const struct {
    std::size_t size;
    std::vector<std::size_t> asked;
  } rows[] = {{8, {8, 5}}, {3, {3, 3}}};
  for (const auto& row : rows) {
    ScriptedSource raw(kConsole, {"\xF0\x9F\x98", "\x80!"});
    Utf8TerminalInput terminal(raw);
    char buffer[8];
    EXPECT_EQ(terminal.read(buffer, row.size), 2);
    EXPECT_EQ(std::string(buffer, 2), "?!");
    EXPECT_EQ(raw.requested_sizes(), row.asked) << row.size;
  }
}

TEST(Utf8TerminalOutput, EveryByteShowsAsItsCharacterAndNoneActsButTheConsoles) {
  testing_io::RecordingSink sink;
  Utf8TerminalOutput terminal(sink);
  EXPECT_EQ(terminal.write("\x81: 0\r\n", 6), 0);
  EXPECT_EQ(terminal.write(std::string("\a\b\t\x0e\x1b\x0c\x7f\x00\xB0\xE1", 10).data(), 10), 0);
  EXPECT_EQ(sink.writes, (std::vector<std::string>{"\xC3\xBC: 0\r\n",
                                                   "\a\b\t\xE2\x99\xAB\xE2\x86\x90\xE2\x99\x80"
                                                   "\xE2\x8C\x82 \xE2\x96\x91\xC3\x9F"}));
  EXPECT_EQ(terminal.write("\x9F\xD5", 2), 0);
  EXPECT_EQ(sink.writes.back(), "\xC6\x92\xC4\xB1") << "U+0192 and U+0131, in two bytes each";
  testing_io::RecordingSink failing(0, EIO);
  EXPECT_EQ(Utf8TerminalOutput(failing).write("lost", 4), EIO) << "a failed write";
  const std::string line(256, 'x');
  EXPECT_EQ(terminal.write(line.data(), line.size()), 0);
  EXPECT_EQ(sink.writes.back(), line) << "a line of 256 bytes is one write";
  const std::string boxes(256, '\xB0');
  EXPECT_EQ(terminal.write((boxes + "y").data(), 257), 0);
  std::string shown;
  for (int i = 0; i < 256; ++i) shown += "\xE2\x96\x91";
  EXPECT_EQ(std::vector<std::string>(sink.writes.end() - 2, sink.writes.end()),
            (std::vector<std::string>{shown, "y"}))
      << "a longer line in parts of 256, each character in three bytes";
}

TEST(LocaleIsUtf8, TheFirstVariableSetDecides) {
  for (const char* lang : {"C", "POSIX", "POSIX@euro", "C.UTF-8", "de_DE.utf8", "de_DE.UTF_8",
                           "de_DE.UTF-8@euro", "UTF-8"}) {
    EXPECT_TRUE(locale_is_utf8(nullptr, nullptr, lang)) << lang;
  }
  for (const char* lang :
       {"de_DE", "de_DE@euro", "de_DE.ISO-8859-1", "en_US.utf-16", "de_DE.utf88", "c", "POSIZ"}) {
    EXPECT_FALSE(locale_is_utf8(nullptr, nullptr, lang)) << lang;
  }
  EXPECT_TRUE(locale_is_utf8(nullptr, nullptr, nullptr)) << "no locale at all";
  EXPECT_FALSE(locale_is_utf8("de_DE", "C.UTF-8", "C.UTF-8")) << "LC_ALL first";
  EXPECT_TRUE(locale_is_utf8("", "de_DE.UTF-8", "de_DE")) << "then LC_CTYPE; empty is unset";
}

}  // namespace
}  // namespace console
