#include "mainwin/core/copy_outs.h"

#include <array>
#include <bitset>
#include <cmath>
#include <cstdio>

#include "common/ats_func.h"
#include "ncdata/ncd_rewrite.h"
#include "ncdata/ncd_run.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {

constexpr int kEscapeBlocks = 1000;         // Escape is looked at every this many blocks
constexpr std::size_t kProgressLines = 50000;
const char* const kStopped = "( 中断しました )";

std::string fmt_int(const char* f, long long v) {
  const int n = std::snprintf(nullptr, 0, f, v);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  std::snprintf(out.data(), out.size() + 1, f, v);
  return out;
}

// The G codes of a line by value, as the tokenizer reads them: G2, G02 and G2.5 alike (a
// code is the integer part of its number), and only up to where the tokenizer stops reading
// the line (an unknown character, or ";"); comments are skipped.
std::bitset<100> line_G_codes(std::string_view s) {
  std::bitset<100> g;
  auto digit = [&](std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; };
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == ' ' || c == '%' || c == '/') {
      ++i;
      continue;
    }
    if (c == '(') {
      const std::size_t e = s.find(')', i);
      if (e == std::string_view::npos) break;
      i = e + 1;
      continue;
    }
    if (c < 'A' || c > 'Z') break;  // the end mark, or a character the tokenizer stops at
    ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    int v = 0, n = 0;
    for (; digit(i); ++i, ++n)
      if (v < 1000) v = v * 10 + (s[i] - '0');
    if (i < s.size() && s[i] == '.')
      for (++i; digit(i); ++i) ++n;
    if (n == 0) break;  // a letter without a number is an error of the line
    if (c == 'G' && !neg && v < 100) g.set(static_cast<std::size_t>(v));
  }
  return g;
}

bool is_prog_end(const NCD_DATA& d, int line) {
  return (d.line(line).status & NCD_ST_END_FIELD) == NCD_ST_PROG_END &&
         (d.line(line).status & NCD_ST_ERROR) == 0;
}

// The state of one copy-out run.
class Converter {
 public:
  Converter(NCD_DATA& d, const COPY_OUT_PARAMS& p, TText_lines& out) : d_(d), p_(p), out_(out) {
    out_g91_ = p.mode != CO_G90;
    mirror_ = p.mode == CO_X_MIRROR || p.mode == CO_Y_MIRROR;
    turned_ = p.mode == CO_ROTATE || p.mode == CO_TURN_90 || p.mode == CO_TURN_180;
    transformed_ = p.mode != CO_G91 && p.mode != CO_G90;
    if (p.conv_unit == 2) {
      integer_ = true;
      const int u = p.word_unit >= 1 && p.word_unit <= 5 ? p.word_unit : 4;
      scale_ = std::pow(10.0, u - 1);
    }
    if (p.mode == CO_ROTATE) {
      cx_ = p.cx, cy_ = p.cy, angle_ = p.angle;
    } else if (p.mode == CO_TURN_90) {
      angle_ = 90;
    } else if (p.mode == CO_TURN_180) {
      angle_ = 180;
    }
    times_ = (p.mode == CO_ROTATE || p.mode == CO_MOVE) && p.times > 1 ? p.times : 1;
  }

  COPY_OUT_RESULT run();

 private:
  using Counts = std::array<long long, 3>;

