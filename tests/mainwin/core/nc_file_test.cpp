#include <gtest/gtest.h>

#include "tests/support/fake_ui.h"
#include "common/text_file.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// A main window that only records.
struct FakeUi : TVLM_fake_ui {
  void set_caption(const std::string& t) override { caption = t; }
  void show_err_window(const std::vector<std::string>& l, const std::string& c) override {
    if (!c.empty()) {
      err_lines = l;
      err_caption = c;
    }
  }
  bool err_window_has_lines() override { return !err_lines.empty(); }
  void clear_err_window() override { err_lines.clear(); }
  void auto_WORK_for_NCD() override { ++work_setups; }
  std::string caption, err_caption;
  std::vector<std::string> err_lines;
  int work_setups = 0;
};

struct NcFixture {
  explicit NcFixture(const NCD_CAPACITY& cap = NCD_CAPACITY{}) : s(cap), host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
  }
  fs::path file(const std::string& name, const std::string& bytes) {
    write_file(dir / name, bytes);
    return dir / name;
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < s.nc().line_count; ++i) out.emplace_back(get_NCD_line_view(s.nc(), i));
    return out;
  }
  TempDir dir;
  TSession s;
  FakeUi ui;
  TVLM_host host;
  plat::ScriptedMessageBoxes boxes;
};

}  // namespace

TEST(NcFile, LineEndsAndEndsOfFile) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"CR", "%\rG0X1\rM30\r%\r", {"%", "G0X1", "M30", "%"}},
      {"LF", "%\nG0X1\nM30\n%\n", {"%", "G0X1", "M30", "%"}},
      {"CR LF", "%\r\nG0X1\r\nM30\r\n%\r\n", {"%", "G0X1", "M30", "%"}},
      {"mixed", "%\r\nG0X1\rM30\n\n%", {"%", "G0X1", "M30", "", "%"}},
      {"no final end", "G0X1\r\nm30", {"G0X1", "M30"}},
      {"a final 0x1A", "G0X1\r\nM30\r\n\x1A", {"G0X1", "M30"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    NcFixture f;
    ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("A.NC", c.bytes))) << c.name;
    EXPECT_EQ(f.lines(), c.lines) << c.name;
    EXPECT_FALSE(f.s.file.partial) << c.name;
    EXPECT_TRUE(f.boxes.shown.empty()) << c.name;
    EXPECT_EQ(f.s.nc().file_name, "A.NC");
    EXPECT_NE(f.ui.caption.find(" : A.NC ( "), std::string::npos) << f.ui.caption;
  }
}

TEST(NcFile, ToolFileFallsBackToTheDefault) {
  struct Case {
    const char* nst;  // beside the NC file, or null
    bool def_tool;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"A.nst", true, {"(VLM N1 \"A\" )"}},
      {"A.NST", true, {"(VLM N1 \"A\" )"}},
      {nullptr, true, {"(VLM N0 \"D\" )"}},
      {nullptr, false, {}},
  };
  for (const Case& c : cases) {
    NcFixture f;
    if (c.nst) f.file(c.nst, "(VLM N1 \"A\" )\r\n");
    if (c.def_tool) write_file(f.s.config_folder / "def_tool.nst", "(VLM N0 \"D\" )\r\n");
    f.s.tool_defs = {"stale"};
    ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("A.nc", "G0X1\r\n")));
    EXPECT_EQ(f.s.tool_defs, c.want) << (c.nst ? c.nst : "none");
  }
}

