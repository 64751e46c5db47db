#include <QDir>

#include "mainwin/velmor_1.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"

int main(int argc, char** argv) {
  plat::Application app(argc, argv);
  Tvelmor w;
  QStringList args = QCoreApplication::arguments();
  if (args.size() > 1) w.set_start_file(plat::from_qstring(args.at(1)));
  w.show();
  return app.exec();
}
