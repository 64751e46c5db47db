#include "tabulon/core/bregexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "platform/core/cp932.h"

namespace {

using Units = std::vector<std::uint16_t>;

constexpr std::size_t npos = static_cast<std::size_t>(-1);

// One code unit per character (or per byte in byte mode); pos[k] is the byte offset of
// unit k, pos[size] the length of the text.
void to_units(std::string_view s, bool byte_mode, Units& out, std::vector<std::size_t>* pos) {
  out.clear();
  out.reserve(s.size());
  if (pos) {
    pos->clear();
    pos->reserve(s.size() + 1);
  }
  for (std::size_t i = 0; i < s.size();) {
    if (pos) pos->push_back(i);
    const auto b = static_cast<unsigned char>(s[i]);
    if (!byte_mode && plat::sjis_char_len(s, i) == 2) {
      out.push_back(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(s[i + 1])));
      i += 2;
    } else {
      out.push_back(b);
      i += 1;
    }
  }
  if (pos) pos->push_back(s.size());
}

void append_bytes(std::string& out, const std::uint16_t* u, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) {
    if (u[k] > 0xFF) out += static_cast<char>(u[k] >> 8);
    out += static_cast<char>(u[k] & 0xFF);
  }
}

std::string bytes_of(const Units& u) {
  std::string s;
  append_bytes(s, u.data(), u.size());
  return s;
}

std::string engine_message(int code) {
  PCRE2_UCHAR16 buf[256];
  int n = pcre2_get_error_message(code, buf, 256);
  std::string s;
  for (int k = 0; k < n; ++k) s += buf[k] < 0x80 ? static_cast<char>(buf[k]) : '?';
  if (n < 0) s = "regular expression error " + std::to_string(code);
  return s;
}

bool is_delimiter(std::uint16_t c) {
  return c > 0x20 && c < 0x7F && c != '\\' && !(c >= '0' && c <= '9') &&
         !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z');
}

bool is_hex(std::uint16_t c, unsigned& v) {
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  else return false;
  return true;
}

// A \x escape at u[i] (the 'x'); returns its value and moves i behind it.
unsigned read_hex_escape(const Units& u, std::size_t& i) {
  ++i;
  unsigned v = 0, d = 0;
  if (i < u.size() && u[i] == '{') {
    std::size_t k = i + 1;
    while (k < u.size() && is_hex(u[k], d)) v = std::min(v * 16 + d, 0x10000u), ++k;
    if (k < u.size() && u[k] == '}') i = k + 1;
    return v;
  }
  for (int n = 0; n < 2 && i < u.size() && is_hex(u[i], d); ++n, ++i) v = v * 16 + d;
  return v;
}

// Names a byte >= 0x80 with a \x escape: such a pattern is meant for raw bytes.
bool names_high_bytes(const Units& pat) {
  for (std::size_t i = 0; i + 1 < pat.size(); ++i) {
    if (pat[i] != '\\') continue;
    if (pat[i + 1] == 'x') {
      std::size_t k = i + 1;
      unsigned v = read_hex_escape(pat, k);
      if (v >= 0x80 && v <= 0xFF) return true;
    }
    ++i;  // skip the escaped unit
  }
  return false;
}

struct Piece {
  enum Kind { Lit, Group, Pre, Post, Upper, Lower, End, OneUpper, OneLower } kind;
  std::uint32_t value;  // the unit of Lit, the number of Group
};