TEST(NcFile, AFailedOpenKeepsTheProgramInUse) {
  // Escape at the first poll, a store too small, a missing file.
  NcFixture f(NCD_CAPACITY{4, 4, 256, 256});
  const fs::path first = f.file("FIRST.NC", "O1\r\nG0X1\r\nM30\r\n");
  ASSERT_TRUE(open_NCD(f.s, f.ui, first));
  f.s.tool_defs = {"kept"};
  const std::string caption = f.ui.caption;
  {
    plat::ScriptedInput in;
    in.escape_after(1);
    EXPECT_FALSE(open_NCD(f.s, f.ui, f.file("B.NC", "G0X2\r\nM30\r\n")));
    EXPECT_EQ(f.ui.caption, "読み込みを中断しました。");
  }
  std::string big;
  for (int i = 0; i < 200; ++i) big += "G01X" + std::to_string(i) + "\r\n";
  EXPECT_FALSE(open_NCD(f.s, f.ui, f.file("BIG.NC", big)));
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].flags & plat::MB_ICONSTOP, unsigned(plat::MB_ICONSTOP));
  EXPECT_FALSE(open_NCD(f.s, f.ui, f.dir / "MISSING.NC"));
  EXPECT_EQ(f.boxes.shown.back().text, "ERR: " + (f.dir / "MISSING.NC").string() + " が見つかりません。");
  EXPECT_EQ(f.lines(), (std::vector<std::string>{"O1", "G0X1", "M30"}));
  EXPECT_EQ(f.s.file.path, first);
  EXPECT_EQ(f.s.tool_defs, std::vector<std::string>{"kept"});
  EXPECT_FALSE(plat::busy());
  // The store still takes a program that fits.
  EXPECT_TRUE(open_NCD(f.s, f.ui, f.file("B.NC", "G0X2\r\nM30\r\n")));
}

TEST(NcFile, AControlByteMidFileMarksTheProgramPartial) {
  NcFixture f;
  const fs::path p = f.file("A.NC", "G0X1\r\nG0X2\x01Y3\r\nM30\r\n");
  ASSERT_TRUE(open_NCD(f.s, f.ui, p));
  EXPECT_EQ(f.lines(), (std::vector<std::string>{"G0X1", "G0X2"}));
  EXPECT_TRUE(f.s.file.partial);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_NE(f.boxes.shown[0].text.find("2 行目"), std::string::npos);
  EXPECT_NE(f.boxes.shown[0].text.find("0x01"), std::string::npos);
  // Saving over the source asks first; No keeps the file.
  f.boxes.answer(plat::IDNO);
  EXPECT_FALSE(save_NCD_file(f.s, f.ui, p, true));
  EXPECT_EQ(read_file(p), "G0X1\r\nG0X2\x01Y3\r\nM30\r\n");
}

TEST(NcFile, AProgramLargerThanAPieceReadsAsOne) {
  // Two pieces and more: the second holds lines the store changes (lower case, a TAB) and a
  // control byte; its line number counts the lines of the pieces before it.
  NcFixture f;
  std::string text;
  int lines = 0;
  while (text.size() < NCD_LOAD_PIECE + 4096) {
    text += "G01X" + std::to_string(lines % 1000) + ".Y1.\r\n";
    ++lines;
  }
  text += "g01\tx2.\r\nM30\r\nG0X3\x02\r\nX4.\r\n";
  const fs::path p = f.file("BIG.NC", text);
  ASSERT_TRUE(open_NCD(f.s, f.ui, p));
  const std::vector<std::string> got = f.lines();
  ASSERT_EQ(got.size(), static_cast<size_t>(lines + 3));
  EXPECT_EQ(got[static_cast<size_t>(lines)], "G01 X2.");
  EXPECT_EQ(got.back(), "G0X3");
  EXPECT_EQ(f.s.nc().line(lines / 2).status & NCD_ST_MOTION, NCD_MG_G01);
  EXPECT_TRUE(f.s.file.partial);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_NE(f.boxes.shown[0].text.find(" " + std::to_string(lines + 3) + " 行目"), std::string::npos)
      << f.boxes.shown[0].text;
  // The file's own bytes of the changed line are known: the line saves as it was read.
  ASSERT_EQ(f.s.file.source_bytes.size(), 1u);
  EXPECT_EQ(f.s.file.source_bytes.begin()->second, "g01\tx2.");
}

