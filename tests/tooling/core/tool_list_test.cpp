#include "tooling/core/tool_list.h"

#include <gtest/gtest.h>

#include "common/debug_log.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "tooling/core/disp_status.h"

namespace {

// T0 unset, T1 a flat end mill, T2 a ball end mill, with the NC table's listing texts.
TTOOL_HOLDER_tmp three_tools() {
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  for (int k = 0; k < 3; ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    set_default_TOOL(s.tool);
    set_default_HOLDER(s.holder);
    s.tool.T_number = k;
    s.T_number = k;
    s.tool.T_category = k;
    s.tool.dia = 4.0f * static_cast<float>(k);
    s.tool.name = k == 0 ? "未設定" : (k == 1 ? "φ4 フラット" : "φ8 ボール");
    make_TOOL_comment_lines(s.tool, s.holder);
    s.list_head = "head" + std::to_string(k);
    s.tool_name = s.tool.name;
    s.list_body = "body" + std::to_string(k);
  }
  return m;
}

TTOOL_LIST_metrics metrics() {
  TTOOL_LIST_metrics met;
  met.width = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };
  met.line_height = 14;
  return met;
}

TTOOL_LIST_program program(std::vector<int> tools) {
  TTOOL_LIST_program p;
  p.nc_file_name = "SAMPLE01.NC";
  p.size = 1234;
  p.tape_length = 3.1416f;
  p.summary = "  総切削長:100mm  ";
  p.has_path = true;
  for (int t : tools) {
    TTOOL_LIST_use u;
    u.tool = t;
    u.d_text = t == 2 ? "D02" : "";
    u.h_text = t == 2 ? "H02" : "";
    u.cut_len = 120.5f;
    u.rapid_len = 80.4f;
    u.time = 2.5f;
    u.texts = "T" + std::to_string(t) + "M06\n";
    p.uses.push_back(u);
  }
  return p;
}

std::vector<int> slots_of(const TTOOL_LIST_model& m) {
  std::vector<int> v;
  for (const auto& it : m.items) v.push_back(it.slot);
  return v;
}

}  // namespace

TEST(ToolList, UseOrderSkipsAnUnsetFirstUseOnlyAmongSeveralAndToolsWithoutSlot) {
  struct Case {
    std::vector<int> uses;
    std::vector<int> slots;
  };
  const Case cases[] = {
      {{0, 1, 2}, {1, 2}},   // the unset first use goes
      {{0}, {0}},            // a lone use stays, even unset
      {{1, 0, 2}, {1, 0, 2}},// an unset later use stays
      {{7, 1}, {1}},         // T7 has no slot
  };
  for (const Case& c : cases) {
    TTOOL_HOLDER_tmp mag = three_tools();
    TTOOL_LIST_model m;
    m.magazine = &mag;
    TTOOL_LIST_options o;
    o.use_turn = true;
    make_TOOL_LIST_items(m, o, program(c.uses), metrics());
    EXPECT_TRUE(m.use_order);
    EXPECT_EQ(slots_of(m), c.slots) << c.uses.size();
  }
}

TEST(ToolList, UseOrderTextsWithFiguresAndFourBlanksForMissingCodes) {
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_model m;
  m.magazine = &mag;
  TTOOL_LIST_options o;
  o.use_turn = true;
  o.print_at_data = true;
  TTOOL_LIST_program p = program({1, 2});
  p.f_assumed = true;
  make_TOOL_LIST_items(m, o, p, metrics());
  ASSERT_EQ(m.items.size(), 2u);
  EXPECT_EQ(m.items[0].title, "( 0) T01         :");
  EXPECT_EQ(m.items[1].title, "( 1) T02 D02H02:");
  EXPECT_EQ(m.items[1].name, "φ8 ボール");
  EXPECT_EQ(m.items[1].text,
            "切削長 121 mm , 早送り 80 mm , 加工時間 3 分 (=F100)\nT2M06\n");
  EXPECT_EQ(m.items[1].use, 1);
  o.print_at_data = false;
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(m.items[0].text, ":\r\n");
}

