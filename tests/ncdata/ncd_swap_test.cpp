#include <gtest/gtest.h>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"

namespace {

struct CountingHost : NCD_HOST {
  void ncd_cleared(NCD_DATA&) override { ++cleared; }
  int cleared = 0;
};

void load(NCD_DATA& d, const std::string& text) {
  Create_NCD(d);
  Append_NCD_text(d, text.data(), text.size(), true);
  for (int i = 0; i < d.line_count; ++i) Parse_NCD_line(d, i);
  Run_all_NCD(d, 0);
}

}  // namespace

TEST(NcdSwap, ProgramsChangePlacesWhileHostsAndOptionsStay) {
  NCD_DATA a, b;
  CountingHost host;
  a.set_host(&host);
  a.parse.word_unit = 2;
  a.exec_opt.peck_return = 0.5f;
  b.parse.word_unit = 4;
  load(a, "O1\nG0X1\nM30\n");
  load(b, "O2\nG1X5F100\nG1Y5\nM30\n");
  const std::uint32_t before = a.change_count;
  Swap_NCD(a, b);
  ASSERT_EQ(a.line_count, 4);
  ASSERT_EQ(b.line_count, 3);
  EXPECT_EQ(std::string(get_NCD_line_view(a, 1)), "G1X5F100");
  EXPECT_EQ(std::string(get_NCD_line_view(b, 1)), "G0X1");
  EXPECT_EQ(a.prog_lines.count, 1);
  EXPECT_EQ(a.prog_lines.e[0].num, 2);
  EXPECT_EQ(&a.host(), &host);
  EXPECT_FALSE(b.has_host());
  EXPECT_EQ(a.parse.word_unit, 2);
  EXPECT_FLOAT_EQ(a.exec_opt.peck_return, 0.5f);
  EXPECT_NE(a.change_count, before);
  // The swapped records stay whole: steps, seeks, clearing and freeing work on both.
  Goto_NCD_line(a, 2);
  EXPECT_EQ(a.pos.cur_line, 2);
  const int cleared = host.cleared;
  Clear_NCD(b);  // b's program, b's (absent) host
  EXPECT_EQ(b.line_count, 0);
  EXPECT_EQ(host.cleared, cleared);
  Free_NCD(a);
  Free_NCD(b);
}