TEST(NcFile, Inserts) {
  NcFixture f;
  f.file("SUB.nc", "g0x5\r\nm99");  // no final line end
  f.file("SUB.nst", "(VLM N7 \"S\" )\r\n");
  // Into an empty program: opened, without markers.
  ASSERT_TRUE(insert_NCD(f.s, f.ui, f.dir / "SUB.nc", true));
  EXPECT_EQ(f.lines(), (std::vector<std::string>{"G0X5", "M99"}));
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("MAIN.NC", "O1\r\nG0X1\r\nM30\r\n")));
  f.s.tool_defs.clear();
  ASSERT_TRUE(insert_NCD(f.s, f.ui, f.dir / "SUB.nc", false));  // appended
  Goto_NCD_line(f.s.nc(), 1);
  ASSERT_TRUE(insert_NCD(f.s, f.ui, f.dir / "SUB.nc", true));  // before line 1
  EXPECT_EQ(f.lines(), (std::vector<std::string>{"O1", "(VLM I ST SUB.NC)", "G0X5", "M99",
                                                 "(VLM I EN SUB.NC)", "G0X1", "M30",
                                                 "(VLM I ST SUB.NC)", "G0X5", "M99",
                                                 "(VLM I EN SUB.NC)"}));
  EXPECT_EQ(f.s.tool_defs.size(), 2u);  // the tool file twice
  EXPECT_EQ(f.s.nc().pos.cur_line, 1);  // back at the step it stood on
  EXPECT_FALSE(insert_NCD(f.s, f.ui, f.dir / "NONE.NC", true));
}

TEST(NcFile, TheErrorListShowsFiftyLines) {
  NcFixture f;
  std::string text = "O1\r\n";
  for (int i = 0; i < 120; ++i) text += "G02X10.Y10.F100\r\n";  // an arc without radius
  text += "M30\r\n";
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("E.NC", text)));
  ASSERT_EQ(f.s.nc().run.err_list.size(), 120u);
  ASSERT_EQ(f.ui.err_lines.size(), 51u);
  EXPECT_EQ(f.ui.err_lines.back(), "( total err is 120 count )");
  EXPECT_EQ(f.ui.err_caption, "ERROR MESSAGE WINDOW");
  EXPECT_EQ(f.s.nc().pos.cur_line, 1);  // on the first error line
  EXPECT_EQ(f.ui.work_setups, 0);
  // A clean program clears the window; asking then says there are none.
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("OK.NC", "O1\r\nG0X1\r\nM30\r\n")));
  EXPECT_TRUE(f.ui.err_lines.empty());
  EXPECT_FALSE(vis_ERR_list(f.s, f.ui));
  EXPECT_EQ(f.boxes.shown.back().text, "エラーはありません");
}

TEST(NcFile, JumpsNamesAndTheTemporaryFile) {
  NcFixture f;
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("J.NC", "%\r\nO1\r\nG0X1\r\nG0X2\r\nG0X3\r\nM30\r\n%\r\n")));
  EXPECT_EQ(f.s.nc().pos.cur_line, 1);  // the first program-number line
  struct Jump {
    const char* text;
    int want;
  };
  for (const Jump& j : {Jump{"3", 2}, Jump{"0", 0}, Jump{"999", 6}, Jump{"4 more", 3},
                        Jump{"none", 3}, Jump{"", 3}}) {
    jump_to_line_text(f.s, f.ui, 1, j.text);
    EXPECT_EQ(f.s.nc().pos.cur_line, j.want) << j.text;
  }

  write_file(f.dir / "ABC-01.NC", "");
  struct Name {
    const char* in;
    const char* want;
  };
  for (const Name& n : {Name{"ABC-03.NC", "ABC-02.NC"}, Name{"PART.NC", "PART-01.NC"},
                        Name{"ABC.NC", "ABC-02.NC"}, Name{"A-B.NC", "A-B-01.NC"},
                        Name{"NOEXT", "NOEXT-01"}})
    EXPECT_EQ(get_free_numbered_name(f.dir / n.in), f.dir / n.want) << n.in;

  // Mode 2 deletes lines s..e (1-based): the line to return to follows.
  struct Del {
    int cur, s, e, want;
  };
  for (const Del& d : {Del{5, 2, 3, 3}, Del{2, 2, 4, 1}, Del{3, 2, 4, 1}, Del{0, 2, 3, 0},
                       Del{5, 4, 2, 2}}) {
    Goto_NCD_line(f.s.nc(), d.cur);
    ASSERT_TRUE(save_to_TMP(f.s, 2, d.s, d.e));
    EXPECT_EQ(f.s.file.saved_line, d.want) << d.cur << " " << d.s << ".." << d.e;
  }
  EXPECT_TRUE(fs::exists(f.s.config_folder / "VLM_TMP.nst"));
  // The edit's text goes through the temporary file and the program keeps its name.
  write_file(TMP_file(f.s), "%\r\nO1\r\nG0X3\r\nM30\r\n%\r\n");
  ASSERT_TRUE(reload_from_TMP(f.s, f.ui));
  EXPECT_EQ(f.s.nc().file_name, "J.NC");
  EXPECT_EQ(f.s.file.path, f.dir / "J.NC");
  EXPECT_EQ(f.s.nc().pos.cur_line, 2);
}

