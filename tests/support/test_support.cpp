#include "tests/support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device rd;
  for (int i = 0; i < 100; ++i) {
    fs::path p = fs::temp_directory_path() / ("vlm_test_" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path data_file(const std::string& name) {
  const char* d = std::getenv("VLM_TEST_DATA");
  fs::path base = d ? fs::path(d) : fs::path(__FILE__).parent_path().parent_path() / "data";
  return base / name;
}

std::string read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void write_file(const fs::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
