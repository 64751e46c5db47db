// Perl-style pattern matching and substitution over Shift-JIS text.
//
// Commands are written with delimiters: "/pat/flags" or "m/pat/flags" for a match,
// "s/pat/repl/flags" for a substitution (any punctuation character may stand for the
// slash; "\/" is a slash inside the pattern). Flags: i (ignore case), g (every match),
// m (multi-line anchors), s (dot matches a line end), x (extended), k (Shift-JIS text,
// always on here). Unknown flags are ignored with a trace line.
//
// Matching works on characters: every Shift-JIS character becomes one 16-bit code unit of
// PCRE2 (a single byte its own value, a double-byte character lead * 256 + trail), so a
// pattern never matches half of a kanji and a kanji in a class is one character. A pattern
// that names bytes >= 0x80 with \x escapes runs in byte mode instead (one unit per byte).
// Results are mapped back to the original bytes, so every byte survives unchanged.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class EBRegExpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBRegExp {
 public:
  // Compiled commands kept for reuse (a converted line alternates several patterns).
  static constexpr std::size_t kCacheSize = 64;
  // Steps (pattern items tried) that one call may take: a match, or a whole global
  // substitution, over every start position. Beyond it the call raises EBRegExpError.
  static constexpr std::uint64_t kStepBudget = 5'000'000;
  // The engine's own limits of one attempt, and of the memory of its backtracking frames
  // (each frame holds the groups, so a pattern with many groups grows fast). Excess of
  // either raises EBRegExpError too.
  static constexpr std::uint32_t kMatchLimit = 5'000'000;
  static constexpr std::uint32_t kDepthLimit = 100'000;
  static constexpr std::uint32_t kHeapLimitKiB = 32 * 1024;

  TBRegExp();
  ~TBRegExp();
  TBRegExp(const TBRegExp&) = delete;
  TBRegExp& operator=(const TBRegExp&) = delete;

  // True on a match; the groups of the match are then available.
  bool run_match(std::string_view pattern, std::string_view subject);
  // True when substituted; `subject` then holds the result and the groups are those of the
  // (last) match in the original subject. An empty subject gives false.
  bool run_subst(std::string_view pattern, std::string& subject);

  // Groups of the last result + 1 (group 0 is the whole match); 0 without a result.
  int group_count() const;
  // No split operation exists: always 0.
  int split_count() const { return 0; }
  // "no strings now" without a result, else get_group.
  std::string get_part(int index) const;
  // The text of a group ("" for a group that did not take part); "index out of range" for
  // an index < 0 or >= group_count().
  std::string get_group(int index) const;
  std::string get_split(int index) const;

  // The steps of one call; kStepBudget unless a test wants less.
  std::uint64_t step_budget = kStepBudget;

  // Receives the trace lines (ignored flags). May be empty.
  std::function<void(const std::string&)> on_trace;

  // Number of commands compiled so far (a cache hit compiles nothing).
  std::size_t compile_count() const { return compiled_; }
  void clear_cache();
  // The bytes the engine holds for this object: the compiled commands of the cache. The
  // frames of a match live only during its call; the most it ever held is the peak.
  std::size_t held_bytes() const;
  std::size_t peak_bytes() const;

  struct Compiled;
  struct Engine;

 private:
  Compiled& prepare(std::string_view command);
  bool match_at(Compiled& c, const std::vector<std::uint16_t>& units, std::size_t start,
                std::uint32_t options, std::vector<std::size_t>& ovec);

  std::unique_ptr<Engine> engine_;                // outlives the cache's commands
  std::vector<std::unique_ptr<Compiled>> cache_;  // most recent first
  std::size_t compiled_ = 0;
  std::uint64_t steps_left_ = 0;                  // of the call that runs
  int state_ = 0;                                 // 0 no result, 1 result of a match
  std::string subject_;                           // the subject of the last result
  std::vector<std::size_t> groups_;               // byte offsets, pairs; npos = unset
};

// The one object that the whole program shares.
TBRegExp& shared_bregexp();
