// The NC program store: splitting, paging, insertion, deletion and the line tables.
#include <cstring>

#include "tests/ncdata/ncd_test_util.h"

namespace {

using Lines = std::vector<std::string>;

// Every line's text and word-data entries carry the line's own number.
void expect_entries_numbered(const NCD_DATA& d) {
  for (int i = 0; i < d.line_count; ++i) {
    const NCD_LINE& rec = d.line(i);
    std::int32_t ln;
    std::memcpy(&ln, d.text_pages[ncd_handle_page(rec.text)] + ncd_handle_offset(rec.text), 4);
    ASSERT_EQ(ln, i) << "text entry of line " << i;
    if (rec.word != 0) {
      const std::uint32_t* w = d.word_pages[ncd_handle_page(rec.word)] + ncd_handle_offset(rec.word);
      ASSERT_EQ(static_cast<std::int32_t>(w[0]), i) << "word entry of line " << i;
    }
  }
}

struct SplitCase {
  const char* name;
  std::string text;
  bool upper;
  Lines lines;
};

TEST(NcdSplit, LinesFromText) {
  const std::string x300(300, 'X');
  const std::string x249(249, 'X');
  const SplitCase cases[] = {
      {"mixed line ends", "G01\r\nG02\rG03\nG04", true, {"G01", "G02", "G03", "G04"}},
      {"empty middle line", "A\r\n\r\nB", true, {"A", "", "B"}},
      {"final line end adds nothing", "G01\r\n", true, {"G01"}},
      {"LF CR is two ends", "A\n\rB", true, {"A", "", "B"}},
      {"tab becomes blank", "x1\tY2", true, {"X1 Y2"}},
      {"no upper-casing", "x1\r\ny2", false, {"x1", "y2"}},
      {"per character upper-casing",
       "(\x8D\x48\x8B\xEF)g01x10.\r\n\x83\x61" "abc",  // 0x83 0x61 keeps its trail byte
       true,
       {"(\x8D\x48\x8B\xEF)G01X10.", "\x83\x61" "ABC"}},
      {"lead byte before a line end stays alone", "a\x81\r\nb", true, {"A\x81", "B"}},
      {"0x1A ends the text", "G01\r\nG02\x1AG03\r\n", true, {"G01", "G02"}},
      {"NUL ends the text", std::string("G01\0G02", 7), true, {"G01"}},
      {"300-byte line is cut at 250", x300 + "\r\nG01", true, {std::string(250, 'X'), "G01"}},
      {"cut never splits a pair", x249 + "\x8D\x48YYY\nG02", true, {x249, "G02"}},
      {"control byte in a cut tail ends the text", x300 + "\x1A" "G03\r\nG04", true,
       {std::string(250, 'X')}},
      {"250 bytes are kept whole", std::string(250, 'Y') + "\nA", true,
       {std::string(250, 'Y'), "A"}},
  };
  for (const auto& c : cases) {
    auto d = make_ncd();
    const int r = Append_NCD_text(*d, c.text.data(), c.text.size(), c.upper);
    EXPECT_EQ(r, static_cast<int>(c.lines.size())) << c.name;
    EXPECT_EQ(ncd_lines(*d), c.lines) << c.name;
  }
}

// A plain byte-by-byte splitter of the same rules, to check the word-at-a-time one on texts
// whose special bytes fall at every offset.
Lines reference_split(const std::string& t) {
  Lines out;
  std::string cur;
  bool skipping = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (c == '\r' || c == '\n') {
      if (!skipping) out.push_back(cur);
      cur.clear();
      skipping = false;
      if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      continue;
    }
    if (c < 32 && c != '\t') break;
    if (skipping) continue;
    std::string ch(1, static_cast<char>(c == '\t' ? ' ' : (c >= 'a' && c <= 'z') ? c - 32 : c));
    const auto next = i + 1 < t.size() ? static_cast<unsigned char>(t[i + 1]) : 0;
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) &&
        ((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC))) {
      ch += t[++i];
    }
    if (cur.size() + ch.size() > 250) {
      out.push_back(cur);
      cur.clear();
      skipping = true;
      continue;
    }
    cur += ch;
  }
  if (!skipping && !cur.empty()) out.push_back(cur);
  return out;
}

