#include "common/ats_func.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "common/text_file.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"

namespace {

constexpr long double kPi = ATS_PI_L;
constexpr long double kHalfPi = kPi / 2;
constexpr long double kTwoPi = kPi * 2;
constexpr long double kThreeHalfPi = kPi * 3 / 2;
// The cut-off, compared in single precision, so that a magnitude of 1e-6 itself is kept.
constexpr float kEps = 1e-6f;

// ---- decimal text ---------------------------------------------------------------------------

// The exact decimal expansion of a finite, non-negative value: integer digits and fraction
// digits. A float needs at most 149 fraction digits; 160 leaves room.
struct ExactDecimal {
  std::string int_digits;   // at least "0"
  std::string frac_digits;  // 160 digits
};

ExactDecimal exact_decimal(double mag) {
  char buf[512];
  auto r = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::fixed, 160);
  std::string s(buf, r.ptr);
  ExactDecimal d;
  auto dot = s.find('.');
  d.int_digits = s.substr(0, dot);
  d.frac_digits = dot == std::string::npos ? std::string() : s.substr(dot + 1);
  return d;
}

// Adds one unit in the last place of a digit string; may grow it by a leading "1".
void increment_digits(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      return;
    }
  }
  digits.insert(digits.begin(), '1');
}

// The magnitude rounded half away from zero to `decimals` (>= 0) decimals, as integer
// digits and exactly `decimals` fraction digits.
void round_magnitude(double mag, int decimals, std::string& int_part, std::string& frac_part) {
  // The common case in integers: a float times 10^d (d <= 12) is exact in a double (24
  // mantissa bits and at most 28 bits of 5^d), so below 2^53 the tie test is exact too.
  // Other doubles take the exact expansion.
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,
                                      1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
  if (decimals <= 12 && mag <= std::numeric_limits<float>::max() &&
      static_cast<double>(static_cast<float>(mag)) == mag) {
    const double x = mag * kPow10[decimals];
    if (x < 9007199254740992.0) {
      const double fl = std::floor(x);
      std::uint64_t r = static_cast<std::uint64_t>(fl);
      if (x - fl >= 0.5) ++r;
      std::string digits = std::to_string(r);
      const std::size_t d = static_cast<std::size_t>(decimals);
      if (digits.size() < d + 1) digits.insert(0, d + 1 - digits.size(), '0');
      int_part = digits.substr(0, digits.size() - d);
      frac_part = digits.substr(digits.size() - d);
      return;
    }
  }
  ExactDecimal d = exact_decimal(mag);
  std::string all = d.int_digits + d.frac_digits.substr(0, static_cast<std::size_t>(decimals));
  std::size_t int_len = d.int_digits.size();
  char next = static_cast<std::size_t>(decimals) < d.frac_digits.size()
                  ? d.frac_digits[static_cast<std::size_t>(decimals)]
                  : '0';
  if (next >= '5') {
    std::size_t before = all.size();
    increment_digits(all);
    if (all.size() > before) ++int_len;
  }
  int_part = all.substr(0, int_len);
  frac_part = all.substr(int_len);
  // Drop leading zeros of the integer part, keeping one.
  std::size_t nz = int_part.find_first_not_of('0');
  int_part = nz == std::string::npos ? "0" : int_part.substr(nz);
}

}  // namespace

void round_decimal(double v, int decimals, std::string& int_part, std::string& frac_part) {
  round_magnitude(std::fabs(v), decimals < 0 ? 0 : decimals, int_part, frac_part);
}