TEST(ToolList, TOrderAndLibraryTexts) {
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_model m;
  m.magazine = &mag;
  TTOOL_LIST_options o;
  const TTOOL_LIST_program p = program({1});
  o.invis_noitem = true;
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(slots_of(m), (std::vector<int>{1, 2}));
  o.invis_noitem = false;
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(slots_of(m), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.items[1].title, "head1");
  EXPECT_EQ(m.items[1].name, "φ4 フラット");
  EXPECT_EQ(m.items[1].text, "");  // the body only with the figures
  o.print_at_data = true;
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(m.items[1].text, "body1");

  m.library = true;
  m.file_name = "TOOL_FLAT_EM.nts";
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(m.items[0].text, "未設定 ( 0 )");
  EXPECT_EQ(m.items[1].title, "");
  EXPECT_EQ(m.items[1].text, " VLM  工具 ネーム : (VLM N1 \"φ4 フラット\")\n VLM  工具 データ : " +
                                 mag.slot[1].tool.tool_line + " )\n VLM ホルダデータ : " +
                                 mag.slot[1].holder.holder_line + " )");
  o.print_at_data = false;
  make_TOOL_LIST_items(m, o, p, metrics());
  EXPECT_EQ(m.items[2].text, "( 2) : φ8 ボール");
}

TEST(ToolList, HeadersAndClassifications) {
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_options o;
  struct Case {
    bool library, has_path, data, use_turn;
    std::string source, output, header, classification;
  };
  const Case cases[] = {
      {true, true, true, false, "", "", "ファイル名 : lib.nts", "( *** 社内用資料 *** )"},
      {false, false, false, false, "", "", "ファイル名 : SAMPLE01.NC",
       "( *** 社内用資料 *** )"},
      {false, true, false, false, "SRC.NC", "", "ファイル名 : SAMPLE01.NC  ( Ｔ番号順工具リスト )",
       " *** 社外交換用 *** "},
      {false, true, true, true, "SRC.NC", "OUT.NC",
       "ファイル名 : SRC.NC ( → OUT.NC ) , 1234 bytes , テープ長 3.142 meter\n\n総切削長:100mm"
       " ( 加工順工具リスト )",
       " *** 社内用資料・持出厳禁！ *** "},
  };
  for (const Case& c : cases) {
    TTOOL_LIST_model m;
    m.magazine = &mag;
    m.library = c.library;
    m.file_name = "lib.nts";
    TTOOL_LIST_program p = program({1, 2});
    p.has_path = c.has_path;
    p.source_name = c.source;
    p.output_name = c.output;
    o.print_at_data = c.data;
    o.use_turn = c.use_turn;
    make_TOOL_LIST_items(m, o, p, metrics());
    EXPECT_EQ(m.header, c.header);
    EXPECT_EQ(m.classification, c.classification);
    EXPECT_EQ(m.use_turn_enabled, !c.library && c.has_path);
  }
}

