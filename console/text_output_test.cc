#include "console/text_output.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "scripted_io.h"

namespace console {
namespace {

using Writes = std::vector<std::string>;

TEST(TextOutput, EachLineEndIsCrLfAndExactlyOneWrite) {
  testing_io::RecordingSink sink;
  TextOutput out(sink);
  out.end_line();
  out.put('\a');
  out.write("bitte: ");
  out.end_line();
  out.write("a\nb\n");
  EXPECT_EQ(sink.writes, (Writes{"\r\n", "\abitte: \r\n", "a\r\n", "b\r\n"}));
}

TEST(TextOutput, OtherBytesPassUnchangedAndNothingGoesOutBeforeTheLineEnds) {
  testing_io::RecordingSink sink;
  TextOutput out(sink);
  out.put('\r');
  out.put('\xFF');
  out.put('\0');
  out.put('\x1a');
  EXPECT_TRUE(sink.writes.empty());
  out.end_line();
  EXPECT_EQ(sink.writes, (Writes{std::string("\r\xFF\0\x1a\r\n", 6)}));
}

TEST(TextOutput, NumbersInDecimalWithoutPaddingOrLeadingZeros) {
  testing_io::RecordingSink sink;
  TextOutput out(sink);
  for (std::int32_t n : {0, 7, 10, 106, 800, -1, -7, INT32_MAX, INT32_MIN}) {
    out.write_number(n);
    out.put(' ');
  }
  out.end_line();
  EXPECT_EQ(sink.text(), "0 7 10 106 800 -1 -7 2147483647 -2147483648 \r\n");
}

TEST(TextOutput, OverlongLineIsWrittenWholeAndUnterminatedTextAtDestruction) {
  testing_io::RecordingSink sink;
  const std::string long_line(1000, 'x');
  {
    TextOutput out(sink);
    out.write(long_line);
    out.end_line();
    out.write("tail");
  }
  EXPECT_EQ(sink.text(), long_line + "\r\ntail");
}

}  // namespace
}  // namespace console