std::vector<Piece> parse_replacement(const Units& r) {
  std::vector<Piece> out;
  const std::size_t n = r.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint16_t c = r[i];
    if (c == '\\' && i + 1 < n) {
      const std::uint16_t d = r[i + 1];
      i += 2;
      switch (d) {
        case 't': out.push_back({Piece::Lit, '\t'}); break;
        case 'n': out.push_back({Piece::Lit, '\n'}); break;
        case 'r': out.push_back({Piece::Lit, '\r'}); break;
        case 'f': out.push_back({Piece::Lit, '\f'}); break;
        case 'a': out.push_back({Piece::Lit, '\a'}); break;
        case 'e': out.push_back({Piece::Lit, 0x1B}); break;
        case 'U': out.push_back({Piece::Upper, 0}); break;
        case 'L': out.push_back({Piece::Lower, 0}); break;
        case 'E': out.push_back({Piece::End, 0}); break;
        case 'u': out.push_back({Piece::OneUpper, 0}); break;
        case 'l': out.push_back({Piece::OneLower, 0}); break;
        case 'x': {
          std::size_t k = i - 1;
          unsigned v = read_hex_escape(r, k);
          i = k;
          out.push_back({Piece::Lit, std::min(v, 0xFFFFu)});
          break;
        }
        default:
          if (d >= '1' && d <= '9') out.push_back({Piece::Group, static_cast<std::uint32_t>(d - '0')});
          else out.push_back({Piece::Lit, d});
      }
      continue;
    }
    if (c == '$' && i + 1 < n) {
      const std::uint16_t d = r[i + 1];
      if (d >= '0' && d <= '9') {
        std::uint32_t g = 0;
        std::size_t k = i + 1;
        while (k < n && r[k] >= '0' && r[k] <= '9') g = std::min<std::uint32_t>(g * 10 + (r[k] - '0'), 100000), ++k;
        out.push_back({Piece::Group, g});
        i = k;
        continue;
      }
      if (d == '{') {
        std::uint32_t g = 0;
        std::size_t k = i + 2;
        while (k < n && r[k] >= '0' && r[k] <= '9') g = std::min<std::uint32_t>(g * 10 + (r[k] - '0'), 100000), ++k;
        if (k > i + 2 && k < n && r[k] == '}') {
          out.push_back({Piece::Group, g});
          i = k + 1;
          continue;
        }
      }
      if (d == '&') { out.push_back({Piece::Group, 0}); i += 2; continue; }
      if (d == '`') { out.push_back({Piece::Pre, 0}); i += 2; continue; }
      if (d == '\'') { out.push_back({Piece::Post, 0}); i += 2; continue; }
    }
    out.push_back({Piece::Lit, c});
    ++i;
  }
  return out;
}

}  // namespace

// The engine's memory of one object, counted: the compiled patterns, the contexts and,
// during a call, the match data with the frames of its backtracking.
struct TBRegExp::Engine {
  std::size_t held = 0, peak = 0;
  pcre2_general_context* gctx = nullptr;
  static void* take(PCRE2_SIZE n, void* data) {
    auto* e = static_cast<Engine*>(data);
    auto* p = static_cast<std::size_t*>(std::malloc(n + sizeof(std::max_align_t)));
    if (!p) return nullptr;
    *p = n;
    e->held += n;
    e->peak = std::max(e->peak, e->held);
    return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
  }
  static void give(void* q, void* data) {
    if (!q) return;
    auto* p = reinterpret_cast<std::size_t*>(static_cast<char*>(q) - sizeof(std::max_align_t));
    static_cast<Engine*>(data)->held -= *p;
    std::free(p);
  }
  Engine() { gctx = pcre2_general_context_create(take, give, this); }
  ~Engine() {
    if (gctx) pcre2_general_context_free(gctx);
  }
};

struct TBRegExp::Compiled {
  std::string command;
  bool subst = false, global = false, byte_mode = false;
  std::uint32_t groups = 0;
  std::vector<Piece> repl;
  pcre2_code* code = nullptr;
  pcre2_match_context* mctx = nullptr;
  // Only while a call runs: the engine keeps the frames of a match in its match data, up
  // to the heap limit, and a cache of commands holding them would hold that many times.
  pcre2_match_data* md = nullptr;
  void drop_match_data() {
    if (md) pcre2_match_data_free(md);
    md = nullptr;
  }
  ~Compiled() {
    drop_match_data();
    if (mctx) pcre2_match_context_free(mctx);
    if (code) pcre2_code_free(code);
  }
};