namespace {

bool all_zero(const std::string& a, const std::string& b) {
  return a.find_first_not_of('0') == std::string::npos &&
         b.find_first_not_of('0') == std::string::npos;
}

// Text of a non-finite value (callers add the sign rules of their own).
std::string non_finite_text(float v, bool plus) {
  if (std::isnan(v)) return "NAN";
  if (v < 0) return "-INF";
  return plus ? "+INF" : "INF";
}

// The magnitude with at most n decimals, no trailing zeros; `zero` tells whether it is "0".
std::string magnitude_text(float v, int n, bool& zero) {
  if (n < 1 || n > 8) n = 0;
  std::string ip, fp;
  round_magnitude(std::fabs(static_cast<double>(v)), n, ip, fp);
  zero = all_zero(ip, fp);
  std::size_t last = fp.find_last_not_of('0');
  fp = last == std::string::npos ? std::string() : fp.substr(0, last + 1);
  return fp.empty() ? ip : ip + "." + fp;
}

// ---- characters -----------------------------------------------------------------------------

// The text split into characters: a Shift-JIS pair is one piece.
std::vector<std::string_view> split_chars(std::string_view s) {
  std::vector<std::string_view> out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = plat::sjis_char_len(s, i);
    out.push_back(s.substr(i, len));
    i += len;
  }
  return out;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Two characters of split_chars (one or two bytes each) are the same.
bool same_char(std::string_view a, std::string_view b) {
  return a.size() == b.size() && a[0] == b[0] && (a.size() == 1 || a[1] == b[1]);
}

void show_check_box(std::string_view text, const char* tail) {
  plat::message_box(std::string(text) + tail, std::string(), plat::MB_SYSTEMMODAL | plat::MB_ICONSTOP);
}

}  // namespace

// ASCII upper-casing that leaves the trail bytes of double-byte characters alone.
std::string upper_sjis(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    std::size_t len = plat::sjis_char_len(out, i);
    if (len == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
    i += len;
  }
  return out;
}

// ---- number text ------------------------------------------------------------------------------

std::string float_to_str(float v, int n) {
  if (!std::isfinite(v)) return non_finite_text(v, false);
  bool zero = false;
  std::string t = magnitude_text(v, n, zero);
  if (zero) return "0";
  return std::signbit(v) ? "-" + t : t;
}

std::string float_to_str3(float v) { return float_to_str(v, 3); }

std::string float_to_str_dot(float v, int n) {
  std::string t = float_to_str(v, n);
  if (std::isfinite(v) && t.find('.') == std::string::npos) t += '.';
  return t;
}

std::string float_to_str_signed(float v, int n) {
  if (!std::isfinite(v)) return non_finite_text(v, true);
  bool zero = false;
  std::string t = magnitude_text(v, n, zero);
  if (zero) return "0";
  return (std::signbit(v) ? "-" : "+") + t;
}

std::string float_to_str_fixed(float v, int w, int d) {
  if (d < 0) d = 0;
  if (d > 18) d = 18;
  int precision = w - 1;
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  std::string text;
  if (!std::isfinite(v)) {
    text = non_finite_text(v, false);
  } else {
    double mag = std::fabs(static_cast<double>(v));
    ExactDecimal ex = exact_decimal(mag);
    // Position of the decimal point relative to the first significant digit.
    int exponent = 0;
    std::size_t nz = ex.int_digits.find_first_not_of('0');
    if (nz != std::string::npos) {
      exponent = static_cast<int>(ex.int_digits.size() - nz);
    } else {
      std::size_t fz = ex.frac_digits.find_first_not_of('0');
      exponent = fz == std::string::npos ? 0 : -static_cast<int>(fz);
    }
    std::string body;
    if (exponent > precision) {
      // Too many integer digits for the precision: scientific notation ("1.2345679E10").
      std::string digits = ex.int_digits.substr(nz) + ex.frac_digits;
      std::string kept = digits.substr(0, static_cast<std::size_t>(precision));
      int e = exponent - 1;
      if (digits[static_cast<std::size_t>(precision)] >= '5') {
        std::size_t before = kept.size();
        increment_digits(kept);
        if (kept.size() > before) {
          kept.pop_back();
          ++e;
        }
      }
      std::size_t last = kept.find_last_not_of('0');
      std::string mant = kept.substr(0, 1);
      if (last != std::string::npos && last > 0) mant += "." + kept.substr(1, last);
      body = mant + "E" + std::to_string(e);
    } else {
      int decimals = std::min(d, precision - exponent);
      std::string ip, fp;
      round_magnitude(mag, decimals, ip, fp);
      bool zero = all_zero(ip, fp);
      fp.resize(static_cast<std::size_t>(d), '0');
      body = d > 0 ? ip + "." + fp : ip;
      if (zero) v = 0;  // never "-0.000"
    }
    text = (v < 0 ? "-" : "") + body;
  }
  // Right-aligned in a field of w + 1 characters; a longer text is kept whole.
  std::size_t field = w + 1 > 0 ? static_cast<std::size_t>(w + 1) : 0;
  if (text.size() < field) text.insert(0, field - text.size(), ' ');
  return text;
}

