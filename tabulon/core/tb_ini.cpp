#include "tabulon/core/tb_ini.h"

#include "tabulon/core/tb_text.h"

namespace {

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// The name of a "[section]" line, or false.
bool section_name(const std::string& line, std::string& name) {
  const std::string t = tb_trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const std::size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = tb_trim(std::string_view(t).substr(1, close - 1));
  return true;
}

}  // namespace

bool TTB_ini::load(const std::filesystem::path& path) {
  // Lines are kept as they are (a later write leaves what it does not know untouched);
  // only the line ends, LF, CR LF or CR, are taken off.
  lines_.clear();
  return read_text_lines(path, lines_);
}

bool TTB_ini::save(const std::filesystem::path& path, std::string* err) const {
  return write_text_lines(path, lines_, err);
}

int TTB_ini::find_section(std::string_view section) const {
  std::string name;
  for (std::size_t k = 0; k < lines_.size(); ++k)
    if (section_name(lines_[k], name) && same_name(name, section)) return static_cast<int>(k);
  return -1;
}

int TTB_ini::find_key(int sec, std::string_view key) const {
  std::string name;
  for (std::size_t k = static_cast<std::size_t>(sec) + 1; k < lines_.size(); ++k) {
    if (section_name(lines_[k], name)) break;
    const std::string t = tb_trim(lines_[k]);
    if (t.empty() || t[0] == ';') continue;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    if (same_name(tb_trim(std::string_view(t).substr(0, eq)), key)) return static_cast<int>(k);
  }
  return -1;
}

std::string TTB_ini::read(std::string_view section, std::string_view key,
                          std::string_view def) const {
  const int sec = find_section(section);
  if (sec < 0) return std::string(def);
  const int k = find_key(sec, key);
  if (k < 0) return std::string(def);
  const std::string& line = lines_[static_cast<std::size_t>(k)];
  std::string v = tb_trim(std::string_view(line).substr(line.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

void TTB_ini::write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(key) + "=" + std::string(value);
  int sec = find_section(section);
  if (sec < 0) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
    return;
  }
  const int k = find_key(sec, key);
  if (k >= 0) {
    lines_[static_cast<std::size_t>(k)] = entry;
    return;
  }
  // after the last non-empty line of the section
  std::size_t end = static_cast<std::size_t>(sec) + 1, last = end;
  std::string name;
  for (; end < lines_.size() && !section_name(lines_[end], name); ++end)
    if (!tb_trim(lines_[end]).empty()) last = end + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last), entry);
}
