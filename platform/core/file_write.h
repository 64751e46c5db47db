// Writing a whole file safely: the bytes go to a temporary file in the target's folder,
// which is then renamed over the target. A failed write leaves the old file as it was.
#pragma once
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace plat {

// False, with the reason in *err (UTF-8, for the debug log), when the file could not be
// written; the temporary file is then removed.
bool write_file_replacing(const std::filesystem::path& target, std::string_view bytes,
                          std::string* err = nullptr);

// The same for data too large to hold in memory at once: `write` streams the bytes into the
// temporary file and returns false to give up (the target then stays as it was).
bool write_file_replacing(const std::filesystem::path& target,
                          const std::function<bool(std::ostream&)>& write,
                          std::string* err = nullptr);

}  // namespace plat
