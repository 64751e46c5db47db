// The line tokenizer: status word, word flags, word data and the control comments.
#include <charconv>
#include <cmath>
#include <functional>

#include "tests/ncdata/ncd_test_util.h"
#include "tests/support/ncd_program_gen.h"

namespace {

struct Opts {
  int unit = 4;
  bool undef_noerr = true;
  bool tool_by_T = false;
};

struct ParseCase {
  const char* line;
  Opts opt;
  std::uint16_t status;
  std::uint16_t flags;
  std::function<void(const NCD_LINE_WORDS&)> check;  // only for lines with word data
};

const Opts DEF;
const Opts STRICT{4, false, false};

void xyz(const NCD_LINE_WORDS& w, float x, float y, float z) {
  EXPECT_FLOAT_EQ(w.x, x);
  EXPECT_FLOAT_EQ(w.y, y);
  EXPECT_FLOAT_EQ(w.z, z);
}

TEST(NcdParse, LinesToStatusFlagsAndWords) {
  const float f123 = static_cast<float>(123456789.123456789);
  const ParseCase cases[] = {
      {"G01X10.Y-5Z2", DEF, 1, 0x0071, [](auto& w) { xyz(w, 10.f, -0.005f, 0.002f); }},
      {"X1000", DEF, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 1.0f); }},
      {"X1000.", DEF, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 1000.0f); }},
      {"X5", {1, true, false}, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 5.0f); }},
      {"X5", {2, true, false}, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 0.5f); }},
      {"X5", {5, true, false}, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 0.0005f); }},
      {"X5", {9, true, false}, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 0.005f); }},
      {"X-.5Y+2.", DEF, 0, 0x0061, [](auto& w) { xyz(w, -0.5f, 2.f, 0); }},
      {"X123456789.123456789", DEF, 0, 0x0041, [=](auto& w) { EXPECT_EQ(w.x, f123); }},
      {"F5", DEF, 0, 0x0004, [](auto& w) { EXPECT_EQ(w.f(NCD_MB_F), -5.0f); }},
      {"F0", DEF, 0, 0x0004, [](auto& w) { EXPECT_TRUE(std::signbit(w.f(NCD_MB_F))); }},
      {"F50", DEF, 0, 0x0004, [](auto& w) { EXPECT_EQ(w.f(NCD_MB_F), 50.0f); }},
      {"F0.5", DEF, 0, 0x0004, [](auto& w) { EXPECT_EQ(w.f(NCD_MB_F), 0.5f); }},
      {"F-50", DEF, 0x9007, 4, nullptr},
      {"M98P30010", DEF, 0x0800, 0x000C,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_P), 10);
         EXPECT_TRUE(w.has(NCD_MB_L));
         EXPECT_EQ(w.v(NCD_MB_L), 3);
       }},
      {"P30010M98", DEF, 0x0800, 0x000C, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_L), 3); }},
      {"M98P10", DEF, 0x0800, 0x000C,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_P), 10);
         EXPECT_FALSE(w.has(NCD_MB_L));
       }},
      {"M98P30010L2", DEF, 0x0800, 0x000C,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_P), 30010);
         EXPECT_EQ(w.v(NCD_MB_L), 2);
       }},
      {"G04P12000", DEF, 0, 0x080C,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_P), 12000);
         EXPECT_FALSE(w.has(NCD_MB_L));
       }},
      {"M03M08M09M05", DEF, 0, 0x000C,
       [](auto& w) {
         ASSERT_EQ(w.m_count(), 3);
         EXPECT_EQ(w.other.m, (std::array<std::int32_t, 3>{3, 8, 9}));
       }},
      {"G02X10.Y0R5.", DEF, 2, 0x00E3,
       [](auto& w) {
         xyz(w, 10.f, 0, 0);
         EXPECT_EQ(w.r, 5.0f);
         EXPECT_EQ(w.i, 0.0f);
         EXPECT_EQ(w.j, 0.0f);
         EXPECT_EQ(w.k, 0.0f);
       }},
      {"G03I-5.J2K1.", DEF, 3, 0x0102,
       [](auto& w) {
         EXPECT_EQ(w.i, -5.0f);
         EXPECT_EQ(w.j, 0.002f);
         EXPECT_EQ(w.k, 1.0f);
       }},
      {"G81X1.Y1.Z-5.R2.L3", DEF, 11, 0x00F7,
       [](auto& w) {
         xyz(w, 1.f, 1.f, -5.f);
         EXPECT_EQ(w.r, 2.0f);
         EXPECT_EQ(w.v(NCD_MB_L), 3);
       }},
      {"X", DEF, 0x9002, 1, nullptr},
      {"X1.2.3", DEF, 0x9004, 4, nullptr},
      {"X+-1", DEF, 0x9003, 2, nullptr},
      {"X1-2", DEF, 0x9003, 2, nullptr},
      {"X.", DEF, 0x9002, 2, nullptr},
      {"X.Y1", DEF, 0x9002, 2, nullptr},
      {"G01X 1.", DEF, 0x9002, 4, nullptr},
      {"U", DEF, 0x9002, 1, nullptr},
      {"N99999999999", DEF, 0x9002, 12, nullptr},
      {"X1E99999999999999999999999999999999999999999", DEF, 0, 0x0041, nullptr},
      {"X9999999999999999999999999999999999999999.", DEF, 0x9002, 42, nullptr},
      {"N2147483647", DEF, 0, 0x0004, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_N), 2147483647); }},
      {"N-2147483648", DEF, 0, 0x0004, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_N), INT32_MIN); }},
      {"G01X5.#", STRICT, 0x9001, 0x0041, nullptr},
      {"G01X5.(ABC", STRICT, 0x9005, 0x0041, nullptr},
      {"G01X5.(ABC", DEF, 0x9005, 0x0041, nullptr},
      {"#100=1", STRICT, 0x9001, 0, nullptr},
      {"#100=1", DEF, 0, 0x0200, nullptr},
      {"G01X5.#Y3.", DEF, 1, 0x0241, [](auto& w) { xyz(w, 5.f, 0, 0); }},
      // ";" ends the block, in either mode; what follows it is not read.
      {"G01X5.Y3.;", DEF, 1, 0x0061, [](auto& w) { xyz(w, 5.f, 3.f, 0); }},
      {"G01X5.;Y3.#", STRICT, 1, 0x0041, [](auto& w) { xyz(w, 5.f, 0, 0); }},
      {";(COMMENT", STRICT, 0, 0, nullptr},
      {"(VLM C12)G00X0", DEF, 0x0200, 0x0204, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_T), 12); }},
      {"(VLM E5)", DEF, 0x4005, 0, nullptr},
      {"(VLM E70)", DEF, 0x4006, 0, nullptr},
      {"G01X1.(VLM E5)Y2.", DEF, 0x4005, 0, nullptr},
      {"(COMMENT)G01X1", DEF, 1, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 0.001f); }},
      {"(VLM I ST name)X1", DEF, 0, 0x0041, nullptr},
      {"(VLM C)G01X1", DEF, 0, 0, nullptr},
      {"G16", DEF, 0x9006, 3, nullptr},
      {"G01G68X1.", DEF, 0x9006, 6, nullptr},
      {"G28X0", DEF, 0, 0x0249, nullptr},
      {"G92X0Y0", DEF, 0x1000, 0x0265,
       [](auto& w) {
         EXPECT_TRUE(w.has(NCD_MB_MODE));
         EXPECT_EQ(w.other.mode & 0xF, 7u);
       }},
      {"G18G55", DEF, 0x1000, 0x0004, [](auto& w) { EXPECT_EQ(w.other.mode, 0x22u); }},
      {"G43H1", DEF, 0x1000, 0x400C, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_H), 1); }},
      {"G44G49", DEF, 0x1000, 0xC008, nullptr},
      {"G40G41D1", DEF, 0, 0x100C, nullptr},
      {"G42", DEF, 0, 0x2008, nullptr},
      {"G40", DEF, 0, 0x3008, nullptr},
      {"G80", DEF, 0, 0x0400, nullptr},
      {"G91G90", DEF, 0x0020, 0, nullptr},
      {"G90G91", DEF, 0x0040, 0, nullptr},
      {"G99G98", DEF, 0x0080, 0, nullptr},
      {"G98G99", DEF, 0x0100, 0, nullptr},
      {"G60", DEF, 4, 0, nullptr},
      {"G33", DEF, 6, 0, nullptr},
      {"G76", DEF, 9, 0, nullptr},
      {"G89", DEF, 19, 0, nullptr},
      {"G1.5", DEF, 1, 0, nullptr},
      {"G100", DEF, 0, 0x0008, nullptr},
      {"G65P9010", DEF, 0, 0x020C, nullptr},
      {"M30", DEF, 0x0400, 0x0008, nullptr},
      {"M02", DEF, 0x0400, 0x0008, nullptr},
      {"M99", DEF, 0x0C00, 0x0008, nullptr},
      {"M06T3", DEF, 0x0200, 0x020C, [](auto& w) { EXPECT_EQ(w.v(NCD_MB_T), 3); }},
      {"M06T3", {4, true, true}, 0x0200, 0x020C, nullptr},
      {"T5", DEF, 0, 0x0004, nullptr},
      {"T5", {4, true, true}, 0x0200, 0x0204, nullptr},
      {"/N10 G00 X1. %", DEF, 31, 0x0045,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_N), 10);
         EXPECT_EQ(w.x, 1.0f);
       }},
      {"X1.E5W2.", DEF, 0, 0x0041, nullptr},
      {"S1200F300.A10.B-5C90.Q2.D7", DEF, 0, 0x0004,
       [](auto& w) {
         EXPECT_EQ(w.v(NCD_MB_S), 1200);
         EXPECT_EQ(w.f(NCD_MB_F), 300.0f);
         EXPECT_EQ(w.f(NCD_MB_A), 10.0f);
         EXPECT_EQ(w.f(NCD_MB_B), -0.005f);
         EXPECT_EQ(w.f(NCD_MB_C), 90.0f);
         EXPECT_EQ(w.f(NCD_MB_Q), 2.0f);
         EXPECT_EQ(w.v(NCD_MB_D), 7);
       }},
      {"X1.X2.", DEF, 0, 0x0041, [](auto& w) { EXPECT_EQ(w.x, 2.0f); }},
      {"", DEF, 0, 0, nullptr},
  };
  for (const auto& c : cases) {
    auto d = make_ncd();
    d->parse.undef_is_noerr = c.opt.undef_noerr;
    d->parse.change_tool_by_T = c.opt.tool_by_T;
    Set_NCD_word_unit(*d, c.opt.unit);
    load_ncd(*d, c.line);
    if (*c.line == 0) {
      EXPECT_EQ(d->line_count, 0);
      continue;
    }
    ASSERT_EQ(d->line_count, 1) << c.line;
    const NCD_LINE& rec = d->line(0);
    EXPECT_EQ(rec.status, c.status) << c.line;
    EXPECT_EQ(rec.flags, c.flags) << c.line;
    EXPECT_EQ(d->parse.status, c.status) << c.line;
    NCD_LINE_WORDS w;
    const bool has_words = get_NCD_line_words(*d, 0, w);
    EXPECT_EQ(has_words, (c.status & NCD_ST_ERROR) == 0 && (c.flags & 7) != 0) << c.line;
    if (c.check && has_words) {
      SCOPED_TRACE(c.line);
      c.check(w);
    }
  }
}

