// The line tokenizer: one stored NC line becomes its status word, word flags and word data.
// It also reads the program's own control comments "(VLM ...".
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_exec_detail.h"
#include "platform/core/system.h"

namespace {

constexpr std::uint16_t ERR_NOT_NC = 0x9001;
constexpr std::uint16_t ERR_NO_NUMBER = 0x9002;
constexpr std::uint16_t ERR_SIGN = 0x9003;
constexpr std::uint16_t ERR_POINT = 0x9004;
constexpr std::uint16_t ERR_COMMENT = 0x9005;
constexpr std::uint16_t ERR_UNSUPPORTED = 0x9006;
constexpr std::uint16_t ERR_NEG_F = 0x9007;

constexpr std::uint64_t P10U[] = {1ULL,
                                  10ULL,
                                  100ULL,
                                  1000ULL,
                                  10000ULL,
                                  100000ULL,
                                  1000000ULL,
                                  10000000ULL,
                                  100000000ULL,
                                  1000000000ULL,
                                  10000000000ULL,
                                  100000000000ULL,
                                  1000000000000ULL,
                                  10000000000000ULL,
                                  100000000000000ULL,
                                  1000000000000000ULL,
                                  10000000000000000ULL,
                                  100000000000000000ULL,
                                  1000000000000000000ULL};
constexpr double INV_P10D[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
constexpr double P10D[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                           1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17,
                           1e18, 1e19, 1e20, 1e21, 1e22};

// The number after an address letter.
struct Num {
  std::uint64_t mant = 0;  // significant digits (at most 17)
  int exp10 = 0;           // digits dropped before the point minus digits kept after it
  bool neg = false;
  bool point = false;
  int chars = 0;           // length of the number text
};

constexpr std::uint64_t MANT_LIMIT = 10000000000000000ULL;

// Reads the number at s[pos]: an optional sign, digits and at most one point, with at least
// one digit. On success pos is after it; on an error pos is the error position and the code
// is returned.
inline std::uint16_t read_number(const std::uint8_t* s, int len, int& pos, Num& n) {
  int p = pos;
  if (p < len && (s[p] == '+' || s[p] == '-')) {
    n.neg = s[p] == '-';
    ++p;
  }
  std::uint64_t m = 0;
  int e = 0;
  const int int_start = p;
  for (unsigned dg; p < len && (dg = static_cast<unsigned>(s[p]) - '0') <= 9; ++p) {
    if (m < MANT_LIMIT) m = m * 10 + dg;
    else ++e;
  }
  int digits = p - int_start;
  if (p < len && s[p] == '.') {
    n.point = true;
    const int frac_start = ++p;
    for (unsigned dg; p < len && (dg = static_cast<unsigned>(s[p]) - '0') <= 9; ++p) {
      if (m < MANT_LIMIT) {
        m = m * 10 + dg;
        --e;
      }
    }
    digits += p - frac_start;
    if (p < len && s[p] == '.') {
      pos = p;
      return ERR_POINT;
    }
  }
  if (p < len && (s[p] == '+' || s[p] == '-')) {
    pos = p;
    return ERR_SIGN;
  }
  if (digits == 0) {
    pos = p;
    return ERR_NO_NUMBER;
  }
  n.mant = m;
  n.exp10 = e;
  n.chars = p - pos;
  pos = p;
  return 0;
}

// Value of a real address; `shift` decimals when written without a point. False when the
// value does not fit a float.
inline bool real_value(const Num& n, int shift, float& v) {
  const int e = n.exp10 - (n.point ? 0 : shift);
  if (n.mant < (1u << 24) && e <= 0 && e >= -7) {
    // Correctly rounded: below 2^24 with at most 7 decimals no decimal lies closer to a
    // halfway point between floats than the error of the double product.
    v = static_cast<float>(static_cast<double>(static_cast<std::int32_t>(n.mant)) * INV_P10D[-e]);
  } else {
    double x = static_cast<double>(n.mant);
    if (e >= -22 && e <= 22) {
      x = e < 0 ? x / P10D[-e] : x * P10D[e];
    } else {
      x *= std::pow(10.0, e);
    }
    if (!(std::fabs(x) <= std::numeric_limits<float>::max())) return false;
    v = static_cast<float>(x);
  }
  if (n.neg) v = -v;
  return true;
}

// Value of an integer address, truncated toward zero. False outside the 32-bit range.
inline bool int_value(const Num& n, std::int32_t& v) {
  if (n.exp10 > 0) return false;
  const std::uint64_t ip = n.exp10 == 0 ? n.mant : (n.exp10 < -18 ? 0 : n.mant / P10U[-n.exp10]);
  if (ip > (n.neg ? 0x80000000ULL : 0x7FFFFFFFULL)) return false;
  v = n.neg ? static_cast<std::int32_t>(-static_cast<std::int64_t>(ip)) : static_cast<std::int32_t>(ip);
  return true;
}

std::uint32_t float_bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// A number text of _numbers_for_routine ("", "err" and malformed texts give false).
bool text_to_int(std::string_view t, std::int32_t& v) {
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const char* e = t.data() + t.size();
  auto r = std::from_chars(t.data(), e, v);
  return r.ec == std::errc() && r.ptr == e;
}
bool text_to_float(std::string_view t, float& v) {
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const char* e = t.data() + t.size();
  auto r = std::from_chars(t.data(), e, v);
  return r.ec == std::errc() && r.ptr == e && std::isfinite(v);
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// What the tokenizer has read of a line so far: its status word, word flags, the axis and
// arc words, the other words and an error code with its position.
struct LineWords {
  std::uint16_t st = 0, wf = 0, err = 0;
  NCD_OTHER_WORDS ow;
  float axis[7] = {0, 0, 0, 0, 0, 0, 0};  // X, Y, Z, R, I, J, K
  int mcount = 0;
  bool m98 = false;

  void set_int(int bit, std::int32_t v) {
    ow.vals[bit] = static_cast<std::uint32_t>(v);
    ow.mask |= static_cast<std::uint16_t>(1u << bit);
    wf |= NCD_WF_OTHER;
  }
  void set_real(int bit, float v) {
    ow.vals[bit] = float_bits(v);
    ow.mask |= static_cast<std::uint16_t>(1u << bit);
    wf |= NCD_WF_OTHER;
  }
  void motion(int g) { st = static_cast<std::uint16_t>((st & ~NCD_ST_MOTION) | g); }
  void set_mode(std::uint32_t keep, std::uint32_t v) {
    ow.mode = (ow.mode & keep) | v;
    ow.mask |= static_cast<std::uint16_t>(1u << NCD_MB_MODE);
    wf |= NCD_WF_OTHER;
  }
  void tool_change() {
    st |= NCD_ST_TOOL_CHANGE;
    wf |= NCD_WF_NOSIM | NCD_WF_OTHER;
  }
  // An error in the word ending at byte pos: the flags keep the position.
  void fail_at(std::uint16_t code, int pos) {
    err = code;
    wf = static_cast<std::uint16_t>(pos);
  }
};

// A G code; pos is the byte after its number.
inline void g_code(LineWords& w, std::int32_t g, int pos) {
  switch (g) {
    case 0: w.motion(NCD_MG_G00); break;
    case 1: w.motion(NCD_MG_G01); break;
    case 2: w.motion(NCD_MG_G02); break;
    case 3: w.motion(NCD_MG_G03); break;
    case 60: w.motion(NCD_MG_G60); break;
    case 31: w.motion(NCD_MG_G31); break;
    case 33: w.motion(NCD_MG_G33); break;
    case 73: w.motion(NCD_MG_G73); break;
    case 74: w.motion(NCD_MG_G74); break;
    case 76: w.motion(NCD_MG_G76); break;
    case 81: case 82: case 83: case 84: case 85: case 86: case 87: case 88: case 89:
      w.motion(NCD_MG_G81 + (g - 81));
      break;
    case 4: w.wf |= NCD_WF_G04 | NCD_WF_CODE; break;
    case 17: w.set_mode(~NCD_PLANE_MASK, NCD_PLANE_XY); break;
    case 18: w.set_mode(~NCD_PLANE_MASK, NCD_PLANE_ZX); break;
    case 19: w.set_mode(~NCD_PLANE_MASK, NCD_PLANE_YZ); break;
    case 54: case 55: case 56: case 57: case 58: case 59:
      w.set_mode(~NCD_WS_MASK, NCD_WS_G54 + static_cast<std::uint32_t>(g - 54));
      w.st |= NCD_ST_OFFSET_SET;
      break;
    case 92:  // names the current position, does not move: kept, not simulated
      w.set_mode(~NCD_WS_MASK, NCD_WS_G92);
      w.st |= NCD_ST_OFFSET_SET;
      w.wf |= NCD_WF_NOSIM;
      break;
    case 40: w.wf |= NCD_WF_G40 | NCD_WF_CODE; break;
    case 41: w.wf = static_cast<std::uint16_t>((w.wf & ~NCD_WF_COMP_FIELD) | NCD_WF_G41 | NCD_WF_CODE); break;
    case 42: w.wf = static_cast<std::uint16_t>((w.wf & ~NCD_WF_COMP_FIELD) | NCD_WF_G42 | NCD_WF_CODE); break;
    case 43:
      w.wf = static_cast<std::uint16_t>((w.wf & ~NCD_WF_LEN_FIELD) | NCD_WF_G43 | NCD_WF_CODE);
      w.st |= NCD_ST_OFFSET_SET;
      break;
    case 44:
      w.wf = static_cast<std::uint16_t>((w.wf & ~NCD_WF_LEN_FIELD) | NCD_WF_G44 | NCD_WF_CODE);
      w.st |= NCD_ST_OFFSET_SET;
      break;
    case 49: w.wf |= NCD_WF_G49; break;
    case 80: w.wf |= NCD_WF_G80; break;
    case 90: w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_G91) | NCD_ST_G90); break;
    case 91: w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_G90) | NCD_ST_G91); break;
    case 98: w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_G99) | NCD_ST_G98); break;
    case 99: w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_G98) | NCD_ST_G99); break;
    case 16: case 68: w.fail_at(ERR_UNSUPPORTED, pos); break;
    case 10: case 11: case 20: case 21: case 22: case 23: case 27: case 28: case 29:
    case 30: case 39: case 51: case 52: case 53: case 65: case 66: case 67:
      w.wf |= NCD_WF_NOSIM | NCD_WF_CODE;
      break;
    default: w.wf |= NCD_WF_CODE; break;
  }
}

