// Small helpers shared by the tests.
#pragma once
#include <filesystem>
#include <string>

namespace testing_support {

// A fresh, empty folder under the system temp folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// tests/data/<name>.
std::filesystem::path data_file(const std::string& name);

std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const std::string& bytes);

}  // namespace testing_support
