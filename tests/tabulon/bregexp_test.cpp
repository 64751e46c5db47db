#include "tabulon/core/bregexp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SubstCase {
  const char* command;
  const char* subject;
  const char* result;  // nullptr: no substitution
};

TEST(TBRegExp, SubstitutionsFollowPerl) {
  const SubstCase cases[] = {
      // the sample definition's rules
      {"s/^\\/\\*\\s+T-NO.(\\d+)\\s+(.+?)\\s+\\*\\/$/T$1M6 ( $2 )/", "/* T-NO.1 BALL-R3 */",
       "T1M6 ( BALL-R3 )"},
      {"s/^\\/\\*.*?(O\\d+).*$/(---- $1 ----)/", "/* PROG O1234 X */", "(---- O1234 ----)"},
      {"s/\\/M99//", "G00/M99", "G00"},
      {"s/M30/M99/", "M30", "M99"},
      {"s/([^M]*)M98P(\\d\\d\\d\\d)(\\d\\d\\d\\d)(.*)$/$1M98P$2L$3$4/", "G00M98P00120034",
       "G00M98P0012L0034"},
      {"s/^G65.*$//", "G65P9000", ""},
      {"s/^G65.*$//", "G01X1", nullptr},
      // Shift-JIS: 0x5C is the trail byte of ソ and 表
      {"s/ソース//", "ソースA", "A"},
      {"s/A/表/", "xAy", "x表y"},
      {"s/表/ソ/g", "表表", "ソソ"},
      {"s/\\\\/Y/", "ソ\\", "ソY"},        // a real backslash, not the trail byte of ソ
      {"s/[ア-ン]+/K/", "12アイウ3", "12K3"},
      {"s/[表]/H/", "\x95\x5C\x5C", "H\x5C"},  // a kanji in a class is one character
      {"s/./X/g", "漢a", "XX"},
      // replacement syntax
      {"s/(a)(b)?c/[$1|$2]/", "ac", "[a|]"},  // a group that did not take part is empty
      {"s/(\\d+)/${1}0/", "T5", "T50"},
      {"s/(\\d+)/\\1\\1/", "T5", "T55"},
      {"s/b/[$&]/", "abc", "a[b]c"},
      {"s/b/[$`|$']/", "abc", "a[a|c]c"},
      {"s/(x)/\\$1\\t/", "x", "$1\t"},
      {"s/(\\w+)/\\U$1\\E!/", "abc", "ABC!"},
      {"s/(\\w+)/\\u$1/", "abc", "Abc"},
      {"s#/#|#g", "a/b/c", "a|b|c"},  // another delimiter
      {"s/\\//|/g", "a/b", "a|b"},
      {"s{(a)}{<$1>}g", "aba", "<a>b<a>"},
      {"s{a{2}} [x]", "caab", "cxb"},
      {"s(\\))(x)", "a)", "ax"},
      // flags and the empty-match rule
      {"s/x*/-/g", "abc", "-a-b-c-"},
      {"s/b*/-/g", "abc", "-a--c-"},
      {"s/a/X/ig", "aAa", "XXX"},
      {"s/a/X/", "aAa", "XAa"},
      {"s/^b/X/mg", "a\nb", "a\nX"},
      {"s/a . b/X/x", "a-b", "X"},
      {"s/a/X/k", "a", "X"},
      // lazy and greedy
      {"s/\\((.*?)\\)/[$1]/", "(a)(b)", "[a](b)"},
      {"s/\\((.*)\\)/[$1]/", "(a)(b)", "[a)(b]"},
  };
  TBRegExp re;
  for (const auto& c : cases) {
    std::string s = c.subject;
    bool ok = re.run_subst(c.command, s);
    if (c.result) {
      EXPECT_TRUE(ok) << c.command << " on " << c.subject;
      EXPECT_EQ(s, c.result) << c.command << " on " << c.subject;
    } else {
      EXPECT_FALSE(ok) << c.command;
      EXPECT_EQ(s, c.subject) << c.command;
    }
  }
}

