#include "simulation/work_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::data_file;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

const std::uint8_t kOrange[4] = {255, 128, 0, 255};
const std::uint8_t kGrey[4] = {128, 128, 128, 255};

std::unique_ptr<Tmat> new_mat() { return std::make_unique<Tmat>(); }

void add_work(Tmat& m, int slot, int nx, int ny, VEC3 lo, VEC3 hi, int group,
              const std::uint8_t* col = kOrange) {
  SET_WORK_NUM(m, slot);
  ASSERT_TRUE(CREATE_WORK(m, col, nx, ny, true, false, lo, hi)) << m.last_error();
  m.works[slot].group = group;
}

// The works of the fixture two_works.wok: a plain work of group 3 and a jig of group 7 with a
// memo and one collision point; saved, the groups become 1 and 2.
void build_fixture_works(Tmat& m) {
  add_work(m, 0, 1, 1, {0, 0, -5}, {1, 1, 0}, 3);
  add_work(m, 1, 2, 1, {10, 0, -2}, {12, 1, 1}, 7, kGrey);
  ASSERT_TRUE(CHANGE_WORK_to_ZIGU_MODE(m, 1));
  set_work_memo(m.works[1], "治具A");
  TGRID_POINT& p = m.works[1].grid[4];
  p.z = 0.5f;
  p.mark = 120;
  p.col[0] = 255;
  p.col[1] = 1;
  p.col[2] = 1;
  p.col[3] = 17;
}

TEST(WorkFile, SaveMatchesTheGoldenBytes) {
  plat::ScriptedMessageBoxes boxes;
  TempDir dir;
  auto m = new_mat();
  build_fixture_works(*m);
  const auto out = dir / "out.wok";
  ASSERT_TRUE(SAVE_WORK_DATA(*m, out, 0, 0));
  EXPECT_EQ(read_file(out), read_file(data_file("two_works.wok")));
  EXPECT_EQ(m->works[0].group, 1);
  EXPECT_EQ(m->works[1].group, 2);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "正常に保存されました");
  EXPECT_EQ(boxes.shown[0].text, (dir / "out.wok").string() + " は正常に保存されました");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left

  // An existing file is replaced only after the question; Cancel keeps it.
  boxes.answer(plat::IDCANCEL);
  write_file(out, "old");
  EXPECT_FALSE(SAVE_WORK_DATA(*m, out, 0, 0));
  EXPECT_EQ(boxes.shown[1].text, "同名のファイルが既にありますが上書きしますか？");
  EXPECT_EQ(boxes.shown[1].caption, "Exists same file name");
  EXPECT_EQ(boxes.shown[1].flags, plat::MB_OKCANCEL | plat::MB_ICONINFORMATION |
                                      plat::MB_DEFBUTTON2 | plat::MB_SYSTEMMODAL);
  EXPECT_EQ(m->last_error(), "同名のファイルが既にありました");
  EXPECT_EQ(read_file(out), "old");
}

