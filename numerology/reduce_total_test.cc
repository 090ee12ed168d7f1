#include "numerology/reduce_total.h"

#include <gtest/gtest.h>

#include <string>

#include "scripted_io.h"

namespace numerology {
namespace {

std::string reduce(std::int32_t total) {
  testing_io::RecordingSink sink;
  {
    console::TextOutput out(sink);
    reduce_total(total, out);
  }
  return sink.text();
}

TEST(ReduceTotal, WorkedExamples) {
  const std::string two = "2. Quersumme des Namens: ";
  const std::string three = "3. Quersumme des Namens: ";
  struct Case {
    std::int32_t total;
    std::string lines;
  } const cases[] = {
      {0, ""},
      {7, ""},
      {9, ""},
      {10, two + "1\r\n"},
      {18, two + "9\r\n"},
      {19, two + "10\r\n" + three + "1\r\n"},
      {24, two + "6\r\n"},
      {59, two + "14\r\n" + three + "5\r\n"},
      {99, two + "18\r\n" + three + "9\r\n"},
      {100, two + "1\r\n"},
      {104, two + "5\r\n"},
      {111, two + "12\r\n" + two + "3\r\n"},
      {199, two + "100\r\n" + two + "10\r\n" + three + "1\r\n"},
      {719, two + "26\r\n" + two + "8\r\n"},
      {799, two + "106\r\n" + two + "16\r\n" + three + "7\r\n"},
      {800, two + "8\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(reduce(c.total), c.lines) << "total " << c.total;
}

// The value a run leaves is the number on its last line, or the total itself
// when no line is written.
TEST(ReduceTotal, EveryPossibleTotalEndsAsOneDigitZeroOnlyForZero) {
  for (std::int32_t total = 0; total <= 800; ++total) {
    const std::string text = reduce(total);
    std::int32_t last = total;
    std::size_t lines = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", end + 2)) {
      const std::size_t colon = text.rfind(": ", end);
      last = std::stoi(text.substr(colon + 2, end - colon - 2));
      ++lines;
    }
    EXPECT_LE(lines, 3U) << "total " << total;
    EXPECT_LE(last, 9) << "total " << total;
    EXPECT_EQ(last == 0, total == 0) << "total " << total;
  }
}

}  // namespace
}  // namespace numerology
