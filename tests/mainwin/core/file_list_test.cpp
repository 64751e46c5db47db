#include "mainwin/core/file_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/input.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

void make_files(const fs::path& dir, int n) {
  for (int i = 0; i < n; ++i) write_file(dir / ("F" + std::to_string(i) + ".NCD"), "");
}

std::vector<std::string> names(const FILE_LIST& l) {
  std::vector<std::string> v;
  for (const auto& r : l.rows) v.push_back(r.native);
  return v;
}

// A UTF-8 (native) name.
std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// A clock that moves `step` ms at every reading.
FileListClock stepping_clock(std::uint32_t step) {
  auto t = std::make_shared<std::uint32_t>(0);
  return [t, step] { return std::exchange(*t, *t + step); };
}

TEST(ListFilesInDir, PollingAndInterruption) {
  enum Input { kNone, kLeftHeld, kEscapeOnThirdRead };
  struct Case {
    const char* what;
    int files;
    std::uint32_t clock_step;
    Input input;
    bool interrupted;
    int rows;
    int progress_calls;
    const char* caption;
  };
  const Case cases[] = {
      // Never polled: the 50th entry is never reached, however late it is.
      {"49 files", 49, 100000, kLeftHeld, false, 49, 0, "ファイル数 : 49"},
      // Armed at the 100th entry (200 ms), where the held button stops it.
      {"held button", 5000, 100, kLeftHeld, true, 100, 0, "100 : リスティング中断"},
      {"escape", 5000, 100, kEscapeOnThirdRead, true, 150, 1, "150 : リスティング中断"},
      // Before 200 ms nothing is read; afterwards each 50th entry shows its count.
      {"quick", 5000, 0, kLeftHeld, false, 5000, 0, "ファイル数 : 5000"},
      {"no input", 120, 100, kNone, false, 120, 1, "ファイル数 : 120"},
      {"empty folder", 0, 100, kLeftHeld, false, 0, 0, "ファイル数 : 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    make_files(dir.path(), c.files);
    plat::ScriptedInput input;
    if (c.input == kLeftHeld)
      for (int i = 0; i < 10; ++i) input.press(plat::Key::LButton);
    if (c.input == kEscapeOnThirdRead) input.escape_after(3);
    std::vector<std::string> progress;
    FILE_LIST l = List_files_in_dir(dir.path(), "*.NCD", stepping_clock(c.clock_step),
                                    [&](const std::string& s) { progress.push_back(s); });
    EXPECT_EQ(l.interrupted, c.interrupted);
    EXPECT_EQ(l.files(), c.rows);
    EXPECT_EQ(l.caption, c.caption);
    EXPECT_EQ(static_cast<int>(progress.size()), c.progress_calls);
    if (c.files < 50) {
      EXPECT_EQ(input.reads[static_cast<int>(plat::Key::LButton)], 1);  // the clear only
    }
  }
  // The count shown during a long listing is the number of entries.
  TempDir dir;
  make_files(dir.path(), 120);
  plat::ScriptedInput input;
  std::vector<std::string> progress;
  List_files_in_dir(dir.path(), "*.NCD", stepping_clock(100),
                    [&](const std::string& s) { progress.push_back(s); });
  EXPECT_EQ(progress, std::vector<std::string>{"100 : マウスクリックで中断"});
}

TEST(ListFilesInDir, MasksFoldersAndSorting) {
  TempDir dir;
  const fs::path d = dir.path();
  for (const char* n : {"a.ncd", "B.Ncd", "a.ncdx", "c.NC", ".hidden.ncd", "x.txt"})
    write_file(d / n, "12345");
  write_file(d / fs::path(u8"工具.ncd"), "");
  write_file(d / fs::path(u8"具.nc"), "");
  write_file(d / fs::path(u8"ソA.nc"), "");  // the trail byte of "ソ" is 0x5C
  write_file(d / fs::path(u8"\uD55C.ncd"), "");    // a name CP932 cannot hold is listed
  fs::create_directory(d / "sub.ncd");
  fs::create_directory(d / "sub");
  write_file(d / "sub" / "in.nc", "");
  fs::create_symlink(d / "a.ncd", d / "lnk.ncd");
  fs::create_symlink(d / "missing", d / "dead.ncd");  // cannot be queried

  struct Case {
    const char* filter;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"*.NCD", {"a.ncd", "B.Ncd", "lnk.ncd", u8s(u8"工具.ncd"), u8s(u8"\uD55C.ncd")}},
      {"?.NC", {"c.NC", u8s(u8"具.nc")}},  // "?" takes one character, also a double-byte one
      {"ソ*.nc", {u8s(u8"ソA.nc")}},
      {"a.ncd", {"a.ncd"}},           // the whole name must match
      {"A.NC", {}},
      {"sub\\*.nc", {"in.nc"}},       // "\" is the folder separator
      {"sub/i?.NC", {"in.nc"}},
      {"nowhere/*.nc", {}},
  };
  plat::ScriptedInput input;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    FILE_LIST l = List_files_in_dir(d, c.filter, stepping_clock(0));
    EXPECT_EQ(names(l), c.rows);
    // Folders, dot-files and the broken link are entries but not files.
    if (std::string(c.filter) == "*.NCD") {
      EXPECT_EQ(l.entries, 14);
      EXPECT_EQ(l.rows[0].size, 5u);
    }
  }
  // An absolute folder part and an empty name mask (every file).
  const std::string abs = (d / "sub").string() + "/";
  EXPECT_EQ(names(List_files_in_dir("/", abs, stepping_clock(0))), std::vector<std::string>{"in.nc"});
}

TEST(ListFilesInDir, SortIgnoresAsciiCaseThenBytes) {
  TempDir dir;
  for (const char* n : {"b.nc", "A.nc", "a.nc", "B1.nc", "_x.nc"}) write_file(dir / n, "");
  plat::ScriptedInput input;
  EXPECT_EQ(names(List_files_in_dir(dir.path(), "*", stepping_clock(0))),
            (std::vector<std::string>{"A.nc", "a.nc", "b.nc", "B1.nc", "_x.nc"}));
}

TEST(FileListTexts, SizeAndLocalDate) {
  EXPECT_EQ(file_size_text(5), "       5");
  EXPECT_EQ(file_size_text(5000000000ULL), "5000000000");  // beyond 32 bits, wider than 8
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(file_date_text(1796802239), "2026/12/09 07:43");
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  EXPECT_EQ(file_date_text(1796802239), "2026/12/09 16:43");
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}

TEST(FileListTexts, TypedNameAndBackslash) {
  const std::vector<FILE_ROW> rows = {{"A.NC"}, {"a.nc"}, {"b.NC"}};
  EXPECT_EQ(find_typed_name(rows, "a.nc"), 1);  // exact first
  EXPECT_EQ(find_typed_name(rows, "A.NC"), 0);
  EXPECT_EQ(find_typed_name(rows, "B.nc"), 2);  // else ignoring case
  EXPECT_EQ(find_typed_name(rows, "c.nc"), -1);
  EXPECT_EQ(find_typed_name(rows, ""), -1);
  EXPECT_EQ(backslash_to_slash("C:\\NC\\ソ.NC"), "C:/NC/ソ.NC");  // the trail byte of ソ stays
}

}  // namespace
