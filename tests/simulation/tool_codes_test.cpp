#include "simulation/tool_codes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "common/debug_log.h"
#include "common/ats_func.h"

namespace {

// A slot's tool and holder as Preset_TOOL_HOLDER_list completes them.
TTOOL tool_of(int number, int kind) {
  TTOOL t;
  set_default_TOOL(t);
  t.T_number = number;
  t.T_category = kind;
  return t;
}
THOLDER holder_of(int number) {
  THOLDER h;
  set_default_HOLDER(h);
  h.H_number = number;
  return h;
}

struct LineCase {
  const char* what;
  std::function<void(TTOOL&, THOLDER&)> setup;
  const char* name_line;
  const char* tool_line;
  const char* holder_line;
};

TEST(ToolCommentWriter, LinesPerKindAndCorrection) {
  const LineCase cases[] = {
      {"all defaults, kind 0", [](TTOOL& t, THOLDER& h) { t = tool_of(0, 0); h = holder_of(0); },
       "(VLM N0 \"未設定\" )", "(VLM T0 A0B29C8D16E10F20G8)", "(VLM H0 A49B72)"},
      {"flat T5 with its automatic name",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(5, 1);
         get_TOOL_kind_text(t);
         h = holder_of(5);
       },
       "(VLM N5 \"φ8 フラット\" )", "(VLM T5 A1B29C8D16E10F20G8)", "(VLM H5 A49B72)"},
      {"ball: C at most 2H",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(2, 2);
         t.radius = 3;
         t.dia = 8;
         t.edge_len = 1;
         t.name = "ball";
         h = holder_of(2);
       },
       "(VLM N2 \"ball\" )", "(VLM T2 A2B29C6D3E10F20G8H3)", "(VLM H2 A49B72)"},
      {"flat, no free length: the shank shrinks",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(1, 1);
         t.shank_dia = 10;
         t.protrusion = 16;
         t.name = "f";
         h = holder_of(1);
       },
       "(VLM N1 \"f\" )", "(VLM T1 A1B29C8D16E10F16G8)", "(VLM H1 A49B72)"},
      {"flat, short neck: the protrusion grows by the 30-degree cone",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(1, 1);
         t.shank_dia = 10;
         t.protrusion = 17;
         t.name = "f";
         h = holder_of(1);
       },
       "(VLM N1 \"f\" )", "(VLM T1 A1B29C8D16E10F18.232G10)", "(VLM H1 A49B72)"},
      {"second holder thinner than the tool",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(4, 1);
         t.name = "f";
         h = holder_of(4);
         h.h2_used = 1;
         h.h2_tip_dia = 5;
       },
       "(VLM N4 \"f\" )", "(VLM T4 A1B29C8D16E10F20G8)", "(VLM H4 A49B72C11D8E20)"},
      {"tapered second holder: G above D",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(4, 1);
         t.name = "f";
         h = holder_of(4);
         h.h2_used = 1;
         h.h2_tip_dia = 5;
         h.h2_tapered = 1;
         h.h2_max_dia = 8;
       },
       "(VLM N4 \"f\" )", "(VLM T4 A1B29C8D16E10F20G8)", "(VLM H4 A49B72C11D8E20F10G8.2)"},
      {"tapered second holder: E covers the taper, B the holder",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(6, 1);
         t.name = "f";
         h = holder_of(6);
         h.dia = 20;
         h.h2_used = 1;
         h.h2_tip_dia = 10;
         h.h2_len = 5;
         h.h2_tapered = 1;
         h.h2_half_angle = 45;
         h.h2_max_dia = 30;
       },
       "(VLM N6 \"f\" )", "(VLM T6 A1B29C8D16E10F20G8)", "(VLM H6 A49B30C11D10E10F45G30)"},
      {"kind 25 is written as kind 0",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(3, 25);
         t.name = "x";
         h = holder_of(9);
         h.dia = 10;
       },
       "(VLM N3 \"未設定\" )", "(VLM T3 A0B29C8D16E10F20G8)", "(VLM H3 A49B72)"},
      {"negative sizes count by their magnitude",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(1, 1);
         t.dia = -10;
         t.shank_dia = -10;
         t.name = "f";
         h = holder_of(1);
       },
       "(VLM N1 \"f\" )", "(VLM T1 A1B29C10D16E10F20G10)", "(VLM H1 A49B72)"},
      {"tiny and huge sizes are clamped",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(1, 1);
         t.dia = 0.01f;
         t.edge_len = 1000;
         t.protrusion = std::numeric_limits<float>::infinity();
         t.shank_dia = 0.05f;
         t.name = "f";
         h = holder_of(1);
       },
       "(VLM N1 \"f\" )", "(VLM T1 A1B29C0.1D400E10F400G0.1)", "(VLM H1 A49B72)"},
      {"T-slot: J in the E group, then H",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(15, 15);
         t.dia = 20;
         t.noedge_dia = 8;
         t.radius = 3;
         t.edge_len = 5;
         t.shank_dia = 8;
         t.protrusion = 5;
         t.name = "ts";
         h = holder_of(15);
       },
       "(VLM N15 \"ts\" )", "(VLM T15 A15B29C20D7E10F7G7J8H3)", "(VLM H15 A49B72)"},
      {"inner radius: H, I and J",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(18, 18);
         t.radius = 2;
         t.noedge_dia = 6;
         t.half_angle = 40;
         t.dia = 8;
         t.edge_len = 2;
         t.protrusion = 20;
         t.name = "ir";
         h = holder_of(18);
       },
       "(VLM N18 \"ir\" )", "(VLM T18 A18B29C10D2E10F20G8H2I30J6)", "(VLM H18 A49B72)"},
      {"quotes and parentheses of a name are written full-width",
       [](TTOOL& t, THOLDER& h) {
         t = tool_of(1, 1);
         t.name = "a(b)\"c";
         h = holder_of(1);
       },
       "(VLM N1 \"a（b）”c\" )", "(VLM T1 A1B29C8D16E10F20G8)", "(VLM H1 A49B72)"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTOOL t;
    THOLDER h;
    c.setup(t, h);
    EXPECT_TRUE(make_TOOL_comment_lines(t, h));
    EXPECT_EQ(t.name_line, c.name_line);
    EXPECT_EQ(t.tool_line, c.tool_line);
    EXPECT_EQ(h.holder_line, c.holder_line);
  }
}

