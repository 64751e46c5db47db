#include <QDir>

#include "common/debug_log.h"
#include "mainwin/velmor_1.h"
#include "platform/core/cp932.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"
#include "simulation/gl/gl_stat.h"

int main(int argc, char** argv) {
  plat::Application app(argc, argv);
  // The NC file is the first argument Qt leaves.
  const QStringList args = QCoreApplication::arguments();
  Tgl_func GL_STAT;
  Tvelmor w(&GL_STAT);
  app.set_trap_handler([&w](const std::string& what) { w.on_app_exception(what); });
  for (qsizetype i = 2; i < args.size(); ++i)
    deb_log("velmor: argument ignored: " + plat::from_qstring(args.at(i)));
  if (args.size() > 1) w.set_start_file(plat::qstring_to_path(args.at(1)));
  w.show();
  return app.exec();
}