TEST(TBRegExp, MatchesCharactersNotBytes) {
  TBRegExp re;
  // 0x54 'T' is a trail byte of 化 (0x89 0x54): no tool number inside a kanji
  EXPECT_FALSE(re.run_match("/T(\\d+)/", "\x89" "T12"));
  EXPECT_TRUE(re.run_match("/T(\\d+)/", "\x89" "TT12"));
  EXPECT_EQ(re.get_group(1), "12");
  EXPECT_TRUE(re.run_match("m/^(O\\d+)/i", "o123X"));
  EXPECT_EQ(re.get_group(0), "o123");
  // the match gives back the original bytes, kanji included
  EXPECT_TRUE(re.run_match("/\\(([^)]+)\\)/", "G0(工具表)"));
  EXPECT_EQ(re.get_group(1), "工具表");
  // a byte escape runs on bytes
  EXPECT_TRUE(re.run_match("/\\x5C$/", "a\\"));
  EXPECT_FALSE(re.run_match("/\\x5C$/", "表"));  // a trail byte is no backslash
  EXPECT_TRUE(re.run_match("/\\x95/", "表"));
  // invalid Shift-JIS bytes survive a substitution unchanged
  std::string s = "\x81 A\xFF\x80";
  EXPECT_TRUE(re.run_subst("s/A/B/", s));
  EXPECT_EQ(s, "\x81 B\xFF\x80");
}

TEST(TBRegExp, GroupsAndStates) {
  TBRegExp re;
  EXPECT_EQ(re.group_count(), 0);
  EXPECT_THROW(re.get_part(0), EBRegExpError);
  std::string s = "T3M6";
  ASSERT_TRUE(re.run_subst("s/T(\\d+)(M\\d+)/T0$1$2/", s));
  EXPECT_EQ(s, "T03M6");
  EXPECT_EQ(re.group_count(), 3);
  EXPECT_EQ(re.get_group(0), "T3M6");  // from the original subject
  EXPECT_EQ(re.get_part(2), "M6");
  try {
    re.get_group(3);
    FAIL();
  } catch (const EBRegExpError& e) {
    EXPECT_STREQ(e.what(), "index out of range");
  }
  EXPECT_THROW(re.get_group(-1), EBRegExpError);
  EXPECT_THROW(re.get_split(0), EBRegExpError);
  // a failed match leaves no result
  EXPECT_FALSE(re.run_match("/Z/", "abc"));
  try {
    re.get_part(0);
    FAIL();
  } catch (const EBRegExpError& e) {
    EXPECT_STREQ(e.what(), "no strings now");
  }
  // an empty subject is not substituted, and the pattern is not even compiled
  std::string empty;
  const auto before = re.compile_count();
  EXPECT_FALSE(re.run_subst("s/^$/X/", empty));
  EXPECT_EQ(empty, "");
  EXPECT_EQ(re.compile_count(), before);
}

TEST(TBRegExp, CompilesEachPatternOnce) {
  TBRegExp re;
  for (int k = 0; k < 100; ++k) {
    std::string a = "T1", b = "X1";
    re.run_subst("s/T/U/", a);
    re.run_subst("s/X/Y/", b);
    re.run_match("/(O\\d+)/", "O1");
  }
  EXPECT_EQ(re.compile_count(), 3u);
  for (std::size_t k = 0; k < TBRegExp::kCacheSize + 1; ++k)
    re.run_match("/" + std::to_string(k) + "/", "x");
  re.run_match("/(O\\d+)/", "O1");  // pushed out of the cache by then
  EXPECT_EQ(re.compile_count(), 3u + TBRegExp::kCacheSize + 2);
}

TEST(TBRegExp, ErrorsCarryTheEngineMessage) {
  TBRegExp re;
  std::vector<std::string> traces;
  re.on_trace = [&](const std::string& t) { traces.push_back(t); };
  const char* bad[] = {"s/(a/b/", "/[a/", "s/a/b", "abc", "/a", "", "s/a*+*/b/"};
  for (const char* b : bad) {
    std::string s = "a";
    EXPECT_THROW(re.run_subst(b, s), EBRegExpError) << b;
    EXPECT_EQ(s, "a");
  }
  try {
    re.run_match("/(a/", "a");
    FAIL();
  } catch (const EBRegExpError& e) {
    EXPECT_NE(std::string(e.what()).find("missing closing parenthesis"), std::string::npos)
        << e.what();
  }
  std::string m = "a";
  EXPECT_THROW(re.run_subst("/a/", m), EBRegExpError);  // a match is no substitution
  // an unknown flag is ignored with a trace line
  std::string s = "a";
  EXPECT_TRUE(re.run_subst("s/a/b/q", s));
  EXPECT_EQ(s, "b");
  ASSERT_EQ(traces.size(), 1u);
  // a catastrophic pattern hits the match limit instead of running for ever
  EXPECT_THROW(re.run_match("/(a+)+$/", std::string(40, 'a') + "b"), EBRegExpError);
}