TEST(NcFile, SaveKeepsTheBytesOfUneditedLines) {
  NcFixture f;
  const std::string long_line = "(" + std::string(298, 'x') + ")";
  const std::string src = std::string("%\r\n") + "O1(part one)\r\n" + "G0\tX1.\r\n" + long_line +
                          "\r\n" + "(\x83\x5C\x83\x5C marks)\r\n" + "(bad \xFF byte)\r\n" +
                          "G1x2.f100\r\n" + "M30\r\n%\r\n";
  const fs::path a = f.file("A.NC", src);
  f.file("A.nst", "(VLM N1 \"T\" )\r\n");
  ASSERT_TRUE(open_NCD(f.s, f.ui, a));
  // Edit line 7 ("G1x2.f100") as the listing does: the old line out, the new one in.
  NCD_DATA& d = f.s.nc();
  Delete_NCD_line(d, 6);
  ASSERT_EQ(Insert_NCD_text(d, "G1X3.F200", 6, 9), 1);

  auto expected = [&](const char* eol) {
    std::string want;
    for (const std::string& l :
         {std::string("%"), std::string("O1(part one)"), std::string("G0\tX1."), long_line,
          std::string("(\x83\x5C\x83\x5C marks)"), std::string("(bad \xFF byte)"),
          std::string("G1X3.F200"), std::string("M30"), std::string("%")})
      want += l + eol;
    return want;
  };
  ASSERT_TRUE(save_NCD_file(f.s, f.ui, a, true));
  EXPECT_EQ(read_file(a), expected("\r\n"));
  ASSERT_TRUE(save_NCD_file(f.s, f.ui, a, false));
  EXPECT_EQ(read_file(a), expected("\n"));

  // Save as B.NC writes both files and adopts the name.
  const fs::path b = f.dir / "B.NC";
  ASSERT_TRUE(save_NCD_file(f.s, f.ui, b, true));
  EXPECT_EQ(read_file(b), expected("\r\n"));
  EXPECT_EQ(read_file(f.dir / "B.nst"), "(VLM N1 \"T\" )\r\n");
  EXPECT_EQ(f.s.file.path, b);
  EXPECT_EQ(d.file_name, "B.NC");
  EXPECT_NE(f.ui.caption.find(" : B.NC ( "), std::string::npos);
  // A write that fails keeps the old file and the name.
  const fs::path c = f.dir / "C.NC";
  fs::create_directory(c);
  write_file(c / "inside", "x");
  EXPECT_FALSE(save_NCD_file(f.s, f.ui, c, true));
  EXPECT_TRUE(fs::is_directory(c));
  EXPECT_EQ(f.s.file.path, b);
  EXPECT_EQ(f.boxes.shown.back().flags & plat::MB_ICONSTOP, unsigned(plat::MB_ICONSTOP));
  // Without lines nothing is written.
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.file("E.NC", "")));
  EXPECT_FALSE(save_NCD_file(f.s, f.ui, f.dir / "D.NC", true));
  EXPECT_FALSE(fs::exists(f.dir / "D.NC"));
}