TEST(WorkFile, LoadReadsEveryField) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  int first = -2;
  ASSERT_TRUE(LOAD_WORK_DATA(*m, data_file("two_works.wok"), false, first));
  EXPECT_EQ(first, 0);
  EXPECT_TRUE(boxes.shown.empty());
  const TWORK_DATA& a = m->works[0];
  const TWORK_DATA& b = m->works[1];
  EXPECT_EQ(a.nx, 1);
  EXPECT_EQ(a.jig, 0);
  EXPECT_EQ(a.group, 1);
  EXPECT_EQ(a.min.z, -5.0f);
  EXPECT_EQ(std::memcmp(a.color, kOrange, 4), 0);
  EXPECT_EQ(b.nx, 2);
  EXPECT_EQ(b.ny, 1);
  EXPECT_EQ(b.jig, 1);
  EXPECT_EQ(b.cutting, 1);
  EXPECT_EQ(b.visible, 1);
  EXPECT_EQ(b.group, 2);
  EXPECT_EQ(b.min.x, 10.0f);
  EXPECT_EQ(b.max.z, 1.0f);
  EXPECT_EQ(b.top_z, 1.0f);
  EXPECT_EQ(b.bottom_z, -2.0f);
  EXPECT_EQ(work_memo_text(b), "治具A");
  EXPECT_EQ(b.grid[4].z, 0.5f);
  EXPECT_EQ(b.grid[4].mark, 120);
  EXPECT_EQ(b.grid[4].col[3], 17);
  EXPECT_EQ(b.grid[3].z, 1.0f);
  EXPECT_EQ(b.grid[3].mark, GRID_MARK_UNCUT);
  EXPECT_EQ(m->any_work, 1);
  // A loaded jig resets to its loaded state.
  m->works[1].grid[4].z = -1;
  ASSERT_TRUE(REMAKE_FOR_WORK_MATRIX(*m, 1));
  EXPECT_EQ(m->works[1].grid[4].z, 0.5f);
  EXPECT_EQ(m->works[1].grid[4].mark, 120);
}

TEST(WorkFile, SaveModesAndGroups) {
  struct Case {
    int mode, work;
    std::vector<int> slots;   // works written, in order
    std::vector<int> groups;  // their group values in the file
    std::vector<int> jigs;
    int boxes;                // boxes shown
  };
  // Works in memory: slot 0 group 5, slot 1 group 9, slot 2 group 5, slot 3 no group,
  // slot 4 no group; after renumbering: 1, 2, 1, 0, 0.
  const Case cases[] = {
      {0, 0, {0, 1, 2, 3, 4}, {1, 2, 1, 0, 0}, {0, 0, 0, 0, 0}, 1},
      {1, 1, {1}, {1}, {0}, 1},
      {1, 3, {3}, {0}, {0}, 1},
      {2, 2, {0, 2}, {1, 1}, {0, 0}, 1},
      {2, 4, {3, 4}, {1, 1}, {0, 0}, 1},   // every ungrouped work, with group 1
      {3, 3, {3}, {0}, {1}, 1},
      {3, 1, {1}, {1}, {1}, 1},
      {4, 0, {0, 2}, {1, 1}, {0, 0}, 0},   // quiet
      {4, 3, {3}, {0}, {0}, 0},            // group 0: as mode 1, still quiet
      {7, 0, {0, 1, 2, 3, 4}, {1, 2, 1, 0, 0}, {0, 0, 0, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " work " << c.work);
    plat::ScriptedMessageBoxes boxes;
    TempDir dir;
    auto m = new_mat();
    const int groups[] = {5, 9, 5, 0, 0};
    for (int i = 0; i < 5; ++i) add_work(*m, i, 1, 1, {0, 0, -1}, {1, 1, 0}, groups[i]);
    ASSERT_TRUE(SAVE_WORK_DATA(*m, dir / "w.wok", c.mode, c.work));
    EXPECT_EQ(static_cast<int>(boxes.shown.size()), c.boxes);
    const std::string bytes = read_file(dir / "w.wok");
    std::uint32_t n;
    std::memcpy(&n, bytes.data() + 16, 4);
    ASSERT_EQ(n, c.slots.size());
    std::size_t pos = 1044 + 8 * n;
    for (std::size_t k = 0; k < n; ++k) {
      const auto rec = decode_work_record(reinterpret_cast<const std::uint8_t*>(bytes.data() + pos));
      EXPECT_EQ(static_cast<int>(rec.work_num), c.slots[k]);
      EXPECT_EQ(rec.group, c.groups[k]);
      EXPECT_EQ(static_cast<int>(rec.jig), c.jigs[k]);
      pos += 340 + rec.grid_size;
    }
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(m->works[1].group, 2);  // memory carries the renumbered groups
  }
}

TEST(WorkFile, NothingToSave) {
  plat::ScriptedMessageBoxes boxes;
  TempDir dir;
  auto m = new_mat();
  for (int mode : {0, 4}) {
    EXPECT_FALSE(SAVE_WORK_DATA(*m, dir / "w.wok", mode, 0));
    EXPECT_EQ(m->last_error(), "ERR : 保存するワークデータがありませんでした");
  }
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].caption, "no work data");
  EXPECT_FALSE(std::filesystem::exists(dir / "w.wok"));
}

