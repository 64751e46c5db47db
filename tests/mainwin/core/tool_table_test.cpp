#include "mainwin/core/tool_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> slot_numbers(const TTOOL_HOLDER_tmp& m) {
  std::vector<int> out;
  for (int k = 0; k < m.used(); ++k) out.push_back(m.slot[k].T_number);
  return out;
}

NCD_TOOL_STAT record(int tool, float cut, float rapid, float time, const char* text = "") {
  NCD_TOOL_STAT r;
  r.tool = tool;
  r.cut_len = cut;
  r.rapid_len = rapid;
  r.time = time;
  r.tool_text = text;
  return r;
}

TEST(ToolTable, SlotsAreT0AndEveryChangedToolOnceAscending) {
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs;
  set_TOOL_defs({5, 2, 5}, defs, m, nullptr);
  EXPECT_EQ(slot_numbers(m), (std::vector<int>{0, 2, 5}));
  // Every slot has its three lines, in slot order.
  ASSERT_EQ(defs.size(), 9u);
  EXPECT_EQ(defs[3], m.slot[1].tool.name_line);
  EXPECT_EQ(defs[4], m.slot[1].tool.tool_line);
  EXPECT_EQ(defs[5], m.slot[1].holder.holder_line);
}

TEST(ToolTable, ToolsBeyondTheSlotsAreLeftOutWithOneLogLine) {
  std::vector<int> tools;
  for (int t = 1; t <= 250; ++t) tools.push_back(t);
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs, log;
  set_TOOL_defs(tools, defs, m, &log);
  EXPECT_EQ(m.count, kMagazineSlots);
  EXPECT_EQ(m.slot[kMagazineSlots - 1].T_number, 200);
  EXPECT_EQ(log.size(), 1u);
}

TEST(ToolTable, LinesOfToolsNotInTheProgramAreDroppedAndOthersKept) {
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs;
  set_TOOL_defs({3, 9}, defs, m, nullptr);
  std::vector<std::string> kept = defs;
  // A slot's own lines survive a rebuild; a tool that is no longer changed to goes.
  std::string t9_name = m.slot[2].tool.name_line;
  set_TOOL_defs({3}, defs, m, nullptr);
  EXPECT_EQ(slot_numbers(m), (std::vector<int>{0, 3}));
  ASSERT_EQ(defs.size(), 6u);
  EXPECT_EQ(defs[3], kept[3]);
  EXPECT_EQ(defs[4], kept[4]);
  EXPECT_EQ(defs[5], kept[5]);
  for (const auto& l : defs) EXPECT_NE(l, t9_name);
}

TEST(ToolTable, TwoUsesOfOneToolAddUpAndRoundInTheListing) {
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs, errors;
  set_TOOL_defs({3}, defs, m, nullptr);
  std::vector<NCD_TOOL_STAT> stats{record(0, 0, 10.f, 0.1f), record(3, 120.4f, 30.f, 1.4f, "T3M6\n"),
                                   record(3, 80.2f, 20.f, 2.3f, "T3M6 again\n")};
  stats[1].block_text = {"F100", "S2000"};
  stats[2].block_text = {"F100", "S3000"};
  VLM_tool_totals tot = fill_tool_listing(stats, false, m, errors);
  EXPECT_TRUE(errors.empty());
  const TTTOOL_HOLDER_tmp& s = m.slot[1];
  EXPECT_FLOAT_EQ(s.cut_len, 200.6f);
  EXPECT_EQ(s.list_body.rfind("切削長 201 mm , 早送り 50 mm , 加工時間 4 分 \n", 0), 0u) << s.list_body;
  EXPECT_NE(s.list_body.find("T3M6\nT3M6 again\n"), std::string::npos);
  EXPECT_EQ(s.text3, "F100 ");
  EXPECT_EQ(s.text4, "S2000 S3000 ");
  EXPECT_EQ(s.list_head, "( 1) T03 F100 S2000 S3000 :");
  // Slot 0 has no head texts: four blanks each.
  EXPECT_EQ(m.slot[0].list_head, "( 0) T00         :");
  // The grand totals are the sums of the slots.
  EXPECT_FLOAT_EQ(tot.cut_len, 200.6f);
  EXPECT_FLOAT_EQ(tot.rapid_len, 60.f);
  EXPECT_FLOAT_EQ(tot.mach_time, 3.8f);
}

TEST(ToolTable, AssumedFeedIsMarkedAndHalfMinutesRoundAway) {
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs, errors;
  set_TOOL_defs({1}, defs, m, nullptr);
  fill_tool_listing({record(1, 0.5f, 2.5f, 2.5f)}, true, m, errors);
  EXPECT_EQ(m.slot[1].list_body, "切削長 1 mm , 早送り 3 mm , 加工時間 3 分 (=F100)\n");
}

TEST(ToolTable, RecordWithoutSlotIsReportedAndSkipped) {
  TTOOL_HOLDER_tmp m;
  std::vector<std::string> defs, errors;
  set_TOOL_defs({1}, defs, m, nullptr);
  VLM_tool_totals tot =
      fill_tool_listing({record(7, 5.f, 0, 1.f), record(1, 2.f, 0, 1.f)}, false, m, errors);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "kougu_list_up でエラー発生, i=0 used_T_num=7");
  EXPECT_FLOAT_EQ(tot.cut_len, 2.f);
}

}  // namespace