TEST(ToolCommentWriter, KindZeroKeepsTheHolderAndNamesTheTool) {
  TTOOL t = tool_of(3, 25);
  THOLDER h = holder_of(9);
  h.dia = 10;
  h.h2_used = 1;
  make_TOOL_comment_lines(t, h);
  EXPECT_EQ(t.T_category, 0);
  EXPECT_EQ(t.name, "未設定");
  EXPECT_EQ(h.dia, 10.0f);
  EXPECT_EQ(h.H_number, 9);
  EXPECT_EQ(h.h2_used, 1);
}

TEST(ToolCommentWriter, DerivedFields) {
  TTOOL ball = tool_of(1, 2);
  ball.radius = 4;
  ball.dia = 6;
  THOLDER h = holder_of(1);
  make_TOOL_comment_lines(ball, h);
  EXPECT_FLOAT_EQ(ball.cut_dia, 6);
  EXPECT_FLOAT_EQ(ball.ref_dia, 6);
  EXPECT_FLOAT_EQ(ball.ref_radius, 4);
  EXPECT_FLOAT_EQ(ball.derived2, 4 - std::sqrt(16.0f - 9.0f));

  TTOOL taper = tool_of(1, 4);
  taper.dia = 2;
  taper.half_angle = 5;
  taper.edge_len = 10;
  make_TOOL_comment_lines(taper, h);
  const double tan5 = std::tan(5 * ATS_PI / 180);
  EXPECT_FLOAT_EQ(taper.tan_half_angle, static_cast<float>(tan5));
  EXPECT_FLOAT_EQ(taper.cut_dia, static_cast<float>(2 * 10 * tan5 + 2));
  EXPECT_FLOAT_EQ(taper.ref_radius, 0);

  TTOOL inner = tool_of(1, 18);
  make_TOOL_comment_lines(inner, h);
  EXPECT_FLOAT_EQ(inner.ref_dia, inner.noedge_dia);
  EXPECT_FLOAT_EQ(inner.tan_half_angle, 0);  // not one of the taper kinds
}

