#include "tooling/core/work_presets.h"

#include "common/text_file.h"
#include "platform/core/cp932.h"
#include "tooling/core/number_text.h"

namespace {

bool is_trim_byte(unsigned char c) { return c <= 0x20 || c == 0x7F; }

std::string trimmed(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && is_trim_byte(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && is_trim_byte(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

bool real_of(const std::string& t, float& out) {
  double d = 0;
  if (!real_text_value(t, d)) return false;
  out = static_cast<float>(d);
  return true;
}

bool integer_of(const std::string& t, std::int64_t& out) {
  std::int64_t n = 0;
  if (!integer_text_value(t, n)) return false;
  out = n < 0 ? -n : n;
  return true;
}

}  // namespace

bool Parse_def_work_size_line(const std::string& raw, TWork_preset& out) {
  const std::string line = trimmed(raw);
  if (line.empty() || line.front() != '"') return false;
  std::size_t close = std::string::npos;
  for (std::size_t i = 1; i < line.size();) {
    const std::size_t len = plat::sjis_char_len(line, i);
    if (len == 1 && line[i] == '"') {
      close = i;
      break;
    }
    i += len;
  }
  if (close == std::string::npos) return false;
  // The fields after the closing quote: blanks and TABs dropped, split at the commas.
  std::vector<std::string> fields(1);
  for (std::size_t i = close + 1; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t') continue;
    if (c == ',') fields.emplace_back();
    else fields.back() += c;
  }
  if (fields.size() != 10) return false;
  // The text before the first comma joins the first number.
  fields[1] = fields[0] + fields[1];
  TWork_preset p;
  float* reals[6] = {&p.min.x, &p.min.y, &p.min.z, &p.max.x, &p.max.y, &p.max.z};
  for (int k = 0; k < 6; ++k)
    if (!real_of(fields[1 + k], *reals[k])) return false;
  if (!integer_of(fields[7], p.nx) || !integer_of(fields[8], p.ny)) return false;
  if (!fields[9].empty() && !integer_of(fields[9], p.color)) return false;
  p.line = line;
  p.name = line.substr(1, close - 1);
  out = std::move(p);
  return true;
}

bool Load_def_work_size_list(const std::filesystem::path& file, std::vector<TWork_preset>& out,
                             std::string* err) {
  out.clear();
  std::vector<std::string> lines;
  if (file.empty() || !read_text_lines(file, lines, err)) return false;
  for (const std::string& l : lines) {
    TWork_preset p;
    if (Parse_def_work_size_line(l, p)) out.push_back(std::move(p));
  }
  return true;
}

std::filesystem::path find_work_preset_file(const std::filesystem::path& config_folder) {
  if (auto p = find_file_nocase(config_folder, WORK_PRESET_FILE)) return *p;
  return {};
}

TWork_preset path_extent_preset(const VEC3& min, const VEC3& max, bool margin) {
  TWork_preset p;
  const float d = margin ? WORK_PRESET_MARGIN : 0.0f;
  p.min = VEC3{min.x - d, min.y - d, min.z - d};
  p.max = VEC3{max.x + d, max.y + d, max.z + d};
  p.nx = p.ny = WORK_PRESET_DIVS;
  p.color = WORK_PRESET_COLOR;
  return p;
}

bool check_work_preset(const TWork_preset& p, std::string& msg) {
  if (p.nx > WORK_WINDOW_DIV_MAX || p.ny > WORK_WINDOW_DIV_MAX) {
    msg = "格子数は 0 ～ 4094 の範囲内で指定してください";
    return false;
  }
  if (p.color > WORK_COLOR_MAX) {
    msg = "色指定は 0 ～ 63 の範囲内で指定してください";
    return false;
  }
  return true;
}