  // The point transformed k times, as counts of the output's step.
  Counts counts_of(const NCD_POINT& q, int k) const {
    double x = q.x, y = q.y, z = q.z;
    transform(x, y, z, k, true);
    return {cnt(x), cnt(y), cnt(z)};
  }
  void transform(double& x, double& y, double& z, int k, bool point) const {
    switch (p_.mode) {
      case CO_MOVE:
        if (point) x += p_.dx * k, y += p_.dy * k, z += p_.dz * k;
        break;
      case CO_X_MIRROR: x = -x; break;
      case CO_Y_MIRROR: y = -y; break;
      case CO_ROTATE: case CO_TURN_90: case CO_TURN_180: {
        const double a = angle_ * k * (M_PI / 180.0);
        double c = std::cos(a), s = std::sin(a);
        if (angle_ == 90 || angle_ == 180) {  // exact quarter turns
          const int q = static_cast<int>(std::lround(angle_ * k / 90.0)) & 3;
          c = q == 0 ? 1 : q == 2 ? -1 : 0;
          s = q == 1 ? 1 : q == 3 ? -1 : 0;
        }
        const double ox = point ? cx_ : 0, oy = point ? cy_ : 0;
        const double rx = x - ox, ry = y - oy;
        x = ox + rx * c - ry * s;
        y = oy + rx * s + ry * c;
        break;
      }
      default: break;
    }
  }
  long long cnt(double v) const { return float_to_int64(std::round(v * scale_)); }
  // A count as the output writes it: "1.5", "100.", "-0.25" or "1500".
  void put_count(std::string& o, char letter, long long c) const {
    o += letter;
    if (integer_) {
      o += std::to_string(c);
      return;
    }
    if (c < 0) o += '-';
    const unsigned long long m = c < 0 ? 0ull - static_cast<unsigned long long>(c)
                                       : static_cast<unsigned long long>(c);
    o += std::to_string(m / 1000);
    o += '.';
    unsigned long long f = m % 1000;
    if (f) {
      char b[4] = {static_cast<char>('0' + f / 100), static_cast<char>('0' + f / 10 % 10),
                   static_cast<char>('0' + f % 10), 0};
      std::string t(b);
      while (!t.empty() && t.back() == '0') t.pop_back();
      o += t;
    }
  }
  void tag(std::string& o, const char* form, int line) const {
    char b[24];
    std::snprintf(b, sizeof b, form, line + 1);
    o += b;
  }
  // The distance code in front of the line's text, after a leading N word.
  static void insert_code(std::string& o, std::size_t at, const char* code) {
    std::size_t i = at;
    if (i < o.size() && o[i] == 'N') {
      ++i;
      while (i < o.size() && ((o[i] >= '0' && o[i] <= '9') || o[i] == '.')) ++i;
    }
    o.insert(i, code);
  }
  // A line that is not converted: its own text, with the distance code in force in front
  // unless it gives one (set apart from a number the line begins with).
  void copied_line(int line, const std::string& text) {
    std::string& o = out_.open_line();
    tag(o, "(*%5d*) ", line);
    const std::bitset<100> g = line_G_codes(text);
    if (!g[90] && !g[91]) {
      o += (d_.exec.saved_status & NCD_ST_G91) ? "G91" : "G90";
      const char c = text.empty() ? ' ' : text[0];
      if ((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') o += ' ';
    }
    o += text;
    out_.close_line();
    lead_ = true;
  }
  COPY_OUT_RESULT refuse(const std::string& msg, const char* caption = "エラー") {
    COPY_OUT_RESULT r;
    r.end = COPY_OUT_END::refused;
    r.message = msg;
    r.caption = caption;
    out_.add(kStopped);
    return r;
  }
  // `text` is the line with its sub-program words made comments, `kept` the same with
  // every other character as the store holds it.
  bool rewrite_line(int line, const std::string& text, const std::string& kept, int k,
                    COPY_OUT_RESULT& r);

  NCD_DATA& d_;
  const COPY_OUT_PARAMS& p_;
  TText_lines& out_;
  TNC_subprogram_rewriter sub_;
  bool out_g91_ = true, mirror_ = false, turned_ = false, integer_ = false;
  bool transformed_ = false;  // the copy's points are not the original's
  double scale_ = 1000;
  double cx_ = 0, cy_ = 0, angle_ = 0;
  int times_ = 1;
  Counts last_{};                   // the counts the output has reached
  std::array<bool, 3> known_{};     // axes whose position is known
  std::array<bool, 3> force_{};     // a G90 output writes the axis at its next word
  bool lead_ = true;                // the next line with coordinates leads with the code
  std::string head_, tail_;
};

bool Converter::rewrite_line(int line, const std::string& text, const std::string& kept, int k,
                             COPY_OUT_RESULT& r) {
  NCD_EXEC& e = d_.exec;
  const NCD_LINE rec = d_.line(line);
  const std::uint16_t lf = rec.flags;
  const std::bitset<100> g = line_G_codes(kept);
  const bool inc = (e.saved_status & NCD_ST_G91) != 0;
  const int motion = e.saved_status & NCD_ST_MOTION;
  const bool nosim = (lf & NCD_WF_NOSIM) != 0;
  const bool tool_change = (rec.status & NCD_ST_TOOL_CHANGE) != 0;
  NCD_LINE_WORDS w;
  get_NCD_line_words(d_, line, w);
  const std::array<bool, 3> named = {(lf & NCD_WF_X) != 0, (lf & NCD_WF_Y) != 0,
                                     (lf & NCD_WF_Z) != 0};
  const bool any_named = named[0] || named[1] || named[2];

  // Planes other than XY and the codes the copy cannot carry.
  const std::uint32_t plane = e.mode & NCD_PLANE_MASK;
  if (plane == NCD_PLANE_ZX || g[18]) {
    copied_line(line, kept);
    r = refuse("G18 ZX 平面を含むデータは変換できません");
    return false;
  }
  if (plane == NCD_PLANE_YZ || g[19]) {
    copied_line(line, kept);
    r = refuse("G19 YZ 平面を含むデータは変換できません");
    return false;
  }
  if (g[52]) {
    copied_line(line, kept);
    r = refuse("G52 (ローカル座標系) を含むデータは変換できません");
    return false;
  }
  if (g[92]) {
    if (p_.mode != CO_G91 && p_.mode != CO_G90) {
      copied_line(line, kept);
      r = refuse("G92 (座標系設定) を含むデータは移動・回転・ミラーの変換ができません");
      return false;
    }
    copied_line(line, kept);
    const Counts c = counts_of(e.cur, k);
    for (int a = 0; a < 3; ++a)
      if (named[a]) last_[a] = c[a], known_[a] = true, force_[a] = false;
    return true;
  }
  for (int ref = 27; ref <= 30; ++ref) {
    if (!g[ref]) continue;
    const bool zero = inc && (!named[0] || w.x == 0) && (!named[1] || w.y == 0) &&
                      (!named[2] || w.z == 0);
    if (!zero) {
      copied_line(line, kept);
      r = refuse(fmt_int("G%02lld の中間点が G91 の 0 ではないデータは変換できません", ref));
      return false;
    }
    copied_line(line, kept);
    for (int a = 0; a < 3; ++a)
      if (named[a]) known_[a] = false, force_[a] = true;
    return true;
  }
  if (g[53]) {
    copied_line(line, kept);
    for (int a = 0; a < 3; ++a)
      if (named[a]) known_[a] = false, force_[a] = true;
    return true;
  }
  if (g[4] || g[10] || (lf & NCD_WF_G04)) {
    copied_line(line, kept);
    return true;
  }
  // A line the tokenizer could not read, a line it stopped reading at a character it does
  // not know, and codes the interpreter passes over with their words (G65 and such) go out
  // as the store holds them: none of them moves, and their words are not positions.
  if ((rec.status & NCD_ST_ERROR) || (nosim && !tool_change)) {
    copied_line(line, kept);
    return true;
  }

  const bool cycle = ncd_is_cycle(motion) && (lf & (NCD_WF_AXIS | NCD_WF_R)) && !nosim;
  // A block the interpreter refused makes no move, or only the part it made before the
  // refusal. In the G91 and G90 copies the copy stands where the original stands, in the
  // same modes, so the block is copied as it stands and is refused there as it was. The
  // other copies move the point: there the block's words are converted as the block names
  // them, from the point it starts at, and the copy is refused in the same way; the copy's
  // point stays where it was.
  const bool refused = (e.status & NCD_ST_ERROR) && e.status != NCD_ST_ERROR;
  if (refused && !transformed_) {
    copied_line(line, kept);
    last_ = counts_of(e.cur, k);
    return true;
  }
  const bool refused_in_place = refused && !cycle && e.cur.x == e.prev.x &&
                                e.cur.y == e.prev.y && e.cur.z == e.prev.z;
  NCD_POINT to = e.cur;  // the point the words go to
  if (refused_in_place) {
    const float* wv[3] = {&w.x, &w.y, &w.z};
    double* av[3] = {&to.x, &to.y, &to.z};
    const double* pv[3] = {&e.prev.x, &e.prev.y, &e.prev.z};
    for (int a = 0; a < 3; ++a)
      if (named[a]) *av[a] = inc ? *pv[a] + *wv[a] : *wv[a];
  }
  const Counts last_before = last_;
  const std::array<bool, 3> known_before = known_, force_before = force_;
  // A G91 cycle repeated by L steps L times: one converted increment cannot stand for it.
  if (cycle && inc && (named[0] || named[1]) && w.has(NCD_MB_L) && w.v(NCD_MB_L) > 1) {
    copied_line(line, kept);
    r = refuse("L で繰り返す G91 の固定サイクルを含むデータは変換できません");
    return false;
  }
  const bool positions = any_named && !nosim;
  // Which axes the line places absolutely, and what that leaves known.
  std::array<bool, 3> absolute{};
  bool was_unknown = false;
  for (int a = 0; a < 3; ++a) {
    const bool pos_axis = positions && named[a] && !(cycle && a == 2);
    if (!pos_axis) continue;
    if (!inc) {
      absolute[a] = true;
      if (!known_[a]) was_unknown = true;
    } else if (!out_g91_ && !known_[a]) {
      r = refuse("開始位置が分からないため G90 に変換できません ((VLM ORIGN ...) の指定がありません)");
      return false;
    }
  }
  if (cycle && inc && !out_g91_ && !known_[2]) {
    r = refuse("開始位置が分からないため G90 に変換できません ((VLM ORIGN ...) の指定がありません)");
    return false;
  }
  std::array<bool, 3> known_after = known_;
  for (int a = 0; a < 3; ++a)
    if (absolute[a]) known_after[a] = true;
  if (turned_ && positions && (named[0] || named[1]) && known_after[0] != known_after[1]) {
    r = refuse("X と Y の一方の位置が分からないため回転できません");
    return false;
  }
  known_ = known_after;

  const Counts c = counts_of(to, k);
  const bool as_g90 = !out_g91_ || (out_g91_ && was_unknown);
  std::string words;
  bool any_word = false;
  const std::uint16_t comp_field = e.flags & NCD_WF_COMP_FIELD;
  const bool comp_change = (lf & NCD_WF_COMP_FIELD) != 0 || w.has(NCD_MB_D) ||
                           comp_field == NCD_WF_G41 || comp_field == NCD_WF_G42;
  const bool force_z = named[2] && ((lf & NCD_WF_LEN_FIELD) == NCD_WF_G43 ||
                                    (lf & NCD_WF_LEN_FIELD) == NCD_WF_G44);
  const char letters[3] = {'X', 'Y', 'Z'};
  if (positions || cycle) {
    for (int a = 0; a < 3; ++a) {
      if (cycle && a == 2) continue;
      const bool changed = c[a] != last_[a];
      // Under compensation, and in a block that starts, ends or changes it, a word stays
      // even where the point does not change: a block without it is no move for the
      // compensation, which would then start later or turn its corners elsewhere.
      const bool must = (a == 2 && force_z) || (as_g90 && named[a] && force_[a]) ||
                        (as_g90 && absolute[a] && out_g91_) || (comp_change && named[a]);
      if (changed || must) {
        put_count(words, letters[a], as_g90 ? c[a] : c[a] - last_[a]);
        any_word = true;
      }
      if (named[a] || changed) force_[a] = false;
      last_[a] = c[a];
    }
  }
  if (cycle) {
    // X and Y are points; R and Z are levels of the block.
    if (!any_word && (named[0] || named[1])) {
      put_count(words, 'X', as_g90 ? c[0] : 0);
      any_word = true;
    }
    NCD_POINT ip(0, 0, e.cyc.init_z), rp(0, 0, e.cyc.r_z), bp(0, 0, e.cyc.bottom_z);
    const long long ci = counts_of(ip, k)[2], cr = counts_of(rp, k)[2], cb = counts_of(bp, k)[2];
    if (named[2]) {
      put_count(words, 'Z', as_g90 ? cb : cb - cr);
      any_word = true;
    }
    if (lf & NCD_WF_R) {
      put_count(words, 'R', as_g90 ? cr : cr - ci);
      any_word = true;
    }
    if ((lf & NCD_WF_IJK) && w.k != 0) words += fmt_int("K%lld", float_to_int64(w.k));
    last_[2] = c[2];
  } else if (ncd_is_arc(motion) && !nosim) {
    if (lf & NCD_WF_IJK) {
      double i = w.i, j = w.j, kk = w.k;
      transform(i, j, kk, k, false);
      const long long ci = cnt(i), cj = cnt(j), ck = cnt(kk);
      if (ci) put_count(words, 'I', ci);
      if (cj) put_count(words, 'J', cj);
      if (ck) put_count(words, 'K', ck);
      any_word = any_word || ci || cj || ck;
    }
    if (lf & NCD_WF_R) {
      put_count(words, 'R', cnt(w.r));
      any_word = true;
    }
  }
  if (tool_change) {
    // A tool change puts the tool back at the program's start point, untransformed, in the
    // copy as in the original: the next moves go from there.
    last_ = counts_of(e.cur, 0);
    const bool o = d_.comments.origin_given;
    known_ = {o, o, o};
    force_ = {true, true, true};
  }

  Swap_G2G3_G41G42(text, mirror_, head_, tail_);
  std::string& o = out_.open_line();
  tag(o, "( %5d ) ", line);
  const std::size_t at = o.size();
  o += head_;
  o += words;
  o += tail_;
  if (any_word && (lead_ || (as_g90 && out_g91_))) {
    insert_code(o, at, as_g90 ? "G90" : "G91");
    lead_ = as_g90 && out_g91_;  // back to G91 at the next line
  }
  out_.close_line();
  if (tool_change) lead_ = true;
  if (refused_in_place) {
    last_ = last_before;
    known_ = known_before;
    force_ = force_before;
  }
  return true;
}

COPY_OUT_RESULT Converter::run() {
  COPY_OUT_RESULT r;
  NCD_DATA& d = d_;
  std::string raw, text, kept;
  sub_.Convert_O_M98_to_comment("", true, text);
  const bool origin = d.comments.origin_given;
  known_ = {origin, origin, origin};
  force_ = {true, true, true};
  std::size_t next_progress = kProgressLines;
  long long blocks = 0;
  for (int k = 1; k <= times_; ++k) {
    Reset_NCD_exec(d);
    d.run.st = NCD_RUN_STATE{};
    if (k == 1) {
      // The copy starts where the program starts; its first moves lead into the converted
      // path.
      last_ = counts_of(d.exec.cur, 0);
    } else if (origin) {
      // Each later copy starts from its own start point.
      const Counts c = counts_of(d.exec.cur, k);
      std::string& o = out_.open_line();
      tag(o, "(+%5d+) G90G00", d.pos.start_line);
      put_count(o, 'X', c[0]);
      put_count(o, 'Y', c[1]);
      out_.close_line();
      last_[0] = c[0], last_[1] = c[1];
      lead_ = true;
    }
    for (;;) {
      const int before = d.pos.block_count;
      const bool ended = exec_NCD_block(d, false);
      if (d.pos.block_count == before) break;  // nothing left to run
      const int line = d.pos.cur_line;
      const bool end_block = is_prog_end(d, line);
      if (end_block && k < times_) break;
      get_NCD_line_text(d, line, raw);
      if (p_.mode != CO_SUBPRO) {
        TNC_subprogram_rewriter same = sub_;  // decides the O words as for `text`
        same.Convert_O_M98_to_comment(raw, false, kept, true);
      }
      sub_.Convert_O_M98_to_comment(raw, false, text);
      if (p_.mode == CO_SUBPRO) {
        std::string& o = out_.open_line();
        tag(o, "( %5d ) ", line);
        o += text;
        out_.close_line();
      } else if (!rewrite_line(line, text, kept, k, r)) {
        return r;
      }
      if (out_.size() >= next_progress) {
        if (p_.progress) p_.progress(out_.size());
        next_progress += kProgressLines;
      }
      if (++blocks % kEscapeBlocks == 0 && plat::escape_pressed()) {
        out_.add(kStopped);
        r.end = COPY_OUT_END::stopped;
        r.message = "中断しました";
        r.caption = "STOP";
        return r;
      }
      if (end_block || ended) break;
    }
  }
  return r;
}

}  // namespace

int copy_out_mode_of_tag(int tag) {
  if (tag == 20) return CO_SUBPRO;
  if (tag >= 33 && tag <= 40) return tag;
  return -1;
}

std::string copy_out_caption(int mode) {
  switch (mode) {
    case CO_SUBPRO: return "サブプロ展開 ";
    case CO_G91: return "G91 に変更 ";
    case CO_G90: return "G90 に変更 ";
    case CO_ROTATE: return "回転 ";
    case CO_MOVE: return "移動 ";
    case CO_X_MIRROR: return "Xcode ミラー ";
    case CO_Y_MIRROR: return "Ycode ミラー ";
    case CO_TURN_90: return "(0,0)中心で +90度回転 ";
    case CO_TURN_180: return "(0,0)中心で +180度回転 ";
    default: return {};
  }
}

std::string copy_out_dialog_label(int mode) {
  switch (mode) {
    case CO_G91: return "G91 に変換する";
    case CO_G90: return "G90 に変換する";
    case CO_TURN_90: return "(0,0)中心で +90度回転";
    case CO_TURN_180: return "(0,0)中心で +180度回転";
    default: return {};
  }
}

COPY_OUT_RESULT convert_NCD_copy(NCD_DATA& d, const COPY_OUT_PARAMS& p, TText_lines& out) {
  Converter c(d, p, out);
  return c.run();
}

NCD_position_keeper::NCD_position_keeper(NCD_DATA& d)
    : d_(d), exec_(d.exec), pos_(d.pos), st_(d.run.st), th_(d.run.th), texts_(d.block_text) {}

NCD_position_keeper::~NCD_position_keeper() {
  d_.exec = exec_;
  d_.pos = pos_;
  d_.run.st = st_;
  d_.run.th = th_;
  d_.block_text = texts_;
}

// ---- per-tool cut-out and tool-check program ----------------------------------------------
namespace {

std::string pad4(const std::string& s) {
  std::string t = s;
  while (t.size() < 4) t += ' ';
  return t;
}

std::string trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

// "(" and ")" would end the comment early: they become "[" and "]".
std::string comment_safe(std::string_view name) {
  std::string s;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (is_SJIS_lead_byte(c) && i + 1 < name.size()) {
      s += name.substr(i, 2);
      ++i;
    } else {
      s += c == '(' ? '[' : c == ')' ? ']' : static_cast<char>(c);
    }
  }
  return s;
}

}  // namespace