namespace {

std::unique_ptr<TBRegExp::Compiled> compile(std::string_view command, pcre2_general_context* gctx,
                                            const std::function<void(const std::string&)>& trace) {
  auto c = std::make_unique<TBRegExp::Compiled>();
  c->command.assign(command);
  Units u;
  to_units(command, false, u, nullptr);
  std::size_t i = 0;
  while (i < u.size() && (u[i] == ' ' || u[i] == '\t')) ++i;
  if (i >= u.size()) throw EBRegExpError("no regular expression command");
  if ((u[i] == 's' || u[i] == 'm') && i + 1 < u.size() && is_delimiter(u[i + 1])) {
    c->subst = u[i] == 's';
    ++i;
  } else if (u[i] != '/') {
    throw EBRegExpError("invalid regular expression command: " + std::string(command));
  }
  // A part ends at its delimiter; bracket pairs nest, as in s{...}{...}.
  auto closing = [](std::uint16_t open) -> std::uint16_t {
    switch (open) {
      case '(': return ')';
      case '[': return ']';
      case '{': return '}';
      case '<': return '>';
      default: return open;
    }
  };
  std::uint16_t open = u[i++];
  auto take = [&](Units& part) {
    const std::uint16_t close = closing(open);
    int depth = 0;
    while (i < u.size()) {
      const std::uint16_t ch = u[i];
      if (ch == '\\' && i + 1 < u.size()) {
        part.push_back(ch);
        part.push_back(u[i + 1]);
        i += 2;
        continue;
      }
      ++i;
      if (ch == close && depth == 0) return true;
      if (close != open) depth += ch == open ? 1 : ch == close ? -1 : 0;
      part.push_back(ch);
    }
    return false;
  };
  Units pat, rep;
  bool ok = take(pat);
  if (ok && c->subst) {
    if (closing(open) != open) {  // s{pat}{repl}: blanks, then the second part's own bracket
      while (i < u.size() && (u[i] == ' ' || u[i] == '\t')) ++i;
      ok = i < u.size() && is_delimiter(u[i]);
      if (ok) open = u[i++];
    }
    ok = ok && take(rep);
  }
  if (!ok) throw EBRegExpError("no terminating delimiter: " + std::string(command));
  std::uint32_t options = PCRE2_AUTO_CALLOUT;  // every item counts against the budget
  for (; i < u.size(); ++i) {
    switch (u[i]) {
      case 'i': options |= PCRE2_CASELESS; break;
      case 'm': options |= PCRE2_MULTILINE; break;
      case 's': options |= PCRE2_DOTALL; break;
      case 'x': options |= PCRE2_EXTENDED; break;
      case 'g': c->global = true; break;
      case 'k': case ' ': case '\t': break;
      default:
        if (trace) {
          Units one{u[i]};
          trace(" 警告 : 正規表現のフラグ '" + bytes_of(one) + "' は無視します : " +
                std::string(command));
        }
    }
  }
  if (names_high_bytes(pat)) {
    c->byte_mode = true;
    std::string pb = bytes_of(pat), rb = bytes_of(rep);
    to_units(pb, true, pat, nullptr);
    to_units(rb, true, rep, nullptr);
  }
  int err = 0;
  PCRE2_SIZE off = 0;
  static const std::uint16_t zero = 0;
  pcre2_compile_context* cctx = pcre2_compile_context_create(gctx);
  c->code = pcre2_compile(pat.empty() ? &zero : pat.data(),
                          pat.size(), options, &err, &off, cctx);
  if (cctx) pcre2_compile_context_free(cctx);
  if (!c->code)
    throw EBRegExpError(engine_message(err) + " (offset " + std::to_string(off) + ") : " +
                        std::string(command));
  pcre2_pattern_info(c->code, PCRE2_INFO_CAPTURECOUNT, &c->groups);
  c->mctx = pcre2_match_context_create(gctx);
  if (!c->mctx) throw EBRegExpError("out of memory: " + std::string(command));
  pcre2_set_match_limit(c->mctx, TBRegExp::kMatchLimit);
  pcre2_set_depth_limit(c->mctx, TBRegExp::kDepthLimit);
  pcre2_set_heap_limit(c->mctx, TBRegExp::kHeapLimitKiB);
  if (c->subst) c->repl = parse_replacement(rep);
  return c;
}

}  // namespace

TBRegExp::TBRegExp() : engine_(std::make_unique<Engine>()) {}
TBRegExp::~TBRegExp() = default;

std::size_t TBRegExp::held_bytes() const { return engine_->held; }
std::size_t TBRegExp::peak_bytes() const { return engine_->peak; }

void TBRegExp::clear_cache() { cache_.clear(); }

TBRegExp::Compiled& TBRegExp::prepare(std::string_view command) {
  for (std::size_t k = 0; k < cache_.size(); ++k) {
    if (cache_[k]->command == command) {
      if (k) std::rotate(cache_.begin(), cache_.begin() + k, cache_.begin() + k + 1);
      return *cache_.front();
    }
  }
  auto c = compile(command, engine_->gctx, on_trace);
  ++compiled_;
  cache_.insert(cache_.begin(), std::move(c));
  if (cache_.size() > kCacheSize) cache_.pop_back();
  return *cache_.front();
}

namespace {

// Called by the engine before every item of the pattern: one step of the call's budget.
int count_step(pcre2_callout_block*, void* data) {
  auto& left = *static_cast<std::uint64_t*>(data);
  if (left == 0) return PCRE2_ERROR_MATCHLIMIT;
  --left;
  return 0;
}

}  // namespace

bool TBRegExp::match_at(Compiled& c, const Units& units, std::size_t start,
                        std::uint32_t options, std::vector<std::size_t>& ovec) {
  static const std::uint16_t empty = 0;
  if (!c.md) c.md = pcre2_match_data_create_from_pattern(c.code, engine_->gctx);
  if (!c.md) throw EBRegExpError("out of memory: " + c.command);
  pcre2_set_callout(c.mctx, count_step, &steps_left_);
  int rc = pcre2_match(c.code, units.empty() ? &empty : units.data(), units.size(), start,
                       options, c.md, c.mctx);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc < 0) throw EBRegExpError(engine_message(rc) + " : " + c.command);
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(c.md);
  ovec.assign(ov, ov + 2 * (c.groups + 1));
  for (std::uint32_t g = static_cast<std::uint32_t>(rc); g <= c.groups; ++g)
    ovec[2 * g] = ovec[2 * g + 1] = npos;
  for (auto& v : ovec)
    if (v == PCRE2_UNSET) v = npos;
  return true;
}