// An M code; with change_tool_by_T the T word, not M06, changes the tool.
inline void m_code(LineWords& w, std::int32_t m, bool change_tool_by_T) {
  w.wf |= NCD_WF_CODE;
  switch (m) {
    case 2: case 30:
      w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_END_FIELD) | NCD_ST_PROG_END);
      break;
    case 98:
      w.st = static_cast<std::uint16_t>((w.st & ~NCD_ST_END_FIELD) | NCD_ST_CALL);
      w.m98 = true;
      break;
    case 99: w.st |= NCD_ST_RETURN; break;
    case 6:
      if (!change_tool_by_T) {
        w.st |= NCD_ST_TOOL_CHANGE;
        w.wf |= NCD_WF_NOSIM;
      }
      break;
    case 3: case 4: case 5: case 7: case 8: case 9:
      if (w.mcount < 3) w.ow.m[w.mcount++] = m;
      w.wf |= NCD_WF_OTHER;
      break;
    default: break;
  }
}

// The word of address c whose number starts at s[pos]; pos goes past it. False when the
// word ends the line with an error.
inline bool address_word(const NCD_PARSE& ps, LineWords& w, std::uint8_t c,
                         const std::uint8_t* s, int len, int& pos) {
  Num num;
  if (const std::uint16_t e = read_number(s, len, pos, num)) {
    w.fail_at(e, pos);
    return false;
  }
  if (c == 'E' || c == 'U' || c == 'V' || c == 'W') return true;  // read for the syntax only
  const bool is_real = c == 'A' || c == 'B' || c == 'C' || c == 'F' || c == 'I' || c == 'J' ||
                       c == 'K' || c == 'Q' || c == 'R' || c == 'X' || c == 'Y' || c == 'Z';
  float rv = 0;
  std::int32_t iv = 0;
  if (is_real ? !real_value(num, c == 'F' ? 0 : ps.word_unit - 1, rv) : !int_value(num, iv)) {
    w.fail_at(ERR_NO_NUMBER, pos);
    return false;
  }
  switch (c) {
    case 'X': w.axis[0] = rv; w.wf |= NCD_WF_X | NCD_WF_AXIS; break;
    case 'Y': w.axis[1] = rv; w.wf |= NCD_WF_Y | NCD_WF_AXIS; break;
    case 'Z': w.axis[2] = rv; w.wf |= NCD_WF_Z | NCD_WF_AXIS; break;
    case 'R': w.axis[3] = rv; w.wf |= NCD_WF_R | NCD_WF_ARC; break;
    case 'I': w.axis[4] = rv; w.wf |= NCD_WF_IJK | NCD_WF_ARC; break;
    case 'J': w.axis[5] = rv; w.wf |= NCD_WF_IJK | NCD_WF_ARC; break;
    case 'K': w.axis[6] = rv; w.wf |= NCD_WF_IJK | NCD_WF_ARC; break;
    case 'A': w.set_real(NCD_MB_A, rv); break;
    case 'B': w.set_real(NCD_MB_B, rv); break;
    case 'C': w.set_real(NCD_MB_C, rv); break;
    case 'Q': w.set_real(NCD_MB_Q, rv); break;
    case 'F':
      if (rv < 0) {
        w.fail_at(ERR_NEG_F, pos);
        return false;
      }
      w.set_real(NCD_MB_F, num.chars == 1 ? -rv : rv);
      break;
    case 'D': w.set_int(NCD_MB_D, iv); break;
    case 'H': w.set_int(NCD_MB_H, iv); break;
    case 'L': w.set_int(NCD_MB_L, iv); break;
    case 'N': w.set_int(NCD_MB_N, iv); break;
    case 'O': w.set_int(NCD_MB_O, iv); break;
    case 'P': w.set_int(NCD_MB_P, iv); break;
    case 'S': w.set_int(NCD_MB_S, iv); break;
    case 'T':
      w.set_int(NCD_MB_T, iv);
      if (ps.change_tool_by_T) w.tool_change();
      break;
    case 'G':
      g_code(w, iv, pos);
      if (w.err) return false;
      break;
    case 'M': m_code(w, iv, ps.change_tool_by_T); break;
    default: break;
  }
  return true;
}

