#include "mainwin/core/small_dialogs.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/ats_func.h"

std::string memory_kb_text(std::uint64_t bytes) {
  char num[24];
  auto r = std::to_chars(num, num + sizeof num, bytes / 1000);
  return std::string(num, r.ptr) + " Kb";
}

ABOUT_MEMORY_TEXTS about_memory_texts(bool ok, const plat::MemoryStatus& m) {
  ABOUT_MEMORY_TEXTS t;
  if (!ok) return t;
  t.total = memory_kb_text(m.total_phys);
  t.free = memory_kb_text(m.avail_phys);
  t.v_free = memory_kb_text(m.avail_phys + m.avail_swap);
  return t;
}

MOVE_ROTATE_ROWS move_rotate_rows(const MOVE_ROTATE_VALUES& v) {
  MOVE_ROTATE_ROWS r;
  r.text = {"0", "0", "0", "0"};
  if (mr_is_rotate(v.mode)) {
    r.caption = {"中心 X", "中心 Y", "角度", "回数"};
    r.visible = {true, true, true, true};
    r.text = {float_to_str3(v.center_x), float_to_str3(v.center_y), float_to_str3(v.angle),
              std::to_string(v.rotate_count)};
  } else if (mr_is_move(v.mode)) {
    r.caption = {"移動 X", "移動 Y", "移動 Z", "回数"};
    r.visible = {true, true, false, true};
    r.text = {float_to_str3(v.move_x), float_to_str3(v.move_y), float_to_str3(v.move_z),
              std::to_string(v.move_count)};
  } else if (v.mode == MR_NO_ROWS) {
    r.visible = {false, false, false, false};
  } else {
    r.visible = {true, true, true, true};
  }
  return r;
}

void read_move_rotate_rows(MOVE_ROTATE_VALUES& v, const std::array<std::string, 4>& text) {
  if (mr_is_move(v.mode)) {
    v.move_x = real_field_value(text[0]);
    v.move_y = real_field_value(text[1]);
    // Row 3 is hidden in this mode: Z comes back as it was given.
    v.move_count = integer_field_value(text[3]);
  } else if (mr_is_rotate(v.mode)) {
    v.center_x = real_field_value(text[0]);
    v.center_y = real_field_value(text[1]);
    v.angle = real_field_value(text[2]);
    v.rotate_count = integer_field_value(text[3]);
  }
}

namespace {
std::string first_number_or_zero(std::string_view pattern, std::string_view text) {
  std::string n = _numbers_for_routine(pattern, text);
  if (n.empty() || n == "err") return "0";
  return n;
}
std::string_view without_plus(std::string_view t) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  return t;
}
}  // namespace

std::string fix_real_field(std::string_view text, bool show) {
  if (is_real_text(text, show)) return std::string(text);
  return first_number_or_zero("%", text);
}

std::string fix_integer_field(std::string_view text, bool show) {
  if (is_integer_text(text, show)) return std::string(text);
  return first_number_or_zero("#", text);
}

float real_field_value(std::string_view text) {
  text = without_plus(text);
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) v = (!text.empty() && text.front() == '-') ? -1e10 : 1e10;
  else if (r.ec != std::errc()) v = 0;
  return static_cast<float>(std::clamp(v, -1e10, 1e10));
}

std::int32_t integer_field_value(std::string_view text) {
  text = without_plus(text);
  std::int32_t v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  return r.ec == std::errc() ? v : 0;
}

std::string other_exec_argument(int choice, const std::string& tmp_path,
                                const std::string& nc_path) {
  if (choice == 1) return tmp_path;
  if (choice == 2) return nc_path;
  return std::string();
}

std::string other_exec_command_line(const std::string& command, const std::string& argument) {
  if (argument.empty()) return command + " ";
  return command + " \"" + argument + "\"";
}