std::string word_to_bit_text(std::uint16_t v) {
  std::string s;
  s.reserve(20);
  for (int bit = 15; bit >= 0; --bit) {
    s += (v >> bit) & 1 ? '1' : 'o';
    if (bit % 4 == 0) s += ' ';
  }
  return s;
}

std::string bool_to_str(bool b) { return b ? "true" : "false"; }

// ---- numbers out of text ------------------------------------------------------------------------

std::string _numbers_for_routine(std::string_view pattern_in, std::string_view text) {
  // The pattern upper-cased, without blanks, "(" and ")", as characters (none of these can
  // be the trail byte of a double-byte character).
  std::string pat_clean = upper_sjis(pattern_in);
  std::erase_if(pat_clean, [](char c) { return c == ' ' || c == '(' || c == ')'; });
  // Each pattern character with its kind: '#', '%', '?', '\\' or 'L' (a literal).
  struct PatChar {
    std::string_view text;
    char kind;
  };
  std::vector<PatChar> pat;
  pat.reserve(pat_clean.size());
  for (std::string_view pc : split_chars(pat_clean)) {
    const char k = pc.size() == 1 && (pc[0] == '#' || pc[0] == '%' || pc[0] == '?' ||
                                      pc[0] == '\\')
                       ? pc[0]
                       : 'L';
    pat.push_back({pc, k});
  }
  if (pat.empty()) return std::string();

  enum State { Outside, AfterSign, InNumber, AfterAny, InWord };
  State state = Outside;
  std::size_t pi = 0;
  std::string acc;
  const std::size_t last = pat.size() - 1;

  // The text is read in place: upper-cased character by character, "(" and ")" left out.
  for (std::size_t ti = 0; ti < text.size();) {
    const std::size_t len = plat::sjis_char_len(text, ti);
    const bool single = len == 1;
    char c = text[ti];
    if (single && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const std::string_view ch = single ? std::string_view(&c, 1) : text.substr(ti, len);
    ti += len;
    if (single && (c == '(' || c == ')')) continue;
    const bool numeric = single && (is_digit(c) || c == '+' || c == '-' || c == '.');
    const bool blank = single && c == ' ';
    for (;;) {  // a character that ends a number is handled again at the next position
      if (pi > last) return std::string();  // the pattern held no placeholder at its end
      const char kind = pat[pi].kind;
      const bool placeholder = kind == '#' || kind == '%';
      const bool number_open = state == AfterSign || state == InNumber;
      if (placeholder && numeric) {
        if (is_digit(c)) {
          if (number_open) acc += c;
          else acc.assign(1, c);
          state = InNumber;
          break;
        }
        if (c == '+' || c == '-') {
          if (state == InNumber) return "err";
          acc.assign(1, c);
          state = AfterSign;
          break;
        }
        // c == '.'
        if (kind == '#') {
          if (state == InNumber) {
            // ends the number (handled below)
          } else if (state == AfterSign) {
            acc += c;
            break;
          } else {
            break;  // skipped outside a number
          }
        } else {
          if (number_open) acc += c;
          else acc.assign(1, c);
          state = InNumber;
          break;
        }
      }
      if (number_open) {
        // The number ends here.
        if (pi == last) return acc;
        acc.clear();
        state = Outside;
        ++pi;
        continue;
      }
      if (blank) {
        if (state == InWord) {
          if (pi == last) return acc;
          ++pi;
          acc.clear();
          state = Outside;
        }
        break;
      }
      if (kind == '\\') {
        if (state == InWord) acc += ch;
        else acc.assign(ch);
        state = InWord;
        break;
      }
      if (kind == '?') {
        if (state == AfterAny) acc += ch;
        else acc.assign(ch);
        state = AfterAny;
        if (pi == last) return acc;
        ++pi;
        break;
      }
      if (kind == 'L' && same_char(ch, pat[pi].text)) {
        ++pi;
        state = Outside;
        if (pi > last) return std::string();
        break;
      }
      // A mismatch (or a letter where a number was expected) starts the pattern again;
      // the character itself is not tested again.
      pi = 0;
      acc.clear();
      state = Outside;
      break;
    }
  }
  if (state == AfterSign || state == InNumber || state == AfterAny || state == InWord) return acc;
  return std::string();
}

bool is_integer_text(std::string_view text, bool show) {
  bool sign = false, digit = false, bad = false;
  for (char c : text) {
    if (c == '+' || c == '-') {
      if (sign || digit) bad = true;
      sign = true;
    } else if (is_digit(c)) {
      digit = true;
    } else {
      bad = true;
    }
  }
  if (!bad && !digit && text.size() == 1) return false;  // a lone sign
  if (!bad && digit) {
    // Within the 32-bit range.
    std::string_view digits = text;
    bool neg = false;
    if (digits.front() == '+' || digits.front() == '-') {
      neg = digits.front() == '-';
      digits.remove_prefix(1);
    }
    std::size_t nz = digits.find_first_not_of('0');
    digits = nz == std::string_view::npos ? std::string_view("0") : digits.substr(nz);
    long long value = 0;
    bool in_range = digits.size() <= 10;
    if (in_range) {
      std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (neg) value = -value;
      in_range = value >= std::numeric_limits<std::int32_t>::min() &&
                 value <= std::numeric_limits<std::int32_t>::max();
    }
    if (in_range) return true;
  }
  if (show) show_check_box(text, " は整数ではありません");
  return false;
}

bool is_real_text(std::string_view text, bool show) {
  bool sign = false, digit = false, dot = false, bad = false;
  for (char c : text) {
    if (c == '+' || c == '-') {
      if (sign || dot || digit) bad = true;
      sign = true;
    } else if (c == '.') {
      if (dot) bad = true;
      dot = true;
    } else if (is_digit(c)) {
      digit = true;
    } else {
      bad = true;
    }
  }
  if (!bad && digit) return true;
  if (!bad && sign && !dot && text.size() == 1) return false;  // a lone sign
  if (show) show_check_box(text, " は実数ではありません");
  return false;
}

std::string get_quoted_text(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size();) {
    std::size_t len = plat::sjis_char_len(text, i);
    char q = text[i];
    if (len == 1 && (q == '"' || q == '\'')) {
      for (std::size_t j = i + 1; j < text.size();) {
        std::size_t l2 = plat::sjis_char_len(text, j);
        if (l2 == 1 && text[j] == q) return std::string(text.substr(i + 1, j - i - 1));
        j += l2;
      }
      return std::string();
    }
    i += len;
  }
  return std::string();
}

