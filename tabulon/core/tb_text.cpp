#include "tabulon/core/tb_text.h"

#include <fstream>
#include <iterator>
#include <system_error>


#include "platform/core/cp932.h"
#include "platform/core/file_write.h"

namespace fs = std::filesystem;

std::string tb_trim(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= 0x20) ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= 0x20) --b;
  return std::string(s.substr(a, b - a));
}

bool read_text_lines(const fs::path& path, std::vector<std::string>& lines, bool tab_is_blank) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (f.bad()) return false;
  while (!data.empty() && data.back() == '\x1A') data.pop_back();
  lines.clear();
  std::string cur;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const char ch = data[i];
    const auto b = static_cast<unsigned char>(ch);
    // LF ends a line, and so does a CR that no LF follows (files with CR line ends)
    if (b == '\n' || (b == '\r' && (i + 1 == data.size() || data[i + 1] != '\n'))) {
      lines.push_back(std::move(cur));
      cur.clear();
    } else if (b == '\t' && tab_is_blank) {
      cur += ' ';
    } else if (b >= 1 && b <= 15) {
      // CR and the other control bytes are dropped
    } else {
      cur += ch;
    }
  }
  if (!cur.empty()) lines.push_back(std::move(cur));
  return true;
}

namespace {
std::string ascii_lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
}  // namespace

fs::path tb_native_path(std::string_view text) {
  fs::path p = fs::path(plat::cp932_to_utf8(tb_slashes(text))).lexically_normal();
  std::error_code ec;
  if (p.empty() || fs::exists(p, ec) || !p.has_filename()) return p;
  const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  const std::string want = ascii_lower(p.filename().string());
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (ascii_lower(it->path().filename().string()) == want)
      return p.has_parent_path() ? p.parent_path() / it->path().filename() : it->path().filename();
  }
  return p;
}

std::string tb_path_text(const fs::path& p) { return plat::utf8_to_cp932(p.string()); }

bool tb_is_absolute(std::string_view t) {
  return (!t.empty() && (t[0] == '\\' || t[0] == '/')) || (t.size() >= 2 && t[1] == ':');
}

namespace {
// Byte offset of the last separator that is a character of its own, or npos.
std::size_t last_separator(std::string_view s) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = plat::sjis_char_len(s, i);
    if (n == 1 && (s[i] == '\\' || s[i] == '/')) last = i;
    i += n;
  }
  return last;
}
}  // namespace

bool tb_ends_in_separator(std::string_view t) {
  return !t.empty() && last_separator(t) == t.size() - 1;
}

std::string tb_file_name(std::string_view path) {
  const std::size_t k = last_separator(path);
  return std::string(k == std::string_view::npos ? path : path.substr(k + 1));
}

std::string tb_folder_of(std::string_view path) {
  const std::size_t k = last_separator(path);
  return k == std::string_view::npos ? std::string() : std::string(path.substr(0, k + 1));
}

std::string tb_slashes(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = plat::sjis_char_len(text, i);
    if (n == 1 && text[i] == '\\') s += '/';
    else s.append(text.substr(i, n));
    i += n;
  }
  return s;
}

std::string full_path_base(std::string_view text, std::string_view folder) {
  std::string t = tb_trim(text);
  if (t.size() <= 1) return {};
  if (tb_is_absolute(t) || folder.empty()) return tb_slashes(t);
  std::string out(folder);
  if (!tb_ends_in_separator(out)) out += '/';
  return tb_slashes(out + t);
}

std::string full_path_cur(std::string_view text, std::string_view cur_folder) {
  std::string t = tb_trim(text);
  if (t.size() <= 1) return {};
  if (tb_is_absolute(t)) return tb_slashes(t);
  std::string out(cur_folder);
  if (!tb_ends_in_separator(out)) out += '/';
  return tb_slashes(out + t);
}

bool tb_write_lines(const fs::path& path, const std::vector<std::string>& lines,
                    std::string* err) {
  std::string bytes;
  for (const auto& l : lines) {
    bytes += l;
    bytes += "\r\n";
  }
  return plat::write_file_replacing(path, bytes, err);
}

bool tb_copy_file(const fs::path& from, const fs::path& to, std::string* err) {
  std::error_code ec;
  if (fs::exists(to, ec) && fs::equivalent(from, to, ec)) {
    if (err) *err = "the copy would overwrite its own source";
    return false;
  }
  std::ifstream f(from, std::ios::binary);
  if (!f) {
    if (err) *err = "the source cannot be read";
    return false;
  }
  std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (f.bad()) {
    if (err) *err = "the source cannot be read";
    return false;
  }
  return plat::write_file_replacing(to, data, err);
}