TEST(ToolCommentWriter, ClampSize) {
  EXPECT_EQ(clamp_TOOL_size(0.1f), 0.1f);
  EXPECT_EQ(clamp_TOOL_size(-5), 0.1f);
  EXPECT_EQ(clamp_TOOL_size(0.11f), 0.11f);
  EXPECT_EQ(clamp_TOOL_size(400), 400.0f);
  EXPECT_EQ(clamp_TOOL_size(400.5f), 400.0f);
  EXPECT_EQ(clamp_TOOL_size(std::numeric_limits<float>::quiet_NaN()), 0.1f);
}

// Value sets that reach the corrections of most kinds; every set is tried on every kind.
struct Sizes {
  float C, D, F, G, H, I, J;
};
const Sizes kSizes[] = {
    {8, 16, 20, 8, 3, 10, 6},          // the defaults
    {10, 20, 21, 16, 2, 5, 4},         // thick shank, short neck
    {6, 12, 12, 12, 0, 0, 0},          // no free length, zero radius and angle
    {0, 0, 0, 0, 0, 0, 0},             // all zero
    {50, 3, 80, 40, 250, 95, 60},      // large values, out-of-range angle and radius
    {380, 390, 395, 400, 190, 44, 300},  // near the upper clamp
    {2.5f, 1.5f, 4.5f, 6, 0.5f, 30, 1.5f},
};

void expect_same(const TTOOL& a, const TTOOL& b) {
  EXPECT_EQ(a.T_category, b.T_category);
  EXPECT_EQ(a.dia, b.dia);
  EXPECT_EQ(a.edge_len, b.edge_len);
  EXPECT_EQ(a.protrusion, b.protrusion);
  EXPECT_EQ(a.shank_dia, b.shank_dia);
  EXPECT_EQ(a.radius, b.radius);
  EXPECT_EQ(a.half_angle, b.half_angle);
  EXPECT_EQ(a.noedge_dia, b.noedge_dia);
  EXPECT_EQ(a.cut_dia, b.cut_dia);
  EXPECT_EQ(a.derived1, b.derived1);
  EXPECT_EQ(a.derived2, b.derived2);
}

TEST(ToolCommentWriter, IdempotentOverAllKinds) {
  for (int kind = 0; kind < kToolKinds; ++kind) {
    for (const Sizes& s : kSizes) {
      for (int h2 = 0; h2 < 3; ++h2) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " C" << s.C << " G" << s.G
                                        << " holder " << h2);
        TTOOL t = tool_of(kind, kind);
        t.dia = s.C;
        t.edge_len = s.D;
        t.protrusion = s.F;
        t.shank_dia = s.G;
        t.radius = s.H;
        t.half_angle = s.I;
        t.noedge_dia = s.J;
        get_TOOL_kind_text(t);
        THOLDER h = holder_of(kind);
        h.h2_used = h2 > 0;
        h.h2_tapered = h2 > 1;
        h.h2_tip_dia = s.C / 2;
        h.h2_max_dia = s.G;
        h.h2_len = s.D / 4;
        make_TOOL_comment_lines(t, h);

        // Normalising again changes nothing.
        TTOOL t2 = t;
        THOLDER h2r = h;
        make_TOOL_comment_lines(t2, h2r);
        expect_same(t2, t);
        EXPECT_EQ(t2.tool_line, t.tool_line);
        EXPECT_EQ(h2r.holder_line, h.holder_line);
        EXPECT_EQ(t2.name_line, t.name_line);

        // Reading the written lines and writing them again gives the same text.
        TTOOL t3 = read_TOOL_comment(t.tool_line);
        THOLDER h3 = read_HOLDER_comment(h.holder_line);
        t3.name = read_NAME_comment(t.name_line).name;
        make_TOOL_comment_lines(t3, h3);
        EXPECT_EQ(t3.tool_line, t.tool_line);
        EXPECT_EQ(h3.holder_line, h.holder_line);
        EXPECT_EQ(t3.name_line, t.name_line);
      }
    }
  }
}

