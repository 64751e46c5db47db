#include "tooling/core/number_text.h"

#include <charconv>
#include <cmath>

#include "common/ats_func.h"

namespace {
std::string_view without_plus(std::string_view t) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  return t;
}
}  // namespace

bool real_text_value(std::string_view text, double& out) {
  if (!is_real_text(text, false)) return false;
  const std::string_view v = without_plus(text);
  double d = 0;
  const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
  if (r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(d)) return false;
  out = d;
  return true;
}

bool integer_text_value(std::string_view text, std::int64_t& out) {
  if (!is_integer_text(text, false)) return false;
  const std::string_view v = without_plus(text);
  long long n = 0;
  const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
  if (r.ec != std::errc() || r.ptr != v.data() + v.size()) return false;
  out = n;
  return true;
}