TEST(ToolList, SizesAreHeldInRangeAndCardsStack) {
  struct Case {
    std::string text;
    bool font;
    bool ok;
    int value;
  };
  const Case cases[] = {{"10", false, true, 20},   {"5000", false, true, 2000},
                        {"0", true, true, 1},      {"300", true, true, 200},
                        {"120", false, true, 120}, {"12a", false, false, 0}};
  for (const Case& c : cases) {
    int v = 0;
    EXPECT_EQ(tool_list_size_value(c.text, c.font, v, false), c.ok) << c.text;
    if (c.ok) EXPECT_EQ(v, c.value) << c.text;
  }
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_model m;
  m.magazine = &mag;
  TTOOL_LIST_options o;
  o.pic_h = 10;
  o.font_h = 0;
  make_TOOL_LIST_items(m, o, program({}), metrics());
  EXPECT_EQ(o.pic_h, 20);
  EXPECT_EQ(o.font_h, 1);
  ASSERT_EQ(m.items.size(), 2u);
  EXPECT_EQ(m.items[0].bottom - m.items[0].top, std::max(20, 2 * 14 + 8));
  EXPECT_EQ(m.items[1].top, m.items[0].bottom);
  // Without pictures a card is as high as its text.
  o.print_at_tool = false;
  o.pic_h = 500;
  make_TOOL_LIST_items(m, o, program({}), metrics());
  EXPECT_EQ(m.pic_w, 1);
  EXPECT_EQ(m.items[0].bottom - m.items[0].top, 2 * 14 + 8);
  // The widest line raises the text width.
  mag.slot[1].tool_name = std::string(100, 'x');
  make_TOOL_LIST_items(m, o, program({}), metrics());
  EXPECT_EQ(m.text_w, 600 + 8);
  // Hit test: strictly inside.
  EXPECT_EQ(tool_list_item_at(m, m.items[1].top), -1);  // the line between two cards
  EXPECT_EQ(tool_list_item_at(m, m.items[1].top + 1), 1);
  EXPECT_EQ(tool_list_item_at(m, m.items[1].bottom), -1);
  EXPECT_EQ(tool_list_item_at(m, 0), -1);
  // The sheet sits between the header and the cards.
  const int first_top = m.items[0].top;
  o.iso9000 = true;
  make_TOOL_LIST_items(m, o, program({}), metrics());
  EXPECT_GT(m.sheet_h, 0);
  EXPECT_EQ(m.items[0].top, first_top + m.sheet_h);
}

TEST(ToolList, SheetColumnsHoldTheirSamples) {
  const TTOOL_LIST_metrics met = metrics();
  int w = 0, h = 0;
  const auto cells = iso9000_sheet_cells(met, w, h);
  ASSERT_FALSE(cells.empty());
  for (const TISO9000_cell& c : cells) {
    EXPECT_GE(c.r.right - c.r.left, met.width(c.text)) << c.text;
    EXPECT_LE(c.r.right, w);
    EXPECT_LE(c.r.bottom, h);
  }
  auto width_of = [&](const std::string& t) {
    for (const auto& c : cells)
      if (c.text == t) return c.r.right - c.r.left;
    return -1;
  };
  EXPECT_GE(width_of(" 作成日"), met.width("  確認日① ") + 4);
  EXPECT_GE(width_of("担当者 "), met.width(" ＭＳゴシック太郎 ") + 4);
}

