// Shared fixtures of the NC data tests: a recording host and small load helpers.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ncdata/ncd_data.h"

struct FakeNcdHost : NCD_HOST {
  int cleared = 0;
  int rebuilds = 0;
  void ncd_cleared(NCD_DATA&) override { ++cleared; }
  void set_TOOL_defs(NCD_DATA&) override { ++rebuilds; }
};

inline std::unique_ptr<NCD_DATA> make_ncd(NCD_HOST* host = nullptr,
                                          const NCD_CAPACITY& cap = NCD_CAPACITY{}) {
  auto d = std::make_unique<NCD_DATA>(cap);
  d->set_host(host);
  Create_NCD(*d);
  return d;
}

// Appends the text (upper-cased) and tokenises the new lines, as the loader does.
inline int load_ncd(NCD_DATA& d, const std::string& text) {
  const int first = d.line_count;
  const int r = Append_NCD_text(d, text.data(), text.size(), true);
  for (int i = first; i < d.line_count; ++i) Parse_NCD_line(d, i);
  return r;
}

inline std::vector<std::string> ncd_lines(const NCD_DATA& d) {
  std::vector<std::string> v;
  std::string s;
  for (int i = 0; i < d.line_count; ++i) {
    get_NCD_line_text(d, i, s);
    v.push_back(s);
  }
  return v;
}