std::string get_VLM_comment_body(std::string_view text) {
  if (text.size() < 6) return std::string();
  std::string out;
  for (std::size_t i = 5; i < text.size();) {
    std::size_t len = plat::sjis_char_len(text, i);
    if (len == 1 && (text[i] == ')' || text[i] == '/' || text[i] == ':')) break;
    out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

bool is_SJIS_lead_byte(std::uint8_t c) { return plat::is_sjis_lead(c); }

bool wildcard_match(std::string_view name, std::string_view mask) {
  // An unanchored search is a whole match of "*" + mask + "*": the leading star is where the
  // search starts over, the trailing one makes the end of the mask a match. Positions move
  // by whole characters, so a trail byte is never compared on its own; nothing is allocated.
  std::size_t ni = 0, mi = 0;
  std::size_t star_m = 0, star_n = 0;
  for (;;) {
    if (mi == mask.size()) return true;
    if (mask[mi] == '*') {
      star_m = ++mi;
      star_n = ni;
      continue;
    }
    if (ni == name.size()) return false;
    if (mi == star_m && mask[mi] != '?' && static_cast<unsigned char>(mask[mi]) < 0x80) {
      // Right after a star a one-byte literal: go straight to the next character equal to it.
      while (ni < name.size() && name[ni] != mask[mi]) ni += plat::sjis_char_len(name, ni);
      if (ni == name.size()) return false;
      star_n = ni;
    }
    const std::size_t ml = plat::sjis_char_len(mask, mi);
    const std::size_t nl = plat::sjis_char_len(name, ni);
    if ((ml == 1 && mask[mi] == '?') ||
        (ml == nl && mask[mi] == name[ni] && (ml == 1 || mask[mi + 1] == name[ni + 1]))) {
      mi += ml;
      ni += nl;
      continue;
    }
    // Mismatch: the last star takes one character more.
    star_n += plat::sjis_char_len(name, star_n);
    if (star_n > name.size()) return false;
    ni = star_n;
    mi = star_m;
  }
}

bool mask_include_exclude(std::string_view name, std::string_view include_mask,
                          std::string_view exclude_mask) {
  if (!exclude_mask.empty() && wildcard_match(name, exclude_mask)) return false;
  if (include_mask.empty()) return true;
  return wildcard_match(name, include_mask);
}

bool find_file_name(std::string& name, std::string_view ext, std::string* err) {
  namespace fs = std::filesystem;
  auto fail = [&]() {
    if (err) *err = "ERR: " + name + " が見つかりません。";
    return false;
  };
  if (name.empty()) return fail();
  // Refused characters; a "\" stands for the folder separator.
  std::string norm;
  std::size_t last_char = 0;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t len = plat::sjis_char_len(name, i);
    last_char = i;
    if (len == 1) {
      char c = name[i];
      if (c == '"' || c == '*' || c == ';' || c == '<' || c == '>' || c == '?' || c == '|')
        return fail();
      norm += c == '\\' ? '/' : c;
    } else {
      norm.append(name, i, len);
    }
    i += len;
  }
  if (plat::sjis_char_len(name, last_char) == 1 &&
      plat::is_sjis_lead(static_cast<unsigned char>(name[last_char])))
    return fail();

  std::size_t slash = norm.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : norm.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? norm : norm.substr(slash + 1);
  if (base.empty()) return fail();

  // Case-insensitive (ASCII letters) lookup of one file name in the folder.
  auto lookup = [&](const std::string& want, std::string& stored) {
    const auto hit = find_file_nocase(plat::cp932_to_utf8(folder), plat::cp932_to_utf8(want));
    std::error_code ec;
    if (!hit || !fs::is_regular_file(*hit, ec)) return false;
    stored = plat::utf8_to_cp932(hit->filename().string());
    return true;
  };

  std::string stored;
  bool found = lookup(base, stored);
  if (!found && !ext.empty() && base.find('.') == std::string::npos)
    found = lookup(base + "." + std::string(ext), stored);
  if (!found) return fail();
  name = folder + stored;
  return true;
}

// ---- angles and vectors -------------------------------------------------------------------------

float Sin_Z(float a) {
  float r = static_cast<float>(std::sin(static_cast<long double>(a)));
  return std::fabs(r) < kEps ? 0.0f : r;
}

float Cos_Z(float a) {
  float r = static_cast<float>(std::cos(static_cast<long double>(a)));
  return std::fabs(r) < kEps ? 0.0f : r;
}

float deg_to_rad(float deg) {
  return static_cast<float>(static_cast<long double>(deg) * (1.0L / 180.0L) * kPi);
}

float sin_deg(float deg) { return Sin_Z(deg_to_rad(deg)); }
float cos_deg(float deg) { return Cos_Z(deg_to_rad(deg)); }
float tan_deg(float deg) {
  float a = deg_to_rad(deg);
  return Sin_Z(a) / Cos_Z(a);
}

float Get_Angle_2D(float xf, float yf) {
  const long double x = xf, y = yf;
  long double r;
  if (std::fabs(yf) < kEps) {
    r = x < 0 ? kPi : 0;
  } else if (std::fabs(xf) < kEps) {
    r = y >= 0 ? kHalfPi : kThreeHalfPi;
  } else if (x > 0 && y > 0) {
    r = x > y ? std::atan(y / x) : kHalfPi - std::atan(x / y);
  } else if (x <= 0 && y > 0) {
    r = -x <= y ? kHalfPi + std::atan(-x / y) : kPi - std::atan(y / -x);
  } else if (x <= 0 && y <= 0) {
    r = -y < -x ? kPi + std::atan(y / x) : kThreeHalfPi - std::atan(x / y);
  } else {
    r = -y < x ? kTwoPi - std::atan(-y / x) : kThreeHalfPi + std::atan(x / -y);
  }
  float f = static_cast<float>(r);
  // A direction just below a full turn rounds up to (float)2pi; it is direction 0.
  if (f >= static_cast<float>(kTwoPi)) f = 0.0f;
  return f;
}

bool get_arc_min_max(bool ccw, const VEC3& start, const VEC3& centre, const VEC3& end,
                     float radius, float& xmax, float& xmin, float& ymax, float& ymin,
                     float& length) {
  const VEC3& p0 = ccw ? start : end;
  const VEC3& p1 = ccw ? end : start;
  const float a0 = Get_Angle_2D(p0.x - centre.x, p0.y - centre.y);
  const float a1 = Get_Angle_2D(p1.x - centre.x, p1.y - centre.y);
  long double sweep = static_cast<long double>(a1) - a0;
  if (sweep <= 0) sweep += kTwoPi;
  const long double r = std::fabs(static_cast<long double>(radius));
  length = static_cast<float>(r * sweep);

  // The end points give the bounds that every arc has.
  xmax = std::max(p0.x, p1.x);
  xmin = std::min(p0.x, p1.x);
  ymax = std::max(p0.y, p1.y);
  ymin = std::min(p0.y, p1.y);
  if (!std::isfinite(sweep) || !std::isfinite(static_cast<long double>(a0))) return false;

  const long double q0f = std::trunc(static_cast<long double>(a0) * 2 / kPi);
  const long double q1f = std::trunc((a0 + sweep) * 2 / kPi);
  if (q0f < 0 || q0f > 3 || q1f < q0f || q1f - q0f > 4) return false;
  const int q0 = static_cast<int>(q0f), q1 = static_cast<int>(q1f);
  const float rf = static_cast<float>(r);
  for (int k = q0 + 1; k <= q1; ++k) {
    switch (k % 4) {
      case 0: xmax = centre.x + rf; break;
      case 1: ymax = centre.y + rf; break;
      case 2: xmin = centre.x - rf; break;
      default: ymin = centre.y - rf; break;
    }
  }
  return true;
}

VEC3 rotate_point_2D(const VEC3& c, const VEC3& p, float a) {
  const long double s = Sin_Z(a), co = Cos_Z(a);
  const long double dx = static_cast<long double>(p.x) - c.x;
  const long double dy = static_cast<long double>(p.y) - c.y;
  VEC3 r;
  r.x = static_cast<float>(dx * co - dy * s + c.x);
  r.y = static_cast<float>(dx * s + dy * co + c.y);
  r.z = p.z;
  return r;
}

VEC3 mid_point_2D(const VEC3& a, const VEC3& b) {
  VEC3 r;
  r.x = static_cast<float>((static_cast<long double>(a.x) + b.x) * 0.5L);
  r.y = static_cast<float>((static_cast<long double>(a.y) + b.y) * 0.5L);
  r.z = 0;
  return r;
}

float SinCos_table[512];

void Preset_SinCos_table(float* table) {
  for (int i = 0; i < 256; ++i) {
    const float a = static_cast<float>(i * 0.0078125L * kPi);
    table[i] = Sin_Z(a);
    table[256 + i] = Cos_Z(a);
  }
}

namespace {
// The shared table is ready before any reader runs; filling it again changes nothing.
const bool g_table_ready = (Preset_SinCos_table(SinCos_table), true);
}  // namespace

// ---- colours --------------------------------------------------------------------------------------

namespace {
constexpr int kColourPermutation[16] = {5, 1, 0, 4, 8, 12, 9, 13, 14, 10, 6, 2, 3, 7, 11, 15};
constexpr std::uint8_t kColourLevel[4] = {0, 128, 192, 255};

void colour_channels(int code, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  const int c = kColourPermutation[code & 15] + (code & 48);
  r = kColourLevel[(c >> 4) & 3];
  g = kColourLevel[c & 3];
  b = kColourLevel[(c >> 2) & 3];
}
}  // namespace

std::uint32_t color_code_to_TColor(int code) {
  std::uint8_t r, g, b;
  colour_channels(code, r, g, b);
  return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
         (static_cast<std::uint32_t>(b) << 16);
}

void color_code_to_RGBA(int code, std::uint8_t alpha, std::uint8_t out[4]) {
  colour_channels(code, out[0], out[1], out[2]);
  out[3] = alpha;
}

// ---- checked conversions ------------------------------------------------------------------------

std::int64_t float_to_int64(double v, std::int64_t fallback) {
  if (std::isnan(v)) return fallback;
  constexpr double lo = -9223372036854775808.0;  // -2^63, exact
  constexpr double hi = 9223372036854775808.0;   //  2^63, exact
  if (v <= lo) return std::numeric_limits<std::int64_t>::min();
  if (v >= hi) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(v);
}

int float_to_int(double v, int fallback) {
  if (std::isnan(v)) return fallback;
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

int float_round_to_int(double v, int fallback) {
  if (std::isnan(v)) return fallback;
  return float_to_int(std::round(v), fallback);
}
