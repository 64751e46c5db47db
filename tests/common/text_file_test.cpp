#include "common/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

namespace {

TEST(TextFile, SplitsAtEveryLineEndAndKeepsOtherBytes) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},  // a last line without a line end
      {"a\rb\r", {"a", "b"}},
      {"a\r\r\nb\n\r", {"a", "", "b", ""}},  // LF CR is two line ends
      {"\n\n", {"", ""}},
      {"\r\n", {""}},
      {std::string("\tx\x01\x1A\0y \x81\\\xFF", 10) + "\n", {std::string("\tx\x01\x1A\0y \x81\\\xFF", 10)}},
  };
  TempDir d;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(split_text_lines(c.bytes), c.lines);
    write_file(d / "f.txt", c.bytes);
    std::vector<std::string> lines{"old"};
    ASSERT_TRUE(read_text_lines(d / "f.txt", lines, nullptr));
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(TextFile, ReadFailuresKeepTheLinesAndSayWhy) {
  TempDir d;
  fs::create_directory(d / "sub");
  for (const fs::path& p : {d / "missing.txt", d / "sub"}) {
    std::vector<std::string> lines{"kept"};
    std::string err;
    EXPECT_FALSE(read_text_lines(p, lines, &err));
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    EXPECT_NE(err.find(p.string()), std::string::npos) << err;
  }
  if (::geteuid() != 0) {  // root reads anything
    write_file(d / "locked.txt", "x\n");
    fs::permissions(d / "locked.txt", fs::perms::none);
    std::vector<std::string> lines;
    EXPECT_FALSE(read_text_lines(d / "locked.txt", lines, nullptr));
  }
}

TEST(TextFile, PiecesHoldWholeLines) {
  TempDir d;
  const std::string cases[] = {
      "",
      "G0X1\r\nG1Y2\r\nM30\r\n",
      "1234567\r\n89\r\n",            // a CR LF across the first read's end
      "1234567\rA\r\rB\n\nC",          // lone CRs, an LF line, no final line end
      "A very long line without an end, longer than three pieces",
      "short\nA line much longer than one piece, to its end\nX\r",
  };
  int k = 0;
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    const fs::path p = d / ("p" + std::to_string(k++) + ".txt");
    write_file(p, text);
    TextFilePieces pieces;
    ASSERT_TRUE(pieces.open(p, 8));
    EXPECT_EQ(pieces.size(), text.size());
    std::string joined;
    std::string_view piece;
    while (pieces.next(piece)) {
      EXPECT_FALSE(piece.empty());
      joined += piece;
      if (joined.size() == text.size()) break;
      // Within the text, a piece ends after a line end, and never between CR and LF.
      const char last = piece.back();
      EXPECT_TRUE(last == '\n' || last == '\r') << piece;
      EXPECT_NE(text[joined.size()], '\n') << piece;
    }
    EXPECT_FALSE(pieces.next(piece));
    EXPECT_FALSE(pieces.failed());
    EXPECT_EQ(joined, text);
  }
  TextFilePieces missing;
  std::string err;
  EXPECT_FALSE(missing.open(d / "missing.txt", 8, &err));
  EXPECT_NE(err.find("missing.txt"), std::string::npos);
}

TEST(TextFile, WritesCrLfAndKeepsTheModeAndTheOldFileOnFailure) {
  TempDir d;
  const std::vector<std::string> lines{"%", "表\\", "", std::string("a\0b", 3)};
  ASSERT_TRUE(write_text_lines(d / "o.txt", lines, nullptr));
  EXPECT_EQ(read_file(d / "o.txt"), std::string("%\r\n表\\\r\n\r\na\0b\r\n", 15));
  std::vector<std::string> back;
  ASSERT_TRUE(read_text_lines(d / "o.txt", back));
  EXPECT_EQ(back, lines);

  ::chmod((d / "o.txt").c_str(), 0444);
  ASSERT_TRUE(write_text_lines(d / "o.txt", {"new"}));
  EXPECT_EQ(read_file(d / "o.txt"), "new\r\n");
  struct stat st {};
  ASSERT_EQ(::stat((d / "o.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);

  std::string err;
  EXPECT_FALSE(write_text_lines(d / "no" / "o.txt", {"x"}, &err));
  EXPECT_FALSE(err.empty());
  ASSERT_TRUE(write_text_lines(d / "empty.txt", {}));
  EXPECT_EQ(read_file(d / "empty.txt"), "");
  int left = 0;
  for (const auto& e : fs::directory_iterator(d.path())) left += !e.path().empty();
  EXPECT_EQ(left, 2);  // no temporary file is left behind
}

TEST(TextFile, FindsANameWithoutLetterCase) {
  TempDir d;
  write_file(d / "Tool.NST", "x");
  write_file(d / "b.nc", "x");
  write_file(d / "B.NC", "x");
  write_file(d.path() / fs::path(u8"工具A.nc"), "x");
  fs::create_directory(d / "Sub");
  struct Case {
    std::string name;
    const char* found;  // nullptr: not found
  } cases[] = {
      {"Tool.NST", "Tool.NST"},
      {"tool.nst", "Tool.NST"},
      {"b.nc", "b.nc"},     // the exact spelling wins
      {"b.NC", "B.NC"},     // else the first in byte order
      {"SUB", "Sub"},       // folders are entries too
      {reinterpret_cast<const char*>(u8"工具a.NC"), reinterpret_cast<const char*>(u8"工具A.nc")},
      {"tool.ns", nullptr},
      {"", nullptr},
      {"..", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto hit = find_file_nocase(d.path(), c.name);
    if (!c.found) {
      EXPECT_FALSE(hit.has_value());
      continue;
    }
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(*hit, d.path() / fs::path(reinterpret_cast<const char8_t*>(c.found)));
  }
  EXPECT_FALSE(find_file_nocase(d / "none", "tool.nst").has_value());
}

TEST(TextFile, NativePathFromAStoredText) {
  TempDir d;
  fs::create_directories(d / "Data" / "Sub");
  write_file(d / "Data" / "Sub" / "Tool.TXT", "x");
  const std::string root = path_text(d.path());
  struct Case {
    std::string text;
    fs::path native;
  } cases[] = {
      {root + "\\data\\SUB\\tool.txt", d / "Data" / "Sub" / "Tool.TXT"},
      {root + "/Data/Sub/./x/../Tool.TXT", d / "Data" / "Sub" / "Tool.TXT"},
      {root + "\\data\\none\\tool.txt", d / "data" / "none" / "tool.txt"},  // as written
      {root + "\\data\\", d / "Data" / ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(native_path(c.text), c.native);
  }
  // 0x5C as the second byte of a double-byte character is no separator
  EXPECT_EQ(forward_slashes("a\\ソ\\b"), "a/ソ/b");
  EXPECT_EQ(native_path(".\\0_TB_datas\\ソース.txt"), fs::path(u8"0_TB_datas/ソース.txt"));
  EXPECT_EQ(path_text(fs::path(u8"ソ/表.txt")), "ソ/表.txt");
}

}  // namespace
