#include "console/utf16_console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "dialogue/dialogue.h"
#include "scripted_io.h"

namespace console {
namespace {

using testing_io::ScriptedUnits;
using testing_io::UnitsRead;

// Every read the console delivers in reads of `size` bytes until the script
// is used up: each read's bytes followed by '|', an end of input or an error
// before that as "end|" or "error|".
std::string reads_of(std::vector<UnitsRead> script, std::size_t size) {
  ScriptedUnits raw(std::move(script));
  Utf16ConsoleInput console(raw);
  std::string delivered;
  char buffer[16];
  for (std::ptrdiff_t n; (n = console.read(buffer, size)) > 0 || raw.remaining() > 0;) {
    delivered += n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) + '|'
                       : (n == 0 ? "end|" : "error|");
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
  EXPECT_EQ(reads_of({u"a\xD83D", u"", u"b"}, 16), "a|?|end|b|") << "a held one, then the end";
  EXPECT_EQ(reads_of({u"\032\r\n", u"ab\032cd\r\n"}, 16), "\032\r\n|ab\032cd\r\n|") << "Ctrl-Z";
  EXPECT_EQ(reads_of({u"\xD800\xDCE4\r\n"}, 16), "?\r\n|") << "U+100E4 is no 0xE4";
  EXPECT_EQ(reads_of({u"\xD83D\xD83D\r\n"}, 16), "??\r\n|") << "two high surrogates";
  EXPECT_EQ(reads_of({u"\xD83D\uE000"}, 16), "??|") << "a high one, then above the low ones";
  EXPECT_EQ(reads_of({u"ab", UnitsRead::error(), u"c"}, 16), "ab|error|c|") << "an error";
  EXPECT_EQ(reads_of({u"a\xD83D", UnitsRead::error(), u"b"}, 16), "a|?|error|b|")
      << "held, an error";
}

// Each end of the two surrogate ranges, from both sides: a pair is one
// character ('?'), and each unit that is no part of one a '?' of its own.
TEST(Utf16ConsoleInput, SurrogatesEndWhereUtf16EndsThem) {
  const struct {
    std::u16string typed;
    const char* arrives;
  } rows[] = {
      {u"\xD7FF\xDC00", "??"}, {u"\xD800\xDC00", "?"},  {u"\xDBFF\xDFFF", "?"},
      {u"\xDC00\xDC00", "??"}, {u"\xDBFF\xE000", "??"}, {u"\xD800\xDBFFx", "??x"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(reads_of({row.typed}, 16), std::string(row.arrives) + '|') << row.arrives;
  }
}

// The most a read asks the console for fits behind a held high surrogate.
TEST(Utf16ConsoleInput, AFullReadFitsBehindAHeldSurrogate) {
  const std::size_t most = dialogue::kCharacterReadSize;
  ScriptedUnits raw({u"\xD83D", u"\xDE00" + std::u16string(most - 1, u'a')});
  Utf16ConsoleInput console(raw);
  std::vector<char> buffer(most);
  EXPECT_EQ(console.read(buffer.data(), most), static_cast<std::ptrdiff_t>(most));
  EXPECT_EQ(std::string(buffer.data(), 2), "?a");
  EXPECT_EQ(console.read(buffer.data(), most), 0) << "nothing left over";
}

// Ctrl-C or Ctrl-Break ends a console read with nothing: no input, and no
// end of it, so the read goes on (unless the console's handler ends the
// program first).
TEST(Utf16ConsoleInput, AnInterruptedReadIsReadAgain) {
  const UnitsRead interrupt = UnitsRead::returning(Utf16Source::kInterrupted);
  EXPECT_EQ(reads_of({interrupt, u"ab\xD83D", interrupt, u"\xDE00\r\n"}, 16), "ab|?\r\n|");
}

// The console is asked for no more units than the caller has room for: the
// rest of a long line stays with the console until it is asked for.
TEST(Utf16ConsoleInput, ALineReadInOneByteReadsArrivesWhole) {
  ScriptedUnits raw({u"J\u00FCrgen\r\n"});
  Utf16ConsoleInput console(raw);
  std::string delivered;
  char byte;
  while (console.read(&byte, 1) == 1) delivered += byte;
  EXPECT_EQ(delivered, "J\x81rgen\r\n");
  EXPECT_EQ(raw.requested_sizes(), std::vector<std::size_t>(9, 1));
  EXPECT_TRUE(console.is_character_device()) << "a Ctrl-Z ends only its own line";
}

TEST(Utf16ConsoleOutput, EveryByteShowsAsItsCharacterAndNoneActsButTheConsoles) {
  struct Recorder final : Utf16Sink {
    int write(const char16_t* units, std::size_t size) override {
      writes.emplace_back(units, size);
      return writes.size() == 6 ? EIO : 0;
    }
    std::vector<std::u16string> writes;
  } sink;
  Utf16ConsoleOutput console(sink);
  EXPECT_EQ(console.write("\x81: 0\r\n", 6), 0);
  EXPECT_EQ(console.write("\a\b\t\x0e\x1b\x0c\x7f\xE1", 8), 0);
  const std::string line(kLineSize, 'x');
  EXPECT_EQ(console.write(line.data(), line.size()), 0);
  EXPECT_EQ(console.write((line + "!").data(), kLineSize + 1), 0);
  EXPECT_EQ(sink.writes,
            (std::vector<std::u16string>{u"\u00FC: 0\r\n", u"\a\b\t\u266B\u2190\u2640\u2302\u00DF",
                                         std::u16string(kLineSize, u'x'),
                                         std::u16string(kLineSize, u'x'), u"!"}));
  EXPECT_EQ(console.write("lost", 4), EIO) << "a failed write";
}

}  // namespace
}  // namespace console