// Sizes on a 0.5 grid (and a few tiny ones) up to beyond the clamps, on every kind and
// holder form: normalising twice, and reading the written lines back, give the same text.
TEST(ToolCommentWriter, StableOverRandomSizes) {
  std::mt19937 rng(7);
  auto size = [&](int upto) {
    return rng() % 4 == 0 ? static_cast<float>(rng() % 3) * 0.05f
                          : static_cast<float>(rng() % (2 * upto)) * 0.5f;
  };
  auto span = [&](int small) { return rng() % 2 ? small : 450; };
  for (int i = 0; i < 20000; ++i) {
    TTOOL t = tool_of(1, static_cast<int>(rng() % kToolKinds));
    t.dia = size(span(30));
    t.edge_len = size(span(40));
    t.protrusion = size(span(60));
    t.shank_dia = size(span(30));
    t.radius = size(span(10));
    t.half_angle = size(100);
    t.noedge_dia = size(span(30));
    t.name = "x";
    THOLDER h = holder_of(1);
    h.h2_used = rng() % 2;
    h.h2_tapered = rng() % 2;
    h.h2_tip_dia = size(span(50));
    h.h2_max_dia = size(span(60));
    h.h2_len = size(50);
    h.h2_half_angle = size(100);
    h.dia = size(100);
    make_TOOL_comment_lines(t, h);

    TTOOL t2 = t;
    THOLDER h2 = h;
    make_TOOL_comment_lines(t2, h2);
    TTOOL t3 = read_TOOL_comment(t.tool_line);
    THOLDER h3 = read_HOLDER_comment(h.holder_line);
    make_TOOL_comment_lines(t3, h3);
    if (t2.tool_line != t.tool_line || h2.holder_line != h.holder_line ||
        t3.tool_line != t.tool_line || h3.holder_line != h.holder_line) {
      ADD_FAILURE() << t.tool_line << " " << h.holder_line << " -> " << t2.tool_line << " "
                    << h2.holder_line << " / read back " << t3.tool_line << " "
                    << h3.holder_line;
      break;
    }
  }
}

// Lines with more decimals than the writer keeps, where one pass from the written values is
// not enough: a rounded radius takes another branch (kind 3), a rounded size moves the next
// one across a rounding step (kind 14), or a rounded angle or diameter moves the derived
// cutting diameter that the holder takes (kinds 5 and 6) or the taper length of a nearly
// straight taper. Saving what was loaded, and loading and saving it again, give one text.
TEST(ToolCommentWriter, StableWhereOnePassIsNotEnough) {
  const std::pair<const char*, const char*> cases[] = {
      {"(VLM T1 A3 C89.9995 H0.0004)", "(VLM H1 A49B72)"},
      {"(VLM T1 A14D0.06G70H0.0767I15.7480J0.0923)", "(VLM H1 A3D4F69.659G1.8)"},
      {"(VLM T1 A5D1.999F255G66.0975H44.2476I13.275)", "(VLM H1 A49B72)"},
      {"(VLM T1 A6C0.566D81F0.19G71.2H93I37.2242)", "(VLM H1 A3B77.248C308D110E0.04569F0.09)"},
      {"(VLM T1 A6C24.8D79.239G0.09H97.6725I18.99)", "(VLM H1 A3B0.08C29D1.325E0.042F0)"},
  };
  for (const auto& [tool_line, holder_line] : cases) {
    SCOPED_TRACE(tool_line);
    TTOOL t = read_TOOL_comment(tool_line);
    THOLDER h = read_HOLDER_comment(holder_line);
    make_TOOL_comment_lines(t, h);

    TTOOL again = t;
    THOLDER again_h = h;
    make_TOOL_comment_lines(again, again_h);
    EXPECT_EQ(again.tool_line, t.tool_line);
    EXPECT_EQ(again_h.holder_line, h.holder_line);

    TTOOL back = read_TOOL_comment(t.tool_line);
    THOLDER back_h = read_HOLDER_comment(h.holder_line);
    make_TOOL_comment_lines(back, back_h);
    EXPECT_EQ(back.tool_line, t.tool_line);
    EXPECT_EQ(back_h.holder_line, h.holder_line);
  }
}

