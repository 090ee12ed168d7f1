#include "console/code_page_850.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace console {
namespace {

// The characters of the bytes 0x80 to 0xFF as the system's own code page 850
// conversion gives them; empty when the system has none.
std::u32string system_high_half() {
  std::string bytes;
  for (int byte = 0x80; byte <= 0xFF; ++byte) bytes += static_cast<char>(byte);
#ifdef _WIN32
  wchar_t wide[128];
  if (::MultiByteToWideChar(850, 0, bytes.data(), 128, wide, 128) != 128) return {};
  return std::u32string(wide, wide + 128);
#else
  // WCHAR_T: UTF-32 in the machine's byte order, as wchar_t is here.
  static_assert(sizeof(wchar_t) == 4, "a wchar_t holds one code point");
  iconv_t cd = ::iconv_open("WCHAR_T", "CP850");
  // iconv_open reports a failure as the pointer (iconv_t)-1.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  wchar_t characters[128] = {};
  char* in = bytes.data();
  auto* out = reinterpret_cast<char*>(characters);
  std::size_t in_left = bytes.size();
  std::size_t out_left = sizeof characters;
  const std::size_t converted = ::iconv(cd, &in, &in_left, &out, &out_left);
  ::iconv_close(cd);
  if (converted == static_cast<std::size_t>(-1) || in_left != 0) return {};
  return {characters, characters + 128};
#endif
}

TEST(CodePage850, TheHighHalfIsTheSystemsCodePage850) {
  const std::u32string expected = system_high_half();
  if (expected.empty()) GTEST_SKIP() << "this system has no code page 850 conversion";
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const char32_t character = expected[static_cast<std::size_t>(byte - 0x80)];
    EXPECT_EQ(character_of_byte(static_cast<unsigned char>(byte)), character) << byte;
    EXPECT_EQ(byte_of_character(character), byte) << byte;
  }
}

TEST(CodePage850, ControlBytesShowAsTheConsoleFontsGlyphs) {
  const std::u32string glyphs = U" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
  ASSERT_EQ(glyphs.size(), 32U);
  for (unsigned char byte = 0; byte < 0x20; ++byte) {
    EXPECT_EQ(character_of_byte(byte), glyphs[byte]) << int{byte};
    EXPECT_EQ(byte_of_character(byte), byte) << "typed, a control character is itself";
  }
  EXPECT_EQ(character_of_byte(0x7F), U'⌂');
  EXPECT_EQ(character_of_byte('a'), U'a');
  EXPECT_EQ(byte_of_character(U'€'), '?') << "a character the code page lacks";
  EXPECT_EQ(byte_of_character(0x7F), 0x7F) << "typed, ASCII ends with DEL";
  EXPECT_EQ(byte_of_character(0x80), '?') << "and a C1 control has no byte";
}

}  // namespace
}  // namespace console