TEST(WorkFile, WriteFailureLeavesNoFile) {
  plat::ScriptedMessageBoxes boxes;
  TempDir dir;
  auto m = new_mat();
  add_work(*m, 0, 1, 1, {0, 0, -1}, {1, 1, 0}, 0);
  const auto target = dir / "missing" / "w.wok";
  EXPECT_FALSE(SAVE_WORK_DATA(*m, target, 0, 0));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "File write Error");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

std::string fixture() { return read_file(data_file("two_works.wok")); }
void put32(std::string& s, std::size_t at, std::uint32_t v) { std::memcpy(&s[at], &v, 4); }

TEST(WorkFile, RejectedFilesChangeNothing) {
  const std::size_t rec1 = 1044 + 16 + 340 + 48;  // second record
  struct Case {
    const char* what;
    std::string bytes;
    std::string tail;  // end of the last error text after the file name
  };
  std::vector<Case> cases;
  {
    std::string s = fixture();
    s[3] = 'X';
    cases.push_back({"bad magic", s, " は velmor ワークデータではありません"});
  }
  cases.push_back({"short magic", "VELMOR", " は velmor ワークデータではありません"});
  {
    std::string s = fixture();
    put32(s, 12, 1000);
    cases.push_back({"header size", s, " は サポート外のワークデータです"});
  }
  {
    std::string s = fixture();
    put32(s, 1044 + 8, 341);
    cases.push_back({"record size", s, " は velmor ワークデータではありません"});
  }
  cases.push_back({"table cut", fixture().substr(0, 1044 + 12),
                   " read ERR ワークデータが途中で終わっています"});
  cases.push_back({"grid cut", fixture().substr(0, 1860 - 5),
                   " read ERR ワークデータが途中で終わっています"});
  {
    std::string s = fixture();
    put32(s, 1044 + 4, 60);  // the table says 60, the record 48
    cases.push_back({"table grid size", s, " read ERR 格子データのサイズが合いませんでした"});
  }
  {
    std::string s = fixture();
    put32(s, rec1 + 4, 60);
    put32(s, 1044 + 12, 60);
    cases.push_back({"record grid size", s, " read ERR 格子データのサイズが合いませんでした"});
  }
  {
    std::string s = fixture();
    put32(s, 16, 0x40000000);  // a count far beyond the file
    cases.push_back({"huge count", s, " read ERR ワークデータが途中で終わっています"});
  }
  for (const Case& c : cases) {
    for (bool append : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (append ? " append" : " replace"));
      plat::ScriptedMessageBoxes boxes;
      boxes.answer(plat::IDOK);  // replace the works
      TempDir dir;
      const auto file = dir / "bad.wok";
      write_file(file, c.bytes);
      auto m = new_mat();
      add_work(*m, 0, 2, 2, {0, 0, -1}, {1, 1, 0}, 4);
      int first = -2;
      EXPECT_FALSE(LOAD_WORK_DATA(*m, file, append, first));
      EXPECT_EQ(first, -1);
      EXPECT_EQ(m->last_error(), file.string() + c.tail);
      ASSERT_EQ(boxes.shown.size(), append ? 1u : 2u);
      EXPECT_EQ(boxes.shown.back().caption, "File read Error");
      EXPECT_EQ(boxes.shown.back().text, "ERR : " + m->last_error());
      EXPECT_EQ(m->works[0].in_use, 1);
      EXPECT_EQ(m->works[0].group, 4);
      EXPECT_EQ(m->works[0].nx, 2);
      EXPECT_EQ(Get_Free_WORK_num(*m), 1);
    }
  }
}