// A quoted file name of a control comment, with the comment: kept unless it is empty.
void take_quoted(std::string_view cm, bool& given, std::string& name, std::string& comment) {
  std::string q = get_quoted_text(cm);
  if (q.empty()) return;
  given = true;
  name = std::move(q);
  comment.assign(cm);
}

// A control comment "(VLM ...)": a tool change, a colour, the file's source, origin or
// output. True when it ends the line.
bool control_comment(NCD_FILE_COMMENTS& fc, LineWords& w, std::string_view cm) {
  switch (cm[5]) {
    case 'C': {
      std::int32_t t;
      if (text_to_int(_numbers_for_routine("C#", cm.substr(5)), t)) {
        w.set_int(NCD_MB_T, t);
        w.tool_change();
      }
      return true;
    }
    case 'E': {
      std::int32_t col;
      if (text_to_int(_numbers_for_routine("E#", cm.substr(5)), col))
        w.st = static_cast<std::uint16_t>(NCD_ST_COLOUR + (col & 63));
      return true;
    }
    case 'S':
      if (starts_with(cm, "(VLM SOURCE"))
        take_quoted(cm, fc.source_given, fc.source_name, fc.source_comment);
      return true;
    case 'O':
      if (starts_with(cm, "(VLM ORIGN")) {
        const std::string_view tail = cm.substr(10);
        float x, y, z;
        if (text_to_float(_numbers_for_routine("X%", tail), x) &&
            text_to_float(_numbers_for_routine("Y%", tail), y) &&
            text_to_float(_numbers_for_routine("Z%", tail), z)) {
          fc.origin_given = true;
          fc.origin = VEC3{x, y, z};
          fc.origin_comment.assign(cm);
        }
        return true;
      }
      if (starts_with(cm, "(VLM OUTPUT")) {
        take_quoted(cm, fc.output_given, fc.output_name, fc.output_comment);
        return true;
      }
      return false;
    default: return false;
  }
}

