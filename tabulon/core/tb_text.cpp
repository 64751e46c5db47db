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

bool tb_read_lines(const fs::path& path, std::vector<std::string>& lines, bool tab_is_blank) {
  std::string data;
  if (!read_file_bytes(path, data)) return false;
  tb_split_lines(std::move(data), lines, tab_is_blank);
  return true;
}

void tb_split_lines(std::string data, std::vector<std::string>& lines, bool tab_is_blank) {
  while (!data.empty() && data.back() == '\x1A') data.pop_back();
  const bool open_end = !data.empty() && data.back() != '\n' && data.back() != '\r';
  lines = split_text_lines(data);
  for (std::string& l : lines) {
    std::string kept;
    kept.reserve(l.size());
    for (const char ch : l) {
      const auto b = static_cast<unsigned char>(ch);
      if (b == '\t' && tab_is_blank) kept += ' ';
      else if (b < 1 || b > 15) kept += ch;
    }
    l = std::move(kept);
  }
  if (open_end && !lines.empty() && lines.back().empty()) lines.pop_back();
}

std::size_t tb_control_byte(std::string_view bytes, int& line) {
  std::size_t at = std::string_view::npos;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 32 && c != '\t' && c != '\r' && c != '\n') {
      at = i;
      break;
    }
  }
  if (at == std::string_view::npos) return at;
  bool lost = false;
  for (std::size_t i = at; i < bytes.size() && !lost; ++i) {
    const char c = bytes[i];
    lost = !(c == '\r' || c == '\n' || c == '\x1A');
  }
  if (!lost) return std::string_view::npos;
  line = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if (bytes[i] == '\n') ++line;
    else if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) ++line;
  }
  return at;
}

bool tb_is_absolute(std::string_view t) {
  return (!t.empty() && (t[0] == '\\' || t[0] == '/')) || (t.size() >= 2 && t[1] == ':');
}

bool tb_ends_in_separator(std::string_view t) {
  return !t.empty() && plat::sjis_last_separator(t) == t.size() - 1;
}

std::string tb_file_name(std::string_view path) {
  const std::size_t k = plat::sjis_last_separator(path);
  return std::string(k == std::string_view::npos ? path : path.substr(k + 1));
}

std::string tb_folder_of(std::string_view path) {
  const std::size_t k = plat::sjis_last_separator(path);
  return k == std::string_view::npos ? std::string() : std::string(path.substr(0, k + 1));
}

std::string full_path_base(std::string_view text, std::string_view folder) {
  std::string t = tb_trim(text);
  if (t.size() <= 1) return {};
  if (tb_is_absolute(t) || folder.empty()) return forward_slashes(t);
  std::string out(folder);
  if (!tb_ends_in_separator(out)) out += '/';
  return forward_slashes(out + t);
}

std::string full_path_cur(std::string_view text, std::string_view cur_folder) {
  std::string t = tb_trim(text);
  if (t.size() <= 1) return {};
  if (tb_is_absolute(t)) return forward_slashes(t);
  std::string out(cur_folder);
  if (!tb_ends_in_separator(out)) out += '/';
  return forward_slashes(out + t);
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
