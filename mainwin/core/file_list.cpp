#include "mainwin/core/file_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "platform/core/cp932.h"
#include "platform/core/input.h"

namespace {

char32_t fold_ascii(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }

// Code points of a UTF-8 text, ASCII letters upper-cased; an invalid byte stands for itself
// (as a code point above the Unicode range, so it equals only the same byte).
void decode_folded(std::string_view s, std::u32string& out) {
  out.clear();
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len != 0 && i + len <= s.size();
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok) {
      out.push_back(0x110000 + c);
      ++i;
      continue;
    }
    out.push_back(fold_ascii(cp));
    i += len;
  }
}

bool match_folded(const std::u32string& n, const std::u32string& m) {
  std::size_t ni = 0, mi = 0;
  std::size_t star_m = std::u32string::npos, star_n = 0;
  while (ni < n.size()) {
    if (mi < m.size() && m[mi] == U'*') {
      star_m = ++mi;
      star_n = ni;
    } else if (mi < m.size() && (m[mi] == U'?' || m[mi] == n[ni])) {
      ++mi;
      ++ni;
    } else if (star_m != std::u32string::npos) {
      mi = star_m;
      ni = ++star_n;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == U'*') ++mi;
  return mi == m.size();
}

// Name order: ASCII letters ignoring case, then the bytes.
bool name_less(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return false;
  }
  return true;
}

std::string count_caption(int n, const char* tail_or_null, const char* head_or_null) {
  char num[16];
  auto r = std::to_chars(num, num + sizeof num, n);
  std::string d(num, r.ptr);
  if (head_or_null) return head_or_null + d;
  return d + tail_or_null;
}

}  // namespace

std::string backslash_to_slash(std::string_view cp932) {
  std::string out(cp932);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = plat::sjis_char_len(out, i);
    if (len == 1 && out[i] == '\\') out[i] = '/';
    i += len;
  }
  return out;
}

FILE_FILTER split_file_filter(const std::filesystem::path& current, std::string_view filter_cp932) {
  const std::string utf8 = plat::cp932_to_utf8(backslash_to_slash(filter_cp932));
  FILE_FILTER f;
  const std::size_t slash = utf8.rfind('/');
  if (slash == std::string::npos) {
    f.folder = current;
    f.mask = utf8;
  } else {
    const std::filesystem::path part(slash == 0 ? std::string("/") : utf8.substr(0, slash));
    f.folder = part.is_absolute() ? part : current / part;
    f.mask = utf8.substr(slash + 1);
  }
  return f;
}

bool file_mask_match(std::string_view name_utf8, std::string_view mask_utf8) {
  if (mask_utf8.empty()) return true;
  std::u32string n, m;
  decode_folded(name_utf8, n);
  decode_folded(mask_utf8, m);
  return match_folded(n, m);
}

FILE_LIST List_files_in_dir(const std::filesystem::path& current, std::string_view filter_cp932,
                            const FileListClock& clock, const FileListProgress& progress) {
  // The busy flag makes the GUI swallow other input, so a click only stops the listing.
  plat::BusyGuard busy;
  FILE_LIST out;
  const std::uint32_t start = clock();
  plat::key_down(plat::Key::Escape);
  plat::key_down(plat::Key::LButton);
  plat::key_down(plat::Key::RButton);

  const FILE_FILTER f = split_file_filter(current, filter_cp932);
  std::u32string mask, name;
  decode_folded(f.mask, mask);
  bool armed = false;
  if (DIR* dir = opendir(f.folder.c_str())) {
    const int dfd = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
      const char* nm = e->d_name;
      if (nm[0] == '.' && (nm[1] == 0 || (nm[1] == '.' && nm[2] == 0))) continue;
      ++out.entries;
      if (nm[0] != '.' && e->d_type != DT_DIR) {
        decode_folded(nm, name);
        struct stat st;
        if ((mask.empty() || match_folded(name, mask)) && fstatat(dfd, nm, &st, 0) == 0 &&
            S_ISREG(st.st_mode))
          out.rows.push_back({nm, static_cast<std::uint64_t>(st.st_size),
                              static_cast<std::int64_t>(st.st_mtim.tv_sec)});
      }
      if (out.entries % 50 != 0) continue;
      if (!armed) armed = static_cast<std::uint32_t>(clock() - start) >= 200;
      if (!armed) continue;
      if (plat::key_down(plat::Key::Escape) || plat::key_down(plat::Key::LButton) ||
          plat::key_down(plat::Key::RButton)) {
        out.interrupted = true;
        break;
      }
      if (progress) progress(count_caption(out.entries, " : マウスクリックで中断", nullptr));
    }
    closedir(dir);
  }
  std::sort(out.rows.begin(), out.rows.end(),
            [](const FILE_ROW& a, const FILE_ROW& b) { return name_less(a.native, b.native); });
  out.caption = out.interrupted ? count_caption(out.files(), " : リスティング中断", nullptr)
                                : count_caption(out.files(), nullptr, "ファイル数 : ");
  return out;
}

std::string file_size_text(std::uint64_t size) {
  char num[24];
  auto r = std::to_chars(num, num + sizeof num, size);
  std::string d(num, r.ptr);
  if (d.size() < 8) d.insert(0, 8 - d.size(), ' ');
  return d;
}

std::string file_date_text(std::int64_t mtime) {
  const std::time_t t = static_cast<std::time_t>(mtime);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return std::string();
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min);
  return buf;
}

int find_typed_name(const std::vector<FILE_ROW>& rows, std::string_view name_utf8) {
  if (name_utf8.empty()) return -1;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].native == name_utf8) return static_cast<int>(i);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (equal_ignoring_ascii_case(rows[i].native, name_utf8)) return static_cast<int>(i);
  return -1;
}