// The comment that opens at text[pos]; pos goes past it. False when it ends the line: it
// is not closed (an error) or it is a control comment that does.
inline bool comment(NCD_FILE_COMMENTS& fc, LineWords& w, std::string_view text, int& pos) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const void* close = std::memchr(s + pos, ')', text.size() - static_cast<std::size_t>(pos));
  if (!close) {
    w.err = ERR_COMMENT;
    return false;
  }
  const int cl = static_cast<int>(static_cast<const std::uint8_t*>(close) - s);
  const std::string_view cm =
      text.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(cl - pos + 1));
  pos = cl + 1;
  if (cm.size() <= 6 || !starts_with(cm, "(VLM ")) return true;
  return !control_comment(fc, w, cm);
}

// The words of a line without errors, finished: a P of a subprogram call carries its
// repeat count (P30010 = L3 P10), the M codes are counted into the mask, and a colour line
// keeps no words.
inline void finish_words(LineWords& w) {
  NCD_OTHER_WORDS& ow = w.ow;
  if (w.m98 && !(ow.mask & (1u << NCD_MB_L))) {
    const auto p = static_cast<std::int32_t>(ow.vals[NCD_MB_P]);
    if ((ow.mask & (1u << NCD_MB_P)) && p > 9999 && p / 10000 <= 9999) {
      ow.vals[NCD_MB_L] = static_cast<std::uint32_t>(p / 10000);
      ow.vals[NCD_MB_P] = static_cast<std::uint32_t>(p % 10000);
      ow.mask |= 1u << NCD_MB_L;
    }
  }
  ow.mask |= static_cast<std::uint16_t>(w.mcount << NCD_MB_M_COUNT);
  if (w.st & NCD_ST_COLOUR) {
    w.wf = 0;
    ow.mask = 0;
  }
}

}  // namespace

float NCD_LINE_WORDS::f(int bit) const {
  float v;
  std::memcpy(&v, &other.vals[bit], 4);
  return v;
}