// Numbers are converted to the nearest float, as a correctly rounded conversion would.
TEST(NcdParse, RealsAreCorrectlyRounded) {
  auto d = make_ncd();
  std::uint32_t seed = 99;
  auto rnd = [&](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 4) % n;
  };
  std::string text;
  std::vector<std::string> nums;
  for (int i = 0; i < 4000; ++i) {
    std::string digits = std::to_string(rnd(100000000u) >> rnd(20));
    const std::size_t point = rnd(static_cast<std::uint32_t>(digits.size()) + 1);
    std::string num = (rnd(2) ? "-" : "") + digits.substr(0, point) + "." + digits.substr(point);
    nums.push_back(num);
    text += "X" + num + "\r\n";
  }
  load_ncd(*d, text);
  ASSERT_EQ(d->line_count, static_cast<int>(nums.size()));
  for (int i = 0; i < d->line_count; ++i) {
    float expect = 0;
    const std::string& n = nums[i];
    const char* b = n.data() + (n[0] == '-' ? 1 : 0);
    std::from_chars(b, n.data() + n.size(), expect);
    if (n[0] == '-') expect = -expect;
    NCD_LINE_WORDS w;
    ASSERT_TRUE(get_NCD_line_words(*d, i, w));
    ASSERT_EQ(w.x, expect) << n;
  }
}