TEST(NcdSplit, AgreesWithAPlainSplitter) {
  const char* pieces[] = {"X12.345", "y-6.7", "\r\n", "\n", "\r", "\t", "\x8D\x48", "\x83\x61",
                          "\x81", "(abc)", "G01", "\x1A"};  // 12: a long run
  std::uint32_t seed = 12345;
  auto rnd = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 300; ++round) {
    std::string t;
    const int parts = 1 + static_cast<int>(rnd(60));
    for (int i = 0; i < parts; ++i) {
      const std::uint32_t k = rnd(13);
      if (k == 11 && rnd(8) != 0) continue;  // a 0x1A now and then
      t += k == 12 ? std::string(120 + rnd(20), 'Z') : std::string(pieces[k]);
    }
    auto d = make_ncd();
    Append_NCD_text(*d, t.data(), t.size(), true);
    ASSERT_EQ(ncd_lines(*d), reference_split(t)) << "round " << round;
  }
}

TEST(NcdSplit, ReportsCutLinesAndControlEnd) {
  auto d = make_ncd();
  const std::string t = "A\r\n" + std::string(260, 'B') + "\r\nC\r\n" + std::string(251, 'D') +
                        "\r\nE\x1A" "F";
  EXPECT_EQ(Append_NCD_text(*d, t.data(), t.size(), true), 5);
  EXPECT_EQ(d->split_report.cut_lines, (std::vector<std::int32_t>{1, 3}));
  EXPECT_TRUE(d->split_report.control_end);
  EXPECT_EQ(d->split_report.control_byte, 0x1A);
  EXPECT_EQ(d->split_report.control_pos, t.size() - 2);

  const std::string ok = "G01\r\n";
  Append_NCD_text(*d, ok.data(), ok.size(), true);
  EXPECT_TRUE(d->split_report.cut_lines.empty());
  EXPECT_FALSE(d->split_report.control_end);
}

TEST(NcdSplit, EmptyTextAddsNothing) {
  auto d = make_ncd();
  EXPECT_EQ(Append_NCD_text(*d, "", 0, true), 0);
  EXPECT_EQ(d->line_count, 0);
  EXPECT_EQ(get_NCD_line_ptr(*d, 0), std::string());
  std::string s = "x";
  get_NCD_line_text(*d, -1, s);
  EXPECT_EQ(s, "");
}

TEST(NcdStore, ClearAsksTheHostAndKeepsPageZero) {
  FakeNcdHost host;
  auto d = make_ncd(&host);
  EXPECT_EQ(host.cleared, 1);
  load_ncd(*d, "O100\r\nT1M06\r\n(VLM ORIGN X1.Y2.Z3.)\r\n");
  EXPECT_EQ(d->prog_lines.count, 1);
  EXPECT_TRUE(d->comments.origin_given);
  Clear_NCD(*d);
  EXPECT_EQ(host.cleared, 2);
  EXPECT_EQ(d->line_count, 0);
  EXPECT_EQ(d->prog_lines.count, 0);
  EXPECT_EQ(d->tool_lines.count, 0);
  EXPECT_FALSE(d->comments.origin_given);
  EXPECT_NE(d->line_pages[0], nullptr);
  EXPECT_NE(d->text_pages[0], nullptr);
  EXPECT_NE(d->word_pages[0], nullptr);
  EXPECT_EQ(d->line_pages[1], nullptr);
  EXPECT_EQ(d->pos.total_blocks, NCD_TOTAL_BLOCKS_UNLIMITED);
}

// Four lines per line page, so edits cross page borders.
NCD_CAPACITY small_pages() {
  NCD_CAPACITY c;
  c.line_page_shift = 2;
  c.text_page_bytes = 512;
  c.word_page_words = 64;
  return c;
}

Lines numbered(int from, int to) {
  Lines v;
  for (int i = from; i < to; ++i) v.push_back("N" + std::to_string(i) + "X" + std::to_string(i) + ".");
  return v;
}
std::string joined(const Lines& v) {
  std::string s;
  for (const auto& l : v) s += l + "\r\n";
  return s;
}