bool get_NCD_line_words(const NCD_DATA& d, int n, NCD_LINE_WORDS& out) {
  if (n < 0 || n >= d.line_count) {
    out = NCD_LINE_WORDS{};
    return false;
  }
  return ncd_exec_detail::line_words(d, d.line(n), out);
}

void Set_NCD_word_unit(NCD_DATA& d, int key) { d.parse.word_unit = (key >= 1 && key <= 5) ? key : 4; }

namespace {

// Appends the presence mask and the values of `w` to b at index `at`; the index after.
inline int put_other_words(std::uint32_t* b, int at, const NCD_OTHER_WORDS& w) {
  b[at++] = w.mask;
  for (int bit = 0; bit < NCD_MB_VALUES; ++bit)
    if (w.mask & (1u << bit)) b[at++] = w.vals[bit];
  const int mc = (w.mask >> NCD_MB_M_COUNT) & 3;
  for (int i = 0; i < mc; ++i) b[at++] = static_cast<std::uint32_t>(w.m[i]);
  if (w.mask & (1u << NCD_MB_MODE)) b[at++] = w.mode;
  return at;
}

// Words of the longest word-data entry: the header, 7 axis and arc words, the mask, 13
// values, 3 M codes and the mode.
constexpr int TOKEN_WORDS_MAX = 2 + 7 + 1 + NCD_MB_VALUES + 3 + 1;

// What tokenising one line gives.
struct LineTokens {
  std::uint16_t status = 0, flags = 0, mask = 0;
  std::uint16_t total = 0;  // words of the word-data entry, header included; 0 none
};

// Tokenises line n with the text `text`: its outputs, and its word-data entry written to
// b (room for TOKEN_WORDS_MAX words). Control comments go to fc. Reads nothing else of the
// record, so lines can be tokenised side by side.
LineTokens tokenise(const NCD_PARSE& ps, NCD_FILE_COMMENTS& fc, std::string_view text, int n,
                    std::uint32_t* b) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const int len = static_cast<int>(text.size());
  LineWords w;
  int pos = 0;
  while (pos < len) {
    const std::uint8_t c = s[pos];
    if (c == ' ' || c == '%' || c == '/') {
      ++pos;
      continue;
    }
    if (c >= 'A' && c <= 'Z') {
      ++pos;
      if (!address_word(ps, w, c, s, len, pos)) break;
      continue;
    }
    if (c == '(') {
      if (!comment(fc, w, text, pos)) break;
      continue;
    }
    // The end-of-block mark: the words before it make the block, the rest is not read.
    if (c == ';') break;
    // An unknown character.
    if (ps.undef_is_noerr) {
      w.wf |= NCD_WF_NOSIM;
    } else {
      w.err = ERR_NOT_NC;
    }
    break;
  }

  LineTokens t;
  if (w.err) {
    t.status = w.err;
    t.flags = w.wf;
    return t;
  }
  finish_words(w);
  t.status = w.st;
  t.flags = w.wf;
  t.mask = w.ow.mask;
  const int low = w.wf & 7;
  if (low == 0) return t;
  b[0] = static_cast<std::uint32_t>(n);
  int at = 2;
  if (low & 3) {
    const int k = (low & 2) ? 7 : 3;
    for (int i = 0; i < k; ++i) b[at++] = float_bits(w.axis[i]);
  }
  if (low & 4) at = put_other_words(b, at, w.ow);
  b[1] = static_cast<std::uint32_t>(at - 2);
  t.total = static_cast<std::uint16_t>(at);
  return t;
}

// The value of mask bit `bit` in a word-data entry (the bit is in the mask).
std::uint32_t entry_value(const std::uint32_t* b, std::uint16_t flags, std::uint16_t mask, int bit) {
  const int low = flags & 7;
  const int at = 2 + ((low & 3) ? ((low & 2) ? 7 : 3) : 0) + 1;
  const unsigned before = mask & ((1u << bit) - 1u) & ((1u << NCD_MB_VALUES) - 1u);
  return b[at + std::popcount(before)];
}

// Stores what tokenising line n gave, as the tokenizer does: the outputs, the record, the
// line tables and the word data (the entry at b, in the word buffer or elsewhere).
void store_tokens(NCD_DATA& d, int n, const LineTokens& t, const std::uint32_t* b) {
  NCD_PARSE& ps = d.parse;
  ps.status = t.status;
  ps.flags = t.flags;
  ps.mask = t.mask;
  NCD_LINE& rec = d.line(n);
  rec.status = t.status;
  rec.flags = t.flags;
  if (t.total == 0) return;
  constexpr unsigned ot = (1u << NCD_MB_O) | (1u << NCD_MB_T);
  if ((t.flags & NCD_WF_OTHER) && (t.mask & ot)) {
    const std::uint32_t o = (t.mask & (1u << NCD_MB_O)) ? entry_value(b, t.flags, t.mask, NCD_MB_O) : 0;
    const std::uint32_t tn = (t.mask & (1u << NCD_MB_T)) ? entry_value(b, t.flags, t.mask, NCD_MB_T) : 0;
    Register_NCD_OT_line(d, n, static_cast<std::int32_t>(o), static_cast<std::int32_t>(tn));
  }
  NCD_store_word_entry(d, n, t.total, b);
}

}  // namespace

