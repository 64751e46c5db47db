#include "platform/core/cp932.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(Cp932, ConvertsBothWaysWithoutLoss) {
  // Narrow literals are already CP932 bytes; the UTF-8 side is written as u8 literals.
  struct Case {
    const char8_t* u8;
    const char* sjis;
  } cases[] = {
      {u8"G01X10.", "G01X10."},
      {u8"\\", "\x5C"},                      // a backslash stays a backslash
      {u8"ソース", "\x83\x5C\x81\x5B\x83\x58"},  // trail byte 0x5C
      {u8"表", "\x95\x5C"},
      {u8"～", "\x81\x60"},                   // U+FF5E
      {u8"－", "\x81\x7C"},                   // U+FF0D
      {u8"工具", "\x8D\x48\x8B\xEF"},
      {u8"ｱ", "\xB1"},                       // half-width katakana
  };
  for (const auto& cc : cases) {
    struct { std::string utf8; const char* sjis; } c{reinterpret_cast<const char*>(cc.u8), cc.sjis};
    bool lossless = false;
    EXPECT_EQ(utf8_to_cp932(c.utf8, &lossless), c.sjis) << c.sjis;
    EXPECT_TRUE(lossless) << c.sjis;
    EXPECT_EQ(cp932_to_utf8(c.sjis, &lossless), c.utf8) << c.sjis;
    EXPECT_TRUE(lossless) << c.sjis;
  }
}

TEST(Cp932, ReplacesWhatCannotBeConverted) {
  bool lossless = true;
  // U+00B5 (micro) and U+1F600 have no CP932 code; a broken UTF-8 lead byte neither.
  EXPECT_EQ(utf8_to_cp932("a\xC2\xB5" "b\xF0\x9F\x98\x80" "c\xE3", &lossless), "a?b?c?");
  EXPECT_FALSE(lossless);
  // A lone lead byte at the end and an invalid pair become U+FFFD, the rest survives.
  EXPECT_EQ(cp932_to_utf8("A\x81", &lossless), "A\xEF\xBF\xBD");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(cp932_to_utf8("\x85\x40X", &lossless), "\xEF\xBF\xBDX");
  EXPECT_FALSE(lossless);
}

TEST(Cp932, LeadAndTrailBytesAndCuts) {
  EXPECT_TRUE(is_sjis_lead(0x81));
  EXPECT_TRUE(is_sjis_lead(0x9F));
  EXPECT_TRUE(is_sjis_lead(0xE0));
  EXPECT_TRUE(is_sjis_lead(0xFC));
  EXPECT_FALSE(is_sjis_lead(0xA0));
  EXPECT_FALSE(is_sjis_lead(0xB1));  // half-width katakana is one byte
  EXPECT_FALSE(is_sjis_lead('X'));
  EXPECT_TRUE(is_sjis_trail(0x5C));
  EXPECT_FALSE(is_sjis_trail(0x7F));

  const std::string s = "AB\x95\x5C" "C";  // A B 表 C
  EXPECT_EQ(sjis_char_len(s, 2), 2u);
  EXPECT_EQ(sjis_char_len(s, 4), 1u);
  struct { std::size_t n, cut; } cuts[] = {{0, 0}, {2, 2}, {3, 2}, {4, 4}, {5, 5}, {99, 5}};
  for (auto c : cuts) EXPECT_EQ(sjis_cut_pos(s, c.n), c.cut) << c.n;
}

// A "\\" or "/" that is the second byte of a character is no folder separator.
TEST(Cp932, TheLastSeparatorIsACharacterOfItsOwn) {
  struct Case {
    std::string path;
    std::string name;
  };
  const Case cases[] = {
      {"ソース.nc", "ソース.nc"},          // 0x83 0x5C
      {"a\\表", "表"},                    // 0x95 0x5C
      {"a/能力\\十.NC", "十.NC"},          // 0x94 0x5C, 0x8F 0x5C
      {"dir\\", ""},
      {"", ""},
      {"x/\x83", "\x83"},                  // a lead byte at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(cp932_to_utf8(c.path));
    EXPECT_EQ(std::string(sjis_file_name(c.path)), c.name);
  }
  EXPECT_EQ(sjis_last_separator("ソース"), std::string_view::npos);
  EXPECT_EQ(sjis_last_separator("a/b\\c"), 3u);
}
