#include "console/utf16_console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace console {
namespace {

// Answers each read with the next scripted read, split when it is longer
// than asked for; an empty one, and every read after the script, is 0.
struct ScriptedUnits final : Utf16Source {
  std::ptrdiff_t read(char16_t* units, std::size_t size) override {
    if (reads.empty()) return 0;
    const std::size_t n = reads.front().copy(units, size);
    reads.front().erase(0, n);
    if (reads.front().empty()) reads.erase(reads.begin());
    return static_cast<std::ptrdiff_t>(n);
  }
  std::vector<std::u16string> reads;
};

// Every read the console delivers in reads of `size` bytes until the end of
// input, each followed by '|'.
std::string reads_of(std::vector<std::u16string> script, std::size_t size) {
  ScriptedUnits raw;
  raw.reads = std::move(script);
  Utf16ConsoleInput console(raw);
  std::string delivered;
  char buffer[16];
  for (std::ptrdiff_t n; (n = console.read(buffer, size)) > 0;) {
    delivered.append(buffer, static_cast<std::size_t>(n)) += '|';
  }
  return delivered;
}

TEST(Utf16ConsoleInput, EachCharacterArrivesAsItsCodePageByte) {
  EXPECT_EQ(reads_of({u"J\u00FCrgen\r\n"}, 16), "J\x81rgen\r\n|");
  EXPECT_EQ(reads_of({u"\u20AC\u011F\u00DF\r\n"}, 16), "??\xE1\r\n|") << "not in the code page";
  EXPECT_EQ(reads_of({u"a\xD83D", u"\xDE00!\r\n"}, 16), "a|?!\r\n|") << "a pair split";
  EXPECT_EQ(reads_of({u"\xD83D", u"\xDE00"}, 1), "?|") << "reads of one unit";
  EXPECT_EQ(reads_of({u"\xD83Dx\xDE00\r\n"}, 16), "?x?\r\n|") << "lone surrogates";
  EXPECT_EQ(reads_of({u"a\xD83D", u"x"}, 1), "a|?|x|") << "a held one, then no pair";
  EXPECT_EQ(reads_of({u"a\xD83D", u"", u"b"}, 16), "a|?|") << "a held one, then the end";
  EXPECT_EQ(reads_of({u"\032\r\n", u"ab\032cd\r\n"}, 16), "\032\r\n|ab\032cd\r\n|") << "Ctrl-Z";
}

TEST(Utf16ConsoleOutput, EveryByteShowsAsItsCharacterAndNoneActsButTheConsoles) {
  struct Recorder final : Utf16Sink {
    int write(const char16_t* units, std::size_t size) override {
      writes.emplace_back(units, size);
      return 0;
    }
    std::vector<std::u16string> writes;
  } sink;
  Utf16ConsoleOutput console(sink);
  EXPECT_EQ(console.write("\x81: 0\r\n", 6), 0);
  EXPECT_EQ(console.write("\a\b\t\x0e\x1b\x0c\x7f\xE1", 8), 0);
  const std::string line(kLineSize, 'x');
  EXPECT_EQ(console.write(line.data(), line.size()), 0);
  EXPECT_EQ(sink.writes,
            (std::vector<std::u16string>{u"\u00FC: 0\r\n", u"\a\b\t\u266B\u2190\u2640\u2302\u00DF",
                                         std::u16string(kLineSize, u'x')}));
}

}  // namespace
}  // namespace console
