// CP932 byte strings <-> QString.
#pragma once
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace plat {

QString to_qstring(std::string_view cp932);
// Characters CP932 cannot hold become '?'; *lossless tells whether that happened.
std::string from_qstring(const QString& s, bool* lossless = nullptr);

// Native paths <-> QString (paths are UTF-8 on Linux).
QString path_to_qstring(const std::filesystem::path& p);
std::filesystem::path qstring_to_path(const QString& s);

}  // namespace plat