TEST(NcdStore, InsertAndDeleteAcrossPageBorders) {
  FakeNcdHost host;
  auto d = make_ncd(&host, small_pages());
  Lines expect = numbered(0, 10);
  ASSERT_EQ(load_ncd(*d, joined(expect)), 10);
  expect_entries_numbered(*d);

  // Three lines before line 5 (page 1, slot 1): the tail moves to pages 2 and 3.
  const std::string ins = "n100\r\nn101\r\nn102";
  EXPECT_EQ(Insert_NCD_text(*d, ins.data(), 5, ins.size()), 3);
  expect.insert(expect.begin() + 5, {"N100", "N101", "N102"});
  EXPECT_EQ(ncd_lines(*d), expect);
  expect_entries_numbered(*d);
  EXPECT_EQ(d->pos.total_blocks, 13);  // the program was run again
  EXPECT_EQ(host.rebuilds, 1);
  NCD_LINE_WORDS w;
  ASSERT_TRUE(get_NCD_line_words(*d, 12, w));
  EXPECT_EQ(w.v(NCD_MB_N), 9);
  EXPECT_FLOAT_EQ(w.x, 9.0f);

  // Deletes at a page's first and last slot and at the very end.
  for (int n : {8, 3, 0, 9, 4}) {
    Delete_NCD_line(*d, n);
    expect.erase(expect.begin() + n);
    ASSERT_EQ(ncd_lines(*d), expect) << "after deleting " << n;
    expect_entries_numbered(*d);
  }
  EXPECT_EQ(d->line_count, 8);
  EXPECT_EQ(d->cur_line_page, 2);  // 8 lines: pages 0 and 1 full, page 2 current and empty
  EXPECT_EQ(d->line_slot, 0);
  EXPECT_EQ(d->line_pages[3], nullptr);

  while (d->line_count > 0) Delete_NCD_line(*d, 0);
  EXPECT_EQ(d->cur_line_page, 0);
  EXPECT_NE(d->line_pages[0], nullptr);
  EXPECT_NE(d->text_pages[0], nullptr);
  EXPECT_EQ(d->line_pages[1], nullptr);
  // The store still works after it was emptied.
  EXPECT_EQ(load_ncd(*d, "G01X1.\r\nG02"), 2);
  EXPECT_EQ(ncd_lines(*d), (Lines{"G01X1.", "G02"}));
  expect_entries_numbered(*d);
}

TEST(NcdStore, DeleteOutsideTheStoreDoesNothing) {
  auto d = make_ncd();
  load_ncd(*d, "A\r\nB\r\n");
  Delete_NCD_line(*d, -1);
  Delete_NCD_line(*d, 2);
  EXPECT_EQ(ncd_lines(*d), (Lines{"A", "B"}));
}

TEST(NcdStore, InsertEmptyTextBeforeLineZero) {
  FakeNcdHost host;
  auto d = make_ncd(&host);
  load_ncd(*d, "G01X1.\r\nG01X2.\r\nG01X3.");
  EXPECT_EQ(Insert_NCD_text(*d, "", 0, 0), 1);
  EXPECT_EQ(ncd_lines(*d), (Lines{"", "G01X1.", "G01X2.", "G01X3."}));
  expect_entries_numbered(*d);
  NCD_LINE_WORDS w;
  ASSERT_TRUE(get_NCD_line_words(*d, 3, w));
  EXPECT_FLOAT_EQ(w.x, 3.0f);
  EXPECT_EQ(d->pos.total_blocks, 4);
  EXPECT_EQ(host.rebuilds, 1);
}

TEST(NcdStore, InsertAtTheEndTokenisesWithoutARun) {
  FakeNcdHost host;
  auto d = make_ncd(&host);
  load_ncd(*d, "G01X1.\r\n");
  const std::string t = "t5m06";
  EXPECT_EQ(Insert_NCD_text(*d, t.data(), 1, t.size()), 1);
  EXPECT_EQ(ncd_lines(*d), (Lines{"G01X1.", "T5M06"}));
  EXPECT_EQ(d->line(1).status, NCD_ST_TOOL_CHANGE);
  EXPECT_EQ(d->tool_lines.count, 1);
  EXPECT_EQ(d->pos.total_blocks, NCD_TOTAL_BLOCKS_UNLIMITED);
  EXPECT_EQ(host.rebuilds, 0);
}