TEST(ToolList, PreselectPopupResetAndDoubleClick) {
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_model m;
  m.magazine = &mag;
  TTOOL_LIST_options o;
  o.invis_noitem = false;
  make_TOOL_LIST_items(m, o, program({1}), metrics());
  // Only a slot above 1 is preselected.
  for (int slot : {0, 1, 2}) {
    m.picked = slot;
    EXPECT_EQ(tool_list_preselect(m), slot > 1 ? slot : -1);
  }
  m.picked = -1;
  EXPECT_EQ(tool_list_preselect(m), -1);

  // N1 only on a set slot of an editable library; N3 and N4 only in use order.
  struct Case {
    bool library, editable, use_turn;
    int item;
    bool n1, n3;
  };
  const Case cases[] = {{true, true, false, 1, true, false},  {true, true, false, 0, false, false},
                        {true, false, false, 1, false, false}, {false, true, false, 1, false, false},
                        {false, true, true, 0, false, true}};
  for (const Case& c : cases) {
    m.library = c.library;
    m.editable = c.editable;
    o.use_turn = c.use_turn;
    make_TOOL_LIST_items(m, o, program({1, 2}), metrics());
    const TTOOL_LIST_popup pp = tool_list_popup(m, c.item);
    EXPECT_EQ(pp.n1, c.n1);
    EXPECT_EQ(pp.n3, c.n3);
    EXPECT_EQ(pp.n4, c.n3);
    EXPECT_EQ(pp.n2_caption, "印刷から除外する");
  }
  m.library = true;
  m.editable = true;
  o.use_turn = false;
  make_TOOL_LIST_items(m, o, program({}), metrics());
  m.items[1].excluded = true;
  EXPECT_EQ(tool_list_popup(m, 1).n2_caption, "印刷に含める");

  {
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(plat::IDCANCEL);
    EXPECT_FALSE(tool_list_reset_item(m, o, 1));
    EXPECT_EQ(mag.slot[1].tool.T_category, 1);
    EXPECT_TRUE(tool_list_reset_item(m, o, 1));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "未設定に戻しますか？");
    EXPECT_EQ(boxes.shown[0].caption, "データ変更操作");
  }
  EXPECT_EQ(mag.slot[1].tool.T_category, 0);
  EXPECT_EQ(mag.slot[1].tool.name, "未設定");
  EXPECT_EQ(m.resets, 1);
  EXPECT_EQ(m.items[1].set, 0);
  EXPECT_FALSE(m.items[1].excluded);
  EXPECT_EQ(m.items[1].title, "( 1) : (未設定に戻しました)");
  o.print_at_data = true;
  {
    plat::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(tool_list_reset_item(m, o, 2));
  }
  EXPECT_EQ(m.items[2].text, "未設定 ( 2 )");

  struct Click {
    int mode, result;
  };
  for (const Click c : {Click{1, plat::IDOK}, Click{2, plat::IDOK}, Click{4, plat::IDOK},
                        Click{51, plat::IDYES}, Click{3, 0}}) {
    RecordingDebLog log;
    m.mode = c.mode;
    m.picked = -1;
    EXPECT_EQ(tool_list_double_click(m, 2), c.result);
    EXPECT_EQ(m.picked, c.result ? 2 : -1);
    EXPECT_EQ(log.contains("ACTION_MODE = 3"), c.mode == 3);
  }
}

TEST(ToolList, CopyOutCodesAndToolCheckOrigin) {
  TTOOL_HOLDER_tmp mag = three_tools();
  TTOOL_LIST_model m;
  m.magazine = &mag;
  TTOOL_LIST_options o;
  o.use_turn = true;
  const TTOOL_LIST_program p = program({1, 2});
  make_TOOL_LIST_items(m, o, p, metrics());
  // The codes beside their letters; the preview's prefix with the use's number, T code and
  // D and H texts (four blanks for a missing one), and the tool's name.
  const TTOOL_TDH_request r1 = tool_list_TDH_request(m.items[0], p);
  EXPECT_EQ(r1.T, "T01");
  EXPECT_FALSE(r1.has_D);
  EXPECT_EQ(r1.prefix, "(  0 : T01         ");
  EXPECT_EQ(r1.name, m.items[0].tool.name);
  const TTOOL_TDH_request r2 = tool_list_TDH_request(m.items[1], p);
  EXPECT_EQ(r2.D, "D02");
  EXPECT_EQ(r2.H, "H02");
  EXPECT_TRUE(r2.has_H);
  EXPECT_EQ(r2.prefix, "(  1 : T02 D02 H02 ");

  struct Case {
    std::string T, D, H;
    bool ok;
    std::string box;
  };
  const Case cases[] = {{"T05", r2.D, r2.H, true, ""},
                        {"T5x", r2.D, r2.H, false, "T コードの指定でエラーがありました"},
                        {"T02", "Dq", r2.H, false, "D コードの指定でエラーがありました"},
                        {"T02", r2.D, "H", false, "H コードの指定でエラーがありました"},
                        {"T02", "D7", "H8", true, ""}};
  for (const Case& c : cases) {
    plat::ScriptedMessageBoxes boxes;
    TTOOL_TDH_request typed = r2;
    typed.T = c.T;
    typed.D = c.D;
    typed.H = c.H;
    TTOOL_TDH_codes codes;
    EXPECT_EQ(tool_list_TDH_codes(r2, typed, codes), c.ok) << c.T << c.D << c.H;
    if (c.ok) {
      EXPECT_TRUE(boxes.shown.empty());
    } else {
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, c.box);
    }
  }
  TTOOL_TDH_codes codes;
  TTOOL_TDH_request typed = r2;
  typed.T = "T05";
  typed.D = "D7";
  ASSERT_TRUE(tool_list_TDH_codes(r2, typed, codes));
  EXPECT_EQ(codes.T, 5);
  EXPECT_EQ(codes.D, "7");

  TTOOL_LIST_program q = p;
  TTOOL_check_request cr;
  {
    plat::ScriptedMessageBoxes boxes;
    EXPECT_FALSE(tool_list_check_request(q, cr));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_NE(boxes.shown[0].text.find("(VLM ORIGN X0Y0Z100.)"), std::string::npos);
  }
  q.origin_given = true;
  q.origin = VEC3{1.5f, -2.0f, 100.0f};
  ASSERT_TRUE(tool_list_check_request(q, cr));
  EXPECT_EQ(cr.origin, "X1.500Y-2.000Z100.000");
  EXPECT_EQ(cr.approach_z, "G90G00 Z100.000");
  EXPECT_EQ(cr.approach_xy, "G90G00 X1.500Y-2.000");
}

