#include "tooling/core/tooling_host.h"

#include <cstdio>
#include <memory>

#include "simulation/work_store.h"
#include "tooling/core/disp_status.h"

Ttooling_host& null_tooling_host() {
  static Ttooling_host host;
  return host;
}

Tmat& Ttooling_host::work_store() {
  static const std::unique_ptr<Tmat> own = std::make_unique<Tmat>();
  return *own;
}

Tdisp_status& Ttooling_host::disp_status() {
  static Tdisp_status own;
  return own;
}

std::string tooling_date_text(std::time_t t) {
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min);
  return buf;
}