TEST(NcdParse, ErrorLineRegistersNoProgramOrTool) {
  auto d = make_ncd();
  load_ncd(*d, "O10T5X+-1\r\nO20\r\nT6M06\r\n");
  EXPECT_EQ(d->line(0).status, 0x9003);
  EXPECT_EQ(d->line(0).word, 0u);
  ASSERT_EQ(d->prog_lines.count, 1);
  EXPECT_EQ(d->prog_lines.e[0].line, 1);
  EXPECT_EQ(d->prog_lines.e[0].num, 20);
  ASSERT_EQ(d->tool_lines.count, 1);
  EXPECT_EQ(d->tool_lines.e[0].line, 2);
  EXPECT_EQ(d->tool_lines.e[0].num, 6);
}

TEST(NcdParse, FileComments) {
  auto d = make_ncd();
  load_ncd(*d,
           "(VLM ORIGN X1.5Y-2Z100.)G01X1.\r\n"
           "(VLM SOURCE \"\x8D\x48\x8B\xEF.NC\" )X1.\r\n"
           "(VLM OUTPUT 'OUT.NC')\r\n");
  const NCD_FILE_COMMENTS& c = d->comments;
  EXPECT_TRUE(c.origin_given);
  EXPECT_FLOAT_EQ(c.origin.x, 1.5f);
  EXPECT_FLOAT_EQ(c.origin.y, -2.0f);
  EXPECT_FLOAT_EQ(c.origin.z, 100.0f);
  EXPECT_EQ(c.origin_comment, "(VLM ORIGN X1.5Y-2Z100.)");
  EXPECT_EQ(d->line(0).status, 0);  // the rest of the line is not read
  EXPECT_EQ(d->line(0).flags, 0);
  EXPECT_TRUE(c.source_given);
  EXPECT_EQ(c.source_name, "\x8D\x48\x8B\xEF.NC");
  EXPECT_EQ(c.source_comment, "(VLM SOURCE \"\x8D\x48\x8B\xEF.NC\" )");
  EXPECT_EQ(d->line(1).flags, 0);
  EXPECT_TRUE(c.output_given);
  EXPECT_EQ(c.output_name, "OUT.NC");
}

