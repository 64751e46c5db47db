#include "common/ats_func.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kPiF = static_cast<float>(ATS_PI);

struct NumCase {
  float v;
  int n;
  const char* plain;
  const char* dot;
  const char* sign;
};

TEST(NumberText, TiesSignsAndDecimals) {
  const NumCase cases[] = {
      {-0.0004f, 3, "0", "0.", "0"},        // never "-0"
      {-0.0f, 3, "0", "0.", "0"},
      {0.0001f, 3, "0", "0.", "0"},
      {-2.5f, 3, "-2.5", "-2.5", "-2.5"},
      {3.0f, 3, "3", "3.", "+3"},
      {1.25f, 3, "1.25", "1.25", "+1.25"},
      {0.0625f, 3, "0.063", "0.063", "+0.063"},  // exact tie: away from zero
      {-0.0625f, 3, "-0.063", "-0.063", "-0.063"},
      {0.125f, 2, "0.13", "0.13", "+0.13"},
      {2.5f, 0, "3", "3.", "+3"},                // N = 0: no decimals
      {-2.5f, 9, "-3", "-3.", "-3"},             // N = 9: no decimals
      {0.5f, 0, "1", "1.", "+1"},
      {-0.4f, 0, "0", "0.", "0"},
      {2.675f, 2, "2.67", "2.67", "+2.67"},      // 2.67499995... is below the tie
      {0.1f, 8, "0.1", "0.1", "+0.1"},           // 0.100000001490... rounds to 0.1
      {0.3f, 8, "0.30000001", "0.30000001", "+0.30000001"},
      {9.9996f, 3, "10", "10.", "+10"},          // carry into a new digit
      {999.9995f, 3, "1000", "1000.", "+1000"},
      {123456.789f, 3, "123456.789", "123456.789", "+123456.789"},
      {16777216.0f, 3, "16777216", "16777216.", "+16777216"},
      {3.4028235e38f, 1, "340282346638528859811704183484516925440",
       "340282346638528859811704183484516925440.",
       "+340282346638528859811704183484516925440"},
      {1e-30f, 8, "0", "0.", "0"},
      {123456792.0f, 8, "123456792", "123456792.", "+123456792"},
      {0.00000005f, 7, "0.0000001", "0.0000001", "+0.0000001"},  // 5.0000000584e-8
      {kInf, 3, "INF", "INF", "+INF"},
      {-kInf, 3, "-INF", "-INF", "-INF"},
      {kNaN, 3, "NAN", "NAN", "NAN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.v << " N=" << c.n);
    EXPECT_EQ(float_to_str(c.v, c.n), c.plain);
    EXPECT_EQ(float_to_str_dot(c.v, c.n), c.dot);
    EXPECT_EQ(float_to_str_signed(c.v, c.n), c.sign);
  }
  EXPECT_EQ(float_to_str3(-12.0005f), "-12");      // -12.000499725...
  EXPECT_EQ(float_to_str3(0.0005f), "0.001");      // 0.000500000023...
}

TEST(NumberText, ExactDecimalRoundingOfDoubles) {
  // Doubles are rounded on their exact value: a decimal tie that the double misses by a
  // hair is decided by that hair.
  struct Case {
    double v;
    int decimals;
    const char* int_part;
    const char* frac_part;
  };
  const Case cases[] = {
      {2.5, 0, "3", ""},
      {-2.5, 0, "3", ""},         // the magnitude
      {0.125, 2, "0", "13"},      // an exact tie rounds away from zero
      {1.0005, 3, "1", "000"},    // the double lies just below the tie
      {0.0005, 3, "0", "001"},    // and this one just above it
      {2.675, 2, "2", "67"},      // 2.67499999...
      {133.4564999999, 3, "133", "456"},
      {9.9995, 3, "9", "999"},    // 9.99949999...
      {99.99951, 3, "100", "000"},
      {1e17 + 16, 1, "100000000000000016", "0"},
      {5e-10, 9, "0", "000000001"},
      {4.9e-324, 3, "0", "000"},
      {123.456, -2, "123", ""},   // below 0 decimals: none
  };
  for (const Case& c : cases) {
    std::string ip, fp;
    round_decimal(c.v, c.decimals, ip, fp);
    EXPECT_EQ(ip, c.int_part) << c.v << " " << c.decimals;
    EXPECT_EQ(fp, c.frac_part) << c.v << " " << c.decimals;
  }
  // Single-precision values: 1.0005f lies below the tie, 1.0015f above it.
  for (const auto& [v, text] : {std::pair{1.0005f, "1.000"}, std::pair{1.0015f, "1.002"}}) {
    std::string ip, fp;
    round_decimal(v, 3, ip, fp);
    EXPECT_EQ(ip + "." + fp, text) << v;
  }
}

TEST(LittleEndian, BytesLowFirstAndBack) {
  std::uint8_t b[4];
  put_le_u32(b, 0x12345678u);
  EXPECT_EQ(b[0], 0x78);
  EXPECT_EQ(b[1], 0x56);
  EXPECT_EQ(b[2], 0x34);
  EXPECT_EQ(b[3], 0x12);
  EXPECT_EQ(get_le_u32(b), 0x12345678u);
  put_le_i32(b, -2);
  EXPECT_EQ(b[0], 0xFE);
  EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(get_le_i32(b), -2);
  put_le_f32(b, 1.0f);  // 0x3F800000
  EXPECT_EQ(b[0], 0x00);
  EXPECT_EQ(b[2], 0x80);
  EXPECT_EQ(b[3], 0x3F);
  for (const float v : {0.0f, -0.0f, 3.25f, -1e-30f, kInf}) {
    put_le_f32(b, v);
    const float back = get_le_f32(b);
    EXPECT_EQ(std::memcmp(&back, &v, 4), 0) << v;
  }
  put_le_f32(b, kNaN);
  EXPECT_TRUE(std::isnan(get_le_f32(b)));
  // Unaligned places of a buffer.
  std::uint8_t buf[9] = {};
  put_le_i32(buf + 3, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(get_le_i32(buf + 3), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(buf[6], 0x80);
}

TEST(NumberText, FixedField) {
  struct Case {
    float v;
    int w, d;
    const char* text;
  } cases[] = {
      {1.5f, 9, 3, "     1.500"},
      {-1.5f, 9, 3, "    -1.500"},
      {0.0625f, 9, 3, "     0.063"},
      {-0.0004f, 9, 3, "     0.000"},
      {0.0f, 9, 3, "     0.000"},
      {12345.678f, 9, 3, " 12345.678"},   // 12345.677734375
      {-12345.678f, 9, 3, "-12345.678"},
      {123456.79f, 9, 3, "123456.790"},   // eight significant digits, padded
      {-123456.79f, 9, 3, "-123456.790"},  // longer than the field: kept whole
      {123456789.0f, 9, 3, "1.2345679E8"},
      {2.0f, 4, 0, "    2"},
      {kInf, 9, 3, "       INF"},
      {6.103515625e-05f, 19, 13, "     0.0000610351563"},  // 2^-14: a tie at 13 decimals
      {-6.103515625e-05f, 19, 12, "     -0.000061035156"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(float_to_str_fixed(c.v, c.w, c.d), c.text);
  }
}

TEST(NumberText, SmallConversions) {
  EXPECT_EQ(word_to_bit_text(0x8001), "1ooo oooo oooo ooo1 ");
  EXPECT_EQ(word_to_bit_text(0x0F30), "oooo 1111 oo11 oooo ");
  EXPECT_EQ(bool_to_str(true), "true");
  EXPECT_EQ(bool_to_str(false), "false");
  EXPECT_TRUE(byte_to_bool(0x80));
  EXPECT_FALSE(byte_to_bool(0));
  EXPECT_TRUE(int_is_one(1));
  EXPECT_FALSE(int_is_one(-1));
  EXPECT_FALSE(int_is_one(2));
}

TEST(CheckedConversion, NanInfinityAndRange) {
  EXPECT_EQ(float_to_int(2.9), 2);
  EXPECT_EQ(float_to_int(-2.9), -2);
  EXPECT_EQ(float_to_int(std::nan(""), -7), -7);
  EXPECT_EQ(float_to_int(1e30), std::numeric_limits<int>::max());
  EXPECT_EQ(float_to_int(-1e30), std::numeric_limits<int>::min());
  EXPECT_EQ(float_to_int(kInf), std::numeric_limits<int>::max());
  EXPECT_EQ(float_to_int(2147483646.5), 2147483646);
  EXPECT_EQ(float_to_int64(-1e300), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(float_to_int64(std::nan(""), 5), 5);
  EXPECT_EQ(float_round_to_int(2.5), 3);
  EXPECT_EQ(float_round_to_int(-2.5), -3);
  EXPECT_EQ(float_round_to_int(-0.4), 0);
  EXPECT_EQ(float_round_to_int(std::nan(""), 9), 9);
}

TEST(PatternReader, Table) {
  struct Case {
    const char* pattern;
    const char* text;
    const char* result;
  } cases[] = {
      {"T#", "T12.5", "12"},
      {"X%", "x-1.5", "-1.5"},
      {"X%", "X-12.5", "-12.5"},
      {"T#", "T1-2", "err"},
      {"D%", "T1", ""},
      {"T#", "T.5", "5"},
      {"T#", "TT12", ""},           // the second T starts the pattern again
      {"T#", "T 12", "12"},         // blanks before a number are skipped
      {"T#", "T1 2", "1"},          // a blank ends a number
      {"T#", "G0T5M6", "5"},
      {"X#Y#", "X1Y2", "2"},        // the last placeholder's number
      {"X%", "X--3", "-3"},         // a second sign replaces the first
      {"X%", "X.5", ".5"},
      {"X%", "X1.2.3", "1.2.3"},
      {"X%", "X+", "+"},
      {"A#", "A12", "12"},
      {"B%", "(B 1.5)", "1.5"},
      {"N#", "N0010G01", "0010"},
      {"VLM ?", "(VLM ORIGN X1)", "O"},
      {"vlm N#", "(VLM N12)", "12"},
      {"VLM \\", "(VLM SOURCE a.nc)", "SOURCE"},
      {"VLM \\", "(VLM SOURCE", "SOURCE"},     // a word open at the end
      {"VLM ??", "(VLM AB)", "AB"},
      {"T#", "", ""},
      {"", "T1", ""},
      {"T", "T1", ""},                        // no placeholder: nothing to read
      // Shift-JIS: a trail byte is never a letter ("サ" is 0x83 'T', "フ" 0x83 't').
      {"T#", "サ12", ""},
      {"T#", "フ12", ""},
      {"T#", "サT7", "7"},
      {"VLM \\", "(VLM サイズ 1)", "サイズ"},
      {"VLM ?", "(VLM ア)", "ア"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pattern << " / " << c.text);
    EXPECT_EQ(_numbers_for_routine(c.pattern, c.text), c.result);
  }
}

TEST(TextChecks, IntegerAndRealWithMessages) {
  struct Case {
    const char* text;
    bool integer, integer_box, real, real_box;
  } cases[] = {
      {"12", true, false, true, false},
      {"-12", true, false, true, false},
      {"+7", true, false, true, false},
      {"+", false, false, false, false},      // a lone sign is refused silently
      {"-", false, false, false, false},
      {"", false, true, false, true},
      {"1-2", false, true, false, true},
      {"--1", false, true, false, true},
      {"1a", false, true, false, true},
      {"-.5", false, true, true, false},
      {"5.", false, true, true, false},
      {".", false, true, false, true},
      {"1.2.3", false, true, false, true},
      {".-5", false, true, false, true},
      {"2147483647", true, false, true, false},
      {"-2147483648", true, false, true, false},
      {"00000000000000000042", true, false, true, false},
      {"2147483648", false, true, true, false},  // outside the 32-bit range
      {"-2147483649", false, true, true, false},
      {"99999999999999999999", false, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    {
      plat::ScriptedMessageBoxes boxes;
      EXPECT_EQ(is_integer_text(c.text, true), c.integer);
      ASSERT_EQ(boxes.shown.size(), c.integer_box ? 1u : 0u);
      if (c.integer_box) {
        EXPECT_EQ(boxes.shown[0].text, std::string(c.text) + " は整数ではありません");
        EXPECT_EQ(boxes.shown[0].caption, "");
        EXPECT_EQ(boxes.shown[0].flags, plat::MB_SYSTEMMODAL | plat::MB_ICONSTOP);
      }
      EXPECT_EQ(is_integer_text(c.text, false), c.integer);
      EXPECT_EQ(boxes.shown.size(), c.integer_box ? 1u : 0u);
    }
    {
      plat::ScriptedMessageBoxes boxes;
      EXPECT_EQ(is_real_text(c.text, true), c.real);
      ASSERT_EQ(boxes.shown.size(), c.real_box ? 1u : 0u);
      if (c.real_box) {
        EXPECT_EQ(boxes.shown[0].text, std::string(c.text) + " は実数ではありません");
      }
    }
  }
}

TEST(TextHelpers, QuotesCommentBodyAndLeadBytes) {
  EXPECT_EQ(get_quoted_text("NAME=\"abc\" rest"), "abc");
  EXPECT_EQ(get_quoted_text("a'x\"y'z"), "x\"y");   // the first quote decides
  EXPECT_EQ(get_quoted_text("\"\""), "");
  EXPECT_EQ(get_quoted_text("\"open"), "");
  EXPECT_EQ(get_quoted_text("none"), "");
  EXPECT_EQ(get_quoted_text("x\""), "");              // a quote as last character opens nothing
  EXPECT_EQ(get_quoted_text("\"ソ\""), "ソ");           // trail byte 0x5C stays in its pair
  EXPECT_EQ(get_VLM_comment_body("(VLM ORIGN X1)"), "ORIGN X1");
  EXPECT_EQ(get_VLM_comment_body("(VLM SOURCE a/b.nc)"), "SOURCE a");
  EXPECT_EQ(get_VLM_comment_body("(VLM T:3)"), "T");
  EXPECT_EQ(get_VLM_comment_body("(VLM "), "");
  EXPECT_EQ(get_VLM_comment_body("(VLM 工具)"), "工具");
  EXPECT_TRUE(is_SJIS_lead_byte(0x81));
  EXPECT_TRUE(is_SJIS_lead_byte(0x9F));
  EXPECT_TRUE(is_SJIS_lead_byte(0xE0));
  EXPECT_TRUE(is_SJIS_lead_byte(0xFC));
  EXPECT_FALSE(is_SJIS_lead_byte(0x80));
  EXPECT_FALSE(is_SJIS_lead_byte(0xA0));  // half-width katakana are single bytes
  EXPECT_FALSE(is_SJIS_lead_byte(0xFD));
  EXPECT_FALSE(is_SJIS_lead_byte('A'));
}

TEST(Wildcard, UnanchoredSearch) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"S1100", "100", true},  // needs backtracking
      {"AAAB", "AAB", true},
      {"ABC", "", true},
      {"ABC", "ABCD", false},
      {"PART.NC", "*.NC", true},
      {"PART.NCD", ".NC", true},   // unanchored: the rest of the name is not looked at
      {"PART.TXT", "*.NC", false},
      {"A1B", "A?B", true},
      {"AB", "A?B", false},
      {"AXXXBYC", "A*B*C", true},
      {"AXXXBY", "A*B*C", false},
      {"ab", "AB", false},        // letter case counts
      {"工具.NC", "?.NC", true},   // "?" takes a whole double-byte character
      {"工具.NC", "具.", true},
      {"ソA", "\\A", false},       // a trail byte 0x5C is not a character of its own
      {"サ", "T", false},
      {"", "*", true},
      {"", "A", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " / " << c.mask);
    EXPECT_EQ(wildcard_match(c.name, c.mask), c.match);
  }
  EXPECT_TRUE(mask_include_exclude("A.NC", "", ""));
  EXPECT_TRUE(mask_include_exclude("A.NC", ".NC", ""));
  EXPECT_FALSE(mask_include_exclude("A.TXT", ".NC", ""));
  EXPECT_FALSE(mask_include_exclude("A.NC", ".NC", "A."));
  EXPECT_TRUE(mask_include_exclude("B.NC", ".NC", "A."));
  EXPECT_FALSE(mask_include_exclude("B.NC", "", "B"));
}

TEST(FindFileName, CaseInsensitiveLookupKeepsFolder) {
  testing_support::TempDir dir;
  testing_support::write_file(dir / "Part1.NC", "x");
  testing_support::write_file(dir / "tool.nst", "x");
  testing_support::write_file(dir.path() / std::filesystem::path(u8"工具.nc"), "x");
  std::filesystem::create_directory(dir / "sub.nc");
  const std::string folder = dir.path().string() + "/";  // ASCII temp path

  std::string name = folder + "part1.nc";
  std::string err;
  EXPECT_TRUE(find_file_name(name, "", &err));
  EXPECT_EQ(name, folder + "Part1.NC");

  name = folder + "PART1";  // default extension tried
  EXPECT_TRUE(find_file_name(name, "nc", &err));
  EXPECT_EQ(name, folder + "Part1.NC");

  name = folder + "TOOL.NST";
  EXPECT_TRUE(find_file_name(name, "nc", &err));
  EXPECT_EQ(name, folder + "tool.nst");

  name = folder + "工具.NC";  // CP932 name, stored as UTF-8
  EXPECT_TRUE(find_file_name(name, "", &err));
  EXPECT_EQ(name, folder + "工具.nc");

  std::string win = folder + "x\\..\\part1.nc";  // "\" separates folders
  std::filesystem::create_directory(dir / "x");
  EXPECT_TRUE(find_file_name(win, "", &err));
  EXPECT_EQ(win, folder + "x/../Part1.NC");

  struct Bad {
    std::string name;
    const char* ext;
  } bad[] = {
      {folder + "tool", "nc"},     // has no extension, "tool.nc" does not exist
      {folder + "missing.nc", ""},
      {folder + "sub.nc", ""},     // a folder is no file
      {folder + "part*.nc", ""},
      {folder + "part1.nc|", ""},
      {folder + "a\x83", ""},      // ends in a lead byte
      {"", ""},
  };
  for (auto& b : bad) {
    SCOPED_TRACE(b.name);
    std::string n = b.name;
    err.clear();
    EXPECT_FALSE(find_file_name(n, b.ext, &err));
    EXPECT_EQ(err, "ERR: " + b.name + " が見つかりません。");
    EXPECT_EQ(n, b.name);
  }
}

TEST(Angles, SinCosCutOffAndDegrees) {
  EXPECT_EQ(Sin_Z(kPiF), 0.0f);
  EXPECT_EQ(Cos_Z(kPiF / 2), 0.0f);
  EXPECT_EQ(Sin_Z(1e-6f), 1e-6f);     // the cut-off keeps what reaches it
  EXPECT_EQ(Sin_Z(9e-7f), 0.0f);
  EXPECT_FLOAT_EQ(Sin_Z(kPiF / 6), 0.5f);
  EXPECT_EQ(Cos_Z(0), 1.0f);
  EXPECT_FLOAT_EQ(deg_to_rad(180), kPiF);
  EXPECT_EQ(sin_deg(180), 0.0f);
  EXPECT_EQ(cos_deg(90), 0.0f);
  EXPECT_EQ(cos_deg(270), 0.0f);
  EXPECT_EQ(sin_deg(90), 1.0f);
  EXPECT_FLOAT_EQ(tan_deg(45), 1.0f);
  EXPECT_EQ(tan_deg(90), kInf);
  EXPECT_EQ(tan_deg(-90), -kInf);
}

TEST(Angles, Direction2D) {
  const float kHalf = static_cast<float>(ATS_PI / 2), kThreeHalf = static_cast<float>(ATS_PI * 1.5);
  struct Case {
    float x, y, angle;
  } cases[] = {
      {1, 0, 0},
      {-1, 0, kPiF},
      {0, 1, kHalf},
      {0, -1, kThreeHalf},
      {0, 0, 0},
      {1, -1e-7f, 0},
      {-1, 1e-7f, kPiF},
      {100, -2e-6f, 0},  // would round to (float)2pi: a full turn is direction 0
      {1, 1, static_cast<float>(ATS_PI / 4)},
      {-1, 1, static_cast<float>(ATS_PI * 3 / 4)},
      {-1, -1, static_cast<float>(ATS_PI * 5 / 4)},
      {1, -1, static_cast<float>(ATS_PI * 7 / 4)},
      {2, 1, static_cast<float>(std::atan(0.5))},
      {1, 2, static_cast<float>(ATS_PI / 2 - std::atan(0.5))},
      {-2, 1, static_cast<float>(ATS_PI - std::atan(0.5))},
      {-2, -1, static_cast<float>(ATS_PI + std::atan(0.5))},
      {1, -2, static_cast<float>(ATS_PI * 1.5 + std::atan(0.5))},
  };
  const float two_pi = static_cast<float>(2 * ATS_PI);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    float a = Get_Angle_2D(c.x, c.y);
    EXPECT_FLOAT_EQ(a, c.angle);
    EXPECT_GE(a, 0.0f);
    EXPECT_LT(a, two_pi);
  }
  EXPECT_EQ(Get_Angle_2D(-1, 0), kPiF);
  EXPECT_EQ(Get_Angle_2D(0, -1), kThreeHalf);
}

TEST(Angles, SinCosTable) {
  float t[512];
  Preset_SinCos_table(t);
  EXPECT_EQ(t[128], 0.0f);        // sine of pi
  EXPECT_EQ(t[256 + 64], 0.0f);   // cosine of pi/2
  EXPECT_EQ(t[256 + 192], 0.0f);  // cosine of 3pi/2
  EXPECT_EQ(t[0], 0.0f);
  EXPECT_EQ(t[64], 1.0f);
  EXPECT_EQ(t[256], 1.0f);
  EXPECT_EQ(t[192], -1.0f);
  EXPECT_FLOAT_EQ(t[32], static_cast<float>(std::sqrt(0.5)));
  for (int i = 0; i < 512; ++i) EXPECT_EQ(SinCos_table[i], t[i]) << i;  // ready at start-up
}

TEST(Angles, ArcBounds) {
  struct Case {
    bool ccw;
    VEC3 s, c, e;
    float r;
    float xmax, xmin, ymax, ymin, len;
  } cases[] = {
      // Quarter from +X to +Y counter-clockwise: box of the quarter.
      {true, {10, 0, 0}, {0, 0, 0}, {0, 10, 0}, 10, 10, 0, 10, 0, static_cast<float>(5 * ATS_PI)},
      // The same points clockwise: three quarters, through -X and -Y.
      {false, {10, 0, 0}, {0, 0, 0}, {0, 10, 0}, 10, 10, -10, 10, -10,
       static_cast<float>(15 * ATS_PI)},
      // Half circle from +Y to -Y through -X.
      {true, {0, 10, 0}, {0, 0, 0}, {0, -10, 0}, 10, 0, -10, 10, -10, static_cast<float>(10 * ATS_PI)},
      // Full circle when start equals end, centre off the origin.
      {true, {15, 5, 0}, {5, 5, 0}, {15, 5, 0}, -10, 15, -5, 15, -5,
       static_cast<float>(20 * ATS_PI)},
      {false, {5, 15, 0}, {5, 5, 0}, {5, 15, 0}, 10, 15, -5, 15, -5,
       static_cast<float>(20 * ATS_PI)},
      // Small arc inside one quarter: the end points only.
      {true, {8, 6, 0}, {0, 0, 0}, {6, 8, 0}, 10, 8, 6, 8, 6,
       static_cast<float>(10 * (std::atan2(8.0, 6.0) - std::atan2(6.0, 8.0)))},
      // Crossing +X from the fourth quarter into the first.
      {true, {8, -6, 0}, {0, 0, 0}, {8, 6, 0}, 10, 10, 8, 6, -6,
       static_cast<float>(20 * std::atan2(6.0, 8.0))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s.x << "," << c.s.y << " -> " << c.e.x << "," << c.e.y
                                    << (c.ccw ? " ccw" : " cw"));
    float xmax = -1, xmin = -1, ymax = -1, ymin = -1, len = -1;
    EXPECT_TRUE(get_arc_min_max(c.ccw, c.s, c.c, c.e, c.r, xmax, xmin, ymax, ymin, len));
    EXPECT_FLOAT_EQ(xmax, c.xmax);
    EXPECT_FLOAT_EQ(xmin, c.xmin);
    EXPECT_FLOAT_EQ(ymax, c.ymax);
    EXPECT_FLOAT_EQ(ymin, c.ymin);
    EXPECT_NEAR(len, c.len, 1e-4f * c.len);
  }
  // A centre at NaN gives no quarter crossings, but the bounds still come from the end points.
  float xmax = 0, xmin = 0, ymax = 0, ymin = 0, len = 0;
  const VEC3 bad_centre{kNaN, 0, 0};
  EXPECT_FALSE(get_arc_min_max(true, VEC3{1, 2, 0}, bad_centre, VEC3{3, -4, 0}, 5, xmax, xmin, ymax, ymin, len));
  EXPECT_EQ(xmax, 3);
  EXPECT_EQ(xmin, 1);
  EXPECT_EQ(ymax, 2);
  EXPECT_EQ(ymin, -4);
}

TEST(Vectors, RotateMidAndSet) {
  VEC3 p = rotate_point_2D(VEC3{1, 1, 0}, VEC3{2, 1, 7}, kPiF / 2);
  EXPECT_EQ(p.x, 1.0f);  // the cut-off makes the quarter turn exact
  EXPECT_EQ(p.y, 2.0f);
  EXPECT_EQ(p.z, 7.0f);
  p = rotate_point_2D(VEC3{0, 0, 0}, VEC3{1, 0, 0}, kPiF);
  EXPECT_EQ(p.x, -1.0f);
  EXPECT_EQ(p.y, 0.0f);
  VEC3 m = mid_point_2D(VEC3{1, 2, 3}, VEC3{3, -6, 5});
  EXPECT_EQ(m.x, 2.0f);
  EXPECT_EQ(m.y, -2.0f);
  Set_VEC3(m, 4, 5, 6);
  EXPECT_EQ(m.x, 4);
  EXPECT_EQ(m.y, 5);
  EXPECT_EQ(m.z, 6);
}

TEST(Colours, CodeTable) {
  struct Case {
    int code;
    std::uint8_t r, g, b;
  } cases[] = {
      {2, 0, 0, 0},          {63, 255, 255, 255}, {0, 0, 128, 128}, {50, 255, 0, 0},
      {48, 255, 128, 128},   {1, 0, 128, 0},      {3, 0, 0, 128},   {15, 0, 255, 255},
      {16, 128, 128, 128},   {34, 192, 0, 0},     {11, 0, 192, 0},  {12, 0, 255, 0},  {5, 0, 0, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    std::uint8_t rgba[4] = {};
    color_code_to_RGBA(c.code, 77, rgba);
    EXPECT_EQ(rgba[0], c.r);
    EXPECT_EQ(rgba[1], c.g);
    EXPECT_EQ(rgba[2], c.b);
    EXPECT_EQ(rgba[3], 77);
    EXPECT_EQ(color_code_to_TColor(c.code),
              c.r | (std::uint32_t{c.g} << 8) | (std::uint32_t{c.b} << 16));
  }
  // Every code gives a distinct colour.
  for (int a = 0; a < 64; ++a)
    for (int b = a + 1; b < 64; ++b) EXPECT_NE(color_code_to_TColor(a), color_code_to_TColor(b));
}

}  // namespace
