#include "common/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/core/cp932.h"

namespace {
std::recursive_mutex g_mutex;  // a sink may log while it adds a line
DebLogSink* g_sink = nullptr;
}  // namespace

void deb_log(const std::string& line) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  if (g_sink) {
    g_sink->add_deb_line(line);
    return;
  }
  std::fprintf(stderr, "deb: %s\n", plat::cp932_to_utf8(line).c_str());
}

void deb_logf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string s;
  if (n > 0) {
    s.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(s.data(), s.size(), fmt, ap2);
    s.resize(static_cast<std::size_t>(n));
  }
  va_end(ap2);
  deb_log(s);
}

DebLogSink* set_deb_log_sink(DebLogSink* sink) {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  DebLogSink* prev = g_sink;
  g_sink = sink;
  return prev;
}

DebLogSink* deb_log_sink() {
  std::lock_guard<std::recursive_mutex> lock(g_mutex);
  return g_sink;
}