int Set_NCD_word_data(NCD_DATA& d, int n, int at, const NCD_OTHER_WORDS& w) {
  at = put_other_words(d.parse.wbuf.data(), at, w);
  Register_NCD_OT_line(d, n, static_cast<std::int32_t>(w.vals[NCD_MB_O]),
                       static_cast<std::int32_t>(w.vals[NCD_MB_T]));
  return at;
}

void Parse_NCD_line(NCD_DATA& d, int n) {
  NCD_PARSE& ps = d.parse;
  ps.status = ps.flags = ps.mask = 0;
  if (n < 0 || n >= d.line_count) return;
  if (d.line(n).word != 0) Clear_NCD_word_data(d, n);  // tokenised once before
  const LineTokens t = tokenise(ps, d.comments, get_NCD_line_view(d, n), n, ps.wbuf.data());
  store_tokens(d, n, t, ps.wbuf.data());
}

// ---- many lines at once ------------------------------------------------------------------

namespace {

// Lines are tokenised in blocks by workers. This thread places each block's entries in line
// order from their sizes (the pages they go to, the line tables, the file comments); a
// worker then writes the block's records and copies its entries to their places.
constexpr int BLOCK_LINES = 2048;

// Room for a block's entries, taken without clearing it, its pages mapped in one go (page
// faults one by one cost more than the tokenising of the block).
class WordRoom {
 public:
  std::uint32_t* data() { return p_.get(); }
  const std::uint32_t* data() const { return p_.get(); }
  std::size_t size() const { return size_; }
  // At least n words, the first `keep` kept.
  void grow(std::size_t n, std::size_t keep) {
    if (n <= size_) return;
    std::unique_ptr<std::uint32_t[]> q(new std::uint32_t[n]);
    plat::prefault(q.get(), n * sizeof(std::uint32_t));
    if (keep > 0) std::memcpy(q.get(), p_.get(), keep * sizeof(std::uint32_t));
    p_ = std::move(q);
    size_ = n;
  }