void tool_use_DH_codes(NCD_DATA& d, const NCD_TOOL_STAT& rec, std::string& D, std::string& H) {
  D.clear();
  H.clear();
  Goto_NCD_step(d, rec.first_block + 1, false);
  NCD_LINE_WORDS w;
  char b[24];
  for (;;) {
    const int before = d.pos.block_count;
    const bool ended = exec_NCD_block(d, false);
    if (d.pos.block_count == before || d.pos.block_count > rec.last_block) break;
    const int line = d.pos.cur_line;
    if (get_NCD_line_words(d, line, w)) {
      if (w.has(NCD_MB_D)) std::snprintf(b, sizeof b, "D%.2d", w.v(NCD_MB_D)), D = b;
      if (w.has(NCD_MB_H)) std::snprintf(b, sizeof b, "H%.2d", w.v(NCD_MB_H)), H = b;
    }
    if (ended || is_prog_end(d, line) || d.pos.block_count >= rec.last_block) break;
  }
}

bool list_TOOL_segments(NCD_DATA& d, TText_lines& out, int r, const std::string& name,
                        int new_H, int new_D, int new_T) {
  if (d.line_count <= 0 || r < 0 || r >= static_cast<int>(d.run.stats.size())) return false;
  plat::BusyGuard busy;
  if (!busy.acquired()) return false;
  NCD_position_keeper keep(d);
  const NCD_TOOL_STAT rec = d.run.stats[static_cast<std::size_t>(r)];
  std::string D, H;
  tool_use_DH_codes(d, rec, D, H);

  out.add("(****************)");
  char b[64];
  std::snprintf(b, sizeof b, "( %2d : T%.2d ", r, rec.tool);
  std::string title = b + pad4(D) + pad4(H);
  const bool renew = new_T >= 0 || new_D >= 0 || new_H >= 0;
  std::string nd, nh;
  if (renew) {
    std::snprintf(b, sizeof b, " → T%.2d", new_T >= 0 ? new_T : rec.tool);
    title += b;
    if (new_D >= 0) {
      std::snprintf(b, sizeof b, "%.2d", new_D);
      nd = b;
      title += " D" + nd;
    } else if (!D.empty()) {
      title += " " + D;
    }
    if (new_H >= 0) {
      std::snprintf(b, sizeof b, "%.2d", new_H);
      nh = b;
      title += " H" + nh;
    } else if (!H.empty()) {
      title += " " + H;
    }
    title += " ";
  }
  if (!name.empty()) title += ": \"" + comment_safe(name) + "\"";
  title += ")";
  out.add(title);
  std::snprintf(b, sizeof b, "( START ) T%.2d ", new_T >= 0 ? new_T : rec.tool);
  out.add(b);

  // The record's first block is the 0-based index of its tool change: the seek stops
  // right before it.
  Goto_NCD_step(d, rec.first_block + 1, false);
  std::string raw, text;
  long long blocks = 0;
  for (;;) {
    const int before = d.pos.block_count;
    const bool ended = exec_NCD_block(d, false);
    if (d.pos.block_count == before || ended || d.pos.block_count > rec.last_block) break;
    const int line = d.pos.cur_line;
    get_NCD_line_text(d, line, raw);
    Convert_OTDHM_to_comment(raw, nd, nh, text);
    std::string& o = out.open_line();
    std::snprintf(b, sizeof b, "( %5d ) ", line + 1);
    o += b;
    o += text;
    out.close_line();
    if (is_prog_end(d, line) || d.pos.block_count >= rec.last_block) break;
    if (++blocks % kEscapeBlocks == 0 && plat::escape_pressed()) {
      out.add(kStopped);
      break;
    }
  }
  std::snprintf(b, sizeof b, "( ENDED : T= %d )", rec.tool);
  out.add(b);
  return true;
}