TEST(NcdStore, EditsShiftTablesAndPositions) {
  auto d = make_ncd();
  load_ncd(*d, "O1\r\nT1M06\r\nX1\r\nX2\r\nX3\r\nT5M06\r\nX4\r\nO2\r\nX5\r\nT9M06\r\nX6\r\n");
  ASSERT_EQ(d->tool_lines.count, 3);
  ASSERT_EQ(d->prog_lines.count, 2);
  d->pos.cur_line = 8;
  d->pos.next_line = 9;
  d->pos.start_line = 7;
  Delete_NCD_line(*d, 5);
  EXPECT_EQ(d->tool_lines.count, 2);
  EXPECT_EQ(d->tool_lines.e[0].line, 1);
  EXPECT_EQ(d->tool_lines.e[1].line, 8);
  EXPECT_EQ(d->tool_lines.e[1].num, 9);
  EXPECT_EQ(d->prog_lines.e[1].line, 6);
  EXPECT_EQ(d->pos.cur_line, 7);
  EXPECT_EQ(d->pos.next_line, 8);
  EXPECT_EQ(d->pos.start_line, 6);

  const std::string t = "T7M06\r\nX9";
  EXPECT_EQ(Insert_NCD_text(*d, t.data(), 3, t.size()), 2);
  ASSERT_EQ(d->tool_lines.count, 3);
  EXPECT_EQ(d->tool_lines.e[1].line, 3);
  EXPECT_EQ(d->tool_lines.e[1].num, 7);
  EXPECT_EQ(d->tool_lines.e[2].line, 10);
  EXPECT_EQ(d->prog_lines.e[1].line, 8);
  // The program ran again from the shifted start line.
  EXPECT_EQ(d->pos.start_line, 8);
  EXPECT_EQ(d->pos.cur_line, d->pos.last_line);
}

TEST(NcdStore, TokenisingALineAgainReplacesItsWords) {
  auto d = make_ncd(nullptr, small_pages());
  load_ncd(*d, "O1\r\nT1M06X1.\r\nX2.\r\nT2M06\r\n");
  for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  EXPECT_EQ(d->tool_lines.count, 2);
  EXPECT_EQ(d->prog_lines.count, 1);
  Delete_NCD_line(*d, 0);
  expect_entries_numbered(*d);
  NCD_LINE_WORDS w;
  ASSERT_TRUE(get_NCD_line_words(*d, 1, w));
  EXPECT_EQ(w.x, 2.0f);
  EXPECT_EQ(d->tool_lines.e[1].line, 2);
  EXPECT_EQ(d->prog_lines.count, 0);
}

