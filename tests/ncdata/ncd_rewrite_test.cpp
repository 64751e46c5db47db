#include "ncdata/ncd_rewrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A Shift-JIS character whose trail byte is 'X' (0x58) and one whose trail byte is 'M'.
const std::string kSjisX = "\x83X";
const std::string kSjisM = "\x83M";

struct Case {
  std::string line, expected;
};

TEST(SubprogramRewriter, KeepsTheFirstOAndCommentsTheRest) {
  TNC_subprogram_rewriter rw;
  std::string out = "stale";
  rw.Convert_O_M98_to_comment("", true, out);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(rw.first_O_seen());

  const std::vector<Case> run = {
      {"O1000", "O1000"},
      {"G01X1.", "G01X1."},
      {"O2000", "(O2000)"},
      {"M98P2000", "(M98)P2000"},
      {"M98P2000L3", "(M98)P2000L3"},
      {"M099", "(M099)"},  // matched by value
      {"M99", "(M99)"},
      {"M30", "M30"},
      {"M3S1000", "M3S1000"},
      {"M198P1", "M198P1"},  // not a subprogram call
      {"%O100", "(O100)"},
      {"%", ""},
      {"(O3000 M98P1)G00", "(O3000 M98P1)G00"},  // comment copied whole
      {"O", "O"},                                // no number: a plain letter
      {"M", "M"},
      {"M-98", "M-98"},
      {kSjisM + "98", kSjisM + "98"},  // the trail byte is no M word
      {std::string("G00\0X1.", 7), "G00X1."},
      {"G01X1.(OPEN", "G01X1.(OPEN"},
      {"M98.5P20", "(M98.5)P20"},  // the tokenizer calls with it
  };
  for (const Case& c : run) {
    rw.Convert_O_M98_to_comment(c.line, false, out);
    EXPECT_EQ(out, c.expected) << c.line;
  }
  // A line copied byte for byte keeps its "%": dropped, it would join X10. and 5.
  rw.Convert_O_M98_to_comment("G01 X10.%5 M99", false, out, true);
  EXPECT_EQ(out, "G01 X10.%5 (M99)");

  // A reset starts a new run: its first O is kept again.
  rw.Convert_O_M98_to_comment("O5", true, out);
  EXPECT_EQ(out, "");
  rw.Convert_O_M98_to_comment("%O100", false, out);
  EXPECT_EQ(out, "O100");
  EXPECT_TRUE(rw.first_O_seen());
}

TEST(SubprogramRewriter, RunsDoNotShareTheFirstO) {
  TNC_subprogram_rewriter a, b;
  std::string out;
  a.Convert_O_M98_to_comment("O1", false, out);
  b.Convert_O_M98_to_comment("O2", false, out);
  EXPECT_EQ(out, "O2");
}

TEST(PerToolRewriter, RenumbersDAndHAndCommentsOTM98) {
  struct C {
    std::string line, d, h, expected;
  };
  const std::vector<C> cases = {
      {"D12H12", "05", "05", "D05(D12)H05(H12)"},
      {"D12H12", "", "", "D12H12"},
      {"G43Z50.H12", "", "07", "G43Z50.H07(H12)"},
      {"G41D12X5.", "05", "", "G41D05(D12)X5."},
      {"T5M06", "", "", "(T5)M06"},
      {"T5M6", "05", "05", "(T5)M6"},
      {"O1000", "", "", "(O1000)"},
      {"%O100", "", "", "(O100)"},
      {"M98P2000", "", "", "(M98)P2000"},
      {"M99", "", "", "(M99)"},
      {"M30", "", "", "M30"},
      {"(T1 D12 H12)T1", "05", "05", "(T1 D12 H12)(T1)"},
      {"D", "05", "", "D"},  // no number: nothing to renumber
      {"G01X" + kSjisX + "1.", "", "", "G01X" + kSjisX + "1."},
  };
  std::string out;
  for (const C& c : cases) {
    Convert_OTDHM_to_comment(c.line, c.d, c.h, out);
    EXPECT_EQ(out, c.expected) << c.line;
  }
}

TEST(DropWords, DropsTheWordsOfTheGivenLetters) {
  struct C {
    std::string line, letters, expected;
  };
  const std::vector<C> cases = {
      {"%O100", "", "O100"},
      {"N10G01X1.Y2.(CUT X)F100", "", "N10G01X1.Y2.(CUT X)F100"},
      {"N10G01X1.Y-2.F100", "N", "G01X1.Y-2.F100"},
      {"N10G01X1.Y-2.F100", "xy", "N10G01F100"},
      {"G00G90X0Y0M03S1000", "GS", "X0Y0M03"},
      {"M03M08", "", "M03M08"},
      {"M03M08", "M", ""},
      {"G01X(POS X1.)1.", "X", "G01X(POS X1.)1."},  // no number before the comment
      {"G01" + kSjisX + "1.", "X", "G01" + kSjisX + "1."},
      {"X", "X", "X"},  // a letter without a number is kept
  };
  std::string out;
  for (const C& c : cases) {
    Drop_words_of_letters(c.line, c.letters, out);
    EXPECT_EQ(out, c.expected) << c.line << " / " << c.letters;
  }
}

TEST(SwapG2G3, SplitsTheLineAroundItsCoordinates) {
  struct C {
    std::string line;
    bool mirror;
    std::string head, tail;
  };
  const std::vector<C> cases = {
      {"G02X10.Y5.I5.J0F200", true, "G03", "F200"},
      {"G02X10.Y5.I5.J0F200", false, "G02", "F200"},
      {"G2X1.I1.", true, "G03", ""},
      {"G3X1.R1.", true, "G02", ""},
      {"G002X1.I1.", true, "G03", ""},
      {"G91G01X5.", false, "G01", ""},
      {"G091G01X5.", false, "G01", ""},
      {"G41D1X5.", true, "G42D1", ""},
      {"G42D1X5.", true, "G41D1", ""},
      {"G40", true, "G40", ""},
      {"N10G17G90G00X0Y0Z5.M03", false, "N10G17G00", "M03"},
      {"G01Z-1.F100", false, "G01", "F100"},
      {"(X10. M98)G01X1.(END G2)F100", true, "(X10. M98)G01", "(END G2)F100"},
      {"%G01X1.", false, "G01", ""},
      {"G01" + kSjisX + "1.X2.", false, "G01" + kSjisX + "1.", ""},
      {"M30", true, "M30", ""},
      {"G28G91Z0", true, "G28", ""},
      {"G", true, "G", ""},
      {"G54.1P1X0Y0", true, "G54.1P1", ""},
      // A code is its number's integer part, and goes or stays whole with its decimals.
      {"G01X10.Y5.G90.1F100", false, "G01", "F100"},
      {"Z-2G90.838", false, "", ""},
      {"G91.1G01X5.", false, "G01", ""},
      {"G+91G02.5X1.I1.", true, "G03", ""},
      {"G-91X1.", false, "G-91", ""},
  };
  std::string head = "stale", tail = "stale";
  for (const C& c : cases) {
    Swap_G2G3_G41G42(c.line, c.mirror, head, tail);
    EXPECT_EQ(head, c.head) << c.line;
    EXPECT_EQ(tail, c.tail) << c.line;
  }
}

}  // namespace
