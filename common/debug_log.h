// The program's debug log: one call through which every module writes its internal
// diagnostic lines (class, routine and bad value). The GUI installs the debug window as the
// sink at start-up; tests install RecordingDebLog and read the lines back. Without a sink the
// lines go to stderr. Lines are CP932 byte strings. No Qt here.
#pragma once
#include <string>
#include <vector>

class DebLogSink {
 public:
  virtual ~DebLogSink() = default;
  virtual void add_deb_line(const std::string& line) = 0;
};

// Appends one line to the program's debug log.
void deb_log(const std::string& line);
// The same with a printf format (numbers are formatted in the "C" locale of the program).
void deb_logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink (nullptr restores stderr); returns the previous one.
DebLogSink* set_deb_log_sink(DebLogSink* sink);
DebLogSink* deb_log_sink();

// Test double: installs itself for its lifetime and keeps every line.
class RecordingDebLog : public DebLogSink {
 public:
  RecordingDebLog() { prev_ = set_deb_log_sink(this); }
  ~RecordingDebLog() override { set_deb_log_sink(prev_); }
  RecordingDebLog(const RecordingDebLog&) = delete;
  RecordingDebLog& operator=(const RecordingDebLog&) = delete;
  void add_deb_line(const std::string& line) override { lines.push_back(line); }
  // True when some line contains `part`.
  bool contains(const std::string& part) const {
    for (const auto& l : lines)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> lines;

 private:
  DebLogSink* prev_ = nullptr;
};