// Every line tokenised again in one go (a unit switch) leaves the store as a fresh load
// with the new unit would: the same words, line tables and numbered entries, over many word
// pages, and later edits keep working on it.
TEST(NcdStore, TokenisingEveryLineAgainIsAFreshLoad) {
  std::string text = "O1\r\n(HEAD)\r\nT1M06\r\nG90G00X0Y0\r\n";
  for (int i = 0; i < 60; ++i) {
    text += "G01X" + std::to_string(i) + "Y" + std::to_string(i % 7) + ".5F300\r\n";
    if (i % 20 == 19) text += "T" + std::to_string(i / 20 + 2) + "M06\r\n(NEXT)\r\nO" + std::to_string(i) + "\r\n";
  }
  text += "M30\r\n";
  for (const int unit : {2, 5}) {
    SCOPED_TRACE(unit);
    auto again = make_ncd(nullptr, small_pages());
    load_ncd(*again, text);
    ASSERT_NE(again->word_pages[3], nullptr);  // the words span pages
    Set_NCD_word_unit(*again, unit);
    Parse_NCD_all_lines(*again);
    auto fresh = make_ncd(nullptr, small_pages());
    Set_NCD_word_unit(*fresh, unit);
    load_ncd(*fresh, text);

    ASSERT_EQ(again->line_count, fresh->line_count);
    expect_entries_numbered(*again);
    for (int i = 0; i < fresh->line_count; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(again->line(i).status, fresh->line(i).status);
      EXPECT_EQ(again->line(i).flags, fresh->line(i).flags);
      NCD_LINE_WORDS a, f;
      ASSERT_EQ(get_NCD_line_words(*again, i, a), get_NCD_line_words(*fresh, i, f));
      EXPECT_EQ(std::vector<float>({a.x, a.y, a.z, a.r, a.i, a.j, a.k}),
                std::vector<float>({f.x, f.y, f.z, f.r, f.i, f.j, f.k}));
      EXPECT_EQ(a.other.mask, f.other.mask);
      EXPECT_EQ(a.other.vals, f.other.vals);
      EXPECT_EQ(a.other.m, f.other.m);
    }
    for (auto t : {&NCD_DATA::tool_lines, &NCD_DATA::prog_lines}) {
      const NCD_LINE_TABLE& a = (*again).*t;
      const NCD_LINE_TABLE& f = (*fresh).*t;
      ASSERT_EQ(a.count, f.count);
      for (int k = 0; k < f.count; ++k) {
        EXPECT_EQ(a.e[k].line, f.e[k].line);
        EXPECT_EQ(a.e[k].num, f.e[k].num);
      }
    }
    // Edits after it: the deleted line's words go, an inserted line is tokenised.
    Delete_NCD_line(*again, 2);
    const std::string t = "T9M06";
    ASSERT_EQ(Insert_NCD_text(*again, t.data(), 10, t.size()), 1);
    expect_entries_numbered(*again);
    ASSERT_EQ(again->tool_lines.count, 4);
    EXPECT_EQ(again->tool_lines.e[0].line, 10);
    EXPECT_EQ(again->tool_lines.e[0].num, 9);
    NCD_LINE_WORDS w;
    ASSERT_TRUE(get_NCD_line_words(*again, 11, w));
    EXPECT_FLOAT_EQ(w.x, unit == 2 ? 0.7f : 0.0007f);
  }
}

TEST(NcdStore, FullLineTableSaysSo) {
  auto d = make_ncd();
  std::string t;
  for (int i = 0; i < NCD_TABLE_MAX + 2; ++i) t += "T" + std::to_string(i) + "M06\r\n";
  t += "O5\r\n";
  load_ncd(*d, t);
  EXPECT_EQ(d->tool_lines.count, NCD_TABLE_MAX);
  EXPECT_EQ(d->tool_lines.e[NCD_TABLE_MAX - 1].num, NCD_TABLE_MAX - 1);
  EXPECT_TRUE(d->table_full);
  EXPECT_FALSE(d->buf_msg.empty());
  EXPECT_FALSE(d->buf_full);  // loading goes on
  EXPECT_EQ(d->prog_lines.count, 1);
}

// The only line of the newest text page is deleted: its page is freed while current, and
// the next line must find new room instead of writing into the freed page.
TEST(NcdStore, DeletingTheLoneLineOfTheNewestPage) {
  NCD_CAPACITY c;
  c.text_page_bytes = 512;
  c.word_page_words = 64;
  auto d = make_ncd(nullptr, c);
  Lines expect;
  for (int i = 0; i < 10; ++i) expect.push_back("X1.Y2.Z3.");        // 50 words, 150 bytes
  for (int i = 0; i < 4; ++i) expect.push_back("(" + std::string(78, 'C') + ")");  // 344 bytes
  load_ncd(*d, joined(expect));
  load_ncd(*d, "X7.\r\n");
  ASSERT_EQ(ncd_handle_page(d->line(14).text), 1);
  ASSERT_EQ(ncd_handle_page(d->line(14).word), 1);
  Delete_NCD_line(*d, 14);
  EXPECT_EQ(d->text_pages[1], nullptr);
  EXPECT_EQ(d->word_pages[1], nullptr);
  load_ncd(*d, "G01X5.\r\nG01X6.\r\n");
  expect.push_back("G01X5.");
  expect.push_back("G01X6.");
  EXPECT_EQ(ncd_lines(*d), expect);
  expect_entries_numbered(*d);
  NCD_LINE_WORDS w;
  ASSERT_TRUE(get_NCD_line_words(*d, 15, w));
  EXPECT_FLOAT_EQ(w.x, 6.0f);
}