TEST(ToolList, SettingsGoBackByTheWindowsUse) {
  Tdisp_status main_rec, copy;
  copy.T_SET_W_SIZE = 150;
  copy.T_SET_INVIS_NOITEM = 1;
  copy.T_SET_CHK_USE_TURN = 1;
  copy.TCOND_O_num = "O1234";
  take_TOOL_LIST_settings(main_rec, copy, true);
  EXPECT_EQ(main_rec.T_SET_W_SIZE, 150);
  EXPECT_EQ(main_rec.T_SET_INVIS_NOITEM, 1);
  EXPECT_EQ(main_rec.T_SET_CHK_USE_TURN, 0);
  EXPECT_EQ(main_rec.TCOND_O_num, "");
  take_TOOL_LIST_settings(main_rec, copy, false);
  EXPECT_EQ(main_rec.T_SET_CHK_USE_TURN, 1);
  EXPECT_EQ(main_rec.TCOND_O_num, "O1234");

  TTOOL_LIST_options o;
  o.pic_w = 5000;
  o.white = true;
  get_TOOL_LIST_options(o, copy);
  const TTOOL_LIST_options back = set_TOOL_LIST_options(copy);
  EXPECT_TRUE(back.white);
  EXPECT_EQ(back.pic_w, 2000);
}

TEST(ToolList, TheProgramsUsesAndFeedOfTheLastRun) {
  struct Case {
    const char* feed;
    bool f100;
  };
  for (const Case c : {Case{"F300", false}, Case{"F5", true}}) {
    NCD_DATA d;
    Create_NCD(d);
    const std::string text = std::string("%\n(VLM ORIGN X1.Y2.Z100.)\nT1M06\nG01X10.") + c.feed +
                             "\nT2M06\nG01X20.\nM30\n%\n";
    Append_NCD_text(d, text.data(), text.size(), true);
    for (int i = 0; i < d.line_count; ++i) Parse_NCD_line(d, i);
    Run_all_NCD(d, 0);
    Goto_NCD_step(d, 0, false);  // the listing stands at the top again
    const TTOOL_LIST_program p = tool_list_program_of(d);
    EXPECT_EQ(p.f_assumed, c.f100) << c.feed;
    EXPECT_TRUE(p.origin_given);
    EXPECT_FLOAT_EQ(p.origin.z, 100.0f);
    std::vector<int> tools;
    for (const auto& u : p.uses) tools.push_back(u.tool);
    EXPECT_EQ(tools.back(), 2);
    Free_NCD(d);
  }
}
