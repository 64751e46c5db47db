#include "simulation/sim_text.h"

#include <charconv>
#include <cmath>

std::string fixed_text(double v, int decimals) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  // 40 decimals of the magnitude are exact enough to tell a tie from its neighbours.
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, 40);
  std::string s(buf, r.ptr);
  const std::size_t dot = s.find('.');
  std::string digits = s.substr(0, dot) + s.substr(dot + 1, static_cast<std::size_t>(decimals));
  const bool up = s[dot + 1 + static_cast<std::size_t>(decimals)] >= '5';
  if (up) {
    std::size_t i = digits.size();
    while (i > 0) {
      --i;
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
      if (i == 0) digits.insert(digits.begin(), '1');
    }
  }
  const std::size_t int_len = digits.size() - static_cast<std::size_t>(decimals);
  std::string out = digits.substr(0, int_len);
  if (decimals > 0) out += "." + digits.substr(int_len);
  if (v < 0 && out.find_first_not_of("0.") != std::string::npos) out.insert(out.begin(), '-');
  return out;
}