TEST(NcdStore, LinePagesRunOut) {
  NCD_CAPACITY c;
  c.page_slots = 2;
  c.line_page_shift = 1;  // 2 pages of 2 lines: 3 lines fit
  auto d = make_ncd(nullptr, c);
  EXPECT_EQ(load_ncd(*d, "A\r\nB\r\nC\r\nD\r\nE\r\n"), -1);
  EXPECT_TRUE(d->buf_full);
  EXPECT_EQ(d->buf_msg, "行データバッファがなくなりました");
  EXPECT_EQ(ncd_lines(*d), (Lines{"A", "B", "C"}));
  EXPECT_EQ(Append_NCD_text(*d, "F", 1, true), -1);
  EXPECT_EQ(Insert_NCD_text(*d, "F", 0, 1), -1);
  EXPECT_EQ(d->line_count, 3);
  Clear_NCD(*d);
  EXPECT_FALSE(d->buf_full);
  EXPECT_EQ(load_ncd(*d, "A\r\n"), 1);
}

TEST(NcdStore, TextPagesRunOut) {
  NCD_CAPACITY c;
  c.page_slots = 2;
  c.text_page_bytes = 512;
  auto d = make_ncd(nullptr, c);
  std::string t;
  for (int i = 0; i < 12; ++i) t += std::string(100, 'A' + i) + "\r\n";
  EXPECT_EQ(load_ncd(*d, t), -1);
  EXPECT_EQ(d->buf_msg, "ERR: 文字バッファがなくなりました");
  EXPECT_EQ(d->line_count, 8);  // four 106-byte entries per page
  expect_entries_numbered(*d);
}

TEST(NcdStore, InsertNeverDropsTheTail) {
  NCD_CAPACITY c;
  c.page_slots = 2;
  c.line_page_shift = 2;  // 7 lines fit
  FakeNcdHost host;
  auto d = make_ncd(&host, c);
  load_ncd(*d, "A\r\nB\r\nC\r\nD\r\nE\r\n");
  const std::string t = "P\r\nQ\r\nR\r\nS\r\n";
  EXPECT_EQ(Insert_NCD_text(*d, t.data(), 1, t.size()), -1);
  EXPECT_TRUE(d->buf_full);
  EXPECT_EQ(ncd_lines(*d), (Lines{"A", "P", "Q", "B", "C", "D", "E"}));
  expect_entries_numbered(*d);
  // Deleting is still allowed and keeps every line whole.
  Delete_NCD_line(*d, 0);
  EXPECT_EQ(ncd_lines(*d), (Lines{"P", "Q", "B", "C", "D", "E"}));
  expect_entries_numbered(*d);
}

// A store without room for one more line refuses an insertion anywhere and keeps its lines.
TEST(NcdStore, InsertIntoAFullStoreIsRefused) {
  NCD_CAPACITY c;
  c.page_slots = 2;
  c.line_page_shift = 1;  // 3 lines fit
  for (int n : {0, 1, 3}) {
    SCOPED_TRACE(n);
    auto d = make_ncd(nullptr, c);
    ASSERT_EQ(load_ncd(*d, "A\r\nB\r\nC\r\n"), 3);
    ASSERT_FALSE(d->buf_full);
    d->pos.cur_line = d->pos.next_line = 2;
    EXPECT_EQ(Insert_NCD_text(*d, "X\r\n", n, 3), -1);
    EXPECT_TRUE(d->buf_full);
    EXPECT_EQ(d->buf_msg, "バッファがなくなりました");
    EXPECT_EQ(ncd_lines(*d), (Lines{"A", "B", "C"}));
    expect_entries_numbered(*d);
    EXPECT_EQ(d->pos.cur_line, 2);
  }
}

TEST(NcdStore, FindPrevEndLine) {
  auto d = make_ncd();
  load_ncd(*d, "O1\r\nX1\r\nM30\r\nO2\r\nX2\r\nM02\r\nX3\r\n");
  EXPECT_EQ(Find_prev_end_line(*d, 4), 2);
  EXPECT_EQ(Find_prev_end_line(*d, 2), 2);
  EXPECT_EQ(Find_prev_end_line(*d, 6), 5);
  EXPECT_EQ(Find_prev_end_line(*d, 1), 0);
  EXPECT_EQ(Find_prev_end_line(*d, -3), 0);
  EXPECT_EQ(Find_prev_end_line(*d, 7), 7);
  EXPECT_EQ(Find_prev_end_line(*d, 99), 7);
}

