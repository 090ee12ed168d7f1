#include "numerology/letter_value.h"

#include <gtest/gtest.h>

#include <string>

namespace numerology {
namespace {

TEST(LetterValue, LowercaseLettersCarryTheirGroupNumber) {
  const char* const groups[] = {
      "",  // no letter carries 0
      "aijqy", "bkr", "cgls", "dmt", "ehnx", "uvw", "oz", "fp",
  };
  std::string seen;
  for (int number = 1; number <= 8; ++number) {
    for (const char* letter = groups[number]; *letter != '\0'; ++letter) {
      EXPECT_EQ(letter_value(*letter), number) << "letter " << *letter;
      seen += *letter;
    }
  }
  EXPECT_EQ(seen.size(), 26U) << "every letter belongs to exactly one group";
}

TEST(LetterValue, EveryByteOutsideLowercaseAToZCountsZero) {
  for (int byte = 0; byte <= 0xFF; ++byte) {
    const char c = static_cast<char>(byte);
    if (byte >= 'a' && byte <= 'z') {
      EXPECT_GE(letter_value(c), 1) << "byte " << byte;
      EXPECT_LE(letter_value(c), 8) << "byte " << byte;
    } else {
      EXPECT_EQ(letter_value(c), 0) << "byte " << byte;
    }
  }
  // The neighbours of the range, capitals, and single-byte umlauts by name.
  EXPECT_EQ(letter_value('`'), 0);
  EXPECT_EQ(letter_value('{'), 0);
  EXPECT_EQ(letter_value('P'), 0);
  EXPECT_EQ(letter_value('A'), 0);
  EXPECT_EQ(letter_value('\xE4'), 0);
  EXPECT_EQ(letter_value('\x84'), 0);
  EXPECT_EQ(letter_value('\xFF'), 0);
}

}  // namespace
}  // namespace numerology