TEST(NcdParse, MalformedFileCommentsHaveNoEffectButEndTheLine) {
  auto d = make_ncd();
  load_ncd(*d,
           "(VLM ORIGN X1.Y2.)G01X1.\r\n"
           "(VLM SOURCE NONAME)G01X1.\r\n"
           "(VLM OUTPUT)G01X1.\r\n"
           "(VLM OTHER)G01X1.\r\n");
  EXPECT_FALSE(d->comments.origin_given);
  EXPECT_FALSE(d->comments.source_given);
  EXPECT_FALSE(d->comments.output_given);
  EXPECT_EQ(d->line(0).flags, 0);
  EXPECT_EQ(d->line(1).flags, 0);
  EXPECT_EQ(d->line(2).flags, 0);
  EXPECT_EQ(d->line(3).status, 1);  // not a file comment: skipped, the line goes on
  EXPECT_EQ(d->line(3).flags, 0x0041);
}

// ---- many lines at once ---------------------------------------------------------------------

// Everything tokenising leaves in the record, byte for byte: the line records, the word-data
// pages up to their fill and end mark, the line tables, the file comments and the outputs.
std::string tokenised_image(const NCD_DATA& d) {
  std::string out;
  auto put = [&](const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); };
  for (int n = 0; n < d.line_count; ++n) put(&d.line(n), sizeof(NCD_LINE));
  for (int p = 0; p < d.cap.page_slots; ++p) {
    put(&d.word_fill[static_cast<size_t>(p)], 4);
    if (d.word_pages[static_cast<size_t>(p)])
      put(d.word_pages[static_cast<size_t>(p)], 4 * static_cast<size_t>(d.word_fill[static_cast<size_t>(p)] + 1));
  }
  put(&d.cur_word_page, 4);
  for (const NCD_LINE_TABLE* t : {&d.tool_lines, &d.prog_lines}) {
    put(&t->count, 4);
    put(t->e.data(), sizeof(NCD_TABLE_ENTRY) * static_cast<size_t>(t->count));
  }
  const NCD_FILE_COMMENTS& c = d.comments;
  out += std::to_string(c.origin_given) + c.origin_comment + std::to_string(c.origin.x) +
         std::to_string(c.origin.y) + std::to_string(c.origin.z) + '|' +
         std::to_string(c.source_given) + c.source_name + c.source_comment + '|' +
         std::to_string(c.output_given) + c.output_name + c.output_comment + '|';
  put(&d.parse.status, 2);
  put(&d.parse.flags, 2);
  put(&d.parse.mask, 2);
  put(&d.change_count, 4);
  out += std::to_string(d.buf_full) + std::to_string(d.table_full) + d.buf_msg;
  return out;
}