TEST(ToolCommentReader, LettersInAnyOrderCaseAndComments) {
  const TTOOL lenient = read_TOOL_comment("(VLM T3 a1 b29 c10 : any words)");
  const TTOOL strict = read_TOOL_comment("(VLM T3A1B29C10)");
  EXPECT_EQ(lenient.T_number, 3);
  EXPECT_EQ(lenient.T_category, 1);
  EXPECT_EQ(lenient.dia, 10.0f);
  expect_same(lenient, strict);
  EXPECT_EQ(lenient.edge_len, 16.0f);  // absent: default

  const TTOOL t = read_TOOL_comment("(VLM G12 F35.5 e 7.9 D-20 T 9 A 2 H1.25 / C99)");
  EXPECT_EQ(t.T_number, 9);
  EXPECT_EQ(t.T_category, 2);
  EXPECT_EQ(t.shank_dia, 12.0f);
  EXPECT_EQ(t.protrusion, 35.5f);
  EXPECT_EQ(t.shank_color, 7);     // E is read as a real and truncated
  EXPECT_EQ(t.edge_len, -20.0f);   // the writer takes the magnitude
  EXPECT_EQ(t.radius, 1.25f);
  EXPECT_EQ(t.dia, 8.0f);          // after "/": a comment
  EXPECT_EQ(t.Z_given, 0);

  const TTOOL z = read_TOOL_comment("(VLM T1 A1 Z-2.5)");
  EXPECT_EQ(z.Z_given, 1);
  EXPECT_EQ(z.Z_value, -2.5f);
}

TEST(ToolCommentReader, ExistingRecordKeepsNameAndLines) {
  TTOOL t;
  t.name = "keep";
  t.tool_line = "(VLM T0 A0)";
  t.dia = 33;
  get_TOOL_from_comment("(VLM T2 A1 D5)", t);
  EXPECT_EQ(t.name, "keep");
  EXPECT_EQ(t.tool_line, "(VLM T0 A0)");
  EXPECT_EQ(t.dia, 8.0f);  // back to the default
  EXPECT_EQ(t.edge_len, 5.0f);
}

TEST(ToolCommentReader, ShiftJisTrailBytesAreNoLetters) {
  // The second byte of 工 is 'H' and of 荒 'r': neither is a letter of the line.
  const TTOOL t = read_TOOL_comment("(VLM T3 A2 荒加工5)");
  EXPECT_EQ(t.T_category, 2);
  EXPECT_EQ(t.radius, 3.0f);
}

TEST(ToolCommentReader, MalformedValuesKeepDefaultsAndWarn) {
  RecordingDebLog log;
  const TTOOL t =
      read_TOOL_comment("(VLM T3 A1 C. D1-2 G99999999999999999999999999999999999999999 F12)");
  EXPECT_EQ(t.dia, 8.0f);
  EXPECT_EQ(t.edge_len, 16.0f);
  EXPECT_EQ(t.shank_dia, 8.0f);
  EXPECT_EQ(t.protrusion, 12.0f);
  EXPECT_EQ(t.T_number, 3);
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_TRUE(log.contains("C = \".\""));
  EXPECT_TRUE(log.contains("D = \"err\""));
  EXPECT_TRUE(log.lines[0].find("(VLM T3 A1 C.") != std::string::npos);

  log.lines.clear();
  const TTOOL big = read_TOOL_comment("(VLM T99999999999 A1)");
  EXPECT_EQ(big.T_number, 0);
  EXPECT_EQ(log.lines.size(), 1u);
}