TEST(NcdStore, CountSize) {
  auto d = make_ncd();
  Count_NCD_size(*d);
  EXPECT_EQ(d->text_size, 0);
  EXPECT_EQ(d->tape_length, 0.0f);
  load_ncd(*d, "G0\r\n\r\n");
  Count_NCD_size(*d);
  EXPECT_EQ(d->text_size, 6);
  EXPECT_FLOAT_EQ(d->tape_length, 0.015f);
  std::string caption = "NC";
  get_NCD_unit_mark(caption);
  EXPECT_EQ(caption, "NC*");
}

}  // namespace

// The change count tells a caller whether the stored program is still the one it ran.
TEST(NcdStore, ChangeCountFollowsEveryChange) {
  struct Case {
    const char* name;
    void (*act)(NCD_DATA&);
    bool changes;
  };
  const Case cases[] = {
      {"append", [](NCD_DATA& d) { load_ncd(d, "G01X4.\r\n"); }, true},
      {"insert", [](NCD_DATA& d) { Insert_NCD_text(d, "X9.", 1, 3); }, true},
      {"delete", [](NCD_DATA& d) { Delete_NCD_line(d, 0); }, true},
      {"tokenise again", [](NCD_DATA& d) { Parse_NCD_line(d, 1); }, true},
      {"clear", [](NCD_DATA& d) { Clear_NCD(d); }, true},
      {"delete outside", [](NCD_DATA& d) { Delete_NCD_line(d, 3); }, false},
      {"run", [](NCD_DATA& d) { Run_all_NCD(d, 0); }, false},
      {"read", [](NCD_DATA& d) { std::string s; get_NCD_line_text(d, 1, s); }, false},
      {"seek", [](NCD_DATA& d) { Run_all_NCD(d, 0); Goto_NCD_step(d, 2, true); }, false},
  };
  for (const Case& c : cases) {
    auto d = make_ncd();
    load_ncd(*d, "G01X1.\r\nG01X2.\r\nG01X3.");
    Run_all_NCD(*d, 0);
    const std::uint32_t before = d->change_count;
    c.act(*d);
    EXPECT_EQ(d->change_count != before, c.changes) << c.name;
  }
}

// A program past the first heap pages: its pages come from the record's large blocks, which
// serve freed pages again, follow the program through a swap and go with a clear.
TEST(NcdStore, LargeProgramPagesFromBlocks) {
  Lines expect;
  for (int i = 0; i < 150000; ++i) expect.push_back("G01X" + std::to_string(i % 997) + ".Y2.Z-" + std::to_string(i % 13) + ".");
  auto d = make_ncd();
  load_ncd(*d, joined(expect));
  ASSERT_FALSE(d->page_arena.blocks.empty());
  auto check = [&](const NCD_DATA& r) {
    ASSERT_EQ(ncd_lines(r), expect);
    expect_entries_numbered(r);
    NCD_LINE_WORDS w;
    for (int n : {0, 70000, 149999}) {
      ASSERT_TRUE(get_NCD_line_words(r, n, w)) << n;
      EXPECT_FLOAT_EQ(w.x, static_cast<float>(n % 997)) << n;
      EXPECT_FLOAT_EQ(w.z, -static_cast<float>(n % 13)) << n;
    }
  };
  check(*d);
  // Every word page but the first is freed and taken again from the spares.
  Parse_NCD_all_lines(*d);
  check(*d);
  Trim_NCD_pages(*d);
  load_ncd(*d, "G01X5.\r\n");
  expect.push_back("G01X5.");
  check(*d);
  Delete_NCD_line(*d, 0);
  expect.erase(expect.begin());
  ASSERT_EQ(ncd_lines(*d), expect);
  expect_entries_numbered(*d);
  auto other = make_ncd();
  load_ncd(*other, "G00X1.\r\n");
  Swap_NCD(*d, *other);
  EXPECT_TRUE(d->page_arena.blocks.empty());
  ASSERT_EQ(ncd_lines(*other), expect);
  Clear_NCD(*other);
  EXPECT_TRUE(other->page_arena.blocks.empty());
  load_ncd(*other, "G01X5.\r\n");
  EXPECT_EQ(ncd_lines(*other), Lines{"G01X5."});
}