namespace {

// Frees the command's match data, with its frames, when the call ends in any way.
struct Match_data_release {
  TBRegExp::Compiled& c;
  ~Match_data_release() { c.drop_match_data(); }
};

}  // namespace

bool TBRegExp::run_match(std::string_view pattern, std::string_view subject) {
  state_ = 0;
  Compiled& c = prepare(pattern);
  Match_data_release release{c};
  steps_left_ = step_budget;
  Units u;
  std::vector<std::size_t> pos, ov;
  to_units(subject, c.byte_mode, u, &pos);
  if (!match_at(c, u, 0, 0, ov)) return false;
  subject_.assign(subject);
  groups_.resize(ov.size());
  for (std::size_t k = 0; k < ov.size(); ++k) groups_[k] = ov[k] == npos ? npos : pos[ov[k]];
  state_ = 1;
  return true;
}

bool TBRegExp::run_subst(std::string_view pattern, std::string& subject) {
  state_ = 0;
  if (subject.empty()) return false;
  Compiled& c = prepare(pattern);
  if (!c.subst) throw EBRegExpError("not a substitution command: " + c.command);
  Match_data_release release{c};
  steps_left_ = step_budget;  // one budget for every match of a global substitution
  Units u, out;
  std::vector<std::size_t> pos, ov, last;
  to_units(subject, c.byte_mode, u, &pos);
  std::size_t start = 0, copied = 0;
  std::uint32_t opts = 0;
  for (;;) {
    if (!match_at(c, u, start, opts, ov)) {
      if (opts == 0 || start >= u.size()) break;
      ++start;  // no non-empty match where the empty one was: move on one character
      opts = 0;
      continue;
    }
    if (ov[1] < ov[0]) throw EBRegExpError("a match that ends before it starts (\\K) : " + c.command);
    last = ov;
    out.insert(out.end(), u.begin() + copied, u.begin() + ov[0]);
    // Expand the replacement.
    int mode = 0, one = 0;  // 1 upper, 2 lower
    auto emit = [&](std::uint16_t v) {
      int m = one ? one : mode;
      if (m == 1 && v >= 'a' && v <= 'z') v -= 32;
      else if (m == 2 && v >= 'A' && v <= 'Z') v += 32;
      one = 0;
      out.push_back(v);
    };
    auto emit_range = [&](std::size_t a, std::size_t b) {
      for (std::size_t k = a; k < b; ++k) emit(u[k]);
    };
    for (const Piece& p : c.repl) {
      switch (p.kind) {
        case Piece::Lit: emit(static_cast<std::uint16_t>(p.value)); break;
        case Piece::Group:
          if (p.value <= c.groups && ov[2 * p.value] != npos)
            emit_range(ov[2 * p.value], ov[2 * p.value + 1]);
          break;
        case Piece::Pre: emit_range(0, ov[0]); break;
        case Piece::Post: emit_range(ov[1], u.size()); break;
        case Piece::Upper: mode = 1; break;
        case Piece::Lower: mode = 2; break;
        case Piece::End: mode = 0; break;
        case Piece::OneUpper: one = 1; break;
        case Piece::OneLower: one = 2; break;
      }
    }
    copied = ov[1];
    if (!c.global) break;
    start = ov[1];
    opts = ov[0] == ov[1] ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    if (start > u.size()) break;
  }
  if (last.empty()) return false;
  out.insert(out.end(), u.begin() + copied, u.end());
  subject_.swap(subject);
  subject.clear();
  append_bytes(subject, out.data(), out.size());
  groups_.resize(last.size());
  for (std::size_t k = 0; k < last.size(); ++k) groups_[k] = last[k] == npos ? npos : pos[last[k]];
  state_ = 1;
  return true;
}

int TBRegExp::group_count() const {
  return state_ == 1 ? static_cast<int>(groups_.size() / 2) : 0;
}

std::string TBRegExp::get_part(int index) const {
  if (state_ == 0) throw EBRegExpError("no strings now");
  if (state_ == 2) return get_split(index);
  return get_group(index);
}

std::string TBRegExp::get_group(int index) const {
  if (index < 0 || index >= group_count()) throw EBRegExpError("index out of range");
  const std::size_t a = groups_[2 * index], b = groups_[2 * index + 1];
  if (a == npos || b == npos || b < a) return {};
  return subject_.substr(a, b - a);
}

std::string TBRegExp::get_split(int) const { throw EBRegExpError("index out of range"); }

TBRegExp& shared_bregexp() {
  static TBRegExp r;
  return r;
}
