#include "mainwin/core/find_ncd.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/ats_func.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {
constexpr int kEscapeEvery = 65536;
}

int FIND_HOST::open_find_dialog(FIND_SETTINGS&) { return FIND_DLG_CANCEL; }
void FIND_HOST::line_found(int) {}
void FIND_HOST::list_hits(const std::string&, std::vector<std::string>&&) {}

FIND_HOST& null_find_host() {
  static FIND_HOST host;
  return host;
}

bool find_line_matches(std::string_view line, const FIND_SETTINGS& s) {
  return mask_include_exclude(line, s.search_text, s.not_text);
}

int find_NCD_line(const NCD_DATA& d, int from, bool forward, const FIND_SETTINGS& s,
                  bool* aborted) {
  if (aborted) *aborted = false;
  const int step = forward ? 1 : -1;
  int polled = 0;
  for (int n = from + step; n >= 0 && n < d.line_count; n += step) {
    if (++polled == kEscapeEvery) {
      polled = 0;
      if (plat::escape_pressed()) {
        if (aborted) *aborted = true;
        return -1;
      }
    }
    if (find_line_matches(get_NCD_line_view(d, n), s)) return n;
  }
  return -1;
}

std::vector<std::string> find_all_NCD_lines(const NCD_DATA& d, const FIND_SETTINGS& s,
                                            bool* aborted) {
  if (aborted) *aborted = false;
  // The hits first, so the texts are made once into a list of the right size.
  std::vector<int> hits;
  int polled = 0;
  for (int n = 0; n < d.line_count; ++n) {
    if (++polled == kEscapeEvery) {
      polled = 0;
      if (plat::escape_pressed()) {
        if (aborted) *aborted = true;
        break;
      }
    }
    if (find_line_matches(get_NCD_line_view(d, n), s)) hits.push_back(n);
  }
  std::vector<std::string> out(hits.size());
  char num[16];
  for (std::size_t i = 0; i < hits.size(); ++i) {
    // "%7d : " and the text.
    const std::string_view text = get_NCD_line_view(d, hits[i]);
    const auto r = std::to_chars(num, num + sizeof num, hits[i] + 1);
    const std::size_t digits = static_cast<std::size_t>(r.ptr - num);
    std::string& line = out[i];
    line.reserve(std::max<std::size_t>(digits, 7) + 3 + text.size());
    if (digits < 7) line.append(7 - digits, ' ');
    line.append(num, digits).append(" : ").append(text);
  }
  return out;
}

int find_in_NCD(NCD_DATA& d, FIND_SETTINGS& s, int mode, FIND_HOST& host) {
  if (d.line_count <= 0) return -1;
  if (mode == FIND_DIALOG) {
    const int r = host.open_find_dialog(s);
    s.search_text = upper_sjis(s.search_text);
    s.not_text = upper_sjis(s.not_text);
    switch (r) {
      case FIND_DLG_OK: mode = FIND_FORWARD; break;
      case FIND_DLG_IGNORE: mode = FIND_BACKWARD; break;
      case FIND_DLG_ALL: mode = FIND_LIST_ALL; break;
      default: return -1;
    }
  }
  if (mode != FIND_BACKWARD && mode != FIND_FORWARD && mode != FIND_LIST_ALL) {
    char msg[96];
    std::snprintf(msg, sizeof msg, "find_in_NCD で無効な mode(= %d ) 指定がありました", mode);
    plat::message_box(msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return -1;
  }
  if (s.search_text.empty() && s.not_text.empty()) return -1;
  bool aborted = false;
  if (mode == FIND_LIST_ALL) {
    std::vector<std::string> hits = find_all_NCD_lines(d, s, &aborted);
    const char* caption = aborted       ? "中断しました"
                          : hits.empty() ? "該当する文字列はありませんでした"
                                         : "検索結果";
    host.list_hits(caption, std::move(hits));
    return -1;
  }
  const int cur = std::clamp(d.pos.cur_line, 0, d.line_count - 1);
  const int n = find_NCD_line(d, cur, mode == FIND_FORWARD, s, &aborted);
  if (n < 0) {
    plat::message_box(aborted ? "中断しました" : "指定した文字列は見つかりませんでした", "",
                      plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return -1;
  }
  Goto_NCD_line(d, n);
  host.line_found(n);
  return n;
}