TEST(HolderCommentReader, SecondHolderGroups) {
  struct Case {
    const char* line;
    std::uint8_t used, tapered;
    float B, D, E, F, G;
  };
  const Case cases[] = {
      {"(VLM H5 A49B72)", 0, 0, 72, 12, 20, 10, 15},
      {"(VLM H5 A49B50D9E30F5G22)", 0, 0, 50, 12, 20, 10, 15},  // no C: nothing after it
      {"(VLM H5 A49B50C3D9E30G22)", 1, 0, 50, 9, 30, 10, 15},   // no F: no G either
      {"(VLM H5 a49 b50 c3 d9 e30 f5 g22 : taper)", 1, 1, 50, 9, 30, 5, 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const THOLDER h = read_HOLDER_comment(c.line);
    EXPECT_EQ(h.H_number, 5);
    EXPECT_EQ(h.color, 49);
    EXPECT_EQ(h.h2_used, c.used);
    EXPECT_EQ(h.h2_tapered, c.tapered);
    EXPECT_EQ(h.dia, c.B);
    EXPECT_EQ(h.h2_tip_dia, c.D);
    EXPECT_EQ(h.h2_len, c.E);
    EXPECT_EQ(h.h2_half_angle, c.F);
    EXPECT_EQ(h.h2_max_dia, c.G);
  }
  EXPECT_EQ(read_HOLDER_comment("(VLM H5 A49B50C3F5Z7)").Z_given, 1);
  EXPECT_EQ(read_HOLDER_comment("(VLM H5 A49B50C3Z7)").Z_given, 0);
}

TEST(NameCommentReader, NumberAndQuotedName) {
  struct Case {
    const char* line;
    int number;
    const char* name;
  };
  const Case cases[] = {
      {"(VLM N5 \"φ8 フラット\" )", 5, "φ8 フラット"},
      {"(vlm n12 \"a:b/c\" )", 12, "a:b/c"},
      {"(VLM N7 )", 7, ""},
      {"(VLM N \"x\" )", -1, "x"},
      {"(VLM T5 A1)", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const TOOL_NAME_COMMENT n = read_NAME_comment(c.line);
    EXPECT_EQ(n.number, c.number);
    EXPECT_EQ(n.name, c.name);
  }
}

std::vector<std::string> flat_lines(int n, int kind = 1) {
  const std::string k = std::to_string(n);
  return {"(VLM N" + k + " \"tool " + k + "\" )",
          "(VLM T" + k + " A" + std::to_string(kind) + "B29C10D16E10F20G10)",
          "(VLM H" + k + " A40B50)"};
}

TEST(MagazineFromLines, OrderRules) {
  const std::vector<std::string> lines = {
      "(VLM T5 A2B29C6D16E10F20G8H3)",  // before its name line: no slot yet
      "(VLM H5 A1B9)",                  // likewise
      "(VLM N5 \"first\" )",
      "G00 X0 Y0 (VLM ORIGN X0Y0Z100.)",  // no tool line
      "(VLM T5 A1B29C10D16E10F20G8)",
      "(VLM T5 A3B29C12)",              // a second tool line is ignored
      "  (VLM H5 A40B50)",
      "(VLM H5 A41B60)",                // and a second holder line
      "(VLM T7 A1)",                    // no slot with number 7
      "(VLM N \"nameless\" )",          // a name line without number
      "(VLM N5 \"dup\" )",              // a second slot 5; its name goes to the first
      "(VLM N3 )",
  };
  TTOOL_HOLDER_tmp m;
  read_TOOL_comment_lines(lines, m);
  ASSERT_EQ(m.count, 3);

  const TTTOOL_HOLDER_tmp& a = m.slot[0];
  EXPECT_EQ(a.T_number, 5);
  EXPECT_EQ(a.tool.T_category, 1);
  EXPECT_EQ(a.tool.dia, 10.0f);
  EXPECT_EQ(a.tool.name, "dup");
  EXPECT_EQ(a.tool.name_line, "(VLM N5 \"dup\" )");
  EXPECT_EQ(a.tool.tool_line, "(VLM T5 A1B29C10D16E10F20G8)");
  EXPECT_EQ(a.holder.holder_line, "(VLM H5 A40B50)");

  const TTTOOL_HOLDER_tmp& b = m.slot[1];
  EXPECT_EQ(b.T_number, 5);
  EXPECT_EQ(b.tool.T_category, 0);
  EXPECT_EQ(b.tool.name, "未設定");
  EXPECT_EQ(b.holder.holder_line, "(VLM H5 A49B72)");

  // A slot without tool and holder lines gets the defaults with its number and its name.
  const TTTOOL_HOLDER_tmp& c = m.slot[2];
  EXPECT_EQ(c.tool.T_number, 3);
  EXPECT_EQ(c.holder.H_number, 3);
  EXPECT_EQ(c.tool.name_line, "(VLM N3 \"未設定\" )");
  EXPECT_TRUE(c.tool_set && c.holder_set);
}

TEST(MagazineFromLines, AutomaticNameTellsTheNormalisedSize) {
  TTOOL_HOLDER_tmp m;
  read_TOOL_comment_lines({"(VLM N1 )", "(VLM T1 A1 C0.01)"}, m);
  ASSERT_EQ(m.count, 1);
  EXPECT_EQ(m.slot[0].tool.name, "φ0.1 フラット");
  EXPECT_EQ(m.slot[0].tool.name_line, "(VLM N1 \"φ0.1 フラット\" )");
}

TEST(MagazineFromLines, AtMost200Tools) {
  std::vector<std::string> lines;
  for (int n = 0; n < 205; ++n)
    for (const std::string& l : flat_lines(n)) lines.push_back(l);
  RecordingDebLog log;
  TTOOL_HOLDER_tmp m;
  read_TOOL_comment_lines(lines, m);
  ASSERT_EQ(m.count, kMagazineReadLimit);
  EXPECT_EQ(m.slot[199].T_number, 199);
  EXPECT_EQ(m.slot[199].tool.name, "tool 199");
  EXPECT_EQ(m.slot[199].tool.dia, 10.0f);
  EXPECT_EQ(log.lines.size(), 1u);  // one warning for the ignored tools
}

TEST(MagazineFromLines, StartsAfreshAndFinishesDespiteBadValues) {
  TTOOL_HOLDER_tmp m;
  read_TOOL_comment_lines(flat_lines(1), m);
  m.slot[0].text1 = "old";

  RecordingDebLog log;
  read_TOOL_comment_lines({"(VLM N2 )", "(VLM T2 A1 C.)", "(VLM T1-2 A2)", "(VLM H2 A1B-.)"}, m);
  ASSERT_EQ(m.count, 1);
  const TTTOOL_HOLDER_tmp& s = m.slot[0];
  EXPECT_EQ(s.T_number, 2);
  EXPECT_EQ(s.text1, "");               // nothing of the earlier slot survives
  EXPECT_EQ(s.tool.name, "φ8 フラット");  // not "tool 1"
  EXPECT_EQ(s.tool.dia, 8.0f);
  EXPECT_EQ(s.holder.color, 1);
  EXPECT_EQ(s.holder.dia, 72.0f);
  EXPECT_EQ(log.lines.size(), 3u);  // C, the T number and B
}

TEST(MagazineFromLines, AppliersFindTheFirstSlotOfTheNumber) {
  TTOOL_HOLDER_tmp m;
  m.count = 2;
  m.slot[0].T_number = 4;
  m.slot[1].T_number = 4;
  set_TOOL_from_comment("(VLM T4 A2)", m);
  set_TOOL_from_comment("(VLM T4 A3)", m);
  EXPECT_EQ(m.slot[0].tool.T_category, 2);
  EXPECT_EQ(m.slot[1].tool_set, 0);
  set_TOOL_name_from_comment("(VLM N4 \"n\" )", m);
  EXPECT_EQ(m.slot[0].tool.name, "n");
  // A slot beyond the count is not searched.
  m.slot[2].T_number = 9;
  set_HOLDER_from_comment("(VLM H9 A1)", m);
  EXPECT_EQ(m.slot[2].holder_set, 0);
}

}  // namespace