// A generated program with, every few hundred lines, the lines that leave more than word
// data: file comments (a different origin each time), program numbers, tool changes past
// the table's capacity, colours, errors and cut-off blocks.
std::string mixed_program(long lines) {
  testing_support::NcGenOptions o;
  o.lines = lines;
  o.seed = 9;
  o.tools = 12;
  const std::string base = testing_support::make_nc_program(o);
  std::string out;
  int k = 0;
  for (std::size_t a = 0; a < base.size();) {
    const std::size_t e = base.find('\n', a);
    out.append(base, a, e - a + 1);
    a = e + 1;
    switch (++k % 37) {
      case 3: out += "(VLM ORIGN X" + std::to_string(k) + ".Y2.Z100.)\n"; break;
      case 7: out += "(VLM SOURCE \"S" + std::to_string(k) + ".NC\")\n"; break;
      case 11: out += "(VLM OUTPUT \"O" + std::to_string(k) + ".NC\")G01X1.\n"; break;
      case 13: out += "O" + std::to_string(k % 9000 + 1) + "\n"; break;
      case 17: out += "T" + std::to_string(k % 99) + "M06\n"; break;
      case 19: out += "(VLM E5)\n"; break;
      case 23: out += "X1.2.3\n"; break;
      case 29: out += "N10G01X1.Y2.F-3.\n"; break;
      case 31: out += "G01X1.;Y9.\n"; break;
      case 33: out += "M98P30010\n"; break;
      default: break;
    }
  }
  return out;
}

TEST(NcdParseLines, ManyThreadsStoreWhatOneDoes) {
  const std::string text = mixed_program(60000);
  NCD_CAPACITY small_words;
  small_words.word_page_words = 700;
  NCD_CAPACITY tight;  // the word pages run out on the way
  tight.page_slots = 64;
  tight.word_page_words = 512;
  struct Case {
    const char* name;
    NCD_CAPACITY cap;
    int threads;
    // Lines [again_from, again_to) hold word data of an earlier tokenise with another option.
    int again_from = 0, again_to = 0;
  } cases[] = {
      {"all processors", NCD_CAPACITY{}, 0},
      {"three threads", NCD_CAPACITY{}, 3},
      {"small word pages", small_words, 5},
      {"word pages run out", tight, 4},
      {"tokenised before", small_words, 4, 0, 1 << 30},
      // a block stored line by line after blocks whose entries may still be being copied
      {"partly tokenised before", small_words, 6, 30000, 30100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto serial = make_ncd(nullptr, c.cap);
    auto parallel = make_ncd(nullptr, c.cap);
    for (NCD_DATA* d : {serial.get(), parallel.get()}) {
      Append_NCD_text(*d, text.data(), text.size(), true);
      if (c.again_to > c.again_from) {
        d->parse.change_tool_by_T = true;
        for (int n = 0; n < d->line_count; ++n)
          if (n >= c.again_from && n < c.again_to) Parse_NCD_line(*d, n);
        d->parse.change_tool_by_T = false;
      }
    }
    const int lines = serial->line_count;
    ASSERT_GT(lines, 50000);
    // Tokenise a middle range, then the rest, as the loader does step by step.
    const int mid = lines / 3;
    for (int n = mid; n < lines; ++n) Parse_NCD_line(*serial, n);
    for (int n = 0; n < mid; ++n) Parse_NCD_line(*serial, n);
    Parse_NCD_lines(*parallel, mid, lines, c.threads);
    Parse_NCD_lines(*parallel, 0, mid, c.threads);
    EXPECT_EQ(serial->buf_full, c.cap.page_slots == 64);
    EXPECT_TRUE(serial->table_full);
    EXPECT_TRUE(serial->comments.origin_given);
    const std::string want = tokenised_image(*serial);
    const std::string got = tokenised_image(*parallel);
    ASSERT_EQ(want.size(), got.size());
    EXPECT_TRUE(want == got) << "first difference at byte "
                             << std::mismatch(want.begin(), want.end(), got.begin()).first - want.begin();
  }
}

TEST(NcdParseLines, EmptyAndClippedRanges) {
  auto d = make_ncd();
  load_ncd(*d, "G01X1.\nT3M06\n");
  Parse_NCD_line(*d, 1);
  Parse_NCD_lines(*d, 2, 2, 4);  // nothing to do: the outputs are cleared as for a line outside
  EXPECT_EQ(d->parse.status, 0);
  Parse_NCD_lines(*d, -5, 99, 4);
  EXPECT_EQ(d->parse.status, NCD_ST_TOOL_CHANGE);
  ASSERT_EQ(d->tool_lines.count, 1);
  EXPECT_EQ(d->tool_lines.e[0].line, 1);
}

}  // namespace