TEST(WorkFile, ReplaceAsksFirstAndMissingFileKeepsWorks) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  add_work(*m, 0, 2, 2, {0, 0, -1}, {1, 1, 0}, 0);
  int first = -2;
  boxes.answer(plat::IDCANCEL);
  EXPECT_FALSE(LOAD_WORK_DATA(*m, data_file("two_works.wok"), false, first));
  EXPECT_EQ(boxes.shown[0].text, "現在のワークデータを全て削除していいですか？");
  EXPECT_EQ(boxes.shown[0].caption, "INFORMATION Message");
  EXPECT_EQ(m->works[0].nx, 2);

  const auto missing = data_file("no_such_file.wok");
  boxes.answer(plat::IDOK);
  EXPECT_FALSE(LOAD_WORK_DATA(*m, missing, false, first));
  EXPECT_EQ(boxes.shown.back().text, "ERR : " + missing.string() + " が見つかりませんでした");
  EXPECT_EQ(boxes.shown.back().caption, "File not Found");
  EXPECT_EQ(m->last_error(), "ファイルが見つかりませんでした");
  EXPECT_EQ(m->works[0].in_use, 1);

  boxes.answer(plat::IDOK);
  ASSERT_TRUE(LOAD_WORK_DATA(*m, data_file("two_works.wok"), false, first));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(m->works[0].nx, 1);  // replaced
  EXPECT_FALSE(m->works[2].in_use);
}

TEST(WorkFile, AppendShiftsGroupsAndStopsWhenFull) {
  plat::ScriptedMessageBoxes boxes;
  auto m = new_mat();
  add_work(*m, 0, 1, 1, {0, 0, -1}, {1, 1, 0}, 8);
  add_work(*m, 1, 1, 1, {0, 0, -1}, {1, 1, 0}, 2);
  add_work(*m, 3, 1, 1, {0, 0, -1}, {1, 1, 0}, 6);
  int first = -2;
  ASSERT_TRUE(LOAD_WORK_DATA(*m, data_file("two_works.wok"), true, first));
  EXPECT_EQ(first, 2);
  EXPECT_EQ(m->works[0].group, 1);
  EXPECT_EQ(m->works[1].group, 2);
  EXPECT_EQ(m->works[3].group, 3);
  EXPECT_EQ(m->works[2].group, 4);  // the file's groups 1 and 2 follow
  EXPECT_EQ(m->works[4].group, 5);
  EXPECT_EQ(m->works[4].jig, 1);
  EXPECT_TRUE(boxes.shown.empty());

  // 31 works in use: the first of the file is taken, then the store is full.
  for (int i = 5; i < 32; ++i) add_work(*m, i, 1, 1, {0, 0, -1}, {1, 1, 0}, 0);
  WORK_MEM_FREE(*m, 10);
  ASSERT_TRUE(LOAD_WORK_DATA(*m, data_file("two_works.wok"), true, first));
  EXPECT_EQ(first, 10);
  EXPECT_EQ(m->works[10].nx, 1);
  const std::string name = data_file("two_works.wok").string();
  EXPECT_EQ(m->last_error(), name + " の読み込みでワークの最大数がオーバーしました");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "File read Error");
}

TEST(WorkFile, AppendedGroupNearTheIntegerLimit) {
  plat::ScriptedMessageBoxes boxes;
  TempDir dir;
  std::string s = fixture();
  put32(s, 1044 + 16 + 80, 0x7fffffff);  // the first record's group
  write_file(dir / "g.wok", s);
  auto m = new_mat();
  add_work(*m, 0, 1, 1, {0, 0, -1}, {1, 1, 0}, 4);
  int first = -2;
  ASSERT_TRUE(LOAD_WORK_DATA(*m, dir / "g.wok", true, first));
  EXPECT_EQ(m->works[1].group, 0x7fffffff);  // stays a group of its own, never negative
  EXPECT_EQ(m->works[2].group, 3);
}

}  // namespace
