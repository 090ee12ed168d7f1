#include "console/utf16_console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace console {
namespace {

// Answers each read with the next scripted read, split when it is longer
// than asked for; an empty entry, and every read after the script, is 0.
class ScriptedUnits final : public Utf16Source {
 public:
  explicit ScriptedUnits(std::vector<std::u16string> reads) : reads_(std::move(reads)) {}

  std::ptrdiff_t read(char16_t* units, std::size_t size) override {
    if (reads_.empty()) return 0;
    std::u16string& next = reads_.front();
    const std::size_t n = std::min(size, next.size());
    std::copy_n(next.data(), n, units);
    next.erase(0, n);
    if (next.empty()) reads_.erase(reads_.begin());
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::vector<std::u16string> reads_;
};

// Everything the console delivers in reads of `size` bytes until the script
// is used up: each read's bytes followed by '|', an end of input as "end|".
std::string reads_of(std::vector<std::u16string> script, std::size_t size) {
  ScriptedUnits raw(std::move(script));
  Utf16ConsoleInput console(raw);
  std::string delivered;
  char buffer[16];
  for (int reads = 0; reads < 16; ++reads) {
    const std::ptrdiff_t n = console.read(buffer, size);
    if (n <= 0) return delivered + "end|";
    delivered += std::string(buffer, static_cast<std::size_t>(n)) + '|';
  }
  return delivered;
}

TEST(Utf16ConsoleInput, EachCharacterArrivesAsItsCodePageByte) {
  EXPECT_EQ(reads_of({u"J\u00FCrgen\r\n"}, 16), "J\x81rgen\r\n|end|");
  EXPECT_EQ(reads_of({u"\u20AC\u011F\u00DF\r\n"}, 16), "??\xE1\r\n|end|")
      << "characters the code page lacks";
  EXPECT_EQ(reads_of({u"a\xD83D", u"\xDE00!\r\n"}, 16), "a|?!\r\n|end|")
      << "a surrogate pair split between reads is one character";
  EXPECT_EQ(reads_of({u"\xD83D", u"\xDE00"}, 1), "?|end|") << "reads of one unit";
  EXPECT_EQ(reads_of({u"\xD83Dx\xDE00\r\n"}, 16), "?x?\r\n|end|") << "lone surrogates";
  EXPECT_EQ(reads_of({u"a\xD83D", u"x"}, 1), "a|?|x|end|") << "a held one, then no pair";
  EXPECT_EQ(reads_of({u"a\xD83D", u""}, 16), "a|?|end|") << "a held one at the end";
  EXPECT_EQ(reads_of({u"\032\r\n", u"ab\032cd\r\n"}, 16), "\032\r\n|ab\032cd\r\n|end|")
      << "ASCII and Ctrl-Z as they are";
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
