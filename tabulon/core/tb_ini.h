// A profile (INI) file as Windows keeps one: "[section]" lines and "key=value" lines,
// names compared without letter case, the first match wins, values are written in place,
// a missing key is appended at the end of its section (a missing section at the end of
// the file), and unknown keys and comments stay as they are. CP932 text, CR LF.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TTB_ini {
 public:
  // Reads the file; a missing file gives an empty profile (false).
  bool load(const std::filesystem::path& path);
  // Writes through a temporary file; false (with `err`) when that fails.
  bool save(const std::filesystem::path& path, std::string* err = nullptr) const;

  // The trimmed value, or `def` when the key is absent.
  std::string read(std::string_view section, std::string_view key, std::string_view def) const;
  void write(std::string_view section, std::string_view key, std::string_view value);

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  // Index of the "[section]" line, or -1.
  int find_section(std::string_view section) const;
  // Index of the key's line inside the section that starts at `sec`, or -1.
  int find_key(int sec, std::string_view key) const;

  std::vector<std::string> lines_;
};