void make_TOOL_check_NCD(NCD_DATA& d, const TTOOL_HOLDER_tmp& m, TText_lines& out,
                         const TTOOL_CHECK_PARAMS& p) {
  const struct {
    const std::string& text;
    const char* letter;
  } checks[] = {{p.x, "X"}, {p.y, "Y"}, {p.z, "Z"}, {p.f, "F"}};
  for (const auto& c : checks) {
    if (!is_real_text(c.text, false)) {
      out.add("");
      out.add(std::string("ERR : ") + c.letter + " の " + c.text + " は実数ではありません。");
      return;
    }
  }
  const NCD_FILE_COMMENTS& fc = d.comments;
  if (!fc.origin_given) {
    for (const char* l : {"", "ERR : この NC-DATA には ", "", "      (VLM ORIGN X0Y0Z100.) の形での",
                          "", "      開始位置の指定がありません。"})
      out.add(l);
    return;
  }
  plat::BusyGuard busy;
  NCD_position_keeper keep(d);
  auto num = [](double v) { return float_to_str_dot(static_cast<float>(v), 3); };
  const double x = std::strtod(p.x.c_str(), nullptr), y = std::strtod(p.y.c_str(), nullptr);
  const double z = std::strtod(p.z.c_str(), nullptr);
  const VEC3 o0 = fc.origin;
  out.add("%");
  if (!p.o_num.empty()) out.add("O" + p.o_num);
  out.add("/" + fc.origin_comment);
  if (fc.source_given) out.add("/" + fc.source_comment);
  if (fc.output_given) out.add("/" + fc.output_comment);
  const std::string f = trimmed(p.f);
  char b[96];
  for (std::size_t i = 1; i < d.run.stats.size(); ++i) {
    const NCD_TOOL_STAT rec = d.run.stats[i];
    std::string D, H;
    tool_use_DH_codes(d, rec, D, H);
    std::string name;
    int kind = 0;
    double r = 0;
    for (int s = 0; s < m.used(); ++s) {
      const TTTOOL_HOLDER_tmp& slot = m.slot[static_cast<std::size_t>(s)];
      if (slot.T_number != rec.tool) continue;
      name = comment_safe(slot.tool.name);
      kind = slot.tool.T_category;
      r = slot.tool.ref_dia * 0.5;
      break;
    }
    std::snprintf(b, sizeof b, "( %2d : T%.2d ", static_cast<int>(i), rec.tool);
    std::string title = b + pad4(D) + pad4(H);
    title += p.no_name ? ")" : ": \"" + name + "\")";
    out.add("/(****************)");
    out.add("M00 " + title);
    if (H.empty()) continue;
    out.add("/" + p.pre_m6);
    std::snprintf(b, sizeof b, "/T%.2d ", rec.tool);
    out.add(b + p.m6);
    out.add("/" + p.init + " X" + num(o0.x) + "Y" + num(o0.y) + "Z" + num(o0.z));
    out.add("/G90G00 X" + num(x) + " Y" + num(y));
    out.add("/G90G00G43 Z" + num(z) + " " + H);
    if (kind > 0 && std::fabs(r) > 0.02) {
      if (!D.empty()) {
        out.add("/G90G01G41 X" + num(x + 2 * r) + " J1 " + D + "F" + f);
        out.add("/G90G03    I" + num(-2 * r));
        out.add("/G90G01G40 X" + num(x));
      } else {
        out.add("/G90G00 X" + num(x - r));
      }
    }
    out.add("/G90G00 Z" + num(o0.z));
    out.add("/G90G00 X" + num(o0.x) + "Y" + num(o0.y));
  }
  out.add("M30");
  out.add("%");
}
