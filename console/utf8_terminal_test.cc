#include "console/utf8_terminal.h"

#include <gtest/gtest.h>

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
  for (;;) {
    const std::ptrdiff_t n = terminal.read(buffer, size);
    if (n > 0) {
      delivered.append(buffer, static_cast<std::size_t>(n)) += '|';
    } else if (raw.remaining() == 0) {
      return delivered;
    } else {
      delivered += n == 0 ? "end|" : "error|";
    }
  }
}

TEST(Utf8TerminalInput, EachCharacterArrivesAsItsCodePageByte) {
  EXPECT_EQ(reads_of({"J\xC3\xBCrgen\n"}, 64), "J\x81rgen\n|");
  EXPECT_EQ(reads_of({"J\xC3", "\xBCrgen\n"}, 64), "J|\x81rgen\n|") << "split between reads";
  EXPECT_EQ(reads_of({"\xE2", "\x96", "\x91\n"}, 64), "\xB0\n|") << "a read makes nothing";
  EXPECT_EQ(reads_of({"\xC3\x9F\xC3\xBC\n"}, 1), "\xE1|\x81|\n|") << "reads of one byte";
  EXPECT_EQ(reads_of({"\xE2\x82\xAC\xF0\x9F\x98\x80\xC4\x9F\n"}, 64), "???\n|")
      << "characters outside the code page: euro sign, emoji, g with breve";
  EXPECT_EQ(reads_of({"a\xFF\xC3(\xE2\x82\n\xC0\xAF\xED\xA0\x80\n"}, 64),
            "a??"
            "(??\n?????\n|")
      << "invalid sequences, overlong forms and surrogates: a ? for each byte";
  EXPECT_EQ(reads_of({"a\xE2\x82", "", "b\n"}, 64), "a|??|end|b\n|")
      << "end of input inside one, and the terminal reads on";
  EXPECT_EQ(reads_of({"\xE2\x82", Read::error(), "b"}, 1), "?|?|error|b|") << "an error";
  EXPECT_EQ(reads_of({"ab\x1a\x04\r\n\x7f"}, 64), "ab\x1a\x04\r\n\x7f|") << "ASCII as it is";
}

TEST(Utf8TerminalOutput, EveryByteShowsAsItsCharacterAndNoneActsButTheConsoles) {
  testing_io::RecordingSink sink;
  Utf8TerminalOutput terminal(sink);
  EXPECT_EQ(terminal.write("\x81: 0\r\n", 6), 0);
  EXPECT_EQ(terminal.write(std::string("\a\b\t\x0e\x1b\x0c\x7f\x00\xB0\xE1", 10).data(), 10), 0);
  EXPECT_EQ(sink.writes, (std::vector<std::string>{"\xC3\xBC: 0\r\n",
                                                   "\a\b\t\xE2\x99\xAB\xE2\x86\x90\xE2\x99\x80"
                                                   "\xE2\x8C\x82 \xE2\x96\x91\xC3\x9F"}));
}

TEST(LocaleIsUtf8, TheFirstVariableSetDecides) {
  struct Case {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    bool utf8;
  } const cases[] = {
      {nullptr, nullptr, nullptr, true},
      {nullptr, nullptr, "C", true},
      {nullptr, nullptr, "POSIX", true},
      {nullptr, nullptr, "C.UTF-8", true},
      {nullptr, nullptr, "de_DE.utf8", true},
      {nullptr, "UTF-8", nullptr, true},
      {nullptr, nullptr, "de_DE.UTF-8@euro", true},
      {nullptr, nullptr, "de_DE", false},
      {nullptr, nullptr, "de_DE@euro", false},
      {nullptr, nullptr, "de_DE.ISO-8859-1", false},
      {"", "", "de_DE.ISO-8859-15", false},
      {"de_DE", nullptr, "C.UTF-8", false},
      {"", "de_DE.UTF-8", "de_DE", true},
      {nullptr, nullptr, "en_US.utf-16", false},
  };
  const auto shown = [](const char* value) { return value == nullptr ? "unset" : value; };
  for (const Case& c : cases) {
    EXPECT_EQ(locale_is_utf8(c.lc_all, c.lc_ctype, c.lang), c.utf8)
        << shown(c.lc_all) << " " << shown(c.lc_ctype) << " " << shown(c.lang);
  }
}

}  // namespace
}  // namespace console
