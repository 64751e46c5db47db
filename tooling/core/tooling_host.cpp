#include "tooling/core/tooling_host.h"

#include <cstdio>

Ttooling_host& null_tooling_host() {
  static Ttooling_host host;
  return host;
}

std::string tooling_date_text(std::time_t t) {
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min);
  return buf;
}