// The error text of a call that throws, or "" when it returns.
template <class F>
std::string error_of(F&& call) {
  try {
    call();
  } catch (const EBRegExpError& e) {
    return e.what();
  }
  return {};
}

TEST(TBRegExp, HostilePatternsEndInTheError) {
  TBRegExp re;
  // The engine's own limit counts afresh at each start position: 300 of them ran for a
  // minute before ending in "no match".
  EXPECT_NE(error_of([&] { re.run_match("/(?:a|a){0,20}[bc]/", std::string(300, 'a')); })
                .find("match limit"),
            std::string::npos);
  std::string subject(300, 'a');
  EXPECT_NE(error_of([&] { re.run_subst("s/(?:a|a){0,20}[bc]/x/g", subject); }).find("match limit"),
            std::string::npos);
  EXPECT_EQ(subject, std::string(300, 'a'));

  // Every backtracking frame holds all the groups: without a heap limit this took over a
  // hundred MiB and then said "no match".
  std::string groups = "/(?:";
  for (int k = 0; k < 600; ++k) groups += "()";
  groups += "(a)|b)*\\d/";
  EXPECT_NE(error_of([&] { re.run_match(groups, std::string(20, 'a')); }).find("heap limit"),
            std::string::npos);
  // the object stays usable after either error
  EXPECT_TRUE(re.run_match("/a(b)/", "ab"));
  EXPECT_EQ(re.get_group(1), "b");
}

// The engine keeps the backtracking frames of a match in its match data. The cache's 64
// commands each kept those of their last match: a definition of 64 rules held the heap
// limit 64 times over after its calls.
TEST(TBRegExp, TheCacheHoldsNoFramesBetweenCalls) {
  TBRegExp re;
  const std::string subject(6000, 'a');
  std::string text = subject;
  for (std::size_t k = 0; k < TBRegExp::kCacheSize; ++k) {
    // Every turn of the repeat is a frame holding all ten groups.
    const std::string body = "(a)(b)?(c)?(d)?(e)?(f)?(g)?(h)?(i)?(j)?";
    if (k % 2) {
      EXPECT_TRUE(re.run_match("/^(?:" + body + ")*$|Q" + std::to_string(k) + "/", subject));
    } else {
      EXPECT_TRUE(re.run_subst("s/^(?:" + body + ")*$|Q" + std::to_string(k) + "/a/", text));
      text = subject;
    }
  }
  EXPECT_EQ(re.compile_count(), TBRegExp::kCacheSize);
  EXPECT_GT(re.peak_bytes(), 2u << 20) << "the matches were meant to be big";
  EXPECT_LT(re.held_bytes(), 1u << 20);
  // A call that ends in an error lets its frames go too.
  std::string groups = "/(?:";
  for (int k = 0; k < 600; ++k) groups += "()";
  groups += "(a)|b)*\\d/";
  EXPECT_NE(error_of([&] { re.run_match(groups, std::string(20, 'a')); }).find("heap limit"),
            std::string::npos);
  EXPECT_LT(re.held_bytes(), 1u << 20);
}

TEST(TBRegExp, OneBudgetForAWholeGlobalSubstitution) {
  TBRegExp re;
  auto subst = [&](const char* text) {
    std::string s = text;
    re.run_subst("s/a(?:b|c)d/X/g", s);
    return s;
  };
  // the least budget that one substitution needs
  re.step_budget = 1;
  while (!error_of([&] { subst("abd"); }).empty()) ++re.step_budget;
  ASSERT_GT(re.step_budget, 2u);
  const std::uint64_t one = re.step_budget;
  EXPECT_EQ(subst("abd"), "X");
  EXPECT_EQ(subst("abd"), "X");  // each call has the budget afresh
  EXPECT_TRUE(re.run_match("/a(?:b|c)d/", "abd"));
  EXPECT_NE(error_of([&] { subst("abdabd"); }), "");  // two matches need about twice as much
  re.step_budget = 3 * one;
  EXPECT_EQ(subst("abdabd"), "XX");
}

TEST(TBRegExp, SharedObjectIsOne) { EXPECT_EQ(&shared_bregexp(), &shared_bregexp()); }

}  // namespace
