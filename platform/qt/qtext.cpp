#include "platform/qt/qtext.h"

#include "platform/core/cp932.h"

namespace plat {

QString to_qstring(std::string_view cp932) {
  std::string u = cp932_to_utf8(cp932);
  return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

std::string from_qstring(const QString& s, bool* lossless) {
  QByteArray u = s.toUtf8();
  return utf8_to_cp932(std::string_view(u.constData(), static_cast<std::size_t>(u.size())),
                       lossless);
}

QString path_to_qstring(const std::filesystem::path& p) {
  const std::string& n = p.native();
  return QString::fromUtf8(n.data(), static_cast<qsizetype>(n.size()));
}

std::filesystem::path qstring_to_path(const QString& s) {
  QByteArray u = s.toUtf8();
  return std::filesystem::path(std::string(u.constData(), static_cast<std::size_t>(u.size())));
}

}  // namespace plat