 private:
  std::unique_ptr<std::uint32_t[]> p_;
  std::size_t size_ = 0;
};

struct TokenBlock {
  enum State { FREE, TOKENISING, READY, PLACED };
  std::vector<LineTokens> tokens;
  WordRoom words;                    // the entries one after the other
  // By line: the size of its entry once tokenised, the entry's handle once placed (0: not
  // stored).
  std::vector<std::uint32_t> place;
  std::vector<std::uint32_t> tables; // lines that enter the program or tool table
  NCD_FILE_COMMENTS comments;        // what the block's control comments set
  int first = 0, last = 0;
  long number = -1;                  // the block it holds
  State state = FREE;
};

void tokenise_block(const NCD_DATA& d, const NCD_PARSE& opts, TokenBlock& tb) {
  const int lines = tb.last - tb.first;
  tb.tokens.resize(static_cast<std::size_t>(lines));
  tb.place.resize(static_cast<std::size_t>(lines));
  tb.tables.clear();
  constexpr unsigned ot = (1u << NCD_MB_O) | (1u << NCD_MB_T);
  // Room for the longest entry after the last one, and for three words more: the store
  // copies four words at a time.
  constexpr std::size_t room = TOKEN_WORDS_MAX + 4;
  if (tb.words.size() < room) tb.words.grow(static_cast<std::size_t>(lines) * 8 + room, 0);
  tb.comments = NCD_FILE_COMMENTS{};
  std::size_t used = 0;
  for (int i = 0; i < lines; ++i) {
    if (tb.words.size() - used < room) tb.words.grow(tb.words.size() * 2, used);
    const int n = tb.first + i;
    const LineTokens t = tokenise(opts, tb.comments, get_NCD_line_view(d, n), n, tb.words.data() + used);
    tb.tokens[static_cast<std::size_t>(i)] = t;
    tb.place[static_cast<std::size_t>(i)] = t.total;
    if (t.total != 0 && (t.flags & NCD_WF_OTHER) && (t.mask & ot))
      tb.tables.push_back(static_cast<std::uint32_t>(i));
    used += t.total;
  }
}

// The last control comment of each kind wins, as line by line.
void merge_comments(NCD_DATA& d, TokenBlock& tb) {
  NCD_FILE_COMMENTS& fc = d.comments;
  NCD_FILE_COMMENTS& bc = tb.comments;
  if (bc.origin_given) {
    fc.origin_given = true;
    fc.origin = bc.origin;
    fc.origin_comment = std::move(bc.origin_comment);
  }
  if (bc.source_given) {
    fc.source_given = true;
    fc.source_name = std::move(bc.source_name);
    fc.source_comment = std::move(bc.source_comment);
  }
  if (bc.output_given) {
    fc.output_given = true;
    fc.output_name = std::move(bc.output_name);
    fc.output_comment = std::move(bc.output_comment);
  }
}

// Line by line, as Parse_NCD_line stores: for blocks whose lines hold older word data.
void store_block(NCD_DATA& d, TokenBlock& tb) {
  const std::uint32_t* w = tb.words.data();
  for (int n = tb.first; n < tb.last; ++n) {
    if (d.line(n).word != 0) Clear_NCD_word_data(d, n);
    const LineTokens& t = tb.tokens[static_cast<std::size_t>(n - tb.first)];
    store_tokens(d, n, t, w);
    w += t.total;
  }
  merge_comments(d, tb);
}

// What store_tokens does for the block's lines but their records and the copying of their
// entries, from the entries' sizes: the outputs, the line tables and the place of each
// entry. Pages that take entries are marked in touched.
void place_block(NCD_DATA& d, TokenBlock& tb, std::vector<char>& touched) {
  NCD_PARSE& ps = d.parse;
  const std::size_t lines = tb.place.size();
  std::uint32_t* place = tb.place.data();
  const std::uint32_t* b = tb.words.data();
  std::size_t table_at = 0;
  for (std::size_t i = 0; i < lines; ++i) {
    const std::uint32_t total = place[i];
    if (total == 0) continue;
    const int n = tb.first + static_cast<int>(i);
    if (table_at < tb.tables.size() && tb.tables[table_at] == i) {
      ++table_at;
      const LineTokens& t = tb.tokens[i];
      ps.mask = t.mask;  // which tables the line enters
      const std::uint32_t o = (t.mask & (1u << NCD_MB_O)) ? entry_value(b, t.flags, t.mask, NCD_MB_O) : 0;
      const std::uint32_t tn = (t.mask & (1u << NCD_MB_T)) ? entry_value(b, t.flags, t.mask, NCD_MB_T) : 0;
      Register_NCD_OT_line(d, n, static_cast<std::int32_t>(o), static_cast<std::int32_t>(tn));
    }
    std::uint32_t h = 0;
    if (NCD_place_word_entry(d, n, static_cast<int>(total), h))
      touched[static_cast<std::size_t>(ncd_handle_page(h))] = 1;
    place[i] = h;
    b += total;
  }
  // The outputs are the last line's.
  if (lines > 0) {
    const LineTokens& t = tb.tokens[lines - 1];
    ps.status = t.status;
    ps.flags = t.flags;
    ps.mask = t.mask;
  }
  merge_comments(d, tb);
}

// A placed block's records, and its entries copied to their places.
void copy_block(NCD_DATA& d, const TokenBlock& tb) {
  const std::uint32_t* src = tb.words.data();
  for (std::size_t i = 0; i < tb.tokens.size(); ++i) {
    const LineTokens& t = tb.tokens[i];
    NCD_LINE& rec = d.line(tb.first + static_cast<int>(i));
    rec.status = t.status;
    rec.flags = t.flags;
    if (t.total == 0) continue;
    const std::uint32_t h = tb.place[i];
    if (h != 0) {
      rec.word = h;
      std::memcpy(d.word_pages[ncd_handle_page(h)] + ncd_handle_offset(h), src,
                  sizeof(std::uint32_t) * t.total);
    }
    src += t.total;
  }
}

}  // namespace

void Parse_NCD_lines(NCD_DATA& d, int first, int last, int threads) {
  first = std::max(first, 0);
  last = std::min(last, d.line_count);
  if (first >= last) {
    d.parse.status = d.parse.flags = d.parse.mask = 0;
    return;
  }
  const long blocks = (last - first + BLOCK_LINES - 1) / BLOCK_LINES;
  if (threads <= 0) {
    static const int processors = static_cast<int>(std::thread::hardware_concurrency());
    // This thread places what the others tokenise: one worker fewer than processors.
    threads = last - first < NCD_PARSE_PARALLEL_MIN ? 1 : std::max(processors - 1, 1);
  }
  threads = static_cast<int>(std::clamp<long>(threads, 1, std::min<long>(blocks, 64)));
  if (threads <= 1) {
    // For a large program, as below: what the load freed goes back first, the unused ends
    // of the pages after.
    const bool large = last - first >= NCD_PARSE_PARALLEL_MIN;
    if (large) plat::release_free_memory();
    for (int n = first; n < last; ++n) Parse_NCD_line(d, n);
    if (large) Trim_NCD_pages(d);
    return;
  }
  // The workers tokenise blocks into a ring and copy the blocks this thread placed; they
  // read the options from a copy of their own: the stored outputs beside them change line
  // by line. What the load freed (the reading buffers) goes back first, so that the ring
  // adds to what the store holds by no more than its own size.
  plat::release_free_memory();
  const auto opts = std::make_unique<NCD_PARSE>(d.parse);
  const long ring_size = 2L * threads;
  std::vector<TokenBlock> ring(static_cast<std::size_t>(ring_size));
  // The blocks' room is taken here, so that the workers seldom allocate.
  for (TokenBlock& tb : ring) {
    tb.tokens.reserve(BLOCK_LINES);
    tb.words.grow(BLOCK_LINES * 8 + TOKEN_WORDS_MAX + 4, 0);
    tb.place.reserve(BLOCK_LINES);
  }
  // Entries placed but not yet copied leave their pages without the end mark: the marks
  // go on once no copy is pending.
  std::vector<char> touched(static_cast<std::size_t>(d.cap.page_slots), 0);
  auto end_pages = [&] {
    for (std::size_t p = 0; p < touched.size(); ++p)
      if (touched[p]) NCD_end_word_page(d, static_cast<int>(p));
    std::fill(touched.begin(), touched.end(), 0);
  };
  std::mutex mx;
  std::condition_variable cv;
  std::vector<long> to_copy;  // placed blocks waiting for a worker
  long next = 0, placed = 0, copied = 0;
  bool finished = false;
  auto slot = [&](long b) -> TokenBlock& { return ring[static_cast<std::size_t>(b % ring_size)]; };
  auto worker = [&] {
    for (;;) {
      long b = -1;
      bool copy = false;
      {
        std::unique_lock lk(mx);
        cv.wait(lk, [&] {
          return finished || !to_copy.empty() || (next < blocks && slot(next).state == TokenBlock::FREE);
        });
        if (!to_copy.empty()) {
          b = to_copy.back();
          to_copy.pop_back();
          copy = true;
        } else if (next < blocks && slot(next).state == TokenBlock::FREE) {
          b = next++;
          slot(b).state = TokenBlock::TOKENISING;
        } else {
          return;  // finished
        }
      }
      TokenBlock& tb = slot(b);
      if (copy) {
        copy_block(d, tb);
      } else {
        tb.number = b;
        tb.first = first + static_cast<int>(b * BLOCK_LINES);
        tb.last = static_cast<int>(std::min<long>(last, tb.first + static_cast<long>(BLOCK_LINES)));
        tokenise_block(d, *opts, tb);
      }
      {
        std::lock_guard lk(mx);
        if (copy) {
          tb.state = TokenBlock::FREE;
          ++copied;
        } else {
          tb.state = TokenBlock::READY;
        }
      }
      cv.notify_all();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads));
  for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (long b = 0; b < blocks; ++b) {
    TokenBlock& tb = slot(b);
    {
      std::unique_lock lk(mx);
      cv.wait(lk, [&] { return tb.state == TokenBlock::READY && tb.number == b; });
    }
    // Lines holding older word data are cleared first, which moves other entries of
    // their pages: the block is stored line by line, once every copy is done.
    bool older = false;
    for (int n = tb.first; n < tb.last && !older; ++n) older = d.line(n).word != 0;
    if (older) {
      {
        std::unique_lock lk(mx);
        cv.wait(lk, [&] { return copied == placed; });
      }
      end_pages();
      store_block(d, tb);
      {
        std::lock_guard lk(mx);
        tb.state = TokenBlock::FREE;
      }
    } else {
      place_block(d, tb, touched);
      std::lock_guard lk(mx);
      tb.state = TokenBlock::PLACED;
      to_copy.push_back(b);
      ++placed;
    }
    cv.notify_all();
  }
  {
    std::unique_lock lk(mx);
    cv.wait(lk, [&] { return copied == placed; });
    finished = true;
  }
  cv.notify_all();
  for (std::thread& t : pool) t.join();
  end_pages();
  ring.clear();
  ring.shrink_to_fit();
  plat::release_free_memory();
  Trim_NCD_pages(d);
}

void Parse_NCD_all_lines(NCD_DATA& d) {
  // Line by line, each old entry would be compacted out of its page: quadratic in a page.
  Clear_NCD_all_word_data(d);
  Parse_NCD_lines(d, 0, d.line_count);
}
